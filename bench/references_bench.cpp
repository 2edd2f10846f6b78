// The reference finder over a generated disc of 1,000 playlists (three
// PlayItems and a SubPath each) and 1,000 clips; the Play command search over
// 1,000 movie objects. Target: the clip search in under 100 ms.

#include "core/fileio.h"
#include "core/log.h"
#include "disc/references.h"
#include "playlist/playlist_io.h"

#include <benchmark/benchmark.h>

#include <fmt/format.h>

#include <filesystem>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
using namespace navora;

// A playlist of three PlayItems and one SubPath with one SubPlayItem, its
// length fields and start addresses set for the file it makes.
TMPLS makePlaylist(int n) {
    TMPLS pl;
    for (int j = 0; j < 3; ++j) {
        TPlayItem pi;
        pi.length = 48;  // 32 bytes of fields, then an empty STN_table (2 + 14)
        pi.Clip_Information_file_name = fmt::format("{:05}", (n * 3 + j) % 1000);
        pi.OUT_time = 45000;
        pl.PlayList.PlayItems.push_back(pi);
    }
    TSubPath sp;
    sp.SubPath_type = 5;
    TSubPlayItem spi;
    spi.Clip_Information_file_name = fmt::format("{:05}", (n + 500) % 1000);
    sp.SubPlayItems.push_back(spi);
    sp.number_of_SubPlayItems = 1;
    sp.length = 6 + 2 + spi.length;
    pl.PlayList.number_of_PlayItems = 3;
    pl.PlayList.number_of_SubPaths = 1;
    pl.PlayList.SubPaths.push_back(sp);
    pl.PlayList.length = 6 + 3 * (2 + 48) + 4 + sp.length;
    pl.PlayList_start_address = 58;
    pl.PlayListMark_start_address = 58 + 4 + pl.PlayList.length;
    if (pl.PlayListMark_start_address % 2) {
        ++pl.PlayListMark_start_address;
        pl.spare_after_PlayList = Bytes(1, 0);
    }
    return pl;
}

struct Disc {
    DiscPaths paths;
    std::vector<std::string> playlists, clips;
    ~Disc() {
        std::error_code ec;
        fs::remove_all(fs::path(paths.folder).parent_path().parent_path(), ec);
    }
};

const Disc& largeDisc() {
    static const Disc disc = [] {
        const fs::path root = fs::temp_directory_path() / "navora-bench-refs" / "BDMV";
        fs::remove_all(root.parent_path());
        fs::create_directories(root / "PLAYLIST");
        Disc d{{root.string() + "/", FileNameSet::make(false)}, {}, {}};
        for (int i = 0; i < 1000; ++i) {
            d.playlists.push_back(fmt::format("{:05}", i));
            d.clips.push_back(fmt::format("{:05}", i));
            const Bytes file = writePlaylist(makePlaylist(i));
            if (readPlaylist(file, "check") != makePlaylist(i)) throw std::logic_error("generated playlist does not read back");
            saveAtomic(d.paths.playlist(d.playlists.back()), file);
        }
        return d;
    }();
    return disc;
}

void BM_FindClipReferences1000Playlists(benchmark::State& state) {
    const Disc& d = largeDisc();
    Log log;  // no view: measures the engine, not the rendering
    for (auto _ : state) {
        const ClipReferenceSearch s = findClipReferences(log, d.paths, d.playlists, d.clips);
        if (!s.failures.empty() || s.refs[0].empty()) state.SkipWithError("unexpected search result");
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_FindClipReferences1000Playlists)->Unit(benchmark::kMillisecond);

void BM_FindPlaylistPlayers1000Objects(benchmark::State& state) {
    TMOBJ m;
    m.mobjs.objects.resize(1000);
    for (std::size_t i = 0; i < m.mobjs.objects.size(); ++i)
        for (std::uint32_t j = 0; j < 20; ++j) m.mobjs.objects[i].commands.push_back({{0x22800000, j * 50, 0}});
    for (auto _ : state) benchmark::DoNotOptimize(findPlaylistPlayers(m, 500));
}
BENCHMARK(BM_FindPlaylistPlayers1000Objects)->Unit(benchmark::kMicrosecond);

}  // namespace
