#include "playlist/chapters.h"

#include "playlist/playlist_edit.h"
#include "playlist/playlist_time.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <limits>

namespace navora {

namespace {

// Chapter numbers beyond this are read as this (about 25 days in ticks), so
// that converting frames to ticks cannot overflow.
constexpr std::uint64_t kMaxChapterNumber = 100'000'000'000ULL;

const char* const kFrameRateNeeded = "The \"Frame\" chapter format needs the playlist's frame rate, but ";

// The lines of a text: CR LF, LF or CR end a line; a final line break does
// not start another line.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

// The leading decimal digits after leading blanks; 0 when there are none.
// The number a "PTS" or "Frame" line starts with (after blanks); nothing when
// it starts with anything else, such as "abc" or "-5".
std::optional<std::uint64_t> leadingNumber(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size() || line[i] < '0' || line[i] > '9') return std::nullopt;
    std::uint64_t v = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        v = std::min(v * 10 + static_cast<std::uint64_t>(line[i] - '0'), kMaxChapterNumber);
    return v;
}

std::optional<std::uint64_t> timeLine(std::string_view line) {
    if (line.size() < 12) return std::nullopt;
    auto digits = [&](std::size_t at, std::size_t n) -> std::optional<std::uint64_t> {
        std::uint64_t v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (line[i] < '0' || line[i] > '9') return std::nullopt;
            v = v * 10 + static_cast<std::uint64_t>(line[i] - '0');
        }
        return v;
    };
    const auto h = digits(0, 2), m = digits(3, 2), s = digits(6, 2), ms = digits(9, 3);
    if (!h || !m || !s || !ms) return std::nullopt;
    return timeTicks(*h, *m, *s, *ms);
}

std::string chapterLine(std::uint64_t ticks, ChapterFormat format, const std::optional<FrameRate>& rate) {
    switch (format) {
    case ChapterFormat::Frame: return fmt::format("{}", ticksToFrames(ticks, *rate));
    case ChapterFormat::Time: return timeText(ticks);
    default: return fmt::format("{}", ticks);
    }
}

}  // namespace

const std::vector<std::string>& chapterFormatItems() {
    static const std::vector<std::string> v = {"PTS", "Frame", "Time"};
    return v;
}

std::optional<ChapterFormat> chapterFormatNamed(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "pts") return ChapterFormat::PTS;
    if (lower == "frame") return ChapterFormat::Frame;
    if (lower == "time") return ChapterFormat::Time;
    return std::nullopt;
}

std::string chapterFileName(std::string_view playlistName, ChapterFormat format) {
    const char* suffix = format == ChapterFormat::Frame ? "_frame.txt"
                         : format == ChapterFormat::Time ? "_time.txt"
                                                         : "_PTS.txt";
    return "chapter_" + std::string(playlistName) + suffix;
}

std::optional<FrameRate> frameRateOfCode(std::uint8_t code) {
    switch (code) {
    case 1: return FrameRate{24000, 1001};
    case 2: return FrameRate{24000, 1000};
    case 3: return FrameRate{25000, 1000};
    case 4: return FrameRate{30000, 1001};
    case 6: return FrameRate{50000, 1000};
    case 7: return FrameRate{60000, 1001};
    default: return std::nullopt;
    }
}

FrameRate playlistFrameRate(const TMPLS& m) {
    const auto& items = m.PlayList.PlayItems;
    if (items.empty()) throw ChapterError(std::string(kFrameRateNeeded) + "the playlist has no PlayItem.");
    const auto& video = items.front().STN_table.primary_video;
    if (video.empty())
        throw ChapterError(std::string(kFrameRateNeeded) + "its first PlayItem has no primary video stream.");
    const std::uint8_t code = video.front().stream_attributes.frame_rate;
    const auto rate = frameRateOfCode(code);
    if (!rate)
        throw ChapterError(fmt::format("{}the video of its first PlayItem has frame rate code {}, which is none of "
                                       "23.976, 24, 25, 29.97, 50 and 59.94 frames per second.",
                                       kFrameRateNeeded, code));
    return *rate;
}

std::uint64_t framesToTicks(std::uint64_t frames, FrameRate r) {
    return frames * kTicksPerSecond * r.denominator / r.numerator;
}

std::uint64_t ticksToFrames(std::uint64_t ticks, FrameRate r) {
    // To the nearest frame: frames turn into ticks rounding down, so a mark
    // that import put on frame f lies a fraction of a tick before f's exact
    // time, and rounding down here would export it as f - 1.
    const std::uint64_t perFrame = std::uint64_t{r.denominator} * kTicksPerSecond;
    return (ticks * r.numerator + perFrame / 2) / perFrame;
}

std::string exportChapters(const TMPLS& m, ChapterFormat format, Log& log) {
    std::optional<FrameRate> rate;
    if (format == ChapterFormat::Frame) rate = playlistFrameRate(m);
    std::string out;
    const auto& marks = m.PlayListMark.marks;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        const auto t = markPlaylistTime(m, marks[i]);
        if (!t) {
            log.log(fmt::format("[re]Mark {:03} refers to PlayItem {}, which the playlist does not have "
                                "({} PlayItems): not exported.[/re]",
                                i, marks[i].ref_to_PlayItem_id, m.PlayList.PlayItems.size()));
            continue;
        }
        out += chapterLine(*t, format, rate);
        out += "\r\n";
    }
    return out;
}

std::vector<std::uint64_t> parseChapters(std::string_view text, ChapterFormat format, const TMPLS& m) {
    const auto lines = splitLines(text);
    std::vector<std::uint64_t> ticks;
    if (lines.empty()) return ticks;
    std::optional<FrameRate> rate;
    if (format == ChapterFormat::Frame) rate = playlistFrameRate(m);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        switch (format) {
        case ChapterFormat::PTS:
        case ChapterFormat::Frame: {
            if (line.find_first_not_of(" \t") == std::string_view::npos) {
                ticks.push_back(0);
                break;
            }
            const auto n = leadingNumber(line);
            if (!n)
                throw ChapterError(fmt::format("Line {} of the chapter file, \"{}\", is not a number of {}.", i + 1,
                                               line.substr(0, 40),
                                               format == ChapterFormat::PTS ? "45 kHz ticks" : "video frames"),
                                   i + 1);
            ticks.push_back(format == ChapterFormat::PTS ? *n : framesToTicks(*n, *rate));
            break;
        }
        case ChapterFormat::Time: {
            if (line.empty()) {
                ticks.push_back(0);
                break;
            }
            const auto t = timeLine(line);
            if (!t)
                throw ChapterError(fmt::format("Line {} of the chapter file, \"{}\", is not a time hh:mm:ss.mmm.",
                                               i + 1, line.substr(0, 40)),
                                   i + 1);
            ticks.push_back(*t);
            break;
        }
        }
    }
    return ticks;
}

ChapterPlace placeChapter(const TMPLS& m, std::uint64_t T, ChapterFormat format, Log& log) {
    const auto& items = m.PlayList.PlayItems;
    if (items.empty()) throw ChapterError("The playlist has no PlayItem to put chapters on.");
    // In the "Time" format the running sum is compared without its rest below
    // a millisecond, as the chapter times are whole milliseconds.
    auto whole = [&](std::uint64_t sum) { return format == ChapterFormat::Time ? sum - sum % kTicksPerMs : sum; };

    std::size_t k = 0;
    std::uint64_t sum = 0;
    bool beyond = false;
    if (T != 0) {
        std::size_t n = 0;
        bool stepped = true;
        do {
            stepped = false;
            if (sum < T) {
                if (n == items.size()) {
                    beyond = true;
                    break;
                }
                sum += playItemDuration(items[n]);
                ++n;
                stepped = true;
            }
            if (T == whole(sum)) ++n;
            log.log(fmt::format("{}: {} {}   {:08X} {:08X}", n, timeText(T), timeText(sum), T, sum));
        } while (stepped && T > whole(sum));
        if (!beyond) {
            k = n - 1;
            if (k >= items.size()) beyond = true;  // exactly at the end of the last PlayItem
            else if (T != whole(sum)) sum -= playItemDuration(items[k]);
        }
    }
    if (beyond) {
        k = items.size() - 1;
        sum = playItemStart(m, k);
    }
    log.log(fmt::format("{}, {}", k, timeText(sum)));

    const TPlayItem& p = items[k];
    std::int64_t t = std::int64_t{p.IN_time} + static_cast<std::int64_t>(std::min<std::uint64_t>(T, kMaxChapterNumber)) -
                     static_cast<std::int64_t>(sum);
    if (beyond) t = std::min<std::int64_t>(t, std::max(p.OUT_time, p.IN_time));
    t = std::clamp<std::int64_t>(t, p.IN_time, std::numeric_limits<std::uint32_t>::max());
    if (beyond)
        log.log(fmt::format("[re]The chapter at {} lies at or beyond the end of the playlist ({}): it goes on the "
                            "last PlayItem, {:03}, with the mark time {}.[/re]",
                            timeText(T), timeText(playlistDuration(m)), k, timeText(static_cast<std::uint64_t>(t))));
    return {static_cast<std::uint16_t>(k), static_cast<std::uint32_t>(t), beyond};
}

std::size_t importChapters(TMPLS& m, std::string_view text, ChapterFormat format, Log& log) {
    const std::vector<std::uint64_t> times = parseChapters(text, format, m);
    if (times.empty()) return 0;
    if (m.PlayList.PlayItems.empty()) throw ChapterError("The playlist has no PlayItem to put chapters on.");
    if (times.size() > 0xFFFF)
        throw ChapterError(fmt::format("The chapter file has {} lines; a playlist holds at most 65535 marks.",
                                       times.size()),
                           0x10000);
    std::vector<TPlayListMarkEntry> marks;
    marks.reserve(times.size());
    for (std::uint64_t T : times) {
        const ChapterPlace place = placeChapter(m, T, format, log);
        TPlayListMarkEntry k;
        k.mark_type = kEntryMark;
        k.ref_to_PlayItem_id = place.playItem;
        k.mark_time_stamp = place.markTime;
        k.entry_ES_PID = 0xFFFF;
        k.duration = 0;
        marks.push_back(k);
    }
    replaceMarks(m, std::move(marks));
    return times.size();
}

}  // namespace navora
