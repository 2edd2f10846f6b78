#pragma once
// Log views that need no window: a recorder for tests and tools, and a
// terminal printer for the command line.

#include "core/log.h"

#include <cstdio>
#include <string>
#include <vector>

namespace navora {

// Keeps every line and the status bar state.
class RecordingLogView : public LogView {
public:
    void appendLine(const MarkedLine& line) override { lines.push_back(line); }
    void setPanel(int panel, const std::string& display, const std::string&) override {
        panels[panel] = display;
        error = false;
    }
    void showError(const std::string& plain) override {
        error = true;
        panels[0] = "ERROR";
        panels[1] = " " + plain;
    }
    void beep() override { ++beeps; }
    bool confirm(const std::string& question) override {
        questions.push_back(question);
        return answer;
    }

    // The plain text of every line, in order.
    std::vector<std::string> plainLines() const;
    // The plain text joined by newlines.
    std::string text() const;

    std::vector<MarkedLine> lines;
    std::string panels[2];
    bool error = false;
    int beeps = 0;
    bool answer = true;
    std::vector<std::string> questions;
};

// Prints each line to a stream; with colour on, runs get ANSI bold, italic,
// underline and 24-bit colour.
class TerminalLogView : public LogView {
public:
    explicit TerminalLogView(std::FILE* out, bool colour) : out_(out), colour_(colour) {}
    void appendLine(const MarkedLine& line) override;

    // The line as the terminal shows it.
    static std::string render(const MarkedLine& line, bool colour);

private:
    std::FILE* out_;
    bool colour_;
};

}  // namespace navora
