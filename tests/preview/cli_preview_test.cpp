// navora-cli menu render and menu play on corpus menus: the picture, the
// options and background switches, the JSON of each action, usage errors.

#include "core/bytes.h"
#include "preview/picture.h"
#include "preview/png.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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

}  // namespace

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
              R"({"key":"start","page":0,"selected":0,"enabled":[0,1,2],"activated":[],"page_switch":null,)"
              R"("gpr_changes":{},"psr":{"PSR0":1,"PSR1":255,"PSR2":268374015,"PSR3":1,"PSR4":65535,"PSR5":65535,)"
              R"("PSR6":0,"PSR7":0,"PSR10":0,"PSR11":0,"PSR43":0},"reports":[]})");
    EXPECT_EQ(lines[1]["selected"], 2);
    EXPECT_EQ(lines[2]["activated"], nlohmann::ordered_json::parse(R"([{"button":2,"lines":2}])"));
    EXPECT_EQ(lines[2]["gpr_changes"], nlohmann::ordered_json::parse(R"({"GPR100":1})"));
    EXPECT_EQ(lines[2]["reports"], nlohmann::ordered_json::parse(R"(["Call Title 3"])"));
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

    // popup_hd: the user time-out activates default activated button 2; psr10 types a selection.
    r = runCli({"menu", "play", menuFile("libblu_popup_hd"), "--actions", "timeout,start,timeout,psr10:4,right"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0]["activated"].size(), 0u);  // not started: no timer
    EXPECT_EQ(lines[2]["activated"], nlohmann::ordered_json::parse(R"([{"button":2,"lines":3}])"));
    EXPECT_EQ(lines[2]["gpr_changes"], nlohmann::ordered_json::parse(R"({"GPR1":1})"));
    EXPECT_EQ(lines[2]["reports"], nlohmann::ordered_json::parse(R"(["Link MK 0","Pop up Menu Off"])"));
    EXPECT_EQ(lines[3]["selected"], 4);
    EXPECT_EQ(lines[4]["selected"], 1);

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
