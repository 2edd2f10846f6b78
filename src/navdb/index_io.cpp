#include "navdb/index_io.h"

#include "core/bits.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace navora {

namespace {

constexpr std::uint32_t kIndx = 0x494E4458;     // "INDX"
constexpr std::uint32_t kVersion1 = 0x30313030;  // "0100"
constexpr std::uint32_t kVersion2 = 0x30323030;  // "0200"

// What a title or an entry starts, at the end of its 12 bytes: for HDMV the
// movie object reference and 32 reserved bits, otherwise the BD-J object
// file name and 8 reserved bits.
void readTarget(ByteReader& in, ObjectType type, std::uint16_t& mobjIdRef, std::string& bdjoFileName) {
    if (type == ObjectType::HDMV) {
        mobjIdRef = in.readword();
        in.skip(4);
    } else {
        bdjoFileName = in.readstring(5);
        in.skip(1);
    }
}

void writeTarget(ByteWriter& out, ObjectType type, std::uint16_t mobjIdRef, const std::string& bdjoFileName) {
    if (type == ObjectType::HDMV) {
        out.putword(mobjIdRef);
        out.putzeros(4);
    } else {
        out.putstring(bdjoFileName, 5);
        out.putzeros(1);
    }
}

// FirstPlayback and TopMenu: 12 bytes each.
TIndexEntry readEntry(ByteReader& in) {
    TIndexEntry e;
    BitReader bits(in);
    e.object_type = static_cast<ObjectType>(bits.bits(2));
    bits.skip(30);
    e.playback_type = static_cast<PlaybackType>(bits.bits(2));
    bits.skip(14);
    readTarget(in, e.object_type, e.mobj_id_ref, e.bdjo_file_name);
    // A BD-J entry stores no reference; one read from the file is on.
    if (e.object_type != ObjectType::HDMV) e.mobj_id_ref = 0;
    return e;
}

void writeEntry(ByteWriter& out, const TIndexEntry& e) {
    // An entry that is off has no BD-J form: it is written as HDMV with no object.
    const ObjectType type = e.mobj_id_ref == kNoObject ? ObjectType::HDMV : e.object_type;
    BitWriter bits(out);
    bits.put(2, static_cast<unsigned>(type));
    bits.zeros(30);
    bits.put(2, static_cast<unsigned>(e.playback_type));
    bits.zeros(14);
    writeTarget(out, type, e.mobj_id_ref, e.bdjo_file_name);
}

TTitle readTitle(ByteReader& in, std::size_t position) {
    TTitle t;
    t.title_number = static_cast<std::uint32_t>(position + 1);
    BitReader bits(in);
    t.object_type = static_cast<ObjectType>(bits.bits(2));
    t.access_type = static_cast<AccessType>(bits.bits(2));
    bits.skip(28);
    t.playback_type = static_cast<PlaybackType>(bits.bits(2));
    bits.skip(14);
    readTarget(in, t.object_type, t.mobj_id_ref, t.bdjo_file_name);
    return t;
}

void writeTitle(ByteWriter& out, const TTitle& t) {
    BitWriter bits(out);
    bits.put(2, static_cast<unsigned>(t.object_type));
    bits.put(2, static_cast<unsigned>(t.access_type));
    bits.zeros(28);
    bits.put(2, static_cast<unsigned>(t.playback_type));
    bits.zeros(14);
    writeTarget(out, t.object_type, t.mobj_id_ref, t.bdjo_file_name);
}

}  // namespace

std::uint16_t appInfoFlagsWord(const TAppInfoFlags& f) {
    return static_cast<std::uint16_t>((f.reserved_bit15 & 1) << 15 | (f.initial_output_mode_preference & 1) << 14 |
                                      (f.SS_content_exist_flag & 1) << 13 | (f.reserved_bit12 & 1) << 12 |
                                      (f.initial_dynamic_range_type & 0x0F) << 8 | (f.video_format & 0x0F) << 4 |
                                      (f.frame_rate & 0x0F));
}

TAppInfoFlags appInfoFlagsFromWord(std::uint16_t w) {
    TAppInfoFlags f;
    f.reserved_bit15 = static_cast<std::uint8_t>(w >> 15 & 1);
    f.initial_output_mode_preference = static_cast<std::uint8_t>(w >> 14 & 1);
    f.SS_content_exist_flag = static_cast<std::uint8_t>(w >> 13 & 1);
    f.reserved_bit12 = static_cast<std::uint8_t>(w >> 12 & 1);
    f.initial_dynamic_range_type = static_cast<std::uint8_t>(w >> 8 & 0x0F);
    f.video_format = static_cast<std::uint8_t>(w >> 4 & 0x0F);
    f.frame_rate = static_cast<std::uint8_t>(w & 0x0F);
    return f;
}

TooManyTitlesError::TooManyTitlesError(std::string file, std::uint64_t offset, std::uint32_t count)
    : FormatError(std::move(file), offset, fmt::format("{} titles, at most 999 are allowed", count)), count_(count) {}

TINDX readIndex(std::span<const std::uint8_t> data, const std::string& name,
                std::optional<std::size_t> movieObjectCount) {
    ByteReader in(data, name);
    TINDX x;
    const TypeAndVersion tv = readTypeAndVersion(in, "INDX", Versions::BDAndUHD);
    x.type_indicator = kIndx;
    x.version = tv.version == "0100" ? kVersion1 : tv.version == kUhdVersion ? kIndexVersionUhd : kVersion2;

    x.indexes_start_address = in.readlword();
    x.extension_data_start_address = in.readlword();
    x.reserved = in.readbytes(24);
    x.app_info_length = in.readlword();
    x.app_info_flags = appInfoFlagsFromWord(in.readword());
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
            if (e->object_type == ObjectType::HDMV && e->mobj_id_ref != kNoObject &&
                e->mobj_id_ref >= *movieObjectCount)
                e->mobj_id_ref = kNoObject;
    }

    const std::uint16_t count = in.readword();
    if (count > kMaxTitles) throw TooManyTitlesError(name, in.pos(), count);
    in.checkCount(count, 12, "titles");
    ix.titles.reserve(count);
    for (std::size_t i = 0; i < count; ++i) ix.titles.push_back(readTitle(in, i));

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
    ReadWholeExtensionData(in, x.ext);
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
    out.putword(appInfoFlagsWord(x.app_info_flags));
    out.putstring(x.content_provider, 32);
    out.putbytes(x.spare_before_indexes);

    out.putlword(ix.length);
    writeEntry(out, ix.first_playback);
    writeEntry(out, ix.top_menu);
    out.putword(static_cast<std::uint16_t>(ix.titles.size()));
    for (const TTitle& t : ix.titles) writeTitle(out, t);
    out.putbytes(x.spare_after_titles);
    if (x.extension_data_start_address != 0) WriteExtensionData(out, x.ext);
    return out.take();
}

}  // namespace navora
