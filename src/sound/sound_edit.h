#pragma once
// Edits of the sound.bdmv model and the texts its views show. Every edit is
// a plain function on the copyable model, and leaves the model laid out
// (layoutSound): the addresses it shows are those the next save writes.

#include "core/extdata.h"
#include "sound/sound.h"
#include "sound/waveplayer.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>

namespace navora {

// ---- Edits -------------------------------------------------------------------

// Where a new entry goes when the row `selected` (0-based) is selected: index
// 0 in an empty table, otherwise selected + 1 (after the selected row; a
// selection past the end appends).
std::size_t soundInsertIndex(const TSND& snd, std::size_t selected);

// Inserts the entry at soundInsertIndex and returns its index. Throws
// std::length_error, leaving the model unchanged, when the table already holds
// 255 entries or the file would grow beyond what Navora reads back
// (kMaxDatabaseFileSize).
std::size_t insertSound(TSND& snd, std::size_t selected, TSoundEntry entry);

// WAV import (Ins in the grid): soundFromWav, then insertSound. Throws
// WavFormatError for a WAV file import refuses; the model is then unchanged.
std::size_t loadSound(TSND& snd, std::span<const std::uint8_t> wav, const std::string& name, std::size_t selected);

// Deletes the entry at index (Shift+Del). Returns false, changing nothing,
// when there is no such entry.
bool deleteSound(TSND& snd, std::size_t index);

// "Create sound.bdmv": a new model ("BCLK", "0200", no ExtensionData) whose one
// entry comes from the WAV file. Throws WavFormatError as soundFromWav does.
TSND createSound(std::span<const std::uint8_t> wav, const std::string& name);

// Replaces the ExtensionData block (the ExtensionData editor's OK): an empty
// block (length 0) means none and ExtensionData_start_address becomes 0;
// otherwise the block is placed after the last sound's data.
void setSoundExtensionData(TSND& snd, const TExtensionData& block);

// Plays the entry at index (Play sound entry, button sounds): its WAV image
// goes to the player. An index at or beyond the entry count plays nothing.
// Returns what Play returned (false while another sound plays).
bool plWav(const TSND& snd, std::size_t index, WavePlayer& player);

// ---- Texts -------------------------------------------------------------------

// The grid's hint.
inline constexpr const char* kSoundGridHint = "Sound entries\r\nShift-Del: Delete sound\r\nIns: Insert sound";

// "No.", "channel", "frequency", "bits/sample", "length".
const std::array<std::string, 5>& soundGridColumns();

// One grid row: "000", "Mono"/"Stereo"/"-", "48kHz"/"-", "16"/"-", soundLengthText.
std::array<std::string, 5> soundGridRow(const TSoundEntry& entry, std::size_t index);

// The playing time as the grid shows it, reckoned for 48 kHz 16-bit stereo:
// length / 1920 truncated, divided by 100, in its shortest decimal form, and
// " s" ("1 s" for 192000 bytes, "1.5 s" for 288000; mono shows half its time).
std::string soundLengthText(std::uint32_t sound_data_length);

// The selection readout for the row `selected`: "Data start: 00000000 (0)
// Length: ... Total data length: ...(...)" with decimals grouped in threes by
// the separator; empty when there are no entries.
std::string soundReadout(const TSND& snd, std::size_t selected, char thousandsSeparator = ',');

// The read report: " Found [b]N[/b] sound entry" or "... entries" (above 1).
std::string soundFoundLine(std::size_t count);

// The export dialog's default file name: "sound_" + three digits + ".wav".
std::string soundExportName(std::size_t index);

}  // namespace navora
