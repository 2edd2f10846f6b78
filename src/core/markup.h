#pragma once
// The inline markup of log messages: "[b]bold[/b]", "[re]red[/re]",
// "[c:FF0000]blue[/c:FF0000]" and friends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

struct TextStyle {
    enum class Colour { Default, Rgb, WindowText };

    bool bold = false;
    bool italic = false;
    bool underline = false;
    Colour colour = Colour::Default;
    std::uint32_t rgb = 0;  // 0xRRGGBB when colour is Rgb
    int pointSize = 0;      // 0: the log's own size

    bool operator==(const TextStyle&) const = default;
};

// A formatted stretch of a line's plain text, by character position.
struct StyledRun {
    std::size_t start = 0;
    std::size_t length = 0;
    TextStyle style;

    bool operator==(const StyledRun&) const = default;
};

struct MarkedLine {
    std::string plain;
    std::vector<StyledRun> runs;  // ordered, clipped to the plain text
};

// The message with every tag removed. Each removal keeps at most 255
// characters of what followed the tag's "]". A "[" with no "]" after it is
// kept as text.
std::string markupPlainText(std::string_view message);

// The plain text plus its formatted runs, walked as the log formats a line.
MarkedLine parseMarkup(std::string_view message);

// The effect of one tag name on a run ("b", "i", "u", "s1", "s2",
// "c:<hex>", "bl", "gr", "re"; any other name: regular, window text, 8 pt).
TextStyle tagStyle(std::string_view name);

}  // namespace navora
