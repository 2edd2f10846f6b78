// Menu graphics: run-length decoding of menu-like objects (the cost of
// drawing a page) and loading the largest corpus menu with all its objects.

#include "core/fileio.h"
#include "disc/demo_menu.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "ig/rle.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

struct Coded {
    navora::IndexedImage picture;
    navora::Bytes coded;
};

void decodeAll(benchmark::State& state, std::vector<Coded>& objects) {
    std::int64_t pixels = 0;
    for (const Coded& c : objects) pixels += static_cast<std::int64_t>(c.picture.pixels.size());
    for (auto _ : state)
        for (Coded& c : objects) {
            benchmark::DoNotOptimize(navora::rleDecodeInto(c.coded, c.picture));
            benchmark::ClobberMemory();
        }
    state.SetItemsProcessed(state.iterations() * pixels);
    state.counters["Gpixel/s"] = benchmark::Counter(static_cast<double>(pixels) * 1e-9,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

std::vector<Coded> codedObjects(navora::TIGSc& menu) {
    navora::decodeAllObjects(menu);
    std::vector<Coded> out;
    for (const navora::TIGobject& o : menu.objects)
        if (o.picture) out.push_back({*o.picture, navora::rleEncode(*o.picture)});
    return out;
}

// The demo disc's menu: rounded panels with borders and pixel-font labels.
void BM_RleDecodeDemoObjects(benchmark::State& state) {
    navora::TIGSc menu = navora::demoMenu();
    std::vector<Coded> objects = codedObjects(menu);
    decodeAll(state, objects);
}
BENCHMARK(BM_RleDecodeDemoObjects);

fs::path largestMenu() { return fs::path(NAVORA_CORPUS_DIR) / "igs" / "libblu_many" / "libblu_many.mnu"; }

// Every object of the largest corpus menu, decoded from the compiler's own code.
void BM_RleDecodeCorpusObjects(benchmark::State& state) {
    if (!fs::exists(largestMenu())) {
        state.SkipWithError("corpus not found");
        return;
    }
    navora::TIGSc menu = navora::loadMNUFile(largestMenu());
    std::vector<Coded> objects;
    for (std::size_t o = 0; o < menu.objects.size(); ++o) {
        const navora::TIGobject& obj = menu.objects[o];
        objects.push_back({navora::IndexedImage(obj.width, obj.height), navora::objectCodedBytes(menu, o)});
    }
    decodeAll(state, objects);
}
BENCHMARK(BM_RleDecodeCorpusObjects);

// Reading the file, loading the menu and decoding every object.
void BM_LoadAndDecodeLargestMenu(benchmark::State& state) {
    if (!fs::exists(largestMenu())) {
        state.SkipWithError("corpus not found");
        return;
    }
    for (auto _ : state) {
        navora::TIGSc menu = navora::loadMNUFile(largestMenu());
        navora::decodeAllObjects(menu);
        benchmark::DoNotOptimize(menu.objects.back().picture->pixels.data());
    }
    state.SetLabel("libblu_many: 5 pages, 330 buttons, 670 objects");
}
BENCHMARK(BM_LoadAndDecodeLargestMenu)->Unit(benchmark::kMillisecond);

}  // namespace
