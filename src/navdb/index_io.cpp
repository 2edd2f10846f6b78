#include "navdb/index_io.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace navora {

namespace {

constexpr std::uint32_t kIndx = 0x494E4458;     // "INDX"
constexpr std::uint32_t kVersion1 = 0x30313030;  // "0100"
constexpr std::uint32_t kVersion2 = 0x30323030;  // "0200"

// First Playback and Top Menu: 12 bytes each.
TIndexEntry readEntry(ByteReader& in) {
    TIndexEntry e;
    e.object_type = static_cast<std::uint8_t>(in.readlword() >> 30);
    e.playback_type = static_cast<std::uint8_t>(in.readword() >> 14);
    if (e.object_type == 1) {
        e.mobj_id_ref = in.readword();
        in.skip(4);
    } else {
        e.bdjo_file_name = in.readstring(5);
        in.skip(1);
        e.mobj_id_ref = 0;  // not stored for BD-J; an entry read from the file is on
    }
    return e;
}

void writeEntry(ByteWriter& out, const TIndexEntry& e) {
    // An entry that is off has no BD-J form: it is written as HDMV with no object.
    const bool off = e.mobj_id_ref == kNoObject;
    const std::uint32_t type = off ? 1u : e.object_type;
    out.putlword((type & 3u) << 30);
    out.putword(static_cast<std::uint16_t>((e.playback_type & 3u) << 14));
    if (type == 1) {
        out.putword(e.mobj_id_ref);
        out.putzeros(4);
    } else {
        out.putstring(e.bdjo_file_name, 5);
        out.putzeros(1);
    }
}

}  // namespace

TooManyTitlesError::TooManyTitlesError(std::string file, std::uint64_t offset, std::uint32_t count)
    : FormatError(std::move(file), offset, fmt::format("{} titles, at most 999 are allowed", count)), count_(count) {}

TINDX readIndex(std::span<const std::uint8_t> data, const std::string& name,
                std::optional<std::size_t> movieObjectCount) {
    ByteReader in(data, name);
    TINDX x;
    const TypeAndVersion tv = readTypeAndVersion(in, "INDX");
    x.type_indicator = kIndx;
    x.version = tv.version == "0100" ? kVersion1 : kVersion2;

    x.indexes_start_address = in.readlword();
    x.extension_data_start_address = in.readlword();
    x.reserved = in.readbytes(24);
    x.app_info_length = in.readlword();
    x.app_info_flags = in.readword();
    x.content_provider = in.readstring(32);

    if (x.indexes_start_address != in.pos()) {
        if (x.indexes_start_address < in.pos())
            in.fail(fmt::format("Indexes start address ${:08X} points into the header", x.indexes_start_address));
        if (x.indexes_start_address > in.size())
            in.fail(fmt::format("Indexes start address ${:08X} lies beyond the end of the file ({} bytes)",
                                x.indexes_start_address, in.size()));
        x.spare_before_indexes = in.readbytes(x.indexes_start_address - in.pos());
    }

    TIndexes& ix = x.indexes;
    ix.length = in.readlword();
    ix.first_playback = readEntry(in);
    ix.top_menu = readEntry(in);
    if (movieObjectCount) {
        for (TIndexEntry* e : {&ix.first_playback, &ix.top_menu})
            if (e->object_type == 1 && e->mobj_id_ref != kNoObject && e->mobj_id_ref >= *movieObjectCount)
                e->mobj_id_ref = kNoObject;
    }

    const std::uint16_t count = in.readword();
    if (count > kMaxTitles) throw TooManyTitlesError(name, in.pos(), count);
    in.checkCount(count, 12, "titles");
    ix.titles.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        TTitle& t = ix.titles[i];
        t.title_number = static_cast<std::uint32_t>(i + 1);
        const std::uint32_t w = in.readlword();
        t.object_type = static_cast<std::uint8_t>(w >> 30);
        t.access_type = static_cast<std::uint8_t>((w >> 28) & 3u);
        t.playback_type = static_cast<std::uint8_t>(in.readword() >> 14);
        if (t.object_type == 1) {
            t.mobj_id_ref = in.readword();
            in.skip(4);
        } else {
            t.bdjo_file_name = in.readstring(5);
            in.skip(1);
        }
    }

    // The block is read where the titles end; a start address further on
    // leaves spare bytes in between, which are kept.
    const std::uint32_t extStart = x.extension_data_start_address;
    if (extStart == 0) {
        x.spare_after_titles = in.readbytes(in.remaining());
        return x;
    }
    if (extStart > in.size())
        in.fail(fmt::format("ExtensionData start address ${:08X} lies beyond the end of the file ({} bytes)", extStart,
                            in.size()));
    if (extStart > in.pos()) x.spare_after_titles = in.readbytes(extStart - in.pos());
    const std::size_t blockStart = in.pos();
    ReadExtensionData(in, x.ext);
    const std::uint64_t declared = std::uint64_t{x.ext.length} + 4;
    if (declared > in.size() - blockStart)
        throw FormatError(name, blockStart,
                          fmt::format("ExtensionData block cut short: {} bytes declared, {} present", declared,
                                      in.size() - blockStart));
    return x;
}

Bytes writeIndex(const TINDX& x) {
    const TIndexes& ix = x.indexes;
    if (ix.titles.size() > kMaxTitles)
        throw std::length_error(fmt::format("index.bdmv: {} titles, at most 999 can be written", ix.titles.size()));
    ByteWriter out;
    out.putlword(x.type_indicator);
    out.putlword(x.version);
    out.putlword(x.indexes_start_address);
    out.putlword(x.extension_data_start_address);
    out.putbytes(std::span(x.reserved).first(std::min<std::size_t>(x.reserved.size(), 24)));
    if (x.reserved.size() < 24) out.putzeros(24 - x.reserved.size());
    out.putlword(x.app_info_length);
    out.putword(x.app_info_flags);
    out.putstring(x.content_provider, 32);
    out.putbytes(x.spare_before_indexes);

    out.putlword(ix.length);
    writeEntry(out, ix.first_playback);
    writeEntry(out, ix.top_menu);
    out.putword(static_cast<std::uint16_t>(ix.titles.size()));
    for (const TTitle& t : ix.titles) {
        out.putlword(((t.object_type & 3u) << 30) | ((t.access_type & 3u) << 28));
        out.putword(static_cast<std::uint16_t>((t.playback_type & 3u) << 14));
        if (t.object_type == 1) {
            out.putword(t.mobj_id_ref);
            out.putzeros(4);
        } else {
            out.putstring(t.bdjo_file_name, 5);
            out.putzeros(1);
        }
    }
    out.putbytes(x.spare_after_titles);
    if (x.extension_data_start_address != 0) WriteExtensionData(out, x.ext);
    return out.take();
}

}  // namespace navora
