// Arbitrary bytes as a menu, run in the preview: every page selected, started
// and drawn with every overlay on, the keys, activations, animation ticks and
// time-outs, the effect view and the palette chart. Nothing may read or
// write outside a picture, whatever the menu's positions, sizes and ids, and
// the picture cache never holds more than its budget.
//
// One emulator serves every input and draws small pages (the menu's video
// size is set to 64x36), inputs are capped at 16 KB, effects last at most a
// few frames, only drawn objects are decoded, objects of more than 4,096
// pixels are cut to that many lines (any width up to 4096 stays possible, and
// an object can still cover the page) and the cache runs with a budget of
// 16 KB, so that objects are decoded, drawn and dropped again, and the
// largest are never kept. What an input leaves behind (its menu, its
// pictures) is freed before it returns.
//
// The sizes keep the fuzzer quick: what it costs is pixels (every pixel loop
// is instrumented) and fresh memory (a picture of 128 KB or more is mapped
// anew under AddressSanitizer: page faults here and, when it is unmapped, TLB
// flushes that slow the fuzzer on the other core as well). Positions, sizes
// and ids reach every clipping case on a page of any size.
#include "core/errors.h"
#include "ig/load.h"
#include "menu_input.h"
#include "preview/emulator.h"
#include "preview/views.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::size_t kBudget = 16u << 10;
constexpr std::size_t kObjectPixelsLimit = 4096;
constexpr std::uint16_t kPageWidth = 64;
constexpr std::uint16_t kPageHeight = 36;
// At most about three frames.
constexpr std::uint32_t kMaxEffectDuration = 9000;

struct Preview {
    // The emulator keeps a pointer to the menu: it lives as long as the emulator.
    navora::TIGSc menu;
    navora::Log log;
    navora::NavMachine machine{log};
    navora::TestClock clock;
    navora::MenuEmulator emu{machine, clock, log};
    navora::PictureCache views{kBudget};
    navora::RgbaImage chart;

    Preview() {
        log.actiDelayMs = 0;
        emu.setRunLimits({1000});
        emu.renderer().pictures().setBudget(kBudget);
    }
};

void checkBudget(const navora::TObjectCache& cache) {
    if (cache.heldBytes() > cache.budget()) std::abort();
}

}  // namespace

extern "C" const char* __asan_default_options() { return navora::fuzz::kMenuAsanOptions; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    navora::fuzz::capInputLength(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Preview preview;
    navora::TIGSc& menu = preview.menu;
    try {
        menu = navora::loadMNU(navora::fuzz::menuInput(data, size), "fuzz");
    } catch (const navora::FormatError&) {
        return 0;
    }
    // Lines past the limit are codes the decoder reads and drops.
    for (navora::TIGobject& o : menu.objects)
        if (std::size_t{o.width} * o.height > kObjectPixelsLimit)
            o.height = static_cast<std::uint16_t>(kObjectPixelsLimit / o.width);
    menu.video_width = kPageWidth;
    menu.video_height = kPageHeight;
    for (navora::TPage& page : menu.pages)
        for (navora::Teffectseq& seq : page.effects)
            for (navora::Teffect& e : seq.effects) e.effect_duration = std::min(e.effect_duration, kMaxEffectDuration);

    navora::MenuEmulator& emu = preview.emu;
    navora::PictureCache& pictures = emu.renderer().pictures();
    preview.machine.ResetRegs();
    pictures.clear();
    navora::PreviewOptions options;
    options.cbButtonId = options.cbObjectId = options.cbButtonFrame = options.cbWindowFrame = true;
    // Only what is drawn is decoded (preloading converts every object of a page).
    options.cbPreLoad = false;
    emu.setOptions(options);
    emu.setMenu(&menu);
    const std::size_t pages = std::min<std::size_t>(menu.pages.size(), 4);
    for (std::size_t p = 0; p < pages; ++p) {
        emu.selectPage(static_cast<int>(p));
        emu.start();
        for (navora::NavKey k : {navora::NavKey::Up, navora::NavKey::Right, navora::NavKey::Down, navora::NavKey::Left})
            emu.key(k);
        emu.activate();
        emu.tick();
        emu.timeout();
        emu.mouseMove(100, 100);
        emu.mouseDown(100, 100);
        options.cbAnimate = !options.cbAnimate;
        emu.setOptions(options);
        if (emu.page() >= 0) {
            const navora::TPage& page = menu.pages[static_cast<std::size_t>(emu.page())];
            for (const navora::Teffectseq& seq : page.effects)
                for (std::size_t e = 0; e < std::min<std::size_t>(seq.effects.size(), 4); ++e)
                    for (std::size_t c = 0; c < std::min<std::size_t>(seq.effects[e].composition_objects.size(), 4); ++c)
                        emu.renderer().EffPreview(seq, e, c);
        }
        checkBudget(pictures);
    }
    preview.views.clear();
    for (std::size_t o = 0; o < std::min<std::size_t>(menu.objects.size(), 2); ++o)
        navora::ShowButtonPic(menu, preview.views, o, 0, options);
    checkBudget(preview.views);
    navora::drawPaletteChart(preview.chart, menu, 0, 0);
    // Nothing of this input stays for the next: an input that leaves more
    // allocated than it found makes libFuzzer run it again to look for a leak.
    pictures.clear();
    preview.views.clear();
    menu = navora::TIGSc{};
    return 0;
}
