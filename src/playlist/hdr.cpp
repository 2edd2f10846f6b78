#include "playlist/hdr.h"

namespace navora {

namespace {

constexpr std::size_t kHead = 8;     // length and count with its reserved bits
constexpr std::size_t kRecord = 28;

template <typename Block>
auto entryBytes(Block& block) -> decltype(extDataEntryPayload(block, 0)) {
    const auto at = findExtDataEntry(block, kStaticHdrID1, kStaticHdrID2);
    if (!at) return {};
    return extDataEntryPayload(block, *at);
}

// How many records the entry holds: its count, cut to those that fit.
std::size_t recordCount(std::span<const std::uint8_t> b) {
    if (b.size() < kHead) return 0;
    return std::min<std::size_t>(b[4], (b.size() - kHead) / kRecord);
}

std::uint16_t word(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

void putWord(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}

// The 16-bit fields after the first 4 bytes of a record, in file order.
template <typename Record, typename F>
void forEachWord(Record& r, F f) {
    for (int i = 0; i < 3; ++i) {
        f(r.display_primaries_x[i]);
        f(r.display_primaries_y[i]);
    }
    f(r.white_point_x);
    f(r.white_point_y);
    f(r.max_display_mastering_luminance);
    f(r.min_display_mastering_luminance);
    f(r.max_CLL);
    f(r.max_FALL);
}

}  // namespace

std::vector<TStaticHdrMetadata> staticHdrMetadata(const TExtensionData& block) {
    const auto b = entryBytes(block);
    std::vector<TStaticHdrMetadata> out(recordCount(b));
    for (std::size_t i = 0; i < out.size(); ++i) {
        std::size_t at = kHead + i * kRecord;
        out[i].dynamic_range_type = b[at] >> 4;
        at += 4;
        forEachWord(out[i], [&](std::uint16_t& v) {
            v = word(b, at);
            at += 2;
        });
    }
    return out;
}

bool setStaticHdrMetadata(TExtensionData& block, std::size_t index, const TStaticHdrMetadata& record) {
    const auto b = entryBytes(block);
    if (index >= recordCount(b)) return false;
    std::size_t at = kHead + index * kRecord;
    b[at] = static_cast<std::uint8_t>((record.dynamic_range_type & 0x0F) << 4 | (b[at] & 0x0F));
    at += 4;
    TStaticHdrMetadata r = record;
    forEachWord(r, [&](std::uint16_t& v) {
        putWord(b, at, v);
        at += 2;
    });
    return true;
}

}  // namespace navora
