#pragma once
// Chapter lists: the playlist's marks as a text file of chapter times, one
// per line, on the playlist's own timeline (the PlayItems end to end from 0),
// and such a file turned back into entry marks.

#include "core/log.h"
#include "playlist/playlist.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// The line syntax: decimal 45 kHz ticks, decimal video frames, or hh:mm:ss.mmm.
enum class ChapterFormat { PTS = 0, Frame = 1, Time = 2 };

// The option's items "PTS", "Frame", "Time" (index = format).
const std::vector<std::string>& chapterFormatItems();
// "pts", "frame" or "time" in any case; nothing otherwise.
std::optional<ChapterFormat> chapterFormatNamed(std::string_view name);
// The proposed file name: "chapter_" + playlist name + "_PTS.txt",
// "_frame.txt" or "_time.txt".
std::string chapterFileName(std::string_view playlistName, ChapterFormat format);

// A chapter file that cannot be converted: no frame rate for the "Frame"
// format, a "Time" line that is no time, a playlist without PlayItems.
class ChapterError : public std::runtime_error {
public:
    explicit ChapterError(const std::string& what, std::size_t line = 0) : std::runtime_error(what), line_(line) {}
    // The 1-based line of the chapter file at fault; 0 when the playlist is.
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

struct FrameRate {
    std::uint32_t numerator = 0;
    std::uint32_t denominator = 1;
};
// frame_rate codes 1 (24000/1001), 2 (24), 3 (25), 4 (30000/1001), 6 (50),
// 7 (60000/1001); nothing for the others.
std::optional<FrameRate> frameRateOfCode(std::uint8_t code);
// The rate of the first primary video stream of the first PlayItem. Throws
// ChapterError saying why when there is none.
FrameRate playlistFrameRate(const TMPLS& playlist);
// frames x 45000 x denominator / numerator, rounding down; and back to the
// nearest frame, so that every frame's ticks give the frame again.
std::uint64_t framesToTicks(std::uint64_t frames, FrameRate rate);
std::uint64_t ticksToFrames(std::uint64_t ticks, FrameRate rate);

// One line per mark in mark order, each ended by CR LF: the mark's playlist
// time (mark time - IN time of its PlayItem + start of that PlayItem) in the
// format. A mark whose PlayItem does not exist is reported on the log and
// skipped. Throws ChapterError for the "Frame" format without a frame rate.
std::string exportChapters(const TMPLS& playlist, ChapterFormat format, Log& log);

// The chapter times of a file, in 45 kHz ticks, one per line (a final line
// break ends the last line; an empty line is time 0). "PTS" and "Frame" lines
// are read as far as they are decimal digits (after leading blanks) and must
// start with one; a "Time"
// line must hold two digits of hours, minutes and seconds and three of
// milliseconds at their places (the separators may be any character). Throws
// ChapterError naming the line for a line that breaks this ("abc", "-5"), and
// for the "Frame" format without a frame rate.
std::vector<std::uint64_t> parseChapters(std::string_view text, ChapterFormat format, const TMPLS& playlist);

// Where a chapter at playlist time T goes: the PlayItem that holds it and the
// mark time on that PlayItem's clip (not below its IN time). A chapter exactly
// at the end of a PlayItem goes to the start of the next; in the "Time" format
// the sub-millisecond rest of the running sum is ignored. A chapter at or
// beyond the end of the last PlayItem goes to the last PlayItem, at its OUT
// time at the most. Logs each step of the search, then "k, time".
struct ChapterPlace {
    std::uint16_t playItem = 0;
    std::uint32_t markTime = 0;
    bool clamped = false;  // at or beyond the end of the last PlayItem
};
ChapterPlace placeChapter(const TMPLS& playlist, std::uint64_t ticks, ChapterFormat format, Log& log);

// Replaces the marks by one entry mark per line of the chapter file (entry PID
// 0xFFFF, duration 0), with the PlayListMark length and a non-zero
// ExtensionData address moved by 14 bytes per mark gained or lost. Returns
// the number of marks; 0 when the file has no line, and then nothing changes.
// Throws ChapterError, changing nothing, when the file cannot be converted
// (parseChapters) or the playlist has no PlayItem to put marks on.
std::size_t importChapters(TMPLS& playlist, std::string_view text, ChapterFormat format, Log& log);

}  // namespace navora
