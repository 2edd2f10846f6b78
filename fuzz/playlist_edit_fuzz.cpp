// Arbitrary bytes as a playlist, then every structural edit and a chapter
// round trip on what the reader accepts: after each edit the model must still
// be writable and read back as itself, whatever spare room or odd offsets the
// file had.
#include "core/errors.h"
#include "core/log.h"
#include "playlist/chapters.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"

#include <cstdlib>
#include <stdexcept>

namespace {

using namespace navora;

void expectWritable(const TMPLS& m) {
    Bytes out;
    try {
        out = writePlaylist(m);
    } catch (const std::invalid_argument&) {
        std::abort();  // an edit left a length or address the writer cannot honour
    }
    if (!(readPlaylist(out, "edited") == m)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMPLS m;
    try {
        m = readPlaylist({data, size}, "fuzz");
        // Start from the normalised model (reserved bits zero).
        m = readPlaylist(writePlaylist(m), "fuzz");
    } catch (const FormatError&) {
        return 0;
    }
    Log log;
    const TMPLS original = m;
    for (std::size_t i = 0; i < m.PlayList.PlayItems.size() && i < 4; ++i)
        for (std::size_t k = 0; k < kStreamKindCount; ++k) {
            const auto kind = static_cast<StreamKind>(k);
            TMPLS x = m;
            if (const auto row = insertStream(x, i, kind, 0)) {
                expectWritable(x);
                // Taking the new stream out again restores the model.
                if (deleteStream(x, i, kind, *row) && !(x == m)) std::abort();
            }
            x = m;
            if (streamCount(x.PlayList.PlayItems[i].STN_table, kind) > 0 && deleteStream(x, i, kind, 0))
                expectWritable(x);
        }
    {
        TMPLS x = m;
        if (const auto at = insertSubPath(x, 0)) {
            expectWritable(x);
            deleteSubPath(x, *at);
            if (!(writePlaylist(x) == writePlaylist(m))) std::abort();
        }
        x = m;
        if (!x.PlayList.SubPaths.empty()) {
            deleteSubPath(x, 0);
            expectWritable(x);
        }
        x = m;
        if (!x.PlayList.SubPaths.empty() && !x.PlayList.SubPaths[0].SubPlayItems.empty()) {
            const bool multi = x.PlayList.SubPaths[0].SubPlayItems[0].is_multi_Clip_entries != 0;
            if (setSubPlayItemMulti(x, 0, 0, !multi)) expectWritable(x);
        }
    }
    {
        TMPLS x = m;
        if (insertMark(x, 0)) expectWritable(x);
        if (deleteMarks(x, 0, 2)) expectWritable(x);
    }
    try {
        TMPLS x = m;
        const std::string text = exportChapters(x, ChapterFormat::PTS, log);
        importChapters(x, text, ChapterFormat::PTS, log);
        expectWritable(x);
    } catch (const ChapterError&) {
    }
    if (!(m == original)) std::abort();
    return 0;
}
