// Chapter files both ways: the three formats with their examples, the
// PlayItem search and its log, the mark replacement, refusals and clamping.

#include "playlist/chapters.h"

#include "core/logviews.h"
#include "playlist/fixture.h"
#include "playlist/playlist_time.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

struct Logged {
    Log log;
    RecordingLogView view;
    Logged() { log.setView(&view); }
};

// Two PlayItems of 1000 and 2000 ticks on clips that start at 600 s.
TMPLS twoItems() {
    return simplePlaylist({playItem("00001", 27000000, 27001000), playItem("00002", 27000000, 27002000)});
}

// One long PlayItem at IN 27000000 with the given frame rate code.
TMPLS oneItem(std::uint8_t rate) { return simplePlaylist({playItem("00001", 27000000, 227000000, rate)}); }

}  // namespace

TEST(Chapters, PtsLinesBecomeMarksAndComeBack) {
    TMPLS m = twoItems();
    Logged l;
    ASSERT_EQ(importChapters(m, "0\n500\r\n1000\r2500\r\n", ChapterFormat::PTS, l.log), 4u);
    const auto& k = m.PlayListMark.marks;
    ASSERT_EQ(k.size(), 4u);
    const std::pair<std::uint16_t, std::uint32_t> expected[] = {
        {0, 27000000}, {0, 27000500}, {1, 27000000}, {1, 27001500}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(k[i].ref_to_PlayItem_id, expected[i].first);
        EXPECT_EQ(k[i].mark_time_stamp, expected[i].second);
        EXPECT_EQ(k[i].mark_type, kEntryMark);
        EXPECT_EQ(k[i].entry_ES_PID, 0xFFFF);
    }
    // The search's log: each step, then the PlayItem and its start.
    EXPECT_EQ(l.view.plainLines(), (std::vector<std::string>{
                                       "0, 00:00:00.000",
                                       "1: 00:00:00.011 00:00:00.022   000001F4 000003E8",
                                       "0, 00:00:00.000",
                                       "2: 00:00:00.022 00:00:00.022   000003E8 000003E8",
                                       "1, 00:00:00.022",
                                       "1: 00:00:00.055 00:00:00.022   000009C4 000003E8",
                                       "2: 00:00:00.055 00:00:00.066   000009C4 00000BB8",
                                       "1, 00:00:00.022",
                                   }));
    EXPECT_EQ(exportChapters(m, ChapterFormat::PTS, l.log), "0\r\n500\r\n1000\r\n2500\r\n");
    expectConsistent(m);
}

// The examples both ways: the line imports as the ticks (on one PlayItem at
// IN 27000000), and a mark at those ticks exports as the line.
TEST(Chapters, FrameAndTimeExamplesBothWays) {
    struct Case {
        const char* what;
        ChapterFormat format;
        std::uint8_t rate;
        const char* line;
        std::uint32_t ticks;
    };
    const Case cases[] = {
        {"23.976 fps", ChapterFormat::Frame, 1, "24", 45045},
        {"25 fps", ChapterFormat::Frame, 3, "25", 45000},
        {"59.94 fps", ChapterFormat::Frame, 7, "60", 45045},
        {"one minute", ChapterFormat::Time, 1, "00:01:00.000", 2700000},
        {"hours and milliseconds", ChapterFormat::Time, 1, "01:02:03.456", 167555520},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Logged l;
        TMPLS m = oneItem(c.rate);
        ASSERT_EQ(importChapters(m, std::string(c.line) + "\r\n", c.format, l.log), 1u);
        EXPECT_EQ(m.PlayListMark.marks.at(0).mark_time_stamp, 27000000 + c.ticks);
        EXPECT_EQ(exportChapters(m, c.format, l.log), std::string(c.line) + "\r\n");
    }
    EXPECT_EQ(ticksToFrames(45045, *frameRateOfCode(1)), 24u);
    EXPECT_EQ(framesToTicks(25, *frameRateOfCode(3)), 45000u);
    EXPECT_EQ(chapterFileName("00003", ChapterFormat::Frame), "chapter_00003_frame.txt");
    EXPECT_EQ(chapterFormatNamed("TIME"), ChapterFormat::Time);
}

// Frame lines come back as they went in at every rate: a frame imports as its
// ticks rounded down, and exporting rounds to the nearest frame (rounding down
// there moved most chapters one frame earlier on each round trip).
TEST(Chapters, FrameExportOfImportedFramesIsExact) {
    std::string lines;
    for (int f = 0; f < 3000; f += 7) lines += std::to_string(f) + "\r\n";
    for (std::uint8_t rate : {1, 2, 3, 4, 6, 7}) {
        SCOPED_TRACE(int{rate});
        TMPLS m = oneItem(rate);
        Logged l;
        ASSERT_GT(importChapters(m, lines, ChapterFormat::Frame, l.log), 0u);
        EXPECT_EQ(exportChapters(m, ChapterFormat::Frame, l.log), lines);
    }
    // A mark between two frames goes to the nearer one.
    const FrameRate ntsc = *frameRateOfCode(4);  // 1501.5 ticks a frame
    EXPECT_EQ(ticksToFrames(2252, ntsc), 1u);    // 1.4998 frames
    EXPECT_EQ(ticksToFrames(2253, ntsc), 2u);    // 1.5005 frames
}

// Three lines into a playlist of five marks: the PlayListMark length goes from
// 72 to 44 and the ExtensionData address down by 28.
TEST(Chapters, ImportReplacesEveryMarkWithItsBookkeeping) {
    TMPLS m = richPlaylist();
    const std::uint32_t ext = m.ExtensionData_start_address;
    ASSERT_EQ(m.PlayListMark.length, 72u);
    Logged l;
    ASSERT_EQ(importChapters(m, "0\n45000\n27000000\n", ChapterFormat::PTS, l.log), 3u);
    EXPECT_EQ(m.PlayListMark.length, 44u);
    EXPECT_EQ(m.PlayListMark.number_of_PlayList_marks, 3);
    EXPECT_EQ(m.ExtensionData_start_address, ext - 28);
    EXPECT_EQ(m.PlayListMark.marks[2].ref_to_PlayItem_id, 1);  // 27000000 is the end of PlayItem 0
    EXPECT_EQ(m.PlayListMark.marks[2].mark_time_stamp, 54000000u);
    expectConsistent(m);

    // An empty file changes nothing; an empty line is a chapter at 0.
    const TMPLS before = m;
    EXPECT_EQ(importChapters(m, "", ChapterFormat::Time, l.log), 0u);
    EXPECT_EQ(m, before);
    EXPECT_EQ(importChapters(m, "\r\n", ChapterFormat::Time, l.log), 1u);
    EXPECT_EQ(m.PlayListMark.marks.at(0).mark_time_stamp, 27000000u);
}

// Files that cannot be converted are refused whole, naming why, and the marks
// stay as they were.
TEST(Chapters, UnconvertibleFilesAreRefused) {
    TMPLS noVideo = oneItem(1);
    noVideo.PlayList.PlayItems[0].STN_table.primary_video.clear();
    noVideo.PlayList.PlayItems[0].STN_table.number_of_primary_video_stream_entries = 0;
    computeSizes(noVideo);
    struct Case {
        const char* what;
        TMPLS playlist;
        const char* text;
        ChapterFormat format;
        const char* reason;
    };
    const Case cases[] = {
        {"no primary video", noVideo, "24\n", ChapterFormat::Frame, "no primary video stream"},
        {"frame rate code 5", oneItem(5), "24\n", ChapterFormat::Frame, "frame rate code 5"},
        {"no PlayItem", simplePlaylist({}, {mark(0xFFFF, 0)}), "0\n", ChapterFormat::PTS, "no PlayItem"},
        {"a time line that is no time", oneItem(1), "00:00:01.000\n1:00:00.000\n", ChapterFormat::Time,
         "Line 2 of the chapter file, \"1:00:00.000\""},
        {"a PTS line that is no number", oneItem(1), "0\r\n900\r\nabc\r\n", ChapterFormat::PTS,
         "Line 3 of the chapter file, \"abc\", is not a number of 45 kHz ticks"},
        {"a negative frame count", oneItem(1), "24\n-5\n", ChapterFormat::Frame,
         "Line 2 of the chapter file, \"-5\", is not a number of video frames"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TMPLS m = c.playlist;
        const TMPLS before = m;
        Logged l;
        try {
            (void)importChapters(m, c.text, c.format, l.log);
            ADD_FAILURE() << "imported";
        } catch (const ChapterError& e) {
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        EXPECT_EQ(m, before);
        EXPECT_TRUE(l.view.lines.empty());
    }
    Logged l;
    EXPECT_THROW((void)exportChapters(oneItem(5), ChapterFormat::Frame, l.log), ChapterError);
}

TEST(Chapters, ChaptersAtOrBeyondTheEndGoToTheLastPlayItem) {
    const TMPLS m = twoItems();
    struct Case {
        std::uint64_t ticks;
        ChapterFormat format;
        std::uint16_t item;
        std::uint32_t markTime;
        bool clamped;
    };
    const Case cases[] = {
        {2999, ChapterFormat::PTS, 1, 27001999, false},
        {3000, ChapterFormat::PTS, 1, 27002000, true},   // exactly at the end
        {9000000, ChapterFormat::PTS, 1, 27002000, true},  // far beyond: at OUT
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticks);
        Logged l;
        const ChapterPlace p = placeChapter(m, c.ticks, c.format, l.log);
        EXPECT_EQ(p.playItem, c.item);
        EXPECT_EQ(p.markTime, c.markTime);
        EXPECT_EQ(p.clamped, c.clamped);
        EXPECT_EQ(l.view.text().find("beyond the end of the playlist") != std::string::npos, c.clamped) << l.view.text();
    }
    // In the "Time" format the sum's rest below a millisecond is ignored: a
    // PlayItem of 1001 ms and 22 ticks ends, for a chapter at 00:00:01.001.
    const TMPLS odd = simplePlaylist({playItem("00001", 0, 45045 + 22), playItem("00002", 900, 90000)});
    Logged l;
    EXPECT_EQ(placeChapter(odd, 45045, ChapterFormat::Time, l.log).playItem, 1);
    EXPECT_EQ(placeChapter(odd, 45045, ChapterFormat::Time, l.log).markTime, 900u);
    EXPECT_EQ(placeChapter(odd, 45045, ChapterFormat::PTS, l.log).playItem, 0);
}

TEST(Chapters, MarksOnMissingPlayItemsAreReportedAndSkipped) {
    const TMPLS m = simplePlaylist({playItem("00001", 27000000, 27450000)},
                                   {mark(0, 27045000), mark(0xFFFF, 0), mark(1, 27000000), mark(0, 27090000)});
    Logged l;
    EXPECT_EQ(exportChapters(m, ChapterFormat::Time, l.log), "00:00:01.000\r\n00:00:02.000\r\n");
    EXPECT_EQ(l.view.plainLines(),
              (std::vector<std::string>{
                  "Mark 001 refers to PlayItem 65535, which the playlist does not have (1 PlayItems): not exported.",
                  "Mark 002 refers to PlayItem 1, which the playlist does not have (1 PlayItems): not exported."}));
}
