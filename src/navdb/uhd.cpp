#include "navdb/uhd.h"

namespace navora {

namespace {

constexpr std::size_t kEntrySize = 12;  // the length field and 8 bytes

std::span<const std::uint8_t> entryBytes(const TExtensionData& block) {
    const auto at = findExtDataEntry(block, kUhdDiscInfoID1, kUhdDiscInfoID2);
    if (!at) return {};
    auto bytes = extDataEntryPayload(block, *at);
    return bytes.size() >= kEntrySize ? bytes : std::span<const std::uint8_t>{};
}

}  // namespace

std::optional<TUhdDiscInfo> uhdDiscInfo(const TExtensionData& block) {
    const auto b = entryBytes(block);
    if (b.empty()) return std::nullopt;
    TUhdDiscInfo u;
    u.disc_type = b[4] >> 4;
    u.exist_4k_flag = b[4] & 1;
    u.HDR10plus_flag = (b[6] >> 4) & 1;
    u.Dolby_Vision_flag = (b[6] >> 2) & 1;
    u.HDR_flags = b[6] & 3;
    return u;
}

bool setUhdDiscInfo(TExtensionData& block, const TUhdDiscInfo& u) {
    if (entryBytes(block).empty()) return false;
    auto b = extDataEntryPayload(block, *findExtDataEntry(block, kUhdDiscInfoID1, kUhdDiscInfoID2));
    b[4] = static_cast<std::uint8_t>((u.disc_type & 0x0F) << 4 | (b[4] & 0x0E) | (u.exist_4k_flag & 1));
    b[6] = static_cast<std::uint8_t>((b[6] & 0xE8) | (u.HDR10plus_flag & 1) << 4 | (u.Dolby_Vision_flag & 1) << 2 |
                                     (u.HDR_flags & 3));
    return true;
}

std::string hdrFlagsText(std::uint8_t f) {
    std::string s;
    if (f & kHdrFlagSDR) s = "SDR";
    if (f & kHdrFlagHDR10) s += s.empty() ? "HDR10" : ", HDR10";
    return s.empty() ? "-" : s;
}

std::string indexVersionText(const TINDX& x) {
    std::string v;
    for (int shift = 24; shift >= 0; shift -= 8) v += static_cast<char>((x.version >> shift) & 0xFF);
    return isUhd(x) ? v + " UHD" : v;
}

bool setInitialDynamicRange(TINDX& index, unsigned value) {
    if (value > 0x0F) return false;
    index.app_info_flags.initial_dynamic_range_type = static_cast<std::uint8_t>(value);
    return true;
}

}  // namespace navora
