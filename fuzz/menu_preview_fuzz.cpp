// Arbitrary bytes as a menu, run in the preview: every page selected, started
// and drawn with every overlay on, the keys, activations, animation ticks and
// time-outs, the effect view and the palette chart. Nothing may read or
// write outside a picture, whatever the menu's positions, sizes and ids.
#include "core/errors.h"
#include "ig/load.h"
#include "preview/emulator.h"
#include "preview/views.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    navora::TIGSc menu;
    try {
        menu = navora::loadMNU({data, size}, "fuzz");
    } catch (const navora::FormatError&) {
        return 0;
    }
    // Very large pictures are valid but slow to decode; the decoder has its
    // own target.
    for (const navora::TIGobject& o : menu.objects)
        if (std::size_t{o.width} * o.height > (1u << 16)) return 0;

    navora::Log log;
    log.actiDelayMs = 0;
    navora::NavMachine machine(log);
    navora::TestClock clock;
    navora::MenuEmulator emu(machine, clock, log);
    emu.setRunLimits({1000});
    navora::PreviewOptions options;
    options.cbButtonId = options.cbObjectId = options.cbButtonFrame = options.cbWindowFrame = true;
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
    }
    navora::PictureCache cache;
    for (std::size_t o = 0; o < std::min<std::size_t>(menu.objects.size(), 8); ++o) navora::ShowButtonPic(menu, cache, o, 0, options);
    navora::paletteChart(menu, 0, 0);
    return 0;
}
