#include "core/markup.h"

#include <gtest/gtest.h>

using namespace navora;

namespace {
TextStyle bold() {
    TextStyle s;
    s.bold = true;
    return s;
}
TextStyle rgb(std::uint32_t c) {
    TextStyle s;
    s.colour = TextStyle::Colour::Rgb;
    s.rgb = c;
    return s;
}
}  // namespace

struct PlainCase {
    std::string message;
    std::string plain;
};

class PlainText : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainText, RemovesEveryTag) { EXPECT_EQ(markupPlainText(GetParam().message), GetParam().plain); }

INSTANTIATE_TEST_SUITE_P(
    Markup, PlainText,
    ::testing::Values(PlainCase{"no tags at all", "no tags at all"}, PlainCase{"", ""},
                      PlainCase{"Reading [bl]index.bdmv[/bl]", "Reading index.bdmv"},
                      PlainCase{"[re]ERROR:[/re] [b]Cannot create backup file.[/b]",
                                "ERROR: Cannot create backup file."},
                      PlainCase{"[q]odd[/q] and [B]upper[/B]", "odd and upper"},
                      // Any bracketed text is a tag, even inside a file name.
                      PlainCase{"file [1].mpls", "file .mpls"},
                      // A "[" with no "]" after it stays as text; a stray "]" too.
                      PlainCase{"a ] b [c", "a ] b [c"}, PlainCase{"x[b]y[/b] [open", "xy [open"}),
    [](const ::testing::TestParamInfo<PlainCase>& param) { return "case" + std::to_string(param.index); });

TEST(Markup, AtMost255CharactersFollowTheLastTag) {
    const std::string tail(300, 'x');
    // Each removal keeps 255 characters after the tag: the closing tag and the
    // tail share the window that the opening tag left.
    EXPECT_EQ(markupPlainText("[b]a[/b]" + tail), "a" + std::string(250, 'x'));
    EXPECT_EQ(markupPlainText("[b][/b]" + tail), std::string(251, 'x'));
    // Without a tag the message is kept whatever its length.
    EXPECT_EQ(markupPlainText(tail + tail), tail + tail);

    // The limit counts characters: a name in two-byte UTF-8 keeps as many as
    // an ASCII one, and no character is cut in two.
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    };
    const std::string e = "\xC3\xA9";  // é
    EXPECT_EQ(markupPlainText("[b]a[/b]" + repeat(e, 300)), "a" + repeat(e, 250));
    MarkedLine l = parseMarkup("Reading [bl]" + repeat(e, 300) + "[/bl]");
    EXPECT_EQ(l.plain, "Reading " + repeat(e, 255));
    ASSERT_EQ(l.runs.size(), 2u);
    // The closing tag lies beyond the kept text: the tail reads on, unformatted, to its end.
    EXPECT_EQ(l.runs[1], (StyledRun{8, 255 * e.size(), TextStyle{}}));
}

TEST(Markup, RunsFollowTheTags) {
    MarkedLine l = parseMarkup("[re]ERROR:[/re] [b]word[/b]");
    EXPECT_EQ(l.plain, "ERROR: word");
    ASSERT_EQ(l.runs.size(), 3u);
    EXPECT_EQ(l.runs[0], (StyledRun{0, 6, rgb(0xFF0000)}));
    EXPECT_EQ(l.runs[1], (StyledRun{6, 1, TextStyle{}}));  // the blank is regular
    EXPECT_EQ(l.runs[2], (StyledRun{7, 4, bold()}));
}

TEST(Markup, TagTable) {
    struct Case {
        std::string tag;
        TextStyle style;
    };
    TextStyle italic, underline, s1, s2, unknown;
    italic.italic = true;
    underline.underline = true;
    s1.pointSize = 10;
    s2.pointSize = 12;
    unknown.colour = TextStyle::Colour::WindowText;
    unknown.pointSize = 8;
    const Case cases[] = {
        {"b", bold()},       {"i", italic},       {"u", underline},          {"s1", s1},
        {"s2", s2},          {"bl", rgb(0x0000FF)}, {"gr", rgb(0x00FF00)},   {"re", rgb(0xFF0000)},
        // Windows colour values: lowest byte red.
        {"c:FF0000", rgb(0x0000FF)}, {"c:0000ff", rgb(0xFF0000)}, {"c:00FF00", rgb(0x00FF00)},
        {"c:0x-80_8000", rgb(0x008080)},  // other characters among the digits are skipped
        {"q", unknown},      {"B", unknown},      {"c", unknown},
    };
    for (const auto& c : cases) {
        MarkedLine l = parseMarkup("[" + c.tag + "]run[/" + c.tag + "]");
        ASSERT_EQ(l.runs.size(), 1u) << c.tag;
        EXPECT_EQ(l.runs[0], (StyledRun{0, 3, c.style})) << c.tag;
    }
}

TEST(Markup, MalformedMarkupKeepsThePlainTextAndReturns) {
    for (const std::string m : {"[b]never closed", "[b]a[i]b[/i]c[/b]", "[b][/b]", "]][[", "[b]x[/i]"}) {
        MarkedLine l = parseMarkup(m);
        EXPECT_EQ(l.plain, markupPlainText(m)) << m;
        for (const auto& r : l.runs) EXPECT_LE(r.start + r.length, l.plain.size()) << m;
    }
}
