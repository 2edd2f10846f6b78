// navora-cli menu render and menu play on corpus menus: the picture, the
// options and background switches, the JSON of each action, usage errors.

#include "core/bytes.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "ig/rle.h"
#include "ig/save.h"
#include "menus.h"
#include "preview/picture.h"
#include "preview/png.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <sstream>

using namespace navora;
using namespace navora::test;

namespace {

std::string menuFile(const std::string& name) { return (corpusDir() / "igs" / name / (name + ".mnu")).string(); }

std::vector<nlohmann::ordered_json> jsonLines(const std::string& out) {
    std::vector<nlohmann::ordered_json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::ordered_json::parse(line));
    return lines;
}

// A palette entry as a player shows it: the studio-range matrix in floating
// point (Kr, Kb: 0.2126, 0.0722 for BT.709; 0.299, 0.114 for BT.601).
std::array<int, 3> playerColour(const TYCrCb& v, ColourMatrix matrix) {
    const double Kr = matrix == ColourMatrix::BT709 ? 0.2126 : 0.299;
    const double Kb = matrix == ColourMatrix::BT709 ? 0.0722 : 0.114;
    const double Kg = 1 - Kr - Kb;
    const double y = (v.Y - 16) * 255.0 / 219.0, cr = (v.Cr - 128) * 255.0 / 224.0, cb = (v.Cb - 128) * 255.0 / 224.0;
    auto clip = [](double c) { return static_cast<int>(std::clamp(std::lround(c), 0L, 255L)); };
    return {clip(y + 2 * (1 - Kr) * cr), clip(y - 2 * (1 - Kb) * Kb / Kg * cb - 2 * (1 - Kr) * Kr / Kg * cr),
            clip(y + 2 * (1 - Kb) * cb)};
}

struct PixelCheck {
    std::size_t opaque = 0;    // opaque object pixels looked at
    int worst = 0;             // the largest channel difference from the player's colour
};

// Compares every opaque pixel of the objects the page shows after Start
// (each BOG's default valid button; the default selected one in its
// selected state) with the player's colour of its palette entry.
PixelCheck comparePage(const RgbaImage& page, TIGSc& m, ColourMatrix matrix) {
    PixelCheck r;
    const TPage& pg = m.pages.at(0);
    for (const TBOG& bog : pg.BOGs)
        for (const TIGbutton& b : bog.buttons) {
            if (b.button_id != bog.default_valid_button_id_ref) continue;
            const bool selected = b.button_id == pg.default_selected_button_id_ref;
            const std::size_t o = selected ? b.selected_start_object_id_ref : b.normal_start_object_id_ref;
            if (o >= m.objects.size()) continue;
            rle_decode(m, o);
            const IndexedImage& pic = *m.objects[o].picture;
            const TIGpalette& pal = m.palettes.at(pg.palette_id_ref);
            for (int y = 0; y < pic.height; ++y)
                for (int x = 0; x < pic.width; ++x) {
                    const std::uint8_t e = pic.row(static_cast<std::size_t>(y))[x];
                    if (pal.colours[e].T != 255) continue;
                    const auto want = playerColour(pal.entries[e], matrix);
                    const std::uint32_t got = pixelAt(page, b.button_horizontal_position + x, b.button_vertical_position + y);
                    const int have[3] = {int(got >> 24), int((got >> 16) & 0xFF), int((got >> 8) & 0xFF)};
                    for (int c = 0; c < 3; ++c) r.worst = std::max(r.worst, std::abs(have[c] - want[c]));
                    ++r.opaque;
                }
        }
    return r;
}

}  // namespace

TEST(CliMenuRender, PagesInTheVideosColourMatrix) {
    // HD: a corpus menu (its palette made for BT.709) shows as a BT.709
    // player shows it, unless --matrix asks for the other one.
    NAVORA_NEED_CORPUS("igs");
    TempDir tmp;
    auto render = [&](const std::string& file, const std::string& matrix) {
        const CliResult r = runCli({"menu", "render", file, "--actions", "start", "--matrix", matrix, "-o",
                                    (tmp / "page.png").string()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return readPngRgba(readFile(tmp / "page.png"), "page.png");
    };
    const std::string vert3 = menuFile("libblu_vert3");
    TIGSc hd = loadMNUFile(vert3);
    struct Case {
        std::string matrix;
        ColourMatrix expected, other;
    } cases[] = {{"auto", ColourMatrix::BT709, ColourMatrix::BT601}, {"709", ColourMatrix::BT709, ColourMatrix::BT601},
                 {"601", ColourMatrix::BT601, ColourMatrix::BT709}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.matrix);
        const RgbaImage page = render(vert3, c.matrix);
        const PixelCheck same = comparePage(page, hd, c.expected);
        EXPECT_GT(same.opaque, 10000u);
        EXPECT_LE(same.worst, 1);
        EXPECT_GE(comparePage(page, hd, c.other).worst, 5);
    }

    // SD: a 720x576 menu shows in BT.601.
    TIGSc sd = testMenu();
    sd.video_width = 720;
    sd.video_height = 576;
    for (int e = 1; e <= 41; ++e)
        setPaletteEntryYCrCb(sd.palettes[0], static_cast<std::uint8_t>(e),
                             {static_cast<std::uint8_t>(30 + 4 * e), static_cast<std::uint8_t>(60 + 3 * e),
                              static_cast<std::uint8_t>(200 - 3 * e)},
                             255);
    sd.pages[0].default_selected_button_id_ref = 0;
    writeFile(tmp / "sd.mnu", saveIGS(sd, IgsForm::Mnu));
    TIGSc sdLoaded = loadMNUFile(tmp / "sd.mnu");
    EXPECT_EQ(sdLoaded.colour_matrix, ColourMatrix::BT601);
    const RgbaImage page = render((tmp / "sd.mnu").string(), "auto");
    EXPECT_EQ(page.width, 720);
    const PixelCheck same = comparePage(page, sdLoaded, ColourMatrix::BT601);
    EXPECT_GT(same.opaque, 2000u);
    EXPECT_LE(same.worst, 1);
    EXPECT_GE(comparePage(page, sdLoaded, ColourMatrix::BT709).worst, 5);
}

TEST(CliMenuRender, DrawsThePageWithTheOptionsAndBackground) {
    NAVORA_NEED_CORPUS("igs");
    TempDir tmp;
    const std::string vert3 = menuFile("libblu_vert3");
    auto render = [&](std::vector<std::string> extra) {
        std::vector<std::string> args{"menu", "render", vert3, "--actions", "start", "-o", (tmp / "page.png").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return readPngRgba(readFile(tmp / "page.png"), "page.png");
    };
    // The default options: the built-in picture over navy, no frames.
    const RgbaImage plain = render({});
    ASSERT_EQ(plain.width, 1920);
    ASSERT_EQ(plain.height, 1080);
    EXPECT_EQ(pixelAt(plain, 0, 0), 0x000080FFu);
    EXPECT_NE(pixelAt(plain, 0, 1079), 0x000080FFu);  // shaded towards the bottom
    // Button 0 (selected) lies at (760, 600), 400x80.
    const RgbaImage framed = render({"--option", "cbButtonFrame=1", "--option", "colSelectedFrame=#FF0000"});
    EXPECT_EQ(pixelAt(framed, 760, 600), 0xFF0000FFu);
    EXPECT_EQ(pixelAt(framed, 1159, 679), 0xFF0000FFu);
    // The settings names and Windows colour values work as well (lowest byte red).
    const RgbaImage flat = render({"--transparent-builtin", "--option", "colBackground=0x302010", "--option", "ButtonFrame=0"});
    EXPECT_EQ(pixelAt(flat, 0, 1079), 0x102030FFu);
    EXPECT_EQ(pixelAt(flat, 0, 0), 0x102030FFu);
    // A background PNG over the colour.
    writeFile(tmp / "back.png", writePngRgba(makePicture(2, 2, rgb(255, 0, 0))));
    const RgbaImage back = render({"--background", (tmp / "back.png").string()});
    EXPECT_EQ(pixelAt(back, 1, 1), 0xFF0000FFu);
    EXPECT_EQ(pixelAt(back, 2, 0), 0x000080FFu);
}

TEST(CliMenuPlay, PrintsWhatEachActionDid) {
    NAVORA_NEED_CORPUS("igs");
    // vert3: button 2 runs "Move GPR100, 1" and "Call Title 3".
    CliResult r = runCli({"menu", "play", menuFile("libblu_vert3"), "--actions", "start,up,select,tick,timeout"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].dump(),
              R"({"key":"start","page":0,"selected":0,"enabled":[0,1,2],"activated":[],"shown":true,"left_menu":null,)"
              R"("page_switch":null,)"
              R"("gpr_changes":{},"psr":{"PSR0":1,"PSR1":255,"PSR2":268374015,"PSR3":1,"PSR4":65535,"PSR5":65535,)"
              R"("PSR6":0,"PSR7":0,"PSR10":0,"PSR11":0,"PSR43":0},"reports":[]})");
    EXPECT_EQ(lines[1]["selected"], 2);
    EXPECT_EQ(lines[2]["activated"], nlohmann::ordered_json::parse(R"([{"button":2,"lines":2}])"));
    EXPECT_EQ(lines[2]["gpr_changes"], nlohmann::ordered_json::parse(R"({"GPR100":1})"));
    EXPECT_EQ(lines[2]["reports"], nlohmann::ordered_json::parse(R"(["Call Title 3"])"));
    EXPECT_EQ(lines[2]["left_menu"], nlohmann::ordered_json::parse(R"({"button":2,"line":1,"command":"Call Title 3"})"));
    EXPECT_EQ(lines[2]["psr"]["PSR4"], 3);
    // Without "Animate buttons" the animation timer does not run; the user
    // time-out without a default activated button does nothing.
    for (std::size_t i : {3u, 4u}) {
        EXPECT_EQ(lines[i]["activated"].size(), 0u);
        EXPECT_EQ(lines[i]["selected"], 2);
    }

    // pages3: button 0 switches to page 1, button 10; page:2 chooses page 2
    // in the selector, and Start there makes it current.
    r = runCli({"menu", "play", menuFile("libblu_pages3"), "--actions", "start,select,page:2,start"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1]["page_switch"], nlohmann::ordered_json::parse(R"({"from":0,"to":1})"));
    EXPECT_EQ(lines[1]["selected"], 10);
    EXPECT_EQ(lines[1]["psr"]["PSR43"], 1);
    EXPECT_EQ(lines[2]["page"], 2);
    EXPECT_EQ(lines[2]["psr"]["PSR11"], 1);
    EXPECT_EQ(lines[3]["selected"], 21);
    EXPECT_EQ(lines[3]["psr"]["PSR11"], 2);

    // popup_hd: the user time-out activates default activated button 2 (once
    // the pop-up key has shown the menu); psr10 types a selection.
    r = runCli({"menu", "play", menuFile("libblu_popup_hd"), "--actions",
                "timeout,start,popup,timeout,popup,psr10:4,right"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0]["activated"].size(), 0u);  // not started: no timer
    EXPECT_EQ(lines[3]["activated"], nlohmann::ordered_json::parse(R"([{"button":2,"lines":3}])"));
    EXPECT_EQ(lines[3]["gpr_changes"], nlohmann::ordered_json::parse(R"({"GPR1":1})"));
    EXPECT_EQ(lines[3]["reports"], nlohmann::ordered_json::parse(R"(["Link MK 0","Pop up Menu Off"])"));
    EXPECT_EQ(lines[5]["selected"], 4);
    EXPECT_EQ(lines[6]["selected"], 1);

    // togglebog: button 1 disables itself, enables button 2 of its BOG and selects it.
    r = runCli({"menu", "play", menuFile("libblu_togglebog"), "--actions", "start,select"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0]["enabled"], nlohmann::ordered_json::parse("[1,3]"));
    EXPECT_EQ(lines[1]["enabled"], nlohmann::ordered_json::parse("[2,3]"));
    EXPECT_EQ(lines[1]["selected"], 2);
    EXPECT_EQ(lines[1]["psr"]["PSR1"], 2);  // SetStream: primary audio 2
}

TEST(CliMenuPlay, PlayerKeysAndArithmetic) {
    NAVORA_NEED_CORPUS("igs");
    // The pop-up key: the pop-up menu stays hidden after Start, keys do
    // nothing until the key shows it; its PopUpMenu Off and the next key hide it.
    CliResult r = runCli({"menu", "play", menuFile("libblu_popup_hd"), "--actions",
                          "start,right,popup,right,select,popup,popup"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 7u);
    const bool shown[] = {false, false, true, true, false, true, false};
    const int selected[] = {0xFFFF, 0xFFFF, 1, 2, 2, 1, 1};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(lines[i]["shown"], shown[i]) << i;
        EXPECT_EQ(lines[i]["selected"], selected[i]) << i;
    }
    EXPECT_EQ(lines[4]["activated"], nlohmann::ordered_json::parse(R"([{"button":2,"lines":3}])"));
    EXPECT_EQ(lines[4]["left_menu"], nullptr);  // Link MK stays in the playlist
    // The picture: the panel (button 0 at 260,600) shows only while the menu does.
    TempDir tmp;
    auto panel = [&](const std::string& actions) {
        const CliResult c = runCli({"menu", "render", menuFile("libblu_popup_hd"), "--actions", actions,
                                    "--transparent-builtin", "-o", (tmp / "p.png").string()});
        EXPECT_EQ(c.exitCode, 0) << c.err;
        return pixelAt(readPngRgba(readFile(tmp / "p.png"), "p.png"), 960, 720);
    };
    EXPECT_EQ(panel("start"), 0x000080FFu);
    EXPECT_NE(panel("start,popup"), 0x000080FFu);
    EXPECT_EQ(panel("start,popup,popup"), 0x000080FFu);
    // Pop-up key on an always-on menu does nothing.
    r = runCli({"menu", "play", menuFile("libblu_vert3"), "--actions", "start,popup"});
    lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]["shown"], true);

    // Number keys select the button whose numeric_select_value matches
    // (vert3: buttons 0, 1, 2 answer 1, 2, 3); a digit nobody answers changes nothing.
    r = runCli({"menu", "play", menuFile("libblu_vert3"), "--actions", "start,3,7,1,select"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1]["selected"], 2);
    EXPECT_EQ(lines[2]["selected"], 2);
    EXPECT_EQ(lines[3]["selected"], 0);
    EXPECT_EQ(lines[3]["activated"].size(), 0u);  // no auto action: selected only
    EXPECT_EQ(lines[4]["left_menu"], nlohmann::ordered_json::parse(R"({"button":0,"line":0,"command":"Jump Title 1"})"));

    // many: button 0 subtracts 1 from GPR13 = 0; players keep 0 (no wrap to 4294967295).
    r = runCli({"menu", "play", menuFile("libblu_many"), "--actions", "start,select"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]["gpr_changes"], nlohmann::ordered_json::parse(R"({"GPR10":1})"));
}

TEST(CliMenuPlay, RefusesBadActionsAndOptions) {
    NAVORA_NEED_CORPUS("igs");
    const std::string vert3 = menuFile("libblu_vert3");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{"menu", "play", vert3, "--actions", "start,jump"}, 2, "unknown action 'jump'"},
        {{"menu", "play", vert3, "--actions", "page:x"}, 2, "'page:x' needs a number"},
        {{"menu", "play", vert3, "--actions", "page:1"}, 2, "'page:1': the menu has 1 page"},
        {{"menu", "play", vert3, "--actions", "start", "--option", "cbShowNothing=1"}, 2, "unknown option 'cbShowNothing'"},
        {{"menu", "play", vert3, "--actions", "start", "--option", "cbAnimate=maybe"}, 2, "is not 1 or 0"},
        {{"menu", "play", vert3, "--actions", "start", "--option", "colWindow=#12345"}, 2, "is not a colour"},
        {{"menu", "play", vert3}, 2, "--actions"},
        {{"menu", "play", "/nonexistent.mnu", "--actions", "start"}, 1, "/nonexistent.mnu"},
    };
    for (const Case& c : cases) {
        const CliResult r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}
