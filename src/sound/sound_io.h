#pragma once
// Reading and writing sound.bdmv.

#include "core/bytes.h"
#include "sound/sound.h"

#include <span>
#include <string>

namespace navora {

// Parses sound.bdmv; name is used in error messages. Every entry's data is
// read whole from SoundData_start_address + sound_data_start_address, and the
// ExtensionData block from its start address when that is not 0. Addresses
// and lengths are kept as read.
//
// Throws WrongTypeError when the type indicator is not "BCLK" or the version
// not "0100"/"0200", and FormatError when the file is cut short or an entry's
// data or the block lies outside it.
TSND readSound(std::span<const std::uint8_t> data, const std::string& name);

// Sets the addresses the writer stores: SoundData_start_address 46 + 10 per
// entry, length 2 + 10 per entry, each sound_data_start_address (0 for the
// first; then the previous start plus its length, plus 2 when that sum is not
// a multiple of 4), each sound_data_length to its data size, and, when the
// model holds a block (ExtensionData_start_address not 0), the offset right
// after the last sound's data and padding. A model read from a file and laid
// out equals the model of the file written from it.
void layoutSound(TSND& snd);

// The file bytes of the laid-out model: the header, the SoundIndex, the data
// of each entry followed by two zero bytes when its end is not on a multiple
// of 4 from SoundData_start_address, then the ExtensionData block when the
// model holds one. Reserved fields are written as zero.
// Throws std::length_error for more than 255 entries or a file whose
// addresses would not fit in 32 bits.
Bytes writeSound(const TSND& snd);

}  // namespace navora
