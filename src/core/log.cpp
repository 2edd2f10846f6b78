#include "core/log.h"

namespace navora {

Log& mainLog() {
    static Log instance;
    return instance;
}

void Log::log(std::string_view message) {
    if (view_) view_->appendLine(parseMarkup(message));
}

void Log::log2(std::string_view message) {
    log(message);
    log("");
}

void Log::dlog(std::string_view message) {
    log(message);
    slog(markupPlainText(message), 1);
}

void Log::dlog0(std::string_view message) {
    log(message);
    slog(markupPlainText(message), 0);
    slog("", 1);
}

void Log::slog(std::string_view text, int panel) {
    if (panel < 0 || panel > 1) return;
    errorShown = false;
    panelText[panel] = std::string(text);
    if (view_) view_->setPanel(panel, " " + std::string(text) + " ", std::string(text));
}

void Log::slogR() {
    slog("Ready.", 0);
    slog("", 1);
}

void Log::slogw(std::string_view text, int panel) {
    slog(text, panel);
    for (int i = 0; i < actiDelayMs && view_; ++i) {
        view_->sleepOneMs();
        view_->processEvents();
    }
}

void Log::erlog(std::string_view message) {
    log("[re]ERROR:[/re] [b]" + std::string(message) + "[/b]");
    if (errorLines++ == 0) firstErrorLine = markupPlainText(message);
    erslog(message);
    errorFlag = true;
    if (view_) view_->beep();
}

void Log::erslog(std::string_view message) {
    std::string plain = markupPlainText(message);
    errorShown = true;
    panelText[0] = "ERROR";
    panelText[1] = plain;
    if (view_) view_->showError(plain);
}

void Log::PrBarOn() {
    cancelFlag = false;
    if (view_) {
        view_->progressPosition(0);
        view_->progressShown(true);
    }
}

void Log::PrBarOff() {
    if (view_) view_->progressShown(false);
    if (afterProgressOff) afterProgressOff();
}

void Log::progress(int percent) {
    if (view_) view_->progressPosition(percent);
}

void Log::cancelClick() {
    if (traceCancelHandler && traceCancelHandler()) return;
    if (!cancelConfirm) {
        cancelFlag = true;
        return;
    }
    if (view_ && !view_->confirm("Are you sure to stop?")) return;
    cancelFlag = true;
    dlog0("");
    slog("Cancelled.", 1);
}

}  // namespace navora
