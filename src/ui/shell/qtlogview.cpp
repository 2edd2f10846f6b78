#include "ui/shell/qtlogview.h"

#include "ui/widgets/colours.h"
#include "ui/widgets/widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <qdrawutil.h>

#include <algorithm>

namespace navora::ui {

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize StatusBar::sizeHint() const {
    QFont bold = font();
    bold.setBold(true);
    return {kPanel0Width + kPanel1Width, QFontMetrics(bold).height() + 10};
}

QSize StatusBar::minimumSizeHint() const {
    // Panel 1 is elided to the width there is: the bar never widens the window.
    return {kErrorWidth + 40, sizeHint().height()};
}

void StatusBar::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit clicked();
    QWidget::mousePressEvent(e);
}

QRect StatusBar::panelRect(int panel) const {
    const int w0 = width_[0];
    if (panel == 0) return {0, 1, w0, height() - 2};
    // The last panel reaches the right edge whatever its width says, as status bars do.
    return {w0 + 2, 1, std::max(width_[1], width() - w0 - 2), height() - 2};
}

void StatusBar::setBold(bool bold) {
    QFont f = font();
    if (f.bold() == bold) return;
    f.setBold(bold);
    setFont(f);
}

void StatusBar::setPanel(int panel, const QString& display, const QString& plain) {
    panel &= 1;
    setBold(false);
    error_ = false;
    unsetCursor();
    text_[panel] = display;
    width_[panel] = QFontMetrics(font()).horizontalAdvance(display + QLatin1Char('m'));
    if (panel == 1) setToolTip(plain);
    repaint();
}

void StatusBar::showError(const QString& plain) {
    setBold(true);
    error_ = true;
    setCursor(Qt::PointingHandCursor);
    width_[0] = kErrorWidth;
    text_[1] = QLatin1Char(' ') + plain;
    setToolTip(plain);
    repaint();
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    for (int i = 0; i < 2; ++i) {
        const QRect r = panelRect(i);
        if (i == 0 && error_) {
            p.fillRect(r, QColor(255, 0, 0));
            p.setPen(QColor(255, 255, 0));
            p.drawText(QRect(r.left() + 10, r.top() + 5, r.width() - 10, r.height() - 5), Qt::AlignLeft | Qt::AlignTop,
                       QStringLiteral("ERROR"));
            continue;
        }
        qDrawShadePanel(&p, r, palette(), true, 1);
        p.setPen(palette().color(QPalette::WindowText));
        QRect inner = r.adjusted(2, 1, -2, -1);
        inner.setRight(std::min(inner.right(), width() - 3));  // elided where the bar ends
        p.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter,
                   p.fontMetrics().elidedText(text_[i], Qt::ElideRight, inner.width()));
    }
}

// ---------------------------------------------------------------------------

QtLogView::QtLogView(Log& log, QTextEdit* messages, StatusBar* statusBar, QProgressBar* progress,
                     QAbstractButton* cancel, QWidget* dialogParent)
    : QObject(dialogParent),
      log_(log),
      messages_(messages),
      statusBar_(statusBar),
      progress_(progress),
      cancel_(cancel),
      dialogParent_(dialogParent) {
    log_.setView(this);
    if (cancel_) connect(cancel_, &QAbstractButton::clicked, this, [this] { log_.cancelClick(); });
}

QtLogView::~QtLogView() {
    if (log_.view() == this) log_.setView(nullptr);
}

QTextCharFormat QtLogView::formatOf(const TextStyle& style, const QColor& windowText, const QColor& background) {
    QTextCharFormat f;
    f.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style.italic);
    f.setFontUnderline(style.underline);
    if (style.pointSize > 0) f.setFontPointSize(style.pointSize);
    if (style.colour == TextStyle::Colour::Rgb)
        f.setForeground(readableOn(QColor::fromRgb(static_cast<QRgb>(0xFF000000u | style.rgb)), background));
    else if (style.colour == TextStyle::Colour::WindowText)
        f.setForeground(windowText);
    return f;
}

void QtLogView::appendLine(const MarkedLine& line) {
    if (!messages_) return;
    QTextCursor c(messages_->document());
    c.movePosition(QTextCursor::End);
    if (lines_ > 0) c.insertBlock(QTextBlockFormat(), QTextCharFormat());
    ++lines_;
    const int start = c.position();
    c.insertText(QString::fromStdString(line.plain), QTextCharFormat());

    // Runs count bytes of the UTF-8 plain text; the document counts UTF-16 units.
    auto units = [&](std::size_t from, std::size_t n) {
        return static_cast<int>(QString::fromUtf8(line.plain.data() + from, static_cast<qsizetype>(n)).size());
    };
    const QColor windowText = messages_->palette().color(QPalette::WindowText);
    const QColor base = messages_->palette().color(QPalette::Base);
    for (const StyledRun& run : line.runs) {
        const int s = start + units(0, run.start);
        const int n = units(run.start, run.length);
        if (n <= 0) continue;
        c.setPosition(s);
        c.setPosition(s + n, QTextCursor::KeepAnchor);
        c.setCharFormat(formatOf(run.style, windowText, base));
    }

    QTextCursor end(messages_->document());
    end.movePosition(QTextCursor::End);
    messages_->setTextCursor(end);
    messages_->ensureCursorVisible();
    messages_->viewport()->update();
}

void QtLogView::clear() {
    if (messages_) messages_->clear();
    lines_ = 0;
}

void QtLogView::setPanel(int panel, const std::string& display, const std::string& plain) {
    if (statusBar_) statusBar_->setPanel(panel, QString::fromStdString(display), QString::fromStdString(plain));
}

void QtLogView::showError(const std::string& plain) {
    if (statusBar_) statusBar_->showError(QString::fromStdString(plain));
}

void QtLogView::beep() { navora::ui::beep(); }

void QtLogView::processEvents() { QCoreApplication::processEvents(); }

void QtLogView::sleepOneMs() { QThread::msleep(1); }

void QtLogView::progressShown(bool shown) {
    if (progress_) progress_->setVisible(shown);
    if (cancel_) cancel_->setEnabled(shown);
    if (onProgressShown) onProgressShown(shown);
}

void QtLogView::progressPosition(int percent) {
    if (progress_) progress_->setValue(std::clamp(percent, 0, 100));
}

bool QtLogView::confirm(const std::string& question) {
    if (this->question) return this->question(QString::fromStdString(question));
    return QMessageBox::question(dialogParent_, QApplication::applicationDisplayName(),
                                 QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace navora::ui
