#include "clip/clipinfo_edit.h"

#include "clip/clipinfo_io.h"
#include "core/errors.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace navora {

namespace {

// The header field that holds ExtensionData_start_address.
constexpr std::size_t kExtensionDataAddressOffset = 24;

void put32(Bytes& out, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

}  // namespace

bool setClipExtensionData(TCLPI& clip, const TExtensionData& block) {
    const std::uint32_t start =
        extDataStartAddress(ExtDataHost::ClipInfo, block, clip.ClipMark_start_address, clip.ClipMark_length);
    // The same block again changes nothing, not even how a file holds an empty one.
    if (clip.ExtensionData == block) return false;
    clip.ExtensionData = block;
    clip.ExtensionData_start_address = start;
    return true;
}

bool setSourcePackets(TCLPI& clip, std::uint64_t count) {
    if (count > 0xFFFFFFFFu)
        throw std::out_of_range(fmt::format("{} source packets do not fit the 32-bit packet count", count));
    if (clip.ClipInfo.number_of_source_packets == count) return false;
    clip.ClipInfo.number_of_source_packets = static_cast<std::uint32_t>(count);
    return true;
}

Bytes writeClipInfo(std::span<const std::uint8_t> base, const TCLPI& clip, const std::string& name) {
    const TCLPI old = readClipInfo(base, name);
    Bytes out = patchSourcePackets(base, clip.ClipInfo.number_of_source_packets, name);
    if (old.ExtensionData == clip.ExtensionData) return out;

    // The block ends the file: the old one is cut away and the new one put in
    // its place; a file without one gets it where ClipMark ends.
    std::uint64_t cut = old.ExtensionData_start_address;
    if (cut == 0) {
        const std::uint64_t clipMarkEnd = std::uint64_t{old.ClipMark_start_address} + 4 + old.ClipMark_length;
        if (clipMarkEnd != base.size())
            throw FormatError(name, static_cast<std::size_t>(std::min<std::uint64_t>(clipMarkEnd, base.size())),
                              fmt::format("{} bytes follow ClipMark without an ExtensionData block; a new block "
                                          "would overwrite them",
                                          base.size() > clipMarkEnd ? base.size() - clipMarkEnd : 0));
        cut = clipMarkEnd;
    }
    // An empty block is written (as its zero length) only where the model
    // keeps a start address for it, as some files hold one.
    const bool written = clip.ExtensionData.length != 0 || clip.ExtensionData_start_address != 0;
    const std::uint32_t start = written ? static_cast<std::uint32_t>(cut) : 0;
    out.resize(static_cast<std::size_t>(cut));
    if (written) {
        ByteWriter w;
        WriteExtensionData(w, clip.ExtensionData);
        out.insert(out.end(), w.bytes().begin(), w.bytes().end());
    }
    put32(out, kExtensionDataAddressOffset, start);
    return out;
}

}  // namespace navora
