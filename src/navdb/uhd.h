#pragma once
// The Ultra HD disc information of index.bdmv: the ExtensionData entry ID1 3 /
// ID2 1 that a "0300" index carries. The block stays the model's bytes; these
// functions read its named fields and write edited fields back into it.

#include "navdb/index.h"

#include <cstdint>
#include <optional>
#include <string>

namespace navora {

constexpr std::uint16_t kUhdDiscInfoID1 = 3;
constexpr std::uint16_t kUhdDiscInfoID2 = 1;

// HDR_flags bits: which dynamic ranges the disc holds.
constexpr std::uint8_t kHdrFlagSDR = 0x1;
constexpr std::uint8_t kHdrFlagHDR10 = 0x2;

// The entry: a 32-bit length (8), then disc_type (4 bits), 3 reserved bits,
// 4K_flag (1), 8 reserved bits, 3 reserved bits, HDR10plus_flag (1), a
// reserved bit, Dolby_Vision_flag (1), HDR_flags (2) and 40 reserved bits.
struct TUhdDiscInfo {
    std::uint8_t disc_type = 0;
    std::uint8_t exist_4k_flag = 0;
    std::uint8_t HDR10plus_flag = 0;
    std::uint8_t Dolby_Vision_flag = 0;
    std::uint8_t HDR_flags = 0;  // kHdrFlagSDR | kHdrFlagHDR10

    bool operator==(const TUhdDiscInfo&) const = default;
};

// The named fields of the entry; nothing when the block has no such entry or
// it is shorter than its 12 bytes (it is then kept as bytes only).
std::optional<TUhdDiscInfo> uhdDiscInfo(const TExtensionData& block);
inline std::optional<TUhdDiscInfo> uhdDiscInfo(const TINDX& index) { return uhdDiscInfo(index.ext); }

// Writes the named fields into the entry's bits; every other bit and byte of
// the block stays as it is. False (nothing changed) when there is no entry to
// write into.
bool setUhdDiscInfo(TExtensionData& block, const TUhdDiscInfo& info);
inline bool setUhdDiscInfo(TINDX& index, const TUhdDiscInfo& info) { return setUhdDiscInfo(index.ext, info); }

// "SDR", "HDR10", "SDR, HDR10" or "-" for the HDR_flags bits.
std::string hdrFlagsText(std::uint8_t HDR_flags);

// The version of index.bdmv as the window title shows it: "0100", "0200", or
// "0300 UHD" for an Ultra HD disc.
std::string indexVersionText(const TINDX& index);

// The disc's initial dynamic range (AppInfoBDMV, 4 bits, see DynamicRange).
// False, nothing changed, for a value above 15.
bool setInitialDynamicRange(TINDX& index, unsigned value);

}  // namespace navora
