#include "core/log.h"
#include "core/logviews.h"
#include "core/progress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace navora;

class LogTest : public ::testing::Test {
protected:
    void SetUp() override { log.setView(&view); }
    Log log;
    RecordingLogView view;
};

TEST_F(LogTest, ErlogWritesRedErrorAndBoldMessageAndSetsTheFlag) {
    log.erlog("Cannot create backup file.");
    ASSERT_EQ(view.lines.size(), 1u);
    EXPECT_EQ(view.lines[0].plain, "ERROR: Cannot create backup file.");
    EXPECT_TRUE(view.lines[0].runs[0].style.colour == TextStyle::Colour::Rgb);
    EXPECT_TRUE(view.lines[0].runs[2].style.bold);
    EXPECT_TRUE(view.error);
    EXPECT_EQ(view.panels[1], " Cannot create backup file.");
    EXPECT_TRUE(log.errorFlag);
    EXPECT_EQ(view.beeps, 1);
    // A second error keeps the indicator and the flag; slog removes the indicator only.
    log.erlog("again");
    EXPECT_TRUE(log.errorFlag);
    // The error lines are counted, the first kept in plain text; erslog writes no line.
    log.erslog("See Status");
    EXPECT_EQ(log.errorLines, 2);
    EXPECT_EQ(log.firstErrorLine, "Cannot create backup file.");
    log.resetErrorLines();
    log.erlog("[b]Check failed.[/b]");
    EXPECT_EQ(log.errorLines, 1);
    EXPECT_EQ(log.firstErrorLine, "Check failed.");
    log.slog("abc", 1);
    EXPECT_FALSE(view.error);
    EXPECT_EQ(view.panels[1], " abc ");
    EXPECT_TRUE(log.errorFlag);
}

TEST_F(LogTest, LineOperations) {
    log.log("");
    log.log2("word");
    log.dlog("Checking [b]x[/b]");
    log.dlog0("Reading playlists");
    EXPECT_EQ(view.plainLines(), (std::vector<std::string>{"", "word", "", "Checking x", "Reading playlists"}));
    EXPECT_EQ(view.panels[0], " Reading playlists ");
    EXPECT_EQ(view.panels[1], "  ");
    log.slogR();
    EXPECT_EQ(view.panels[0], " Ready. ");
}

TEST_F(LogTest, ErslogTouchesOnlyTheStatusBar) {
    log.erslog("See Status");
    EXPECT_TRUE(view.lines.empty());
    EXPECT_TRUE(view.error);
    EXPECT_FALSE(log.errorFlag);
}

TEST_F(LogTest, CancelAsksOnlyAfterTheConfirmationFlagIsSet) {
    log.cancelClick();
    EXPECT_TRUE(log.cancelFlag);
    EXPECT_TRUE(view.questions.empty());

    log.PrBarOn();
    EXPECT_FALSE(log.cancelFlag);
    log.cancelConfirm = true;
    view.answer = false;
    log.cancelClick();
    EXPECT_FALSE(log.cancelFlag);
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0], "Are you sure to stop?");

    view.answer = true;
    log.cancelClick();
    EXPECT_TRUE(log.cancelFlag);
    EXPECT_EQ(view.panels[1], " Cancelled. ");
    EXPECT_EQ(view.lines.back().plain, "");

    // A running trace takes the click.
    log.cancelFlag = false;
    log.traceCancelHandler = [] { return true; };
    log.cancelClick();
    EXPECT_FALSE(log.cancelFlag);
}

TEST(TerminalLogView, ColoursOnlyWhenAsked) {
    MarkedLine l = parseMarkup("a [b]b[/b] [re]c[/re]");
    EXPECT_EQ(TerminalLogView::render(l, false), "a b c");
    EXPECT_EQ(TerminalLogView::render(l, true), "a \x1b[1mb\x1b[0m \x1b[38;2;255;0;0mc\x1b[0m");
}

TEST(WindowPoll, LooksAtTheWindowFirstThenAtMostEvery5msAndPassesCancelOn) {
    // A window that counts its looks at its events; one may find a click on Cancel.
    struct Window : RecordingLogView {
        Log* log = nullptr;
        int looks = 0;
        bool clickCancel = false;
        void processEvents() override {
            ++looks;
            if (clickCancel) log->cancelFlag = true;
        }
    } window;
    Log log;
    log.setView(&window);
    window.log = &log;
    CancelToken token;
    const auto poll = windowPoll(log, token);

    poll();
    EXPECT_EQ(window.looks, 1);  // a click made before the run lands at once
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10000; ++i) poll();
    const auto spent = std::chrono::steady_clock::now() - start;
    // A fast run is not slowed by the window: one look per 5 ms at most.
    EXPECT_LE(window.looks, 2 + spent / std::chrono::milliseconds(5));
    EXPECT_FALSE(token.cancelled());

    window.clickCancel = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(6));
    poll();
    EXPECT_TRUE(token.cancelled());
}
