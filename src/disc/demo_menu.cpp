#include "disc/demo_menu.h"

#include "clip/clipinfo_write.h"
#include "core/clock.h"
#include "core/fileio.h"
#include "core/streamcoding.h"
#include "disc/demo.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "ig/objects.h"
#include "ig/rle.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace navora {

namespace fs = std::filesystem;

namespace {

// --- Drawing ---

// Palette entries of the demo menu.
enum Ink : std::uint8_t {
    Clear = 0,
    Panel = 1,     // dark blue, translucent
    Lit = 2,       // lighter blue: selected
    Text = 3,      // white
    Gold = 4,      // activated
    Edge = 5,      // grey border
    Pulse0 = 6,    // 6..9: the border colours of the animated Play button
};

// 5x7 glyphs, one row per byte, bit 4 leftmost.
struct Glyph {
    char c;
    std::array<std::uint8_t, 7> rows;
};
constexpr Glyph kGlyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}}, {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}}, {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}}, {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
};

const Glyph* glyph(char c) {
    for (const Glyph& g : kGlyphs)
        if (g.c == c) return &g;
    return nullptr;  // a blank
}

// A rounded panel with a border and a centred label.
std::shared_ptr<const IndexedImage> panel(std::uint16_t w, std::uint16_t h, std::string_view label,
                                          std::uint8_t fill, std::uint8_t border, std::uint8_t ink, int scale) {
    auto img = std::make_shared<IndexedImage>(w, h);
    const int radius = std::min<int>(16, h / 3);
    const int thickness = 4;
    auto inside = [&](int x, int y, int inset) {
        const int r = radius - inset;
        const int dx = std::max({0, inset + radius - x, x - (w - 1 - inset - radius)});
        const int dy = std::max({0, inset + radius - y, y - (h - 1 - inset - radius)});
        return x >= inset && y >= inset && x < w - inset && y < h - inset && dx * dx + dy * dy <= r * r;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (inside(x, y, 0)) img->row(y)[x] = inside(x, y, thickness) ? fill : border;
    const int textWidth = static_cast<int>(label.size()) * 6 * scale - scale;
    const int left = (w - textWidth) / 2;
    const int top = (h - 7 * scale) / 2;
    for (std::size_t i = 0; i < label.size(); ++i) {
        const Glyph* g = glyph(label[i]);
        if (!g) continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g->rows[row] & (0x10 >> col))
                    for (int sy = 0; sy < scale; ++sy)
                        for (int sx = 0; sx < scale; ++sx) {
                            const int x = left + (static_cast<int>(i) * 6 + col) * scale + sx;
                            const int y = top + row * scale + sy;
                            if (x >= 0 && y >= 0 && x < w && y < h) img->row(y)[x] = ink;
                        }
    }
    return img;
}

// --- The menu ---

class MenuBuilder {
public:
    std::uint16_t object(std::shared_ptr<const IndexedImage> picture) {
        TIGobject o;
        o.object_id = static_cast<std::uint16_t>(menu.objects.size());
        o.width = picture->width;
        o.height = picture->height;
        o.picture = std::move(picture);
        menu.objects.push_back(std::move(o));
        return static_cast<std::uint16_t>(menu.objects.size() - 1);
    }

    // Normal, selected and activated pictures of a labelled button.
    std::array<std::uint16_t, 3> states(std::string_view label, std::uint16_t w = 360, std::uint16_t h = 80) {
        return {object(panel(w, h, label, Panel, Edge, Text, 4)), object(panel(w, h, label, Lit, Text, Text, 4)),
                object(panel(w, h, label, Gold, Text, Panel, 4))};
    }

    TIGSc menu;
};

TIGbutton button(std::uint16_t id, std::uint16_t x, std::uint16_t y, const std::array<std::uint16_t, 3>& objects,
                 std::initializer_list<TCommand> commands) {
    TIGbutton b;
    b.button_id = id;
    b.button_horizontal_position = x;
    b.button_vertical_position = y;
    b.upper_button_id_ref = b.lower_button_id_ref = b.left_button_id_ref = b.right_button_id_ref = id;
    b.normal_start_object_id_ref = b.normal_end_object_id_ref = objects[0];
    b.selected_start_object_id_ref = b.selected_end_object_id_ref = objects[1];
    b.activated_start_object_id_ref = b.activated_end_object_id_ref = objects[2];
    b.commands = commands;
    return b;
}

void link(TIGbutton& b, std::uint16_t up, std::uint16_t down, std::uint16_t left, std::uint16_t right) {
    b.upper_button_id_ref = up;
    b.lower_button_id_ref = down;
    b.left_button_id_ref = left;
    b.right_button_id_ref = right;
}

TBOG bog(TIGbutton b) {
    TBOG g;
    g.default_valid_button_id_ref = b.button_id;
    g.buttons = {std::move(b)};
    return g;
}

// SetButtonPage: button and page as immediate values.
TCommand setButtonPage(std::uint32_t buttonId, std::uint32_t page) {
    return TCommand{{0x51C00003, 0x80000000 | buttonId, 0x80000000 | page}};
}

TCompObject placed(std::uint16_t object, std::uint16_t x, std::uint16_t y) {
    TCompObject c;
    c.object_id_ref = object;
    c.composition_object_horizontal_position = x;
    c.composition_object_vertical_position = y;
    return c;
}

Teffect effect(std::uint32_t duration, std::uint8_t palette, TCompObject object) {
    Teffect e;
    e.effect_duration = duration;
    e.palette_id_ref = palette;
    e.composition_objects = {object};
    return e;
}

// Palette 0 at full strength; palettes 1 and 2 the same colours at a third
// and two thirds of their opacity, for fades.
void palettes(TIGSc& m) {
    const TRGBA colours[] = {{0, 0, 0, 0},        {16, 32, 96, 200},   {48, 96, 200, 230},   {255, 255, 255, 255},
                             {240, 190, 40, 255}, {150, 150, 160, 255}, {80, 200, 255, 255}, {120, 220, 255, 255},
                             {170, 235, 255, 255}, {120, 220, 255, 255}};
    for (int strength : {3, 1, 2}) {
        TIGpalette p;
        p.palette_id = static_cast<std::uint16_t>(m.palettes.size());
        for (std::uint8_t e = 0; e < std::size(colours); ++e) {
            TRGBA c = colours[e];
            c.T = static_cast<std::uint8_t>(c.T * strength / 3);
            // Display colours as the stream will give them back, in the
            // matrix of the HD video.
            setPaletteEntryYCrCb(p, e, rgb2ycrcb(c.R, c.G, c.B, m.colour_matrix), c.T, m.colour_matrix);
        }
        m.palettes.push_back(p);
    }
}

}  // namespace

TIGSc demoMenu() {
    MenuBuilder b;
    TIGSc& m = b.menu;
    m.video_width = 1920;
    m.video_height = 1080;
    m.frame_rate_id = 1;  // 23.976
    m.composition_state = CompositionState::EpochStart;
    m.stream_model = StreamModel::Multiplexed;
    m.user_interface_model = UserInterfaceModel::Normal;
    m.user_time_out_duration = static_cast<std::uint32_t>(secondsTo90k(60));
    m.in_time = static_cast<std::uint32_t>(secondsTo90k(600));
    m.colour_matrix = videoMatrix(m);
    palettes(m);

    // Page 0: the banner fades in through palettes 1, 2, 0 and wipes out
    // cropped; it stays as a button that no other button leads to.
    const std::uint16_t banner = b.object(panel(800, 120, "NAVORA DEMO", Panel, Edge, Text, 8));
    std::array<std::uint16_t, 3> play = b.states("PLAY");
    const std::uint16_t firstPulse = static_cast<std::uint16_t>(m.objects.size());
    for (std::uint8_t frame = 0; frame < 4; ++frame)
        b.object(panel(360, 80, "PLAY", Lit, static_cast<std::uint8_t>(Pulse0 + frame), Text, 4));
    const auto chapters = b.states("CHAPTERS");
    const auto audio = b.states("AUDIO");

    TPage main;
    main.page_id = 0;
    main.animation_frame_rate_code = 2;
    main.default_selected_button_id_ref = 0;
    main.palette_id_ref = 0;
    Teffectseq& in = main.effects[InEffects];
    in.number_of_windows = 1;
    in.windows[0] = {0, 560, 120, 800, 120};
    for (std::uint8_t p : {1, 2, 0}) in.effects.push_back(effect(9000, p, placed(banner, 560, 120)));
    Teffectseq& out = main.effects[OutEffects];
    out.number_of_windows = 1;
    out.windows[0] = in.windows[0];
    for (std::uint16_t keep : {80, 40}) {
        TCompObject c = placed(banner, 560, 120);
        c.flags = kObjectCropped;
        c.cropping_width = 800;
        c.cropping_height = keep;
        out.effects.push_back(effect(6000, 0, c));
    }
    TIGbutton playButton = button(0, 780, 500, play, {TCommand{{0x21810000, 1, 0}}});  // Jump Title 1
    playButton.selected_start_object_id_ref = firstPulse;
    playButton.selected_end_object_id_ref = static_cast<std::uint16_t>(firstPulse + 3);
    playButton.selected_repeat_flag = 1;
    link(playButton, 2, 1, 0, 0);
    TIGbutton chaptersButton = button(1, 780, 600, chapters, {setButtonPage(10, 1)});
    link(chaptersButton, 0, 2, 1, 1);
    TIGbutton audioButton = button(2, 780, 700, audio, {setButtonPage(20, 2)});
    link(audioButton, 1, 0, 2, 2);
    TIGbutton bannerButton = button(9, 560, 120, {banner, banner, banner}, {});
    main.BOGs = {bog(playButton), bog(chaptersButton), bog(audioButton), bog(bannerButton)};

    // Page 1: chapter links in a grid; the heading slides in.
    const std::uint16_t heading = b.object(panel(400, 60, "CHAPTERS", Clear, Clear, Text, 5));
    TPage chapterPage;
    chapterPage.page_id = 1;
    chapterPage.default_selected_button_id_ref = 10;
    Teffectseq& slide = chapterPage.effects[InEffects];
    slide.number_of_windows = 1;
    slide.windows[0] = {0, 0, 200, 1920, 60};
    for (std::uint16_t x : {160, 460, 760}) slide.effects.push_back(effect(6000, 0, placed(heading, x, 200)));
    for (std::uint16_t n = 0; n < 4; ++n) {
        const std::string label = "CHAPTER " + std::to_string(n + 1);
        const std::uint16_t id = static_cast<std::uint16_t>(10 + n);
        TIGbutton c = button(id, static_cast<std::uint16_t>(560 + 420 * (n % 2)),
                             static_cast<std::uint16_t>(400 + 120 * (n / 2)), b.states(label),
                             {TCommand{{0x22850000, n, 0}}});  // Link MK n
        c.button_numeric_select_value = static_cast<std::uint16_t>(n + 1);
        const std::uint16_t col = n % 2, row = n / 2;
        link(c, row == 0 ? 14 : static_cast<std::uint16_t>(id - 2), row == 1 ? 14 : static_cast<std::uint16_t>(id + 2),
             static_cast<std::uint16_t>(col == 0 ? id + 1 : id - 1), static_cast<std::uint16_t>(col == 0 ? id + 1 : id - 1));
        chapterPage.BOGs.push_back(bog(c));
    }
    const auto back = b.states("BACK");
    TIGbutton backButton = button(14, 780, 700, back, {setButtonPage(1, 0)});
    link(backButton, 12, 10, 14, 14);
    chapterPage.BOGs.push_back(bog(backButton));

    // Page 2: audio tracks; BACK acts as soon as it is selected.
    TPage audioPage;
    audioPage.page_id = 2;
    audioPage.default_selected_button_id_ref = 20;
    for (std::uint16_t n = 0; n < 2; ++n) {
        const std::uint16_t id = static_cast<std::uint16_t>(20 + n);
        TIGbutton t = button(id, 780, static_cast<std::uint16_t>(450 + 110 * n), b.states("TRACK " + std::to_string(n + 1)),
                             {TCommand{{0x51C00001, 0x80000000u | ((n + 1u) << 16), 0}},  // SetStream audio n + 1
                              setButtonPage(2, 0)});
        link(t, n == 0 ? 22 : 20, n == 0 ? 21 : 22, id, id);
        audioPage.BOGs.push_back(bog(t));
    }
    TIGbutton audioBack = button(22, 780, 700, back, {setButtonPage(2, 0)});
    audioBack.auto_action_flag = 1;
    link(audioBack, 21, 20, 22, 22);
    audioPage.BOGs.push_back(bog(audioBack));

    m.pages = {main, chapterPage, audioPage};
    for (const TPage& p : m.pages) m.page_buttons.push_back(buildButtonTable(p));
    return m;
}

std::vector<DemoEntryPoint> igEntryPoints(const Bytes& stream, std::uint16_t pid) {
    std::vector<DemoEntryPoint> points;
    for (std::size_t at = 0; at + kSourcePacket <= stream.size(); at += kSourcePacket) {
        const std::uint8_t* p = stream.data() + at + 4;  // the transport packet after the arrival time stamp
        if (p[0] != 0x47 || !(p[1] & 0x40) || (((p[1] & 0x1F) << 8) | p[2]) != pid) continue;
        std::size_t payload = 4;
        if (p[3] & 0x20) payload += 1 + std::size_t{p[4]};
        if (!(p[3] & 0x10) || payload + 14 > 188) continue;
        const std::uint8_t* pes = p + payload;
        if (pes[0] != 0 || pes[1] != 0 || pes[2] != 1 || !(pes[7] & 0x80)) continue;
        const std::uint64_t pts = (std::uint64_t{pes[9] & 0x0Eu} << 29) | (std::uint64_t{pes[10]} << 22) |
                                  (std::uint64_t{pes[11] & 0xFEu} << 14) | (std::uint64_t{pes[12]} << 7) |
                                  (pes[13] >> 1);
        if (points.empty() || pts > points.back().pts)
            points.push_back({static_cast<std::uint32_t>(at / kSourcePacket), pts});
    }
    return points;
}

Bytes demoMenuClipInfo(const Bytes& stream, std::uint32_t inTime) {
    const auto sourcePackets = static_cast<std::uint32_t>(stream.size() / kSourcePacket);
    TProgramStream ig;
    ig.stream_PID = kIgPid;
    ig.stream_coding_type = static_cast<std::uint8_t>(CodingType::IG);
    ig.language_code = "eng";
    // 48 Mbit/s; the STC sequence runs from a second before the menu to a minute after it (45 kHz).
    TCLPI clip = demoClipInfo("0200", 6000000, sourcePackets, kPcrPid, inTime / 2 - 45000, inTime / 2 + 60 * 45000,
                              kPmtPid, {ig});

    // CPI: an EP map of the IG PID. Players seek through it and some take a
    // clip without one for broken.
    const std::vector<DemoEntryPoint> points = igEntryPoints(stream, kIgPid);
    TCPI& cpi = clip.CPI;
    cpi.CPI_type = 1;  // EP map
    TEPStreamPID entry;
    entry.stream_PID = kIgPid;
    entry.EP_stream_type = 1;
    cpi.stream_PID_entries = {entry};
    TEP_map_fosPID& map = cpi.EP_maps.emplace_back();
    for (std::size_t i = 0; i < points.size(); ++i) {
        // The coarse entry holds PTS bits 32-19, the fine entry PTS bits 19-9 and the low 17 bits of the SPN.
        const std::uint64_t pts = points[i].pts;
        map.coarse.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint16_t>((pts >> 19) & 0x3FFF),
                              points[i].spn});
        map.fine.push_back({0, 1, static_cast<std::uint16_t>((pts >> 9) & 0x7FF), points[i].spn & 0x1FFFF});
    }
    return buildClipInfo(clip);
}

void writeDemoMenuClip(const fs::path& bdmv) {
    TIGSc menu = demoMenu();
    const Bytes stream = Mux(menu);
    saveAtomic(bdmv / "STREAM" / (std::string(kDemoMenuClip) + ".m2ts"), stream);
    saveAtomic(bdmv / "CLIPINF" / (std::string(kDemoMenuClip) + ".clpi"), demoMenuClipInfo(stream, menu.in_time));
}

}  // namespace navora
