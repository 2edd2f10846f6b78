// Save PID: form and file name rules, the menu loader's PID rule, and the run
// with its messages.

#include "core/logviews.h"
#include "support/testsupport.h"
#include "ts/savepid.h"
#include "packets.h"

#include <gtest/gtest.h>

using namespace navora;
using namespace navora::test;

TEST(SavePid, FormAndExtensionByPidAndOptions) {
    const DemuxOptions none{false, false, false}, pes{true, false, false}, sup{false, true, false},
        mnu{false, false, true}, all{true, true, true};
    const struct {
        std::uint16_t pid;
        DemuxOptions options;
        DemuxForm form;
        const char* extension;
    } cases[] = {
        {0x1011, none, DemuxForm::Elementary, "vis"},
        {0x1012, none, DemuxForm::Elementary, ""},  // not the primary video: no extension
        {0x1012, pes, DemuxForm::Pes, "PES."},
        {0x1100, none, DemuxForm::Elementary, "aus"},
        {0x11FF, pes, DemuxForm::Pes, "PES.aus"},
        {0x1B00, none, DemuxForm::Elementary, "svs"},
        {0x1A00, none, DemuxForm::Elementary, "sas"},
        {0x1800, none, DemuxForm::Elementary, "txs"},
        {0x1200, none, DemuxForm::Elementary, "pgs"},
        {0x1200, pes, DemuxForm::Pes, "PES.pgs"},
        {0x1201, sup, DemuxForm::Sup, "sup"},
        {0x1200, all, DemuxForm::Sup, "sup"},  // SUP wins over PES
        {0x1400, mnu, DemuxForm::Menu, "mnu"},
        {0x1400, all, DemuxForm::Pes, "PES.igs"},  // PES wins over MNU
        {0x1400, sup, DemuxForm::Elementary, "igs"},
        {0x1100, all, DemuxForm::Pes, "PES.aus"},
        {0x0100, none, DemuxForm::Elementary, ""},
    };
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.pid);
        EXPECT_EQ(savePidChoice(tc.pid, tc.options), (SavePidChoice{tc.form, tc.extension}));
    }
    EXPECT_EQ(DemuxOptions{}, (DemuxOptions{false, true, true}));  // the Options tab's defaults
}

TEST(SavePid, FileNameFromTheSelectedRow) {
    EXPECT_EQ(savePidFileName("00001", "1011", "AVC", "1080i, 29.97, 16:9", "vis"),
              "00001_PID1011_AVC_1080i_29.97_16_9.vis");
    EXPECT_EQ(savePidFileName("00000", "1100", "DTS-HD ex. XLL", "St.+M-ch., c:48/96, e:192 kHz, eng", "PES.aus"),
              "00000_PID1100_DTS-HD_ex._XLL_St.+M-ch._c_48/96_e_192_kHz_eng.PES.aus");
    EXPECT_EQ(savePidFileName("00002", "1012", "", "", ""), "00002_PID1012__.");
}

TEST(SavePid, PidTextAndTheMenuRule) {
    const std::pair<const char*, std::uint16_t> pids[] = {
        {"1400", 0x1400}, {"14ff", 0x14FF}, {" 1 2:0 0", 0x1200}, {"$1011", 0x1011}, {"0x1100", 0x1100},
        {"", 0}, {"zz", 0}, {"123456", 0x3456},
    };
    for (const auto& [text, pid] : pids) EXPECT_EQ(pidFromText(text), pid) << text;
    EXPECT_TRUE(menuLoadEnabled("1400", 1));
    EXPECT_TRUE(menuLoadEnabled("14FF", 192));
    EXPECT_FALSE(menuLoadEnabled("1400", 0));  // missing or empty stream file
    EXPECT_FALSE(menuLoadEnabled("1500", 192));
    EXPECT_FALSE(menuLoadEnabled("13FF", 192));
}

TEST(SavePid, MessagesOfARunACancelAndAFailure) {
    TempDir tmp;
    Bytes stream;
    for (int i = 0; i < 400; ++i) {
        const Bytes p = packetize(0x1100, pesPacket({0xFD}, ramp(20, static_cast<std::uint8_t>(i))));
        stream.insert(stream.end(), p.begin(), p.end());
    }
    writeFile(tmp / "s.m2ts", stream);
    RecordingLogView view;
    Log log;
    log.setView(&view);

    CancelToken token;
    SavePidOutcome o = savePid(log, tmp / "s.m2ts", tmp / "s.aus", 0x1100, DemuxForm::Elementary, token);
    EXPECT_TRUE(o.saved);
    EXPECT_EQ(view.plainLines(), (std::vector<std::string>{"", "Saving " + (tmp / "s.aus").string() + " ...",
                                                           "400 source packets saved. (0:00:00)"}));
    EXPECT_EQ(view.panels[0], " Ready. ");
    EXPECT_EQ(fs::file_size(tmp / "s.aus"), 400u * 20);
    EXPECT_FALSE(token.progress);  // the log's progress handler was only lent to the run

    view.lines.clear();
    token.poll = [&] { token.cancel(); };
    o = savePid(log, tmp / "s.m2ts", tmp / "t.aus", 0x1100, DemuxForm::Elementary, token);
    EXPECT_FALSE(o.saved);
    EXPECT_TRUE(o.result.cancelled);
    EXPECT_EQ(view.plainLines().back(), "Saving cancelled.");
    EXPECT_FALSE(fs::exists(tmp / "t.aus"));

    view.lines.clear();
    o = savePid(log, tmp / "missing.m2ts", tmp / "u.aus", 0x1100, DemuxForm::Elementary, token);
    EXPECT_FALSE(o.saved);
    ASSERT_EQ(view.plainLines().size(), 3u);
    EXPECT_EQ(view.plainLines()[2].rfind("ERROR: Cannot open " + (tmp / "missing.m2ts").string(), 0), 0u);
    EXPECT_TRUE(view.error);
    EXPECT_FALSE(fs::exists(tmp / "u.aus"));

    // A bad sync byte: the file is saved without that packet, and the log
    // says where; a PID the stream lacks saves nothing, as an error.
    stream[7 * 192 + 4] = 0;
    writeFile(tmp / "bad.m2ts", stream);
    view.lines.clear();
    token.reset();
    token.poll = nullptr;
    o = savePid(log, tmp / "bad.m2ts", tmp / "v.aus", 0x1100, DemuxForm::Elementary, token);
    EXPECT_TRUE(o.saved);
    EXPECT_TRUE(o.result.damaged());
    EXPECT_EQ(fs::file_size(tmp / "v.aus"), 399u * 20);
    EXPECT_EQ(view.plainLines(),
              (std::vector<std::string>{"", "Saving " + (tmp / "v.aus").string() + " ...",
                                        "WARNING: Bad sync byte at offset 1344 ($00000540): 192 bytes skipped, up to "
                                        "offset 1536 ($00000600), where source packets line up again.",
                                        "399 source packets saved. (0:00:00)"}));
    EXPECT_EQ(view.panels[0], " Saved; damaged parts of the stream were skipped (see the log). ");
    view.lines.clear();
    view.error = false;
    o = savePid(log, tmp / "s.m2ts", tmp / "w.aus", 0x1101, DemuxForm::Elementary, token);
    EXPECT_FALSE(o.saved);
    EXPECT_EQ(view.plainLines().back(), "ERROR: Nothing saved: " + (tmp / "s.m2ts").string() +
                                            " has no packets of PID 1101 (400 source packets read).");
    EXPECT_TRUE(view.error);
    EXPECT_FALSE(fs::exists(tmp / "w.aus"));
}

TEST(SavePid, ProgressLineAndTimes) {
    using std::chrono::milliseconds;
    const Progress p{32768, 131072, milliseconds(3500)};
    EXPECT_EQ(p.percent(), 25);
    EXPECT_EQ(p.remaining(), milliseconds(10500 + 1000));
    EXPECT_EQ(progressLine(p), "Packet: 32768/131072   Elapsed: 0:00:03   Remaining: 0:00:11");
    EXPECT_EQ(hmmss(milliseconds(3600000 * 12 + 61999)), "12:01:01");
    EXPECT_EQ(savedPacketsLine(0, milliseconds(0)), "0 source packets saved. (0:00:00)");
    EXPECT_EQ((Progress{0, 0, milliseconds(5)}).remaining(), milliseconds(0));
    EXPECT_EQ(pesTimeText(0xFFFFFFFF), "13:15:21.858");
}

namespace {

// A window whose user clicks Cancel while the first block is processed and
// confirms the question.
struct ClickingView : RecordingLogView {
    Log* log = nullptr;
    std::vector<bool> bar;
    void processEvents() override {
        if (questions.empty()) log->cancelClick();
    }
    void progressShown(bool shown) override { bar.push_back(shown); }
};

}  // namespace

TEST(SavePid, TheLogsCancelButtonStopsARunAfterItsQuestion) {
    TempDir tmp;
    Bytes stream;
    for (int i = 0; i < 800; ++i) {
        const Bytes p = packetize(0x1200, pesPacket({0xBD, 1000u * i}, ramp(30, static_cast<std::uint8_t>(i))));
        stream.insert(stream.end(), p.begin(), p.end());
    }
    writeFile(tmp / "s.m2ts", stream);
    ClickingView view;
    Log log;
    log.setView(&view);
    view.log = &log;
    log.cancelFlag = true;  // left over from an earlier operation: cleared when the bar shows
    CancelToken token;
    const SavePidOutcome o = savePid(log, tmp / "s.m2ts", tmp / "s.sup", 0x1200, DemuxForm::Sup, token);
    EXPECT_TRUE(o.result.cancelled);
    EXPECT_EQ(o.result.packets, 341u);  // the click came at the end of the first block
    EXPECT_EQ(view.questions, (std::vector<std::string>{"Are you sure to stop?"}));
    EXPECT_EQ(view.bar, (std::vector<bool>{true, false}));
    EXPECT_EQ(view.plainLines().back(), "Saving cancelled.");
    EXPECT_FALSE(fs::exists(tmp / "s.sup"));
    EXPECT_FALSE(token.poll);
}
