// Check-and-read of a large generated folder: 1,000 playlists and 1,000 clip
// information files with their stream files.

#include "disc/demo.h"
#include "core/log.h"
#include "disc/workspace.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

fs::path makeLargeDisc() {
    fs::path root = fs::temp_directory_path() / "navora-bench-disc";
    fs::remove_all(root);
    navora::makeDemoDisc(root);
    const fs::path bdmv = root / "BDMV";
    char name[16];
    for (int i = 0; i < 1000; ++i) {
        std::snprintf(name, sizeof name, "%05d", i);
        std::ofstream(bdmv / "PLAYLIST" / (std::string(name) + ".mpls")) << "MPLS0200";
        std::ofstream(bdmv / "CLIPINF" / (std::string(name) + ".clpi")) << "HDMV0200";
        std::ofstream(bdmv / "STREAM" / (std::string(name) + ".m2ts")) << std::string(192, 'G');
    }
    return bdmv;
}

void BM_CheckAndRead1000(benchmark::State& state) {
    static const fs::path bdmv = makeLargeDisc();
    navora::Log log;  // no view: measures the engine, not the rendering
    for (auto _ : state) {
        navora::Workspace ws;
        ws.folder = bdmv.string() + "/";
        benchmark::DoNotOptimize(ws.checkAndRead(log));
    }
}
BENCHMARK(BM_CheckAndRead1000)->Unit(benchmark::kMillisecond);

}  // namespace
