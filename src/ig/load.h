#pragma once
// Loading a menu from its .mnu form: a sequence of records, each the 10-byte
// header "IG" + PTS + DTS followed by one segment (type, 16-bit length, data).
// The same bytes come from a .mnu file or from the IG PID of a transport
// stream extracted in the .mnu form, so the loader reads a byte span.

#include "core/bytes.h"
#include "core/log.h"
#include "ig/model.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace navora {

// What a load met besides a well-formed display set.
struct MenuLoadReport {
    bool icsFound = false;
    bool endFound = false;
    // A record header that does not start with "IG": reading stopped there and
    // the menu holds what came before.
    bool formatError = false;
    std::uint64_t formatErrorOffset = 0;
    std::size_t unknownSegments = 0;
    // Readable notes: each unknown segment, windows beyond the two an effect
    // sequence holds, objects that do not decode cleanly.
    std::vector<std::string> warnings;
};

// The largest menu file the loader reads whole.
inline constexpr std::uint64_t kMaxMenuFileSize = 512ull << 20;

// The objects of one menu may declare at most this many pages of pixels in
// all (a page being the menu's video size, at least 1920x1080). A player
// holds the decoded objects of a display set in a buffer of 16 MB, about 8
// such pages; a menu that declares far more cannot be real and would only
// make its pictures take gigabytes.
inline constexpr std::uint64_t kMaxObjectPages = 32;
// The total number of object pixels a menu of that video size may declare.
std::uint64_t maxMenuObjectPixels(const TIGSc& menu);

// Whether data starts with a .mnu record header ("IG").
bool startsWithMenuRecord(std::span<const std::uint8_t> data);
// Throws FormatError at offset 0 ("not a menu: a .mnu file starts with the
// record header "IG"") unless data starts with one: such a file replaces nothing.
void requireMenuRecord(std::span<const std::uint8_t> data, const std::string& name);

// Reads the first display set of the records in data into a new menu:
// palettes, objects (their data kept in the menu's resource store), the ICS
// header and its page data, parsed into pages, BOGs, buttons and button
// tables (getIGS). Reading stops at the END segment or at the end of data.
//
// Soft problems are reported through report and log (when given) and keep
// what was read: a record header without "IG" ("File format error", reading
// stops), an unknown segment type ("Unknow segment!", the segment is
// skipped), a menu without ICS (an empty menu), an effect sequence with more
// than two windows (the extra windows are skipped). Data that ends inside a
// record header or a segment, a segment too short for its fields, page
// data that ends inside a page, or objects whose declared size cannot be real
// throw FormatError naming the offset; nothing is returned then, so the
// caller's previous menu stays as it was. An object's size cannot be real
// when its coded data has fewer bytes than the object has lines (a coder
// spends at least two bytes, the end-of-line code, on every line), or when
// all objects together declare more than maxMenuObjectPixels: so no picture
// is ever sized from a value the data cannot back.
TIGSc loadMNU(std::span<const std::uint8_t> data, const std::string& name, MenuLoadReport* report = nullptr,
              Log* log = nullptr);

// Reads a .mnu file (a regular file of at most kMaxMenuFileSize bytes) with loadMNU.
TIGSc loadMNUFile(const std::filesystem::path& path, MenuLoadReport* report = nullptr, Log* log = nullptr);

// Parses the page data (the ICS segments' data in the resource store, one
// after the other) into the menu's pages, whose number the ICS header set,
// and builds their button tables. Throws FormatError (offsets counted in the
// page data) when the page data ends inside a page.
void getIGS(TIGSc& menu, const std::string& name, MenuLoadReport* report = nullptr, Log* log = nullptr);

// The button table of a page: one slot per id up to the largest button_id,
// at least one per button; a later button with the same id takes the slot.
TPageButton buildButtonTable(const TPage& page);
// The button with id on page, or nullptr when the page's table has none.
const TIGbutton* buttonById(const TIGSc& menu, std::size_t page, std::uint16_t id);

// "[b]1[/b] ICS, [b]20[/b] OCS, [b]1[/b] PCS found."
std::string menuSummaryText(const TIGSc& menu);
// A 90 kHz time as "h:mm:ss.zzz" (the IN_time box).
std::string igTimeText(std::uint32_t ticks90k);
// A 90 kHz duration in whole seconds as "h:mm:ss" (the user time-out box).
std::string igDurationText(std::uint32_t ticks90k);

}  // namespace navora
