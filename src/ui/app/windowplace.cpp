#include "ui/app/windowplace.h"

#include "ui/app/settings.h"

#include <QEvent>
#include <QPoint>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace navora::ui {

namespace {

constexpr int kMinWidth = 913;
constexpr int kMinHeight = 585;

}  // namespace

QSize designedMinimumSize(const QWidget& window) {
    // At 200 % a 1920 x 1080 screen is 960 x 540 and the designed least size
    // does not fit: the window may then be as small as the screen.
    QSize least(kMinWidth, kMinHeight);
    // The frame the window manager adds is known once the window is shown.
    const QSize frame = window.isVisible() ? window.frameGeometry().size() - window.size() : QSize(0, 0);
    if (const QScreen* s = window.screen()) least = least.boundedTo(s->availableSize() - frame);
    return least;
}

void fitOnScreen(QWidget& window) {
    const QScreen* s = window.screen();
    if (!s || window.isMaximized() || window.isFullScreen() || window.isMinimized()) return;
    const QRect room = s->availableGeometry();
    const QRect frame = window.frameGeometry();
    if (room.contains(frame)) return;
    // A window larger than the screen (a size stored on a larger screen, or
    // the designed size at 200 %) shrinks to it; then it moves onto it.
    const QSize extra = frame.size() - window.size();
    const QSize fitting = window.size().boundedTo(room.size() - extra);
    if (fitting != window.size()) window.resize(fitting);
    const int left = std::clamp(frame.left(), room.left(), std::max(room.left(), room.right() + 1 - frame.width()));
    const int top = std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() + 1 - frame.height()));
    window.move(left, top);
}

namespace {

// Puts the frame (title bar included) where the settings say once the window
// manager has framed the window: a place given before that may be taken for
// the inside of the window, which then creeps up by the title bar's height
// at every start.
class FramePlacer : public QObject {
public:
    FramePlacer(QWidget& window, QPoint wanted) : QObject(&window), window_(window), wanted_(wanted) {
        setObjectName(QStringLiteral("navoraFramePlacer"));
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == &window_ && e->type() == QEvent::Show) {
            QTimer::singleShot(0, this, [this] { place(); });
            QTimer::singleShot(200, this, [this] {
                place();
                deleteLater();
            });
        }
        return false;
    }

private:
    void place() {
        if (!window_.isVisible() || window_.isMaximized() || window_.isMinimized() || window_.isFullScreen()) return;
        if (window_.frameGeometry().topLeft() != wanted_) window_.move(wanted_);
        fitOnScreen(window_);
    }
    QWidget& window_;
    QPoint wanted_;
};

}  // namespace

void applyGeometry(QWidget& window, const Settings& s) {
    const QSize least = designedMinimumSize(window);
    // Top and Left are the frame's place (QWidget::pos() of a window).
    delete window.findChild<QObject*>(QStringLiteral("navoraFramePlacer"), Qt::FindDirectChildrenOnly);
    new FramePlacer(window, QPoint(s.left, s.top));
    window.move(s.left, s.top);
    window.resize(std::max(s.width, least.width()), std::max(s.height, least.height()));
    if (s.windowState == 2)
        window.setWindowState(Qt::WindowMaximized);
    else if (s.windowState == 1)
        window.setWindowState(Qt::WindowMinimized);
    if (window.isVisible()) fitOnScreen(window);
}

void storeGeometry(const QWidget& window, Settings& s) {
    const bool maximised = window.isMaximized();
    s.windowState = maximised ? 2 : window.isMinimized() ? 1 : 0;
    if (maximised) return;
    const QRect g = window.isMinimized() ? window.normalGeometry() : window.geometry();
    // The frame's place, so that the next start puts the title bar where it was.
    const QPoint pos = window.isMinimized() ? g.topLeft() : window.frameGeometry().topLeft();
    s.left = pos.x();
    s.top = pos.y();
    s.width = g.width();
    s.height = g.height();
}

}  // namespace navora::ui
