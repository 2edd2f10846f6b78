// The demo disc's menu clip: its stream carries the demo menu, its clip
// information reads back and describes the stream.

#include "clip/clipinfo_io.h"
#include "compare.h"
#include "disc/demo.h"
#include "disc/demo_menu.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "support/testsupport.h"
#include "ts_extract.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

namespace {

TEST(DemoMenuClip, StreamCarriesTheMenuAndClipInfoDescribesIt) {
    TempDir a, b;
    makeDemoDisc(a.path());
    makeDemoDisc(b.path());
    const fs::path stream = a / "BDMV" / "STREAM" / "00090.m2ts";
    const fs::path clpi = a / "BDMV" / "CLIPINF" / "00090.clpi";
    const Bytes ts = readFile(stream);
    EXPECT_EQ(ts, readFile(b / "BDMV" / "STREAM" / "00090.m2ts"));  // deterministic
    ASSERT_EQ(ts.size() % 6144, 0u);

    const TCLPI clip = readClipInfo(readFile(clpi), clpi.string());
    EXPECT_EQ(clip.ClipInfo.number_of_source_packets, ts.size() / 192);
    EXPECT_FALSE(sourcePacketMismatch(clip, ts.size()));
    ASSERT_EQ(clip.ProgramInfo.program_sequences.size(), 1u);
    const auto& streams = clip.ProgramInfo.program_sequences[0].streams;
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].stream_PID, kIgPid);
    EXPECT_EQ(codingTypeName(streams[0].stream_coding_type), "IG");
    EXPECT_EQ(streams[0].language_code, "eng");
    EXPECT_EQ(clip.SequenceInfo.ATC_sequences.at(0).STC_sequences.at(0).PCR_PID, kPcrPid);
    // An EP map of the IG PID: players seek with it. Each entry names a
    // packet that starts a PES of the IG PID, with that PES's PTS.
    ASSERT_GT(clip.CPI.length, 0u);
    EXPECT_EQ(clip.CPI.CPI_type & 0xF, 1);
    ASSERT_EQ(clip.CPI.stream_PID_entries.size(), 1u);
    EXPECT_EQ(clip.CPI.stream_PID_entries[0].stream_PID, kIgPid);
    ASSERT_EQ(clip.CPI.EP_maps.size(), 1u);
    const TEP_map_fosPID& ep = clip.CPI.EP_maps[0];
    ASSERT_GE(ep.fine.size(), 1u);
    ASSERT_EQ(ep.coarse.size(), ep.fine.size());
    const auto points = igEntryPoints(ts, kIgPid);
    ASSERT_EQ(points.size(), ep.fine.size());
    EXPECT_EQ(points[0].pts, 600u * 90000u);  // the menu's ICS
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::size_t at = std::size_t{ep.coarse[i].SPN_EP_coarse} * 192 + 4;
        ASSERT_LT(at + 4, ts.size());
        EXPECT_EQ(ts[at], 0x47);
        EXPECT_TRUE(ts[at + 1] & 0x40) << "no PES starts in packet " << ep.coarse[i].SPN_EP_coarse;
        EXPECT_EQ(((ts[at + 1] & 0x1F) << 8) | ts[at + 2], kIgPid);
        EXPECT_EQ(ep.fine[i].SPN_EP_fine, ep.coarse[i].SPN_EP_coarse & 0x1FFFF);
        const std::uint64_t pts45 = (std::uint64_t{ep.coarse[i].PTS_EP_coarse} << 18) | (std::uint64_t{ep.fine[i].PTS_EP_fine} << 8);
        EXPECT_EQ(pts45, (points[i].pts >> 1) & ~std::uint64_t{0xFF}) << i;
    }

    MenuLoadReport report;
    const TIGSc loaded = loadMNU(extractMnu(ts, kIgPid), stream.string(), &report);
    EXPECT_TRUE(report.icsFound && report.endFound && report.warnings.empty());
    const TIGSc made = demoMenu();
    expectSameMenu(made, loaded);

    // What the demo is there to show.
    ASSERT_GE(loaded.pages.size(), 3u);
    const TPage& main = loaded.pages[0];
    EXPECT_EQ(main.effects[InEffects].number_of_windows, 1);
    EXPECT_GE(main.effects[InEffects].effects.size(), 3u);
    EXPECT_TRUE(main.effects[OutEffects].effects.at(0).composition_objects.at(0).cropped());
    EXPECT_EQ(loaded.pages[1].effects[InEffects].effects.size(), 3u);
    std::size_t animated = 0, commands = 0, autoAction = 0;
    for (const TPage& p : loaded.pages)
        for (const TBOG& bog : p.BOGs)
            for (const TIGbutton& btn : bog.buttons) {
                animated += btn.selected_end_object_id_ref > btn.selected_start_object_id_ref;
                commands += btn.commands.size();
                autoAction += btn.auto_action_flag;
            }
    EXPECT_GE(animated, 1u);
    EXPECT_GE(commands, 10u);
    EXPECT_EQ(autoAction, 1u);
    EXPECT_EQ(loaded.palettes.size(), 3u);
}

}  // namespace
