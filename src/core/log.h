#pragma once
// The message log, status bar and progress reporting that every operation
// reports through. The GUI renders it into the Status tab and the status bar;
// the command line prints it.

#include "core/markup.h"

#include <functional>
#include <string>
#include <string_view>

namespace navora {

// A surface that shows what the log reports. Every call is synchronous: the
// surface repaints before it returns.
class LogView {
public:
    virtual ~LogView() = default;
    // Appends one formatted line (an empty plain text is an empty line).
    virtual void appendLine(const MarkedLine& line) = 0;
    // Sets a status panel (0 or 1) to its display text (the text between two
    // blanks); removes the error indicator. tooltip is set for panel 1 only.
    virtual void setPanel(int /*panel*/, const std::string& /*display*/, const std::string& /*plain*/) {}
    // Shows the red "ERROR" indicator with the message in panel 1.
    virtual void showError(const std::string& /*plain*/) {}
    virtual void beep() {}
    // Lets the surface process pending window events during a long loop.
    virtual void processEvents() {}
    // Waits about one millisecond (the loop in slogw calls it repeatedly).
    virtual void sleepOneMs() {}
    virtual void progressShown(bool /*shown*/) {}
    virtual void progressPosition(int /*percent*/) {}
    // Asks a yes/no question; true means Yes.
    virtual bool confirm(const std::string& /*question*/) { return true; }
};

class Log {
public:
    void setView(LogView* view) { view_ = view; }
    LogView* view() const { return view_; }

    void log(std::string_view message);
    void log2(std::string_view message);
    void dlog(std::string_view message);
    void dlog0(std::string_view message);
    void slog(std::string_view text, int panel);
    void slogR();
    void slogw(std::string_view text, int panel);
    void erlog(std::string_view message);
    void erslog(std::string_view message);
    void PrBarOn();
    void PrBarOff();
    void progress(int percent);

    // The Cancel button: sets the cancel flag, asking "Are you sure to stop?"
    // first once the confirmation flag is set. A trace-cancel handler, when
    // installed and it reports that it ended a trace, takes the click instead.
    void cancelClick();
    std::function<bool()> traceCancelHandler;
    // Called by PrBarOff so the window can re-apply the active tab's layout.
    std::function<void()> afterProgressOff;

    // Error lines written since resetErrorLines(): how many, and the plain
    // text of the first. Unlike errorFlag, which every save clears, these
    // say what went wrong during one whole operation (a folder read).
    int errorLines = 0;
    std::string firstErrorLine;
    void resetErrorLines() {
        errorLines = 0;
        firstErrorLine.clear();
    }

    bool errorFlag = false;
    bool cancelFlag = false;
    bool cancelConfirm = false;
    bool errorShown = false;
    int actiDelayMs = 500;  // the activation show delay of slogw
    std::string panelText[2];

private:
    LogView* view_ = nullptr;
};

// The process-wide log that the GUI and the command line render.
Log& mainLog();

}  // namespace navora
