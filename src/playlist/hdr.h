#pragma once
// The static HDR metadata of an Ultra HD playlist: the ExtensionData entry
// ID1 3 / ID2 5. The block stays the model's bytes; these functions read its
// records into named fields and write edited records back into it.

#include "core/extdata.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace navora {

constexpr std::uint16_t kStaticHdrID1 = 3;
constexpr std::uint16_t kStaticHdrID2 = 5;

// One record, 28 bytes: dynamic_range_type (4 bits, see DynamicRange), 28
// reserved bits, the display primaries as three x/y pairs of 16 bits (stored
// green, blue, red), the white point x/y, the maximum and minimum display
// mastering luminance, MaxCLL and MaxFALL (16 bits each).
struct TStaticHdrMetadata {
    std::uint8_t dynamic_range_type = 0;
    std::uint16_t display_primaries_x[3] = {0, 0, 0};
    std::uint16_t display_primaries_y[3] = {0, 0, 0};
    std::uint16_t white_point_x = 0;
    std::uint16_t white_point_y = 0;
    std::uint16_t max_display_mastering_luminance = 0;  // cd/m2
    std::uint16_t min_display_mastering_luminance = 0;  // 0.0001 cd/m2
    std::uint16_t max_CLL = 0;
    std::uint16_t max_FALL = 0;

    bool operator==(const TStaticHdrMetadata&) const = default;
};

// The entry: a 32-bit length, the record count (8 bits), 24 reserved bits,
// then the records. Empty when the block has no such entry; only the records
// that lie wholly inside the entry are returned.
std::vector<TStaticHdrMetadata> staticHdrMetadata(const TExtensionData& block);

// Writes record `index` into the entry's bytes (its reserved bits stay as
// they are). False, nothing changed, when there is no such record.
bool setStaticHdrMetadata(TExtensionData& block, std::size_t index, const TStaticHdrMetadata& record);

}  // namespace navora
