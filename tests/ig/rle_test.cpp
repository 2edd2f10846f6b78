// The run-length code both ways and the colour conversions.

#include "ig/rle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// BT.709 studio range in floating point, rounded: what a player's
// conversion gives, independent of the integer code under test.
TRGBA float709(int Y, int Cr, int Cb) {
    const double y = (Y - 16) * 255.0 / 219.0, cr = (Cr - 128) * 255.0 / 224.0, cb = (Cb - 128) * 255.0 / 224.0;
    const double Kr = 0.2126, Kb = 0.0722, Kg = 1 - Kr - Kb;
    auto clip = [](double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
    return {clip(y + 2 * (1 - Kr) * cr), clip(y - 2 * (1 - Kb) * Kb / Kg * cb - 2 * (1 - Kr) * Kr / Kg * cr),
            clip(y + 2 * (1 - Kb) * cb), 9};
}

TEST(ColourConversion, Bt709FollowsTheMatrixAndComesBackExactly) {
    // Every Y, Cr, Cb against the floating-point matrix; and every value whose
    // colour lies inside the RGB cube comes back unchanged from it.
    std::size_t inside = 0;
    for (int Y = 0; Y < 256; ++Y)
        for (int Cr = 0; Cr < 256; Cr += 3)
            for (int Cb = 1; Cb < 256; Cb += 3) {
                const auto y = static_cast<std::uint8_t>(Y), cr = static_cast<std::uint8_t>(Cr),
                           cb = static_cast<std::uint8_t>(Cb);
                const TRGBA c = ycrcb2rgb(y, cr, cb, 9, ColourMatrix::BT709);
                const TRGBA f = float709(Y, Cr, Cb);
                ASSERT_LE(std::max({std::abs(c.R - f.R), std::abs(c.G - f.G), std::abs(c.B - f.B)}), 1)
                    << Y << "," << Cr << "," << Cb;
                const double r = (Y - 16) * 1.164384 + (Cr - 128) * 1.792741;
                const double g = (Y - 16) * 1.164384 - (Cb - 128) * 0.213249 - (Cr - 128) * 0.532909;
                const double b = (Y - 16) * 1.164384 + (Cb - 128) * 2.112402;
                const bool inCube = Y >= 16 && Y <= 235 && Cr >= 16 && Cr <= 240 && Cb >= 16 && Cb <= 240 &&
                                    r > -0.5 && r < 255.5 && g > -0.5 && g < 255.5 && b > -0.5 && b < 255.5;
                if (!inCube) continue;
                ++inside;
                ASSERT_EQ(rgb2ycrcb(c.R, c.G, c.B, ColourMatrix::BT709), (TYCrCb{y, cr, cb})) << Y << "," << Cr << "," << Cb;
            }
    EXPECT_GT(inside, 100000u);
    // The ends of the scale, and how far the matrices lie apart on an HD colour.
    EXPECT_EQ(rgb2ycrcb(255, 255, 255, ColourMatrix::BT709), (TYCrCb{235, 128, 128}));
    EXPECT_EQ(rgb2ycrcb(0, 0, 0, ColourMatrix::BT709), (TYCrCb{16, 128, 128}));
    EXPECT_EQ(rgb2ycrcb(255, 0, 0, ColourMatrix::BT709), (TYCrCb{63, 240, 102}));
    EXPECT_EQ(ycrcb2rgb(63, 240, 102, 255, ColourMatrix::BT709), (TRGBA{255, 1, 0, 255}));
    EXPECT_EQ(ycrcb2rgb(63, 240, 102, 255, ColourMatrix::BT601), (TRGBA{233, 0, 2, 255}));
}

TEST(ColourMatrix, ChoiceVideoSizeAndPalettes) {
    struct Size {
        std::uint16_t w, h;
        ColourMatrix m;
    } sizes[] = {{720, 480, ColourMatrix::BT601}, {720, 576, ColourMatrix::BT601}, {1280, 720, ColourMatrix::BT709},
                 {1440, 1080, ColourMatrix::BT709}, {1920, 1080, ColourMatrix::BT709}};
    for (const Size& s : sizes) EXPECT_EQ(videoMatrix(s.w, s.h), s.m) << s.w << "x" << s.h;

    EXPECT_EQ(parseMatrixChoice("auto"), MatrixChoice::Auto);
    EXPECT_EQ(parseMatrixChoice("601"), MatrixChoice::BT601);
    EXPECT_EQ(parseMatrixChoice("BT.709"), MatrixChoice::BT709);
    EXPECT_EQ(parseMatrixChoice("2020"), std::nullopt);
    TIGSc sd;
    sd.video_width = 720;
    sd.video_height = 576;
    EXPECT_EQ(resolveMatrix(MatrixChoice::Auto, sd), ColourMatrix::BT601);
    EXPECT_EQ(resolveMatrix(MatrixChoice::BT709, sd), ColourMatrix::BT709);

    // Switching the matrix remakes the shown entries from Y, Cr, Cb, keeps
    // T, leaves entries without a display colour alone and switches back exactly.
    sd.palettes.resize(1);
    TIGpalette& p = sd.palettes[0];
    p.entries[1] = {63, 240, 102};
    p.colours[1] = ycrcb2rgb(63, 240, 102, 77, ColourMatrix::BT601);
    p.entries[2] = {100, 100, 100};  // listed by no PDS: not displayed
    const TIGpalette before = p;
    setColourMatrix(sd, ColourMatrix::BT709);
    EXPECT_EQ(sd.colour_matrix, ColourMatrix::BT709);
    EXPECT_EQ(p.colours[1], (TRGBA{255, 1, 0, 77}));
    EXPECT_TRUE(p.colours[2].zero());
    setColourMatrix(sd, ColourMatrix::BT601);
    EXPECT_EQ(p, before);
}

}  // namespace
