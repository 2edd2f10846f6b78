// Menu preview: composing a page of 50 animated buttons and its animation
// ticks, and a corpus menu loaded, rendered and played through, as navora-cli
// menu render and menu play do it.

#include "ig/load.h"
#include "nav/machine.h"
#include "preview/emulator.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using namespace navora;

// 50 buttons of 160x60 in a 10 x 5 grid on a 1920x1080 page, each in a BOG
// of its own; each normal state repeats over 4 objects with soft edges
// (half-transparent border pixels), selected and activated over 2.
TIGSc animatedMenu() {
    TIGSc m;
    m.video_width = 1920;
    m.video_height = 1080;
    m.frame_rate_id = 1;
    TIGpalette pal;
    for (int e = 1; e < 256; ++e)
        pal.colours[static_cast<std::size_t>(e)] = {static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(255 - e),
                                                    static_cast<std::uint8_t>(e * 7), static_cast<std::uint8_t>(e < 16 ? 128 : 255)};
    m.palettes = {pal};
    for (std::uint16_t o = 0; o < 8; ++o) {
        auto pic = std::make_shared<IndexedImage>(160, 60);
        for (std::size_t y = 0; y < 60; ++y)
            for (std::size_t x = 0; x < 160; ++x) {
                const bool edge = x < 2 || y < 2 || x >= 158 || y >= 58;
                pic->row(y)[x] = static_cast<std::uint8_t>(edge ? 1 + o : 16 + (x + y + 20 * o) % 200);
            }
        TIGobject obj;
        obj.object_id = o;
        obj.width = 160;
        obj.height = 60;
        obj.object_data_length = 1;
        obj.picture = std::move(pic);
        m.objects.push_back(std::move(obj));
    }
    TPage page;
    page.animation_frame_rate_code = 1;
    page.default_selected_button_id_ref = 0;
    page.default_activated_button_id_ref = 0xFFFF;
    for (std::uint16_t id = 0; id < 50; ++id) {
        TIGbutton b;
        b.button_id = id;
        b.button_horizontal_position = static_cast<std::uint16_t>(40 + 185 * (id % 10));
        b.button_vertical_position = static_cast<std::uint16_t>(100 + 150 * (id / 10));
        b.upper_button_id_ref = b.lower_button_id_ref = id;
        b.left_button_id_ref = static_cast<std::uint16_t>(id == 0 ? 49 : id - 1);
        b.right_button_id_ref = static_cast<std::uint16_t>(id == 49 ? 0 : id + 1);
        b.normal_start_object_id_ref = 0;
        b.normal_end_object_id_ref = 3;
        b.normal_repeat_flag = 1;
        b.selected_start_object_id_ref = 4;
        b.selected_end_object_id_ref = 5;
        b.selected_repeat_flag = 1;
        b.activated_start_object_id_ref = 6;
        b.activated_end_object_id_ref = 7;
        b.commands = {TCommand{{0x50400003, 1, 1}}};
        TBOG bog;
        bog.default_valid_button_id_ref = id;
        bog.buttons = {b};
        page.BOGs.push_back(bog);
    }
    m.pages = {page};
    m.page_buttons = {buildButtonTable(m.pages[0])};
    return m;
}

struct Headless {
    Log log;
    NavMachine machine{log};
    TestClock clock;
    MenuEmulator emulator{machine, clock, log};
};

// DrawPage of the 50 buttons: the background, every button, the selected one.
void BM_ComposeAnimatedPage(benchmark::State& state) {
    const TIGSc menu = animatedMenu();
    auto h = std::make_unique<Headless>();
    PreviewOptions options;
    options.cbAnimate = true;
    h->emulator.setOptions(options);
    h->emulator.setMenu(&menu);
    h->emulator.selectPage(0);
    h->emulator.start();  // pictures made, selection set
    for (auto _ : state) {
        h->emulator.drawPage();
        benchmark::DoNotOptimize(h->emulator.picture().rgba.data());
    }
}
BENCHMARK(BM_ComposeAnimatedPage)->Unit(benchmark::kMillisecond);

// One expiry of the animation timer: the next frame of all 50 buttons.
void BM_AnimationTick50Buttons(benchmark::State& state) {
    const TIGSc menu = animatedMenu();
    auto h = std::make_unique<Headless>();
    PreviewOptions options;
    options.cbAnimate = true;
    h->emulator.setOptions(options);
    h->emulator.setMenu(&menu);
    h->emulator.selectPage(0);
    h->emulator.start();
    for (auto _ : state) {
        h->emulator.tick();
        benchmark::DoNotOptimize(h->emulator.picture().rgba.data());
    }
}
BENCHMARK(BM_AnimationTick50Buttons)->Unit(benchmark::kMillisecond);

// A corpus menu from its file: load, select the first page, Start, then every
// button of the page in turn to the right and an activation, as menu play does.
void playCorpusMenu(benchmark::State& state, const char* name) {
    const fs::path file = fs::path(NAVORA_CORPUS_DIR) / "igs" / name / (std::string(name) + ".mnu");
    if (!fs::exists(file)) {
        state.SkipWithError("corpus not found");
        return;
    }
    for (auto _ : state) {
        const TIGSc menu = loadMNUFile(file);
        auto h = std::make_unique<Headless>();
        h->emulator.setMenu(&menu);
        h->emulator.selectPage(0);
        h->emulator.start();
        for (std::size_t i = 0; i < h->emulator.renderer().states().size(); ++i) h->emulator.key(NavKey::Right);
        h->emulator.activate();
        benchmark::DoNotOptimize(h->emulator.picture().rgba.data());
    }
}
BENCHMARK_CAPTURE(playCorpusMenu, many, "libblu_many")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(playCorpusMenu, popup_hd, "libblu_popup_hd")->Unit(benchmark::kMillisecond);

}  // namespace
