#pragma once
// The menu emulator as the Menu tab runs it: one emulator over the window's
// navigation machine, its two timers as window timers, and its events as Qt
// signals for the views (the Page view, the button selector, the effect
// view). Waits inside an effect or an activated sequence keep the window
// painting.

#include "preview/emulator.h"

#include <QObject>
#include <QRect>

#include <memory>

class QImage;
class QTimer;

namespace navora::ui {

// Real time whose waits let the window repaint (user input waits until the
// step is over, so no key acts in the middle of an effect).
class WindowClock : public PreviewClock {
public:
    std::int64_t nowMs() const override;
    void wait(std::int64_t ms) override;
};

class MenuPreview : public QObject, public PreviewEvents {
    Q_OBJECT
public:
    MenuPreview(NavMachine& machine, Log& log, QObject* parent = nullptr);
    ~MenuPreview() override;

    MenuEmulator& emulator() { return *emulator_; }
    const MenuEmulator& emulator() const { return *emulator_; }
    PageRenderer& renderer() { return emulator_->renderer(); }
    QTimer* animationTimer() const { return animation_; }
    QTimer* userTimer() const { return user_; }

    // The timers follow the emulator's: started, stopped or re-armed.
    void syncTimers();

    // PreviewEvents
    void pictureChanged(const PixelRect& rect) override;
    void repaintNow() override;
    void effectViewChanged() override;
    void pageSelected(int page) override;
    void buttonStatesChanged(int page) override;
    void buttonChosen(int id) override;
    void cursorChanged(bool hand) override;
    void timersChanged() override { syncTimers(); }
    void programRan(int button, const RunResult& result) override;

signals:
    void pictureUpdated(const QRect& rect);
    void repaintRequested();
    void effectViewUpdated();
    void pageShown(int page);
    void buttonStatesRebuilt(int page);
    void buttonSelected(int id);
    void handCursor(bool hand);
    void programFinished(int button, const navora::RunResult& result);

private:
    void arm(QTimer* timer, const PreviewTimer& t);

    WindowClock clock_;
    std::unique_ptr<MenuEmulator> emulator_;
    QTimer* animation_;
    QTimer* user_;
};

// The RGBA picture as a QImage that shares its pixels (valid while the picture is unchanged in size).
QImage pictureImage(const RgbaImage& picture);

}  // namespace navora::ui
