#include "ui/menu/menupreview.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace navora::ui {

std::int64_t WindowClock::nowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void WindowClock::wait(std::int64_t ms) {
    const std::int64_t until = nowMs() + ms;
    while (true) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const std::int64_t left = until - nowMs();
        if (left <= 0) break;
        QThread::msleep(static_cast<unsigned long>(std::min<std::int64_t>(left, 10)));
    }
}

QImage pictureImage(const RgbaImage& picture) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    return QImage(picture.rgba.data(), picture.width, picture.height, picture.width * 4, QImage::Format_RGBA8888);
}

MenuPreview::MenuPreview(NavMachine& machine, Log& log, QObject* parent) : QObject(parent) {
    emulator_ = std::make_unique<MenuEmulator>(machine, clock_, log);
    animation_ = new QTimer(this);
    animation_->setObjectName(QStringLiteral("tDrawRepTimer"));
    animation_->setSingleShot(true);
    user_ = new QTimer(this);
    user_->setObjectName(QStringLiteral("tUserTOTimer"));
    user_->setSingleShot(true);
    connect(animation_, &QTimer::timeout, this, [this] {
        emulator_->tick();
        syncTimers();
    });
    connect(user_, &QTimer::timeout, this, [this] {
        emulator_->timeout();
        syncTimers();
    });
    emulator_->setEvents(this);
}

MenuPreview::~MenuPreview() { emulator_->setEvents(nullptr); }

void MenuPreview::arm(QTimer* timer, const PreviewTimer& t) {
    if (!t.fires()) {
        timer->stop();
        return;
    }
    // A single shot to the emulator's due time: the emulator re-arms itself
    // when it fires, so the pace is its own and a new Start restarts it.
    const auto left = static_cast<int>(std::clamp<std::int64_t>(t.dueMs - clock_.nowMs(), 0, 1 << 30));
    timer->start(left);
}

void MenuPreview::syncTimers() {
    arm(animation_, emulator_->animationTimer());
    arm(user_, emulator_->userTimer());
}

void MenuPreview::pictureChanged(const PixelRect& r) { emit pictureUpdated(QRect(r.x, r.y, r.width, r.height)); }
void MenuPreview::repaintNow() { emit repaintRequested(); }
void MenuPreview::effectViewChanged() { emit effectViewUpdated(); }
void MenuPreview::pageSelected(int page) { emit pageShown(page); }
void MenuPreview::buttonStatesChanged(int page) { emit buttonStatesRebuilt(page); }
void MenuPreview::buttonChosen(int id) { emit buttonSelected(id); }
void MenuPreview::cursorChanged(bool hand) { emit handCursor(hand); }
void MenuPreview::programRan(int button, const RunResult& result) { emit programFinished(button, result); }

}  // namespace navora::ui
