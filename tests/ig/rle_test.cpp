// The run-length code both ways and the colour conversions.

#include "ig/rle.h"

#include <gtest/gtest.h>

#include <random>

using namespace navora;

namespace {

IndexedImage image(std::uint16_t w, std::uint16_t h, std::vector<std::uint8_t> pixels) {
    IndexedImage img(w, h);
    img.pixels = std::move(pixels);
    return img;
}

struct DecodeCase {
    const char* name;
    std::uint16_t w, h;
    Bytes coded;
    std::vector<std::uint8_t> pixels;
    bool cutCode = false;
    bool extraLines = false;
};

TEST(RleDecode, Codes) {
    const DecodeCase cases[] = {
        {"end of line first leaves line 0 at 0", 3, 2, {0x00, 0x00, 0x05, 0x06, 0x07, 0x00, 0x00}, {0, 0, 0, 5, 6, 7}},
        {"single pixels and short runs", 6, 1, {0x04, 0x00, 0x02, 0x00, 0x83, 0x09, 0x00, 0x00}, {4, 0, 0, 9, 9, 9}},
        {"14-bit runs of colour 0 and of a colour", 4, 2, {0x00, 0x40, 0x04, 0x00, 0x00, 0x00, 0xC0, 0x04, 0x08},
         {0, 0, 0, 0, 8, 8, 8, 8}},
        {"a run past the edge is cut and ends the line; the next 00 00 ends an empty line", 3, 3,
         {0x00, 0x85, 0x02, 0x00, 0x00, 0x01}, {2, 2, 2, 0, 0, 0, 1, 0, 0}},
        {"a pixel past the edge ends the line", 2, 2, {0x01, 0x01, 0x03, 0x04}, {1, 1, 4, 0}},
        {"a coloured 6-bit run of length 0 fills the line", 4, 2, {0x05, 0x00, 0x80, 0x07, 0x06}, {5, 7, 7, 7, 6, 0, 0, 0}},
        {"a 14-bit run of length 0 fills the line", 3, 2, {0x00, 0x40, 0x00, 0x02}, {0, 0, 0, 2, 0, 0}},
        {"a coloured 14-bit run of length 0 fills the line", 3, 2, {0x01, 0x00, 0xC0, 0x00, 0x09, 0x02},
         {1, 9, 9, 2, 0, 0}},
        {"lines past the height are not written", 2, 1, {0x01, 0x00, 0x00, 0x02, 0x00, 0x00}, {1, 0}, false, true},
        {"data ending inside a code keeps what came before", 2, 1, {0x03, 0x00}, {3, 0}, true},
        {"data ending before a run's colour", 2, 1, {0x00, 0x82}, {0, 0}, true},
        {"data ending inside a 14-bit run", 2, 1, {0x00, 0xC0, 0x02}, {0, 0}, true},
        {"no data leaves the picture at 0", 2, 2, {}, {0, 0, 0, 0}},
    };
    for (const DecodeCase& c : cases) {
        IndexedImage img(c.w, c.h);
        const RleDecodeReport report = rleDecodeInto(c.coded, img);
        EXPECT_EQ(img.pixels, c.pixels) << c.name;
        EXPECT_EQ(report.cutCode, c.cutCode) << c.name;
        EXPECT_EQ(report.extraLines, c.extraLines) << c.name;
    }
}

TEST(RleEncode, ChoosesTheShortCodes) {
    struct Case {
        const char* name;
        IndexedImage img;
        Bytes coded;
    } cases[] = {
        {"100 pixels of colour 0", image(100, 1, std::vector<std::uint8_t>(100, 0)), {0x00, 0x40, 0x64, 0x00, 0x00}},
        {"three pixels of colour 7", image(3, 1, {7, 7, 7}), {0x00, 0x83, 0x07, 0x00, 0x00}},
        {"two pixels of colour 7", image(2, 1, {7, 7}), {0x07, 0x07, 0x00, 0x00}},
        {"one pixel of colour 0", image(1, 1, {0}), {0x00, 0x01, 0x00, 0x00}},
        {"two pixels of colour 0", image(2, 1, {0, 0}), {0x00, 0x02, 0x00, 0x00}},
        {"63 and 64 pixels of a colour", image(127, 1, [] {
             std::vector<std::uint8_t> v(63, 5);
             v.insert(v.end(), 64, 6);
             return v;
         }()),
         {0x00, 0xBF, 0x05, 0x00, 0xC0, 0x40, 0x06, 0x00, 0x00}},
        {"two lines", image(2, 2, {1, 0, 0, 0}), {0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00}},
    };
    for (const Case& c : cases) EXPECT_EQ(rleEncode(c.img), c.coded) << c.name;
}

TEST(RleEncode, SplitsRunsLongerThanTheLengthField) {
    const IndexedImage img = image(20000, 1, std::vector<std::uint8_t>(20000, 3));
    const Bytes coded = rleEncode(img);
    EXPECT_EQ(coded, (Bytes{0x00, 0xFF, 0xFF, 0x03, 0x00, 0xCE, 0x21, 0x03, 0x00, 0x00}));
    IndexedImage back(20000, 1);
    rleDecodeInto(coded, back);
    EXPECT_EQ(back, img);
}

// Random pictures with runs of every length, including 1- and 2-pixel-wide
// ones whose code is longer than the picture (the buffer must grow).
TEST(RleCodec, DecodeInvertsEncode) {
    std::mt19937 rng(12345);
    const std::pair<std::uint16_t, std::uint16_t> sizes[] = {{1, 1},  {1, 40},   {2, 33},  {3, 7},
                                                             {64, 9}, {200, 50}, {1920, 4}, {4096, 2}};
    for (auto [w, h] : sizes)
        for (int trial = 0; trial < 4; ++trial) {
            IndexedImage img(w, h);
            for (std::size_t i = 0; i < img.pixels.size();) {
                const std::size_t run = std::min<std::size_t>(1 + rng() % (trial * 90 + 3), img.pixels.size() - i);
                const auto colour = static_cast<std::uint8_t>(rng() % 3 == 0 ? 0 : rng() % 256);
                std::fill_n(img.pixels.begin() + static_cast<std::ptrdiff_t>(i), run, colour);
                i += run;
            }
            IndexedImage back(w, h);
            const RleDecodeReport report = rleDecodeInto(rleEncode(img), back);
            EXPECT_EQ(back, img) << w << "x" << h << " trial " << trial;
            EXPECT_FALSE(report.cutCode || report.extraLines);
        }
}

TEST(ColourConversion, Examples) {
    struct Rgb2Y {
        std::uint8_t R, G, B;
        TYCrCb expected;
    } toY[] = {
        {255, 0, 0, {82, 240, 91}},   // Cb: -37.24 truncates to -37
        {0, 255, 0, {145, 35, 55}},   // Cr: -93.34 truncates to -93
        {255, 255, 255, {235, 128, 128}},
        {0, 0, 0, {16, 128, 128}},
        {0, 0, 255, {41, 111, 240}},  // Cb 240 is the upper limit
    };
    for (const auto& c : toY) EXPECT_EQ(rgb2ycrcb(c.R, c.G, c.B), c.expected) << int(c.R) << "," << int(c.G);

    struct Y2Rgb {
        TYCrCb y;
        TRGBA expected;
    } toRgb[] = {
        {{16, 128, 128}, {0, 0, 0, 7}},
        {{235, 128, 128}, {255, 255, 255, 7}},
        {{82, 240, 91}, {255, 0, 2, 7}},     // red back within rounding
        {{0, 128, 128}, {0, 0, 0, 7}},       // below black: limited to 0
        {{255, 255, 0}, {255, 225, 20, 7}},  // red above 255: limited
        {{128, 100, 150}, {86, 145, 175, 7}},
    };
    for (const auto& c : toRgb)
        EXPECT_EQ(ycrcb2rgb(c.y.Y, c.y.Cr, c.y.Cb, 7), c.expected) << int(c.y.Y) << "," << int(c.y.Cr);
}

}  // namespace
