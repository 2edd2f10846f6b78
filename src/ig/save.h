#pragma once
// Writing a menu back as one IG display set: the ICS (in as many segments as
// its page data needs), one PDS per palette, the ODS of every object (each in
// as many segments as its coded data needs) and END, with time stamps that
// deliver the objects back to back at 6,000,000 bytes per second so that the
// last one ends at the menu's in-time. Every segment is rebuilt from the
// model.

#include "core/bytes.h"
#include "core/log.h"
#include "ig/model.h"

#include <cstdint>
#include <vector>

namespace navora {

// The output forms: .mnu records ("IG" + PTS + DTS before each segment), or
// one PES packet (stream_id 0xBD) per segment for the multiplexer.
enum class IgsForm { Mnu = 0, Pes = 1 };

// The largest segment_length, and the bytes its headers take.
inline constexpr std::size_t kMaxSegmentLength = 65519;
inline constexpr std::size_t kIcsFirstHeader = 17;        // without the time-out fields
inline constexpr std::size_t kIcsTimeOutFields = 10;      // the two 5-byte time-outs of stream_model 0
inline constexpr std::size_t kIcsLaterHeader = 9;
inline constexpr std::size_t kOdsFirstHeader = 11;
inline constexpr std::size_t kOdsLaterHeader = 4;

// The delivery order of the objects: what the first page shows first (the
// composition objects of its in-effects, then the normal, selected and
// activated objects of its BOGs with a valid default button, then every
// object of its other BOGs), then every other defined object in index order.
// Sets each object's writer_slot (−1 for objects not written).
std::vector<std::size_t> objectOrder(TIGSc& menu);

// The page data of every page in stream order.
Bytes pageData(const TIGSc& menu);

// Transfer time of b bytes at 6,000,000 bytes per second, in 90 kHz ticks.
inline std::uint32_t transferTicks(std::uint64_t b) { return static_cast<std::uint32_t>(b * 9 / 600); }

// What a save wrote: the bytes, and the menu as they describe it.
struct SavedIgs {
    Bytes data;
    TIGSc menu;
};

// Writes the menu in the given form. A PDS lists the palette's entries 0..254
// that have a display colour or Y, Cr, Cb values (entry 255 never). Objects
// without a picture are decoded first and every picture is coded anew. The
// menu it returns describes what was written: interactive_composition_data_length,
// the ICS segments, each object's fragments, data length and writer slot, and
// Y, Cr, Cb of palette entries that had Y 0 (computed from their display
// colour); its resource store holds the page data and the coded objects the
// fragments point to. The menu given is not changed.
//
// A menu with stream_model Multiplexed is written with its two time-out
// fields (after the models byte of the first ICS segment), so that the stream
// is valid and reads back equal: interactive_composition_data_length is then
// L + 15 instead of L + 5 and the first ICS segment holds at most 65,492
// bytes of page data instead of 65,502.
SavedIgs writeIGS(const TIGSc& menu, IgsForm form, Log* log = nullptr);
// The bytes of writeIGS alone.
Bytes saveIGS(const TIGSc& menu, IgsForm form, Log* log = nullptr);

}  // namespace navora
