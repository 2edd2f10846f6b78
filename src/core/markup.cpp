#include "core/markup.h"

#include <algorithm>
#include <optional>

namespace navora {

namespace {

constexpr std::size_t kTailLimit = 255;

// At most kTailLimit characters of s from byte offset from on. Messages are
// UTF-8: a character is a lead byte with its continuation bytes, so the limit
// counts characters, not bytes, and never cuts a character in two.
std::string cutTail(std::string_view s, std::size_t from) {
    if (from >= s.size()) return {};
    std::size_t end = from;
    std::size_t chars = 0;
    for (; end < s.size(); ++end) {
        const bool lead = (static_cast<unsigned char>(s[end]) & 0xC0) != 0x80;
        if (lead && chars++ == kTailLimit) break;
    }
    return std::string(s.substr(from, end - from));
}

// Windows colour value (lowest byte red) from hex digits; other characters are skipped.
std::uint32_t windowsColourToRgb(std::string_view digits) {
    std::uint32_t v = 0;
    for (char ch : digits) {
        int d;
        if (ch >= '0' && ch <= '9')
            d = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            d = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F')
            d = ch - 'A' + 10;
        else
            continue;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    std::uint32_t r = v & 0xFF, g = (v >> 8) & 0xFF, b = (v >> 16) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

// The first tag of s: the positions of its "[" and of the "]" after it.
struct TagPos {
    std::size_t open, close;
};
std::optional<TagPos> firstTag(const std::string& s) {
    std::size_t open = s.find('[');
    if (open == std::string::npos) return std::nullopt;
    std::size_t close = s.find(']', open + 1);
    if (close == std::string::npos) return std::nullopt;  // a lone "[" stays text
    return TagPos{open, close};
}

}  // namespace

TextStyle tagStyle(std::string_view name) {
    TextStyle st;
    auto rgb = [&](std::uint32_t c) {
        st.colour = TextStyle::Colour::Rgb;
        st.rgb = c;
    };
    if (name == "b")
        st.bold = true;
    else if (name == "i")
        st.italic = true;
    else if (name == "u")
        st.underline = true;
    else if (name == "s1")
        st.pointSize = 10;
    else if (name == "s2")
        st.pointSize = 12;
    else if (name.starts_with("c:"))
        rgb(windowsColourToRgb(name.substr(2)));
    else if (name == "bl")
        rgb(0x0000FF);
    else if (name == "gr")
        rgb(0x00FF00);
    else if (name == "re")
        rgb(0xFF0000);
    else {
        st.colour = TextStyle::Colour::WindowText;
        st.pointSize = 8;
    }
    return st;
}

std::string markupPlainText(std::string_view message) {
    std::string s(message);
    while (auto tag = firstTag(s)) s = s.substr(0, tag->open) + cutTail(s, tag->close + 1);
    return s;
}

MarkedLine parseMarkup(std::string_view message) {
    MarkedLine line;
    line.plain = markupPlainText(message);

    std::vector<StyledRun> runs;
    std::size_t wp = 0;
    auto add = [&](std::size_t len, const TextStyle& st) {
        if (len > 0) runs.push_back({wp, len, st});
        wp += len;
    };

    std::string s(message);
    while (auto tag = firstTag(s)) {
        const auto [open, close] = *tag;
        add(open, TextStyle{});
        std::string name = s.substr(open + 1, close - open - 1);
        std::string rest = cutTail(s, close + 1);
        std::string closing = "[/" + name + "]";
        std::size_t end = rest.find(closing);
        if (end == std::string::npos) {
            // No closing tag: the tag is dropped and its text reads on as plain.
            s = rest;
            continue;
        }
        add(end, tagStyle(name));
        s = cutTail(rest, end + closing.size());
    }
    add(s.size(), TextStyle{});

    // Formatting positions follow the walk; malformed markup may run past the
    // plain text, which is what actually reaches the log.
    for (auto& r : runs) {
        if (r.start >= line.plain.size()) break;
        r.length = std::min(r.length, line.plain.size() - r.start);
        line.runs.push_back(r);
    }
    return line;
}

}  // namespace navora
