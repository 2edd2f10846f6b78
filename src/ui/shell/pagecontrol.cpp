#include "ui/shell/pagecontrol.h"

#include "ui/widgets/colours.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace navora::ui {

namespace {

// The caption without "&" and the index of its accelerator letter (-1 if none).
QString stripAccelerator(const QString& caption, int* letter) {
    QString out;
    *letter = -1;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
            if (caption[i] != QLatin1Char('&') && *letter < 0) *letter = static_cast<int>(out.size());
        }
        out += caption[i];
    }
    return out;
}

}  // namespace

TabBar::TabBar(QWidget* parent) : QTabBar(parent) {
    setDrawBase(true);
    setExpanding(false);
    setUsesScrollButtons(true);
}

QFont TabBar::captionFont() const {
    QFont f = font();
    f.setBold(true);
    return f;
}

QSize TabBar::tabSizeHint(int index) const {
    int letter = 0;
    const QString caption = stripAccelerator(tabText(index), &letter);
    const QFontMetrics fm(captionFont());
    return {fm.horizontalAdvance(caption) + 24, std::max(22, fm.height() + 9)};
}

void TabBar::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    const QColor face = palette().color(QPalette::Button);
    const QFont font = captionFont();
    const QFontMetrics fm(font);
    p.setFont(font);
    for (int i = 0; i < count(); ++i) {
        const QRect tab = tabRect(i);
        if (!tab.isValid()) continue;
        const bool active = i == currentIndex();

        // The tab's frame as the style draws it, then the tab area filled by hand.
        QStyleOptionTab opt;
        initStyleOption(&opt, i);
        opt.text.clear();
        p.drawControl(QStyle::CE_TabBarTabShape, opt);
        const QRect area = tab.adjusted(1, 1, -1, active ? 0 : -1);
        p.fillRect(area, face);

        int letter = -1;
        const QString caption = stripAccelerator(tabText(i), &letter);
        const int textWidth = fm.horizontalAdvance(caption);
        const int x = tab.left() + (tab.width() - textWidth) / 2;
        const int y = tab.top() + 4;
        const QColor text = readableOn(QColor(active ? kActiveText : kInactiveText), face);
        p.setPen(text);
        p.drawText(QRect(x, y, textWidth + 1, fm.height()), Qt::AlignLeft | Qt::AlignTop, caption);

        if (!active && letter >= 0) {
            const int lx = x + fm.horizontalAdvance(caption.left(letter));
            const int lw = fm.horizontalAdvance(caption.at(letter));
            const int ly = tab.top() + 16;
            p.drawLine(lx, ly, lx + lw - 1, ly);
        }

        const QRect strip(tab.left() + 4, tab.top() + 2, tab.width() - 8, 3);
        p.fillRect(strip, active ? QColor(kActiveStrip) : face);
    }
}

PageControl::PageControl(QWidget* parent) : QTabWidget(parent), bar_(new TabBar(this)) { setTabBar(bar_); }

}  // namespace navora::ui
