// Arbitrary bytes as a menu, run in the preview: every page selected, started
// and drawn with every overlay on, the keys, activations, animation ticks and
// time-outs, the effect view and the palette chart. Nothing may read or
// write outside a picture, whatever the menu's positions, sizes and ids, and
// the picture cache never holds more than its budget.
//
// One emulator serves every input and draws small pages (the menu's video
// size is set to 320x180), inputs are capped at 16 KB, effects last at most a
// few frames, only drawn objects are decoded, and the cache runs with a small
// budget, so that large objects are decoded, drawn and dropped again.
#include "core/errors.h"
#include "ig/load.h"
#include "menu_input.h"
#include "preview/emulator.h"
#include "preview/views.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::size_t kBudget = 24u << 20;
// libFuzzer fails any single allocation of 16 MB or more: the display
// picture of an object of 4 M pixels or more would be one.
constexpr std::size_t kObjectPixelsLimit = 4u << 20;
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
    for (const navora::TIGobject& o : menu.objects)
        if (std::size_t{o.width} * o.height >= kObjectPixelsLimit) return 0;
    menu.video_width = 320;
    menu.video_height = 180;
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
    navora::paletteChart(menu, 0, 0);
    return 0;
}
