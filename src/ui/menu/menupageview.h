#pragma once
// The Page view of the Menu tab: the emulator's page picture, 1:1 in a
// scrolling area of the background colour or fitted into the area ("Full
// screen view"). Mouse moves and presses go to the emulator in page
// coordinates; the cursor is the hand over the selected button. A key
// pressed on the picture is reported with its key code.

#include "preview/picture.h"

#include <QColor>
#include <QScrollArea>

class QKeyEvent;

#include <functional>
#include <optional>

namespace navora::ui {

class MenuPreview;

// The key code a key press has on the platform's virtual-key table (letters
// and digits their upper-case ASCII code, Enter 13, Escape 27, the arrows
// 37-40, F1 112, ...); 0 for a key that has none.
int virtualKeyCode(const QKeyEvent& e);

class PageCanvas;

class MenuPageView : public QScrollArea {
    Q_OBJECT
public:
    MenuPageView(MenuPreview& preview, QWidget* parent = nullptr);

    // Fit ("Full screen view") or 1:1.
    void setFit(bool fit);
    bool fit() const { return fit_; }
    // The area colour in 1:1 mode.
    void setAreaColour(const QColor& colour);
    // Where the picture stands in the canvas (the viewport's widget), in its pixels.
    QRect shownRect() const;
    QWidget* canvas() const;
    // A position on the canvas as a page position (none outside the picture).
    std::optional<QPoint> toPage(const QPoint& canvasPos) const;

    // Whether the emulator receives the mouse (a page is selected).
    std::function<bool()> active;

signals:
    // A key was pressed on the picture: its virtual-key code (never 0).
    void keyPressed(int code);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    friend class PageCanvas;
    void applyMode();

    MenuPreview& preview_;
    PageCanvas* canvas_;
    bool fit_ = false;
    QColor area_{0, 0, 128};
};

}  // namespace navora::ui
