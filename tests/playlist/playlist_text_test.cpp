// What the playlist views show: times, grid rows and the list vocabulary.

#include "playlist/playlist_text.h"

#include "playlist/fixture.h"
#include "playlist/playlist_time.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace navora;
using namespace navora::test;

TEST(PlaylistText, TimesShownAndTyped) {
    struct Case {
        std::uint32_t ticks;
        const char* text;
    };
    const Case cases[] = {
        {0, "00:00:00.000"},
        {44, "00:00:00.000"},  // below a millisecond
        {27000000, "00:10:00.000"},
        {4211999955u, "25:59:59.999"},
        {4294967265u, "26:30:43.717"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(timeText(c.ticks), c.text);
        EXPECT_EQ(parseTypedTime(c.text), c.ticks - c.ticks % 45);
    }
    EXPECT_EQ(timeText(std::uint64_t{100} * 3600 * 45000), "100:00:00.000");
    for (const char* bad : {"", "00:00:00.00", "00:00:00.0000", "00:00: 0.000", "0a:00:00.000", "99:00:00.000"})
        EXPECT_FALSE(parseTypedTime(bad)) << bad;
    EXPECT_EQ(parseTypedTime("00-00-01,500"), 67500u);  // any separator but a blank
}

TEST(PlaylistText, GridRows) {
    TMPLS m = richPlaylist();
    TPlayItem& p = m.PlayList.PlayItems[0];
    p.UO_mask_table[1] = 0x40000000;
    EXPECT_EQ(playItemRow(p, 0), (std::array<std::string, 9>{"000", "00001", "M2TS", "00:10:00.000", "00:20:00.000",
                                                              "00:10:00.000", "00000000", "40000000", "3"}));
    p.OUT_time = p.IN_time - 45000;
    EXPECT_EQ(playItemRow(p, 0)[5], "-00:00:01.000");
    EXPECT_EQ(playItemRow(m.PlayList.PlayItems[1], 1)[8], "0");
    ASSERT_EQ(angleRows(p).size(), 3u);
    EXPECT_EQ(angleRows(p)[2], (std::array<std::string, 4>{"3", "00003", "M2TS", "2"}));
    EXPECT_TRUE(angleRows(m.PlayList.PlayItems[1]).empty());

    const TSTN& t = p.STN_table;
    EXPECT_EQ(stnCountRow(t), (std::array<std::string, 7>{"1", "2", "1", "1", "1", "2", "1"}));
    using R = std::array<std::string, 7>;
    EXPECT_EQ(streamRow(t, StreamKind::PrimaryVideo, 0), (R{"001", "PlayItem", "1011", "", "", "", "AVC, 1080p, 23.976"}));
    EXPECT_EQ(streamRow(t, StreamKind::PrimaryAudio, 1), (R{"002", "PlayItem", "1101", "", "", "", "DD+, -, -, fra"}));
    EXPECT_EQ(streamRow(t, StreamKind::PiPPG, 0), (R{"001", "SubPath", "", "00", "01", "1201", "deu"}));
    EXPECT_EQ(streamRow(t, StreamKind::IG, 0), (R{"001", "SubPath", "", "00", "00", "1400", "eng"}));
    EXPECT_EQ(streamRow(t, StreamKind::SecondaryVideo, 0), (R{"001", "IM PIP", "1B00", "00", "", "", "AVC, -, -"}));
    // SubPath and subclip ids: decimal in the video and secondary lists, hex
    // in the others, where a type-3 SubPath id takes four digits.
    TMPLS x = m;
    TSTN& u = x.PlayList.PlayItems[0].STN_table;
    u.IG[0].stream_entry.ref_to_SubPath_id = 12;
    u.IG[0].stream_entry.ref_to_subClip_entry_id = 10;
    u.secondary_video[0].stream_entry.ref_to_SubPath_id = 12;
    ASSERT_TRUE(setStreamField(u.PG_textST[0], StreamField::EntryType, kStreamInMuxOfSubPath));
    u.PG_textST[0].stream_entry.ref_to_SubPath_id = 12;
    EXPECT_EQ(streamRow(u, StreamKind::IG, 0)[3], "0C");
    EXPECT_EQ(streamRow(u, StreamKind::IG, 0)[4], "0A");
    EXPECT_EQ(streamRow(u, StreamKind::SecondaryVideo, 0)[3], "12");
    EXPECT_EQ(streamRow(u, StreamKind::PG, 0)[3], "000C");

    const TSubPath& sp = m.PlayList.SubPaths[0];
    EXPECT_EQ(subPathRow(sp, 0), (std::array<std::string, 4>{"000", "OoM Sync", "No", "2"}));
    EXPECT_EQ(subPlayItemRow(sp.SubPlayItems[0], 0),
              (std::array<std::string, 11>{"000", "00010", "M2TS", "1", "Yes", "0", "00:10:00.000", "00:10:10.000",
                                           "0", "00:00:00.000", "3"}));
    EXPECT_EQ(clipEntryRows(sp.SubPlayItems[0])[1], (std::array<std::string, 4>{"2", "00011", "M2TS", "1"}));
    TPlayListMarkEntry k = m.PlayListMark.marks[3];
    k.duration = 45000;
    EXPECT_EQ(markRow(k, 3), (std::array<std::string, 6>{"003", "link point", "001", "00:20:02.222", "FFFF", "45000"}));
    EXPECT_EQ(playlistFoundText(m), "[b]2[/b] PlayItem(s), [b]1[/b] SubPath(s) and [b]5[/b] PlayListMark(s) found.");
}

TEST(PlaylistText, ListsAndHints) {
    const auto& langs = languageItems();
    ASSERT_EQ(langs.size(), 431u);
    EXPECT_EQ(langs.front(), "eng");
    EXPECT_EQ(std::count(langs.begin(), langs.end(), "eng"), 2);
    EXPECT_EQ(langs.back(), "zun");
    EXPECT_EQ(languageIndex("eng"), 0u);
    EXPECT_EQ(languageIndex("deu"), 94u);
    EXPECT_FALSE(languageIndex("xxx"));

    ASSERT_EQ(audioCodingChoices().size(), 9u);
    EXPECT_EQ(audioCodingChoices()[7].code, 0xA1);
    EXPECT_EQ(audioCodingChoices()[7].name, "DD+");
    EXPECT_EQ(codingChoiceIndex(audioCodingChoices(), 0xA2), 8u);
    EXPECT_EQ(codingChoiceIndex(videoCodingChoices(), 0xEA), 2u);
    EXPECT_EQ(codingChoiceIndex(videoCodingChoices(), 0x24), 3u);  // HEVC, Ultra HD discs
    EXPECT_FALSE(codingChoiceIndex(videoCodingChoices(), 0x20));
    EXPECT_EQ(videoFormatItems().back(), "2160p");
    EXPECT_EQ(dynamicRangeItems(), (std::vector<std::string>{"SDR", "HDR10", "Dolby Vision"}));
    EXPECT_EQ(colourSpaceItems(), (std::vector<std::string>{"-", "BT.709", "BT.2020"}));
    EXPECT_EQ(presentationTypeItems().size(), 13u);
    EXPECT_EQ(samplingFrequencyItems().size(), 15u);
    EXPECT_EQ(frameRateItems()[1], "23.976");
    EXPECT_EQ(subPathTypeItems().size(), 8u);
    EXPECT_EQ(markTypeName(2), "link point");
    EXPECT_EQ(entryTypeName(0), "");
    EXPECT_EQ(entryTypeItems()[0], "---");

    EXPECT_EQ(presentationTypeHint(3), "stereo (2-channel)");
    EXPECT_FALSE(presentationTypeHint(2)) << "no row: the previous hint stays";
    EXPECT_EQ(entryTypeHint(0), "");
    EXPECT_EQ(subPathTypeHint(1), "reserved");

    const StreamEditors ig = streamEditors(StreamKind::IG, kStreamOfSubPath);
    EXPECT_TRUE(ig.subPathId && ig.subClipEntryId && ig.subPID && ig.language);
    EXPECT_FALSE(ig.mainPID || ig.videoLists || ig.audioLists);
    const StreamEditors pip = streamEditors(StreamKind::PiPPG, kStreamInMuxOfSubPath);
    EXPECT_TRUE(pip.mainPID && pip.subPathId);
    EXPECT_FALSE(pip.language || pip.subPID);
    EXPECT_TRUE(streamEditors(StreamKind::SecondaryAudio, kStreamOfPlayItem).audioLists);
}
