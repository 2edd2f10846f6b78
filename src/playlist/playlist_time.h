#pragma once
// Times of a playlist: 45 kHz ticks shown as HH:MM:SS.mmm, typed times, and
// the playlist's own timeline (the PlayItems laid end to end from 0).

#include "playlist/playlist.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

constexpr std::uint32_t kTicksPerMs = 45;  // 45 kHz
constexpr std::uint32_t kTicksPerSecond = 45000;
constexpr std::uint32_t kTicksPerMinute = 60 * kTicksPerSecond;
constexpr std::uint32_t kTicksPerHour = 60 * kTicksPerMinute;

// "HH:MM:SS.mmm": milliseconds = ticks div 45; hours at least two digits,
// minutes and seconds two, milliseconds three, all zero-padded.
std::string timeText(std::uint64_t ticks);

// hours x 162000000 + minutes x 2700000 + seconds x 45000 + ms x 45.
std::uint64_t timeTicks(std::uint64_t hours, std::uint64_t minutes, std::uint64_t seconds, std::uint64_t ms);

// A typed time "hh:mm:ss.mmm": exactly 12 characters, digits at the hour,
// minute, second and millisecond places, a non-blank separator between them.
// Nothing when the text breaks that rule or the time does not fit the 32-bit
// field (above 26:30:43.717); times are not wrapped.
std::optional<std::uint32_t> parseTypedTime(std::string_view text);

// OUT_time - IN_time; 0 when OUT lies before IN (the PlayItem plays nothing).
std::uint32_t playItemDuration(const TPlayItem& item);

// Start of PlayItem k on the playlist timeline: the durations of the
// PlayItems before it. k may be the PlayItem count (the playlist's duration).
std::uint64_t playItemStart(const TMPLS& playlist, std::size_t k);
std::uint64_t playlistDuration(const TMPLS& playlist);

// Where a mark lies on the playlist timeline: the start of its PlayItem plus
// its distance from that PlayItem's IN time (0 at the least). Nothing when the
// mark refers to a PlayItem the playlist does not have.
std::optional<std::uint64_t> markPlaylistTime(const TMPLS& playlist, const TPlayListMarkEntry& mark);

// What the timeline strip draws: the PlayItems as blocks with their angles,
// the marks as ticks.
struct TimelineItem {
    std::uint64_t start = 0;  // on the playlist timeline
    std::uint64_t duration = 0;
    std::size_t angles = 1;  // blocks stacked for a multi-angle PlayItem
};
struct TimelineMark {
    std::size_t mark = 0;  // index in the mark list
    std::uint8_t mark_type = kEntryMark;
    std::optional<std::uint64_t> at;  // nothing: the mark refers to no PlayItem
};
struct Timeline {
    std::uint64_t duration = 0;
    std::vector<TimelineItem> items;
    std::vector<TimelineMark> marks;
};
Timeline playlistTimeline(const TMPLS& playlist);

}  // namespace navora
