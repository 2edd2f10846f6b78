#pragma once
// The playlist timeline strip: the PlayItems laid end to end as blocks as
// wide as they play (the angles of a multi-angle PlayItem stacked in its
// block), the marks as ticks above them at their place on the playlist's
// timeline, the selected PlayItem and marks highlighted. A click on a block
// or a tick reports it, so that its grid can select it. Colours come from
// the palette, so the strip reads in light and dark themes alike.

#include "playlist/playlist_time.h"

#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

namespace navora::ui {

class PlaylistTimeline : public QWidget {
    Q_OBJECT
public:
    explicit PlaylistTimeline(QWidget* parent = nullptr);

    // Draws the playlist (nothing loaded: null).
    void setPlaylist(const TMPLS* playlist);
    const Timeline& timeline() const { return timeline_; }
    // The highlighted PlayItem (none: -1) and marks (first..last, none: -1).
    void setSelectedItem(int item);
    void setSelectedMarks(int first, int last);
    int selectedItem() const { return selectedItem_; }

    // Where PlayItem i's block and mark m's tick are drawn (empty when not drawn).
    QRect itemRect(int item) const;
    QRect markRect(int mark) const;
    // The PlayItem or mark under a point; a tick wins over the block below it.
    std::optional<int> itemAt(const QPoint& p) const;
    std::optional<int> markAt(const QPoint& p) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void playItemClicked(int item);
    void markClicked(int mark);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    bool event(QEvent* e) override;

private:
    QRect blockArea() const;
    QRect tickArea() const;
    int xOf(std::uint64_t ticks) const;
    // The box at the right end that stands for marks whose PlayItem does not exist.
    QRect danglingRect() const;

    Timeline timeline_;
    std::vector<QString> itemNames_;  // "000 00001" per PlayItem
    std::vector<QString> itemTips_;
    std::vector<QString> markTips_;
    bool loaded_ = false;
    int selectedItem_ = -1;
    int firstMark_ = -1;
    int lastMark_ = -1;
};

}  // namespace navora::ui
