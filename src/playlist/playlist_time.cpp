#include "playlist/playlist_time.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>

namespace navora {

std::string timeText(std::uint64_t ticks) {
    const std::uint64_t ms = ticks / kTicksPerMs;
    return fmt::format("{:02}:{:02}:{:02}.{:03}", ms / 3600000, (ms / 60000) % 60, (ms / 1000) % 60, ms % 1000);
}

std::uint64_t timeTicks(std::uint64_t hours, std::uint64_t minutes, std::uint64_t seconds, std::uint64_t ms) {
    return hours * kTicksPerHour + minutes * kTicksPerMinute + seconds * kTicksPerSecond + ms * kTicksPerMs;
}

std::optional<std::uint32_t> parseTypedTime(std::string_view text) {
    if (text.size() != 12) return std::nullopt;
    auto digits = [&](std::size_t at, std::size_t n) -> std::optional<std::uint64_t> {
        std::uint64_t v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            v = v * 10 + static_cast<std::uint64_t>(text[i] - '0');
        }
        return v;
    };
    for (std::size_t sep : {2u, 5u, 8u})
        if (text[sep] == ' ') return std::nullopt;
    const auto h = digits(0, 2), m = digits(3, 2), s = digits(6, 2), ms = digits(9, 3);
    if (!h || !m || !s || !ms) return std::nullopt;
    const std::uint64_t t = timeTicks(*h, *m, *s, *ms);
    if (t > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(t);
}

std::uint32_t playItemDuration(const TPlayItem& item) {
    return item.OUT_time >= item.IN_time ? item.OUT_time - item.IN_time : 0;
}

std::uint64_t playItemStart(const TMPLS& playlist, std::size_t k) {
    const auto& items = playlist.PlayList.PlayItems;
    std::uint64_t s = 0;
    for (std::size_t i = 0; i < k && i < items.size(); ++i) s += playItemDuration(items[i]);
    return s;
}

std::uint64_t playlistDuration(const TMPLS& playlist) {
    return playItemStart(playlist, playlist.PlayList.PlayItems.size());
}

std::optional<std::uint64_t> markPlaylistTime(const TMPLS& playlist, const TPlayListMarkEntry& mark) {
    const auto& items = playlist.PlayList.PlayItems;
    const std::size_t k = mark.ref_to_PlayItem_id;
    if (k >= items.size()) return std::nullopt;
    const std::int64_t t = static_cast<std::int64_t>(playItemStart(playlist, k)) +
                           (std::int64_t{mark.mark_time_stamp} - std::int64_t{items[k].IN_time});
    return static_cast<std::uint64_t>(std::max<std::int64_t>(t, 0));
}

Timeline playlistTimeline(const TMPLS& playlist) {
    Timeline t;
    for (const TPlayItem& p : playlist.PlayList.PlayItems) {
        TimelineItem item;
        item.start = t.duration;
        item.duration = playItemDuration(p);
        item.angles = p.is_multi_angle && p.multi_clip.angles.size() > 1 ? p.multi_clip.angles.size() : 1;
        t.duration += item.duration;
        t.items.push_back(item);
    }
    const auto& items = playlist.PlayList.PlayItems;
    const auto& marks = playlist.PlayListMark.marks;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        TimelineMark tick{i, marks[i].mark_type, std::nullopt};
        const std::size_t k = marks[i].ref_to_PlayItem_id;
        if (k < items.size()) {
            const std::int64_t at = static_cast<std::int64_t>(t.items[k].start) +
                                    (std::int64_t{marks[i].mark_time_stamp} - std::int64_t{items[k].IN_time});
            tick.at = static_cast<std::uint64_t>(std::max<std::int64_t>(at, 0));
        }
        t.marks.push_back(tick);
    }
    return t;
}

}  // namespace navora
