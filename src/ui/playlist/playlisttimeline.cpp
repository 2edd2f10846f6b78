#include "ui/playlist/playlisttimeline.h"

#include "playlist/playlist_text.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cstdlib>

namespace navora::ui {

namespace {

constexpr int kMargin = 2;
constexpr int kTickBand = 11;  // the band above the blocks where the tick heads sit
constexpr int kTickReach = 4;  // a click this close to a tick hits it
constexpr int kDanglingBox = 16;
constexpr int kSide = 6;  // room at both ends for a whole tick head at the first or last time

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// The strip's colours from the palette: blocks are tints of the text colour
// on the base colour; marks keep their hue and take a lightness that stands
// out on the base.
struct Colours {
    explicit Colours(const QPalette& pal) {
        base = pal.color(QPalette::Base);
        text = pal.color(QPalette::Text);
        const bool dark = base.lightness() < 128;
        fill[0] = mix(base, text, 0.10);
        fill[1] = mix(base, text, 0.22);
        border = mix(base, text, 0.55);
        selected = pal.color(QPalette::Highlight);
        selectedText = pal.color(QPalette::HighlightedText);
        entry = dark ? QColor(255, 187, 0) : QColor(170, 90, 0);
        link = dark ? QColor(100, 200, 255) : QColor(0, 80, 170);
        dangling = dark ? QColor(255, 100, 100) : QColor(200, 0, 0);
    }
    QColor base, text, fill[2], border, selected, selectedText, entry, link, dangling;
};

}  // namespace

PlaylistTimeline::PlaylistTimeline(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("plTimeline"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMouseTracking(false);
}

QSize PlaylistTimeline::sizeHint() const { return {400, minimumSizeHint().height()}; }

QSize PlaylistTimeline::minimumSizeHint() const {
    return {100, kMargin * 2 + kTickBand + fontMetrics().height() * 2 + 6};
}

void PlaylistTimeline::setPlaylist(const TMPLS* playlist) {
    loaded_ = playlist != nullptr;
    timeline_ = playlist ? playlistTimeline(*playlist) : Timeline{};
    itemNames_.clear();
    itemTips_.clear();
    markTips_.clear();
    if (playlist) {
        const auto& items = playlist->PlayList.PlayItems;
        for (std::size_t i = 0; i < items.size() && i < timeline_.items.size(); ++i) {
            const TPlayItem& p = items[i];
            const TimelineItem& t = timeline_.items[i];
            const QString no = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
            itemNames_.push_back(no + QLatin1Char(' ') + QString::fromStdString(p.Clip_Information_file_name));
            QString tip =
                QStringLiteral("PlayItem %1: %2\nIN %3  OUT %4\nlength %5  (at %6 in the playlist)")
                    .arg(no, QString::fromStdString(p.Clip_Information_file_name),
                         QString::fromStdString(timeText(p.IN_time)), QString::fromStdString(timeText(p.OUT_time)),
                         QString::fromStdString(timeText(t.duration)), QString::fromStdString(timeText(t.start)));
            if (p.is_multi_angle && !p.multi_clip.angles.empty()) {
                tip += QStringLiteral("\n%1 angles:").arg(p.multi_clip.angles.size());
                for (const TClipRef& a : p.multi_clip.angles)
                    tip += QLatin1Char(' ') + QString::fromStdString(a.Clip_Information_file_name);
            }
            itemTips_.push_back(tip);
        }
        const auto& marks = playlist->PlayListMark.marks;
        for (std::size_t m = 0; m < marks.size(); ++m) {
            const TPlayListMarkEntry& k = marks[m];
            const QString no = QStringLiteral("%1").arg(m, 3, 10, QLatin1Char('0'));
            const QString type = QString::fromStdString(markTypeName(k.mark_type));
            const auto at = m < timeline_.marks.size() ? timeline_.marks[m].at : std::nullopt;
            if (at)
                markTips_.push_back(QStringLiteral("Mark %1 (%2): PlayItem %3, %4 in the playlist")
                                        .arg(no, type.isEmpty() ? QStringLiteral("type %1").arg(k.mark_type) : type)
                                        .arg(k.ref_to_PlayItem_id, 3, 10, QLatin1Char('0'))
                                        .arg(QString::fromStdString(timeText(*at))));
            else
                markTips_.push_back(QStringLiteral("Mark %1 refers to PlayItem %2, which the playlist does not have")
                                        .arg(no)
                                        .arg(k.ref_to_PlayItem_id));
        }
    }
    if (selectedItem_ >= static_cast<int>(timeline_.items.size())) selectedItem_ = -1;
    update();
}

void PlaylistTimeline::setSelectedItem(int item) {
    if (item == selectedItem_) return;
    selectedItem_ = item;
    update();
}

void PlaylistTimeline::setSelectedMarks(int first, int last) {
    if (first == firstMark_ && last == lastMark_) return;
    firstMark_ = first;
    lastMark_ = last;
    update();
}

QRect PlaylistTimeline::danglingRect() const {
    const bool any =
        std::any_of(timeline_.marks.begin(), timeline_.marks.end(), [](const TimelineMark& m) { return !m.at; });
    if (!any) return {};
    return {width() - kMargin - kSide - kDanglingBox, kMargin + kTickBand, kDanglingBox,
            height() - 2 * kMargin - kTickBand};
}

QRect PlaylistTimeline::blockArea() const {
    QRect r = rect().adjusted(kMargin + kSide, kMargin + kTickBand, -kMargin - kSide, -kMargin);
    if (!danglingRect().isNull()) r.setRight(r.right() - kDanglingBox - 3);
    return r;
}

QRect PlaylistTimeline::tickArea() const {
    const QRect b = blockArea();
    return {b.left(), kMargin, b.width(), kTickBand};
}

int PlaylistTimeline::xOf(std::uint64_t ticks) const {
    const QRect a = blockArea();
    if (timeline_.duration == 0) return a.left();
    const double f = static_cast<double>(std::min(ticks, timeline_.duration)) / static_cast<double>(timeline_.duration);
    return a.left() + static_cast<int>(f * (a.width() - 1) + 0.5);
}

QRect PlaylistTimeline::itemRect(int item) const {
    if (item < 0 || static_cast<std::size_t>(item) >= timeline_.items.size()) return {};
    const TimelineItem& t = timeline_.items[static_cast<std::size_t>(item)];
    const QRect a = blockArea();
    int x0 = xOf(t.start);
    int x1 = xOf(t.start + t.duration);
    if (timeline_.duration == 0) {
        // Nothing plays: the PlayItems share the strip equally.
        const int n = static_cast<int>(timeline_.items.size());
        x0 = a.left() + a.width() * item / n;
        x1 = a.left() + a.width() * (item + 1) / n;
    }
    // A PlayItem too short to see still gets a sliver.
    if (x1 - x0 < 2) x1 = x0 + 2;
    return {x0, a.top(), x1 - x0, a.height()};
}

QRect PlaylistTimeline::markRect(int mark) const {
    if (mark < 0 || static_cast<std::size_t>(mark) >= timeline_.marks.size()) return {};
    const TimelineMark& m = timeline_.marks[static_cast<std::size_t>(mark)];
    if (!m.at) return danglingRect();
    const int x = xOf(*m.at);
    const QRect t = tickArea();
    return {x - kTickReach, t.top(), 2 * kTickReach + 1, t.height()};
}

std::optional<int> PlaylistTimeline::markAt(const QPoint& p) const {
    std::optional<int> best;
    int bestDistance = kTickReach + 1;
    for (std::size_t m = 0; m < timeline_.marks.size(); ++m) {
        const QRect r = markRect(static_cast<int>(m));
        if (r.isNull() || !r.contains(p)) continue;
        const int d = std::abs(r.center().x() - p.x());
        if (!best || d < bestDistance) {
            best = static_cast<int>(m);
            bestDistance = d;
        }
    }
    return best;
}

std::optional<int> PlaylistTimeline::itemAt(const QPoint& p) const {
    for (std::size_t i = 0; i < timeline_.items.size(); ++i)
        if (itemRect(static_cast<int>(i)).contains(p)) return static_cast<int>(i);
    return std::nullopt;
}

void PlaylistTimeline::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const Colours c(palette());
    p.fillRect(rect(), c.base);
    p.setPen(c.border);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!loaded_ || timeline_.items.empty()) {
        p.setPen(mix(c.base, c.text, 0.6));
        p.drawText(rect(), Qt::AlignCenter,
                   loaded_ ? QStringLiteral("No PlayItems") : QStringLiteral("No playlist read"));
        if (!loaded_) return;
    }

    const QFontMetrics fm = fontMetrics();
    for (std::size_t i = 0; i < timeline_.items.size(); ++i) {
        const int n = static_cast<int>(i);
        const QRect r = itemRect(n);
        const bool selected = n == selectedItem_;
        const QColor fill = selected ? c.selected : c.fill[i % 2];
        const QColor ink = selected ? c.selectedText : c.text;
        p.fillRect(r, fill);
        // Angles stacked: the block is split into one band per angle.
        const int angles = static_cast<int>(std::max<std::size_t>(timeline_.items[i].angles, 1));
        p.setPen(selected ? mix(fill, ink, 0.5) : c.border);
        for (int a = 1; a < angles; ++a) {
            const int y = r.top() + r.height() * a / angles;
            p.drawLine(r.left() + 1, y, r.right() - 1, y);
        }
        p.setPen(c.border);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (selected) {
            p.setPen(QPen(ink, 1));
            p.drawRect(r.adjusted(1, 1, -2, -2));
        }
        // The label at the top of the block, as far as it fits; over stacked
        // angles it sits on a patch of the block's colour so no band line
        // runs through the text.
        const int labelHeight = angles > 1 ? std::min(r.height(), fm.height() + 2) : r.height();
        const QRect label(r.left() + 3, r.top(), r.width() - 6, labelHeight);
        QString text = i < itemNames_.size() ? itemNames_[i] : QString();
        if (angles > 1) text += QStringLiteral(" (%1 angles)").arg(angles);
        if (fm.horizontalAdvance(text) > label.width()) text = text.left(3);
        if (fm.horizontalAdvance(text) <= label.width()) {
            if (angles > 1)
                p.fillRect(QRect(label.left() - 1, label.top() + (selected ? 2 : 1), fm.horizontalAdvance(text) + 2,
                                 label.height() - (selected ? 2 : 1)),
                           fill);
            p.setPen(ink);
            p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, text);
        }
    }

    // Ticks over the blocks: the head in the band above, a line down through them.
    const QRect blocks = blockArea();
    const QRect ticks = tickArea();
    for (std::size_t m = 0; m < timeline_.marks.size(); ++m) {
        const TimelineMark& k = timeline_.marks[m];
        if (!k.at) continue;
        const int mi = static_cast<int>(m);
        const bool selected = firstMark_ >= 0 && mi >= firstMark_ && mi <= lastMark_;
        const QColor colour = k.mark_type == kLinkPoint ? c.link : c.entry;
        const int x = xOf(*k.at);
        p.setPen(QPen(colour, selected ? 3 : 1));
        p.drawLine(x, ticks.bottom(), x, blocks.bottom());
        QPainterPath head;
        const int w = selected ? 6 : 4;
        head.moveTo(x - w, ticks.top() + 1);
        head.lineTo(x + w, ticks.top() + 1);
        head.lineTo(x, ticks.bottom());
        head.closeSubpath();
        p.setRenderHint(QPainter::Antialiasing, true);
        // A selected mark keeps its kind's colour (the highlight may be the
        // link-point blue) and is told by its size and a text-coloured rim.
        p.fillPath(head, colour);
        p.setPen(QPen(selected ? c.text : colour, selected ? 1.5 : 1.0));
        p.drawPath(head);
        p.setRenderHint(QPainter::Antialiasing, false);
    }

    // Marks that point at no PlayItem: one red box with an exclamation mark.
    if (const QRect d = danglingRect(); !d.isNull()) {
        bool selected = false;
        for (std::size_t m = 0; m < timeline_.marks.size(); ++m) {
            const int mi = static_cast<int>(m);
            if (!timeline_.marks[m].at && firstMark_ >= 0 && mi >= firstMark_ && mi <= lastMark_) selected = true;
        }
        p.fillRect(d, selected ? c.selected : c.base);
        p.setPen(QPen(c.dangling, 2));
        p.drawRect(d.adjusted(1, 1, -1, -1));
        QFont bold = font();
        bold.setBold(true);
        p.setFont(bold);
        p.drawText(d, Qt::AlignCenter, QStringLiteral("!"));
    }
}

void PlaylistTimeline::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    const QPoint pos = e->position().toPoint();
    if (const auto m = markAt(pos)) {
        emit markClicked(*m);
    } else if (const auto i = itemAt(pos)) {
        emit playItemClicked(*i);
    }
    e->accept();
}

bool PlaylistTimeline::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* h = static_cast<QHelpEvent*>(e);
        QString tip;
        if (const auto m = markAt(h->pos())) {
            if (!danglingRect().contains(h->pos())) {
                tip = markTips_.at(static_cast<std::size_t>(*m));
            } else {
                QStringList lines;
                for (std::size_t k = 0; k < timeline_.marks.size(); ++k)
                    if (!timeline_.marks[k].at) lines << markTips_.at(k);
                tip = lines.join(QLatin1Char('\n'));
            }
        } else if (const auto i = itemAt(h->pos())) {
            tip = itemTips_.at(static_cast<std::size_t>(*i));
        }
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(h->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(e);
}

}  // namespace navora::ui
