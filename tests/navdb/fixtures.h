#pragma once
// Hand-laid index.bdmv and MovieObject.bdmv files for the navdb tests. They
// are written field by field, independently of the writers under test.

#include "core/bytes.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace navora::test {

struct RawEntry {  // First Playback, Top Menu or a title
    std::uint8_t objectType = 1;
    std::uint8_t accessType = 0;  // titles only
    std::uint8_t playbackType = 0;
    std::uint16_t ref = 0;
    std::string bdjo;
};

struct RawIndex {
    std::string version = "0200";
    std::uint32_t indexesStart = 78;
    std::uint32_t extStart = 0;  // 0 = no block
    std::string provider;
    Bytes spareBeforeIndexes;
    RawEntry firstPlayback{1, 0, 1, 2, ""};
    RawEntry topMenu{1, 0, 1, 1, ""};
    std::vector<RawEntry> titles;
    std::uint16_t declaredTitles = 0xFFFF;  // 0xFFFF: the real count
    Bytes spareAfterTitles;
    Bytes extBlock;  // written after the spare bytes
};

inline void putEntry(ByteWriter& w, const RawEntry& e, bool title) {
    std::uint32_t head = std::uint32_t{e.objectType} << 30;
    if (title) head |= std::uint32_t{e.accessType} << 28;
    w.putlword(head);
    w.putword(static_cast<std::uint16_t>(e.playbackType << 14));
    if (e.objectType == 1) {
        w.putword(e.ref);
        w.putzeros(4);
    } else {
        w.putstring(e.bdjo, 5);
        w.putzeros(1);
    }
}

inline Bytes rawIndex(const RawIndex& r) {
    ByteWriter w;
    w.putstring("INDX", 4);
    w.putstring(r.version, 4);
    w.putlword(r.indexesStart);
    w.putlword(r.extStart);
    w.putzeros(24);
    w.putlword(34);
    w.putword(0);
    w.putstring(r.provider, 32);
    w.putbytes(r.spareBeforeIndexes);
    w.putlword(static_cast<std::uint32_t>(26 + 12 * r.titles.size()));
    putEntry(w, r.firstPlayback, false);
    putEntry(w, r.topMenu, false);
    w.putword(r.declaredTitles == 0xFFFF ? static_cast<std::uint16_t>(r.titles.size()) : r.declaredTitles);
    for (const auto& t : r.titles) putEntry(w, t, true);
    w.putbytes(r.spareAfterTitles);
    w.putbytes(r.extBlock);
    return w.take();
}

// An ExtensionData block with one entry and n data bytes.
inline Bytes rawExtBlock(std::size_t n) {
    ByteWriter w;
    w.putlword(static_cast<std::uint32_t>(8 + 12 + n));
    w.putlword(24);
    w.putzeros(3);
    w.putbyte(1);
    w.putword(0x1000), w.putword(0x0100), w.putlword(24), w.putlword(static_cast<std::uint32_t>(n));
    for (std::size_t i = 0; i < n; ++i) w.putbyte(static_cast<std::uint8_t>(0xA0 + i));
    return w.take();
}

struct RawObject {
    std::uint8_t resume = 0, menuCall = 0, titleSearch = 0;
    std::vector<std::array<std::uint32_t, 3>> commands;
};

struct RawMobj {
    std::string version = "0200";
    std::uint32_t extStart = 0;
    std::vector<RawObject> objects;
    Bytes spareAfterObjects;
    Bytes extBlock;
};

inline std::uint32_t rawMobjLength(const RawMobj& r) {
    std::uint32_t n = 6;
    for (const auto& o : r.objects) n += static_cast<std::uint32_t>(4 + 12 * o.commands.size());
    return n;
}

inline Bytes rawMobj(const RawMobj& r) {
    ByteWriter w;
    w.putstring("MOBJ", 4);
    w.putstring(r.version, 4);
    w.putlword(r.extStart);
    w.putzeros(28);
    w.putlword(rawMobjLength(r));
    w.putlword(0);
    w.putword(static_cast<std::uint16_t>(r.objects.size()));
    for (const auto& o : r.objects) {
        w.putword(static_cast<std::uint16_t>((o.resume << 15) | (o.menuCall << 14) | (o.titleSearch << 13)));
        w.putword(static_cast<std::uint16_t>(o.commands.size()));
        for (const auto& c : o.commands)
            for (std::uint32_t word : c) w.putlword(word);
    }
    w.putbytes(r.spareAfterObjects);
    w.putbytes(r.extBlock);
    return w.take();
}

}  // namespace navora::test
