#include "core/logviews.h"

#include <fmt/format.h>

namespace navora {

std::vector<std::string> RecordingLogView::plainLines() const {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const auto& l : lines) out.push_back(l.plain);
    return out;
}

std::string RecordingLogView::text() const {
    std::string out;
    for (const auto& l : lines) {
        out += l.plain;
        out += '\n';
    }
    return out;
}

std::string TerminalLogView::render(const MarkedLine& line, bool colour) {
    if (!colour) return line.plain;
    std::string out;
    std::size_t pos = 0;
    for (const auto& run : line.runs) {
        if (run.start > pos) out += line.plain.substr(pos, run.start - pos);
        std::string codes;
        auto add = [&](const std::string& c) { codes += (codes.empty() ? "" : ";") + c; };
        if (run.style.bold) add("1");
        if (run.style.italic) add("3");
        if (run.style.underline) add("4");
        if (run.style.colour == TextStyle::Colour::Rgb)
            add(fmt::format("38;2;{};{};{}", run.style.rgb >> 16, (run.style.rgb >> 8) & 0xFF, run.style.rgb & 0xFF));
        std::string text = line.plain.substr(run.start, run.length);
        out += codes.empty() ? text : "\x1b[" + codes + "m" + text + "\x1b[0m";
        pos = run.start + run.length;
    }
    if (pos < line.plain.size()) out += line.plain.substr(pos);
    return out;
}

void TerminalLogView::appendLine(const MarkedLine& line) {
    std::fputs(render(line, colour_).c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

}  // namespace navora
