// The page renderer against pictures composed by the test: button states,
// overlays, a cropped composition object in a timed effect, animations over
// ticks, erasing buttons, backgrounds, and the object and palette views.

#include "core/errors.h"
#include "menus.h"
#include "preview/emulator.h"
#include "preview/png.h"
#include "preview/views.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

using namespace navora;
using namespace navora::test;

namespace {

constexpr Colour kBack = rgb(10, 20, 30);

// Every status panel 1 text.
class PanelLog : public LogView {
public:
    void appendLine(const MarkedLine&) override {}
    void setPanel(int panel, const std::string&, const std::string& plain) override {
        if (panel == 1) texts.push_back(plain);
    }
    std::vector<std::string> texts;
};

// Copies of the page picture at every forced repaint.
class Repaints : public PreviewEvents {
public:
    explicit Repaints(const PageRenderer& r) : renderer_(r) {}
    void repaintNow() override { shots.push_back(renderer_.pagePicture()); }
    std::vector<RgbaImage> shots;

private:
    const PageRenderer& renderer_;
};

class Render : public ::testing::Test {
protected:
    void SetUp() override {
        log.setView(&panels);
        log.actiDelayMs = 0;
        options.colBackground = kBack;
        options.cbInEffect = true;
        emu.setOptions(options);
        emu.renderer().setBuiltInTransparent(true);
        emu.setEvents(&repaints);
        emu.setMenu(&menu);
        emu.selectPage(0);
    }
    void setOptions() { emu.setOptions(options); }
    // The expected page: the background and the normal objects of buttons 0, 1, 2.
    Expected basePage() const {
        Expected e(kVideoWidth, kVideoHeight, kBack);
        e.blend(menu, 0, 0, 20, 20);
        e.blend(menu, 5, 0, 100, 20);
        e.blend(menu, 8, 0, 20, 100);
        return e;
    }
    // The button area at (x, y) of the picture shows object o over the background.
    ::testing::AssertionResult shows(const RgbaImage& pic, std::size_t o, int x, int y) const {
        const IndexedImage& obj = *menu.objects[o].picture;
        Expected e(kVideoWidth, kVideoHeight, kBack);
        e.blend(menu, o, 0, x, y);
        for (int j = y; j < y + obj.height; ++j)
            for (int i = x; i < x + obj.width; ++i)
                if ((pixelAt(pic, i, j) >> 8) != e.px[static_cast<std::size_t>(j) * kVideoWidth + i])
                    return ::testing::AssertionFailure() << "object " << o << " differs at (" << i << ", " << j << ")";
        return ::testing::AssertionSuccess();
    }

    Log log;
    PanelLog panels;
    NavMachine machine{log};
    TestClock clock;
    TIGSc menu = testMenu();
    PreviewOptions options;
    MenuEmulator emu{machine, clock, log};
    Repaints repaints{emu.renderer()};
};

}  // namespace

TEST_F(Render, NormalSelectedAndActivatedStates) {
    EXPECT_EQ(emu.picture().width, kVideoWidth);
    EXPECT_EQ(emu.picture().height, kVideoHeight);
    // Nothing selected: every enabled button in its normal state.
    emu.drawPage();
    EXPECT_EQ(firstDifference(emu.picture(), basePage()), "");
    EXPECT_EQ(panels.texts.back(), "PSR10: FFFF (65535), PSR11: 00 (0)");
    EXPECT_EQ(machine.psr(43), 0u);

    // Button 1 selected: its selected object replaces the normal one.
    machine.setPsr(10, 1);
    emu.renderer().DrawSButton();
    Expected selected(kVideoWidth, kVideoHeight, kBack);
    selected.blend(menu, 0, 0, 20, 20);
    selected.blend(menu, 6, 0, 100, 20);
    selected.blend(menu, 8, 0, 20, 100);
    EXPECT_EQ(firstDifference(emu.picture(), selected), "");

    // Activated with "Animate buttons" off: the whole sequence 2, 3, 4 of
    // button 0, one animation period (41 ms) each, then the selected state again.
    machine.setPsr(10, 0);
    emu.renderer().DrawSButton();
    const std::int64_t before = clock.nowMs();
    emu.activate();
    EXPECT_EQ(clock.nowMs() - before, 3 * 41);
    ASSERT_EQ(repaints.shots.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(shows(repaints.shots[i], 2 + i, 20, 20)) << i;
    EXPECT_TRUE(shows(emu.picture(), 1, 20, 20));
    EXPECT_EQ(machine.gpr(100), 1u);
}

TEST_F(Render, OverlaysAndTheirColours) {
    options.cbButtonId = options.cbObjectId = options.cbButtonFrame = true;
    options.colNormalButton = rgb(250, 250, 250);
    options.colSelectedButton = rgb(250, 250, 0);
    options.colInvalidButton = rgb(120, 120, 120);
    options.colNormalFrame = rgb(0, 200, 0);
    options.colSelectedFrame = rgb(200, 0, 0);
    options.colInvalidFrame = rgb(0, 0, 200);
    setOptions();
    buttonOf(menu, 0, 1).commands.clear();  // button 1 has no commands
    machine.setPsr(10, 0);
    emu.drawPage();

    Expected e(kVideoWidth, kVideoHeight, kBack);
    auto label = [&](int x, int y, const std::string& text, Colour c) {
        e.fill(x, y, 27, 11, c);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const int digit = std::stoi(text.substr(i, 1), nullptr, 16);
            for (int gy = 0; gy < 7; ++gy)
                for (int gx = 0; gx < 5; ++gx)
                    if (glyphPixel(digit, gx, gy)) e.fill(x + 2 + 6 * static_cast<int>(i) + gx, y + 2 + gy, 1, 1, 0);
        }
    };
    // id label at (x + 3, y + 3), object label at (x + w - 28, y + h - 16), frame on the object.
    auto button = [&](std::size_t o, int x, int y, std::uint16_t id, std::uint16_t normalStart, Colour box, Colour frame) {
        e.fill(x, y, 40, 20, kBack);
        e.blend(menu, o, 0, x, y);
        label(x + 3, y + 3, fmt::format("{:04X}", id), box);
        label(x + 40 - 28, y + 20 - 16, fmt::format("{:04X}", normalStart), box);
        e.frame(x, y, 40, 20, frame);
    };
    button(0, 20, 20, 0, 0, options.colNormalButton, options.colNormalFrame);
    button(5, 100, 20, 1, 5, options.colInvalidButton, options.colInvalidFrame);
    button(8, 20, 100, 2, 8, options.colNormalButton, options.colNormalFrame);
    // The selected state of button 0 names its normal start object, not object 1.
    button(1, 20, 20, 0, 0, options.colSelectedButton, options.colSelectedFrame);
    EXPECT_EQ(firstDifference(emu.picture(), e), "");

    // Without commands the selected state keeps the invalid colours.
    machine.setPsr(10, 1);
    emu.renderer().DrawSButton();
    button(6, 100, 20, 1, 5, options.colInvalidButton, options.colInvalidFrame);
    EXPECT_EQ(firstDifference(emu.picture(), e), "");
}

TEST_F(Render, CroppedCompositionObjectInATimedEffect) {
    Teffectseq& in = menu.pages[0].effects[InEffects];
    in.number_of_windows = 1;
    in.windows[0] = {0, 90, 40, 80, 50};
    Teffect effect;
    effect.effect_duration = 90000;
    TCompObject c{12, 0, kObjectCropped, 100, 50, 8, 4, 40, 20};
    TCompObject noWindow{0, 1, 0, 0, 0};  // names no window: skipped
    effect.composition_objects = {c, noWindow};
    in.effects = {effect};
    options.cbButtonFrame = options.cbWindowFrame = true;
    options.colWindow = rgb(0, 255, 0);
    options.colNormalButton = rgb(255, 0, 255);
    setOptions();
    emu.menuChanged();

    const std::int64_t before = clock.nowMs();
    emu.drawPage();
    EXPECT_EQ(clock.nowMs() - before, 1000);
    ASSERT_EQ(repaints.shots.size(), 1u);
    Expected e(kVideoWidth, kVideoHeight, kBack);
    e.frame(90, 40, 80, 50, options.colWindow);
    e.blend(menu, 12, 0, 100, 50, 8, 4, 40, 20);
    e.frame(100, 50, 40, 20, options.colNormalButton);
    EXPECT_EQ(firstDifference(repaints.shots[0], e), "");
    EXPECT_NE(std::find(panels.texts.begin(), panels.texts.end(), "Effect: 0  duration: 1000ms, displayed: 1000 ms"),
              panels.texts.end());
    // Afterwards the window is restored and the buttons are drawn, each with its frame.
    Expected page = basePage();
    page.frame(20, 20, 40, 20, options.colNormalFrame);
    page.frame(100, 20, 40, 20, options.colNormalFrame);
    page.frame(20, 100, 40, 20, options.colNormalFrame);
    EXPECT_EQ(firstDifference(emu.picture(), page), "");

    // The effect view shows the same composition object on the object background.
    emu.renderer().EffPreview(in, 0, 0);
    Expected view(kVideoWidth, kVideoHeight, options.colObjectBackground);
    view.frame(90, 40, 80, 50, options.colWindow);
    view.blend(menu, 12, 0, 100, 50, 8, 4, 40, 20);
    view.frame(100, 50, 40, 20, options.colNormalButton);
    EXPECT_EQ(firstDifference(emu.renderer().effectView(), view), "");

    // Cropping rectangles that leave the object: the part inside the object
    // is drawn (none when the rectangle starts right of it), the frame is on
    // the whole rectangle.
    struct Crop {
        const char* what;
        TCompObject object;
        std::uint16_t drawnWidth, drawnHeight;
    };
    for (const Crop& k : {Crop{"reaching past the object", {12, 0, kObjectCropped, 100, 50, 50, 20, 30, 30}, 10, 10},
                          Crop{"starting right of the object", {12, 0, kObjectCropped, 100, 50, 70, 4, 30, 30}, 0, 0}}) {
        SCOPED_TRACE(k.what);
        Teffect cropped = effect;
        cropped.composition_objects = {k.object};
        in.effects.push_back(cropped);
        emu.renderer().clearEffectView();
        emu.renderer().EffPreview(in, in.effects.size() - 1, 0);
        Expected view(kVideoWidth, kVideoHeight, options.colObjectBackground);
        view.frame(90, 40, 80, 50, options.colWindow);
        if (k.drawnWidth > 0)
            view.blend(menu, 12, 0, 100, 50, k.object.cropping_horizontal_position, k.object.cropping_vertical_position,
                       k.drawnWidth, k.drawnHeight);
        view.frame(100, 50, k.object.cropping_width, k.object.cropping_height, options.colNormalButton);
        EXPECT_EQ(firstDifference(emu.renderer().effectView(), view), "");
    }
}

TEST_F(Render, AnimationsOverTicks) {
    // Button 2's normal state runs over objects 8..10; the timer fires every 41 ms.
    struct Case {
        std::uint8_t repeat;
        std::uint8_t code;
        std::vector<std::size_t> shown;  // after Start, then after each tick
    };
    const Case cases[] = {
        {0, 1, {8, 9, 10, 10, 10}},
        {1, 1, {8, 9, 10, 8, 9}},
        {1, 0, {8, 8, 8, 8, 8}},  // animation_frame_rate_code 0: nothing animates
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fmt::format("repeat {} code {}", c.repeat, c.code));
        buttonOf(menu, 0, 2).normal_repeat_flag = c.repeat;
        menu.pages[0].animation_frame_rate_code = c.code;
        options.cbAnimate = true;
        setOptions();
        emu.selectPage(0);
        emu.start();
        EXPECT_EQ(emu.animationTimer().fires(), c.code != 0);
        for (std::size_t step = 0; step < c.shown.size(); ++step) {
            EXPECT_TRUE(shows(emu.picture(), c.shown[step], 20, 100)) << "step " << step;
            advanceTime(emu, clock, 41);
        }
    }
}

TEST_F(Render, DelButtonKeepsAButtonWhoseBogHasAnEnabledButton) {
    emu.drawPage();
    const RgbaImage drawn = emu.picture();
    emu.renderer().DelButton(2);  // button 2 is its BOG's enabled button
    EXPECT_EQ(emu.picture(), drawn);

    // Buttons 0 and 1 in one BOG, 0 enabled: erasing 1 leaves the page as it was.
    TPage& page = menu.pages[0];
    page.BOGs[0].buttons.push_back(page.BOGs[1].buttons[0]);
    page.BOGs.erase(page.BOGs.begin() + 1);
    rebuildTables(menu);
    emu.menuChanged();
    emu.selectPage(0);
    emu.drawPage();
    const RgbaImage two = emu.picture();
    emu.renderer().DelButton(1);
    EXPECT_EQ(emu.picture(), two);

    // With nothing enabled in its BOG, a button's normal rectangle is erased.
    emu.setButtonEnabled(0, false);
    emu.renderer().DelButton(0);
    Expected e(kVideoWidth, kVideoHeight, kBack);
    e.blend(menu, 8, 0, 20, 100);
    EXPECT_EQ(firstDifference(emu.picture(), e), "");
}

TEST_F(Render, BackgroundPictures) {
    // The built-in picture shades the background colour; a transparent one leaves it.
    emu.renderer().setBuiltInTransparent(false);
    EXPECT_NE(pixelAt(emu.renderer().background(), 5, kVideoHeight - 1) >> 8, kBack);
    emu.renderer().setBuiltInTransparent(true);
    EXPECT_EQ(pixelAt(emu.renderer().background(), 5, kVideoHeight - 1) >> 8, kBack);

    // A PNG is drawn with its alpha over the colour, at the top-left corner.
    RgbaImage user = makePicture(4, 2, rgb(200, 100, 0));
    user.rgba[3] = 0;    // (0, 0) transparent
    user.rgba[7] = 128;  // (1, 0) half
    const RgbaImage png = readPngRgba(writePngRgba(user), "user.png");
    ASSERT_EQ(png, user);
    emu.renderer().setUserBackground(png, true);
    const RgbaImage& bg = emu.renderer().background();
    EXPECT_EQ(pixelAt(bg, 0, 0) >> 8, kBack);
    EXPECT_EQ(pixelAt(bg, 1, 0) >> 8, rgb((200 * 128 + 10 * 127 + 127) / 255, (100 * 128 + 20 * 127 + 127) / 255,
                                          (0 * 128 + 30 * 127 + 127) / 255));
    EXPECT_EQ(pixelAt(bg, 2, 1) >> 8, rgb(200, 100, 0));
    EXPECT_EQ(pixelAt(bg, 4, 0) >> 8, kBack);
    EXPECT_EQ(emu.picture(), bg);
    // A bitmap replaces the background: its alpha does not count.
    emu.renderer().setUserBackground(user, false);
    EXPECT_EQ(pixelAt(emu.renderer().background(), 0, 0), (rgb(200, 100, 0) << 8) | 0xFF);
    emu.renderer().clearUserBackground();
    EXPECT_EQ(pixelAt(emu.renderer().background(), 0, 0) >> 8, kBack);

    // A new background colour draws the page again on it.
    emu.drawPage();
    options.colBackground = rgb(1, 2, 3);
    setOptions();
    Expected redrawn(kVideoWidth, kVideoHeight, rgb(1, 2, 3));
    redrawn.blend(menu, 0, 0, 20, 20);
    redrawn.blend(menu, 5, 0, 100, 20);
    redrawn.blend(menu, 8, 0, 20, 100);
    EXPECT_EQ(firstDifference(emu.picture(), redrawn), "");

    // Files that are no picture, or too large, are refused with the file's name.
    EXPECT_THROW(readPngRgba(Bytes{1, 2, 3}, "bad.png"), FormatError);
    Bytes huge = writePngRgba(makePicture(1, 1, 0));
    huge[16] = 0x7F;  // IHDR width
    try {
        readPngRgba(huge, "huge.png");
        ADD_FAILURE() << "accepted";
    } catch (const FormatError& e) {
        EXPECT_EQ(e.file(), "huge.png");
    }
}

TEST(PageSize, FollowsTheVideoSize) {
    struct Case {
        std::uint16_t w, h;
        int pw, ph;
    };
    for (const Case& c : {Case{720, 480, 720, 480}, Case{1440, 1080, 1440, 1080}, Case{0, 1080, 1920, 1080},
                          Case{65535, 65535, 1920, 1080}}) {
        TIGSc m = testMenu();
        m.video_width = c.w;
        m.video_height = c.h;
        PageRenderer r;
        r.setMenu(&m);
        EXPECT_EQ(r.pagePicture().width, c.pw) << c.w;
        EXPECT_EQ(r.pagePicture().height, c.ph) << c.w;
        EXPECT_EQ(r.background().width, c.pw) << c.w;
    }
}

TEST(PageView, FitGeometryAndMouseMapping) {
    struct Case {
        int areaW, areaH, picW, picH;
        PixelRect shown;
    };
    const Case cases[] = {
        {962, 542, 1920, 1080, {1, 1, 960, 540}},
        {1002, 542, 1920, 1080, {21, 1, 960, 540}},    // wider: centred horizontally
        {962, 1002, 1920, 1080, {1, 231, 960, 540}},   // taller: centred vertically
        {1922, 1082, 1920, 1080, {1, 1, 1920, 1080}},
        {2, 2, 1920, 1080, {1, 1, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fitGeometry(c.areaW, c.areaH, c.picW, c.picH), c.shown) << c.areaW << "x" << c.areaH;
    // The centre of the view is the centre of the page.
    const PixelRect shown = fitGeometry(962, 542, 1920, 1080);
    EXPECT_EQ(viewToPage(481 - shown.x, 271 - shown.y, shown, 1920, 1080), (PagePoint{960, 540}));
    EXPECT_EQ(viewToPage(959, 539, shown, 1920, 1080), (PagePoint{1918, 1078}));
}

TEST(PaletteChart, ReadoutPositionsAndTexts) {
    TIGSc m = testMenu();
    m.palettes[0].colours[1] = {255, 0, 16, 200};
    struct Case {
        int x, y;
        std::optional<int> entry;
    };
    const Case cases[] = {
        {11, 11, 0},   {20, 11, 0},  {21, 11, 1},     {170, 170, 255}, {171, 170, std::nullopt},
        {10, 11, std::nullopt}, {11, 171, std::nullopt}, {181, 11, 0}, {340, 21, 31}, {175, 50, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(paletteReadout(m, 0, c.x, c.y).entry, c.entry) << c.x << "," << c.y;

    const PaletteReadout one = paletteReadout(m, 0, 25, 15);
    EXPECT_TRUE(one.hand);
    EXPECT_EQ(one.status,
              "Palette: 00 (0)      Color: 01 (1)      RGB: #FF0010  (255,0,16)      Opacity: C8 (200)      "
              "Transparency: 37 (55)  21%");
    // An entry with alpha 0 is 100 per cent transparent.
    EXPECT_EQ(paletteReadout(m, 0, 11, 11).status,
              "Palette: 00 (0)      Color: 00 (0)      RGB: #000000  (0,0,0)      Opacity: 00 (0)      "
              "Transparency: FF (255)  100%");
    // Outside the grids, or for a palette the menu lacks: the palette alone, the arrow.
    for (const PaletteReadout& r : {paletteReadout(m, 0, 5, 5), paletteReadout(m, 3, 25, 15)}) {
        EXPECT_FALSE(r.hand);
        EXPECT_EQ(r.status.substr(0, 9), "Palette: ");
        EXPECT_EQ(r.status.find("Color"), std::string::npos);
    }

    // The chart: cell 1 of the left grid at (20, 10) without its corners, its
    // colour inside; the right grid's cell white over the object background.
    const Colour silver = rgb(192, 192, 192);
    const RgbaImage chart = paletteChart(m, 0, silver);
    EXPECT_EQ(chart.width, 350);
    EXPECT_EQ(chart.height, 180);
    EXPECT_EQ(pixelAt(chart, 20, 10) >> 8, silver);  // corner
    EXPECT_EQ(pixelAt(chart, 21, 10) >> 8, 0u);      // black edge
    EXPECT_EQ(pixelAt(chart, 21, 11) >> 8, 0u);      // inner corner stays black
    EXPECT_EQ(pixelAt(chart, 24, 14) >> 8, rgb(255, 0, 16));
    const unsigned w = (255 * 200 + 192 * 55 + 127) / 255;
    EXPECT_EQ(pixelAt(chart, 194, 14) >> 8, rgb(w, w, w));
}

TEST(ObjectView, ShowsAnObjectAPaletteOrNothing) {
    TIGSc m = testMenu();
    m.objects[12].object_data_length = 12345;
    m.objects[12].object_id = 0x12;
    PictureCache cache;
    PreviewOptions o;
    const auto view = ShowButtonPic(m, cache, 12, 0, o, '.');
    ASSERT_TRUE(view);
    EXPECT_EQ(view->status, "Size: 60x30,  Object: 0012,  Palette: 00,  RLE pixel data: 12.345 (1.800)");
    EXPECT_TRUE(view->selectObjects);
    Expected e(60, 30, o.colObjectBackground);
    e.blend(m, 12, 0, 0, 0);
    EXPECT_EQ(firstDifference(view->picture, e), "");

    const auto none = ShowButtonPic(m, cache, kNoObjectRef, 0, o);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->status, "No object assigned");
    EXPECT_EQ(none->picture.width, 1);
    EXPECT_FALSE(ShowButtonPic(m, cache, 13, 0, o));
    o.cbPalOnly = true;
    const auto chart = ShowButtonPic(m, cache, 12, 0x1A, o);
    ASSERT_TRUE(chart);
    EXPECT_EQ(chart->status, "Palette: 1A (26)");
    EXPECT_EQ(chart->picture.width, kPaletteChartWidth);
}

TEST(AnimationPeriod, FrameRatesAndTheirFallback) {
    struct Case {
        std::uint8_t frameRateId, code;
        int ms;
    };
    const Case cases[] = {
        {1, 1, 41}, {2, 1, 41}, {3, 2, 80}, {4, 1, 33}, {6, 1, 20}, {7, 3, 50},
        {1, 0, 0},                             // code 0 never animates
        {0, 1, 41}, {5, 2, 83}, {15, 1, 41},  // no frame of their own: 23.976 Hz
    };
    for (const Case& c : cases)
        EXPECT_EQ(animationPeriodMs(c.frameRateId, c.code), c.ms) << int{c.frameRateId} << " x " << int{c.code};
}

TEST(StatePreview, PlaysTheStateOfTheColumn) {
    TIGSc m = testMenu();
    m.pages[0].animation_frame_rate_code = 2;
    TIGbutton b = *buttonById(m, 0, 2);  // normal 8..10, selected 11
    b.normal_repeat_flag = 1;
    const auto normalEnd = statePreview(m, 0, b, ButtonColumn::NormalEnd);
    ASSERT_TRUE(normalEnd);
    EXPECT_EQ(normalEnd->objects, (std::vector<std::uint16_t>{8, 9, 10}));
    EXPECT_EQ(normalEnd->frameMs, 83);
    EXPECT_TRUE(normalEnd->repeat);
    EXPECT_EQ(normalEnd->finally, 10);
    EXPECT_EQ(statePreview(m, 0, b, ButtonColumn::NormalStart)->finally, 8);
    b.activated_start_object_id_ref = 5;
    b.activated_end_object_id_ref = 4;  // end before start: nothing to play
    const auto activated = statePreview(m, 0, b, ButtonColumn::ActivatedStart);
    ASSERT_TRUE(activated);
    EXPECT_TRUE(activated->objects.empty());
    EXPECT_FALSE(activated->repeat);
    EXPECT_FALSE(statePreview(m, 0, b, ButtonColumn::SelectedSound));

    // A range running past the objects (end 0xFFFF from a file) plays only
    // the objects there are, rather than waiting on 65,536 frames.
    b.selected_start_object_id_ref = 11;
    b.selected_end_object_id_ref = 0xFFFF;
    const auto open = statePreview(m, 0, b, ButtonColumn::SelectedStart);
    ASSERT_TRUE(open);
    ASSERT_FALSE(open->objects.empty());
    EXPECT_EQ(open->objects.front(), 11);
    EXPECT_EQ(open->objects.back(), m.objects.size() - 1);
    EXPECT_EQ(open->finally, 11);
}

TEST(StatePreview, SoundOfTheColumn) {
    TIGbutton b;
    b.selected_state_sound_id_ref = 2;
    b.activated_state_sound_id_ref = 0xFF;
    struct Case {
        ButtonColumn column;
        std::size_t entries;
        std::optional<std::uint16_t> plays;
    };
    const Case cases[] = {
        {ButtonColumn::SelectedSound, 3, 2},
        {ButtonColumn::SelectedSound, 2, std::nullopt},     // beyond the entries of sound.bdmv
        {ButtonColumn::ActivatedSound, 3, std::nullopt},    // no sound
        {ButtonColumn::SelectedStart, 3, std::nullopt},     // not a sound column
    };
    for (const Case& c : cases)
        EXPECT_EQ(soundPreview(b, c.column, c.entries), c.plays) << static_cast<int>(c.column) << " " << c.entries;
}
