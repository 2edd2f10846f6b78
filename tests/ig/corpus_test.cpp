// Every corpus menu: the values its .txt states, its objects against the
// images they were compiled from, .mnu and .m2ts alike, load-save-load, and
// its muxed stream as ffprobe and the loader read it back.

#include "compare.h"
#include "corpus_expect.h"
#include "ig/json.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "ig/objects.h"
#include "ig/save.h"
#include "ig/structure.h"
#include "support/testsupport.h"
#include "ts_extract.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace navora;
using namespace navora::test;

namespace {

struct CorpusMenu {
    std::string name;
    fs::path dir;
    fs::path file(const std::string& ext) const { return dir / (name + ext); }
};

std::vector<CorpusMenu> corpusMenus() {
    std::vector<CorpusMenu> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(corpusDir() / "igs", ec))
        if (e.is_directory()) out.push_back({e.path().filename().string(), e.path()});
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return out;
}

TIGSc load(const fs::path& mnu) {
    MenuLoadReport report;
    TIGSc m = loadMNU(readFile(mnu), mnu.string(), &report);
    EXPECT_TRUE(report.icsFound && report.endFound) << mnu;
    EXPECT_TRUE(report.warnings.empty()) << mnu << ": " << report.warnings.front();
    return m;
}

void expectState(const ExpectedState& e, std::uint16_t start, std::uint16_t end, const std::string& where) {
    EXPECT_EQ(start, e.start) << where;
    EXPECT_EQ(end, e.end) << where;
}

// Menus made by an independent tool hold no reference that names no button.
TEST(CorpusMenus, HoldNoBrokenButtonReference) {
    NAVORA_NEED_CORPUS("igs");
    for (const CorpusMenu& c : corpusMenus()) {
        const auto faults = menuReferenceFaults(load(c.file(".mnu")));
        EXPECT_TRUE(faults.empty()) << c.name << ": " << faults.front();
    }
}

TEST(CorpusMenus, MatchTheirExpectedValues) {
    NAVORA_NEED_CORPUS("igs");
    const auto menus = corpusMenus();
    ASSERT_FALSE(menus.empty());
    for (const CorpusMenu& c : menus) {
        SCOPED_TRACE(c.name);
        const ExpectedMenu x = parseExpected(c.file(".txt"));
        ASSERT_GT(x.pages, 0);
        TIGSc m = load(c.file(".mnu"));
        EXPECT_EQ(m.video_width, x.width);
        EXPECT_EQ(m.video_height, x.height);
        EXPECT_EQ(m.frame_rate_id, x.frameRateId);
        EXPECT_EQ(static_cast<int>(m.stream_model), x.streamModel);
        EXPECT_EQ(static_cast<int>(m.user_interface_model), x.uiModel);
        EXPECT_EQ(hasTimeOuts(m), x.compositionTimeOut.has_value());
        if (x.compositionTimeOut) {
            EXPECT_EQ(m.composition_time_out_pts, *x.compositionTimeOut);
        }
        if (x.selectionTimeOut) {
            EXPECT_EQ(m.selection_time_out_pts, *x.selectionTimeOut);
        }
        EXPECT_EQ(m.user_time_out_duration, x.userTimeOut);
        EXPECT_EQ(m.interactive_composition_data_length, x.compositionLength);
        EXPECT_EQ(m.composition_state, CompositionState::EpochStart);
        EXPECT_EQ(m.in_time, 90090000u);

        ASSERT_EQ(m.ics_segments.size(), x.icsSegments.size());
        for (std::size_t i = 0; i < x.icsSegments.size(); ++i)
            EXPECT_EQ(m.ics_segments[i].length + (i > 0 ? 9 : hasTimeOuts(m) ? 27 : 17), x.icsSegments[i]) << i;

        ASSERT_EQ(m.pages.size(), static_cast<std::size_t>(x.pages));
        ASSERT_EQ(x.pageList.size(), m.pages.size());
        for (std::size_t i = 0; i < m.pages.size(); ++i) {
            const TPage& p = m.pages[i];
            const ExpectedPage& xp = x.pageList[i];
            EXPECT_EQ(p.page_id, xp.pageId);
            EXPECT_EQ(p.page_version_number, xp.version);
            EXPECT_EQ(p.palette_id_ref, xp.palette);
            EXPECT_EQ(p.animation_frame_rate_code, xp.animationCode);
            EXPECT_EQ((std::uint64_t{p.UO_mask_high} << 32) | p.UO_mask_low, xp.uoMask) << "page " << i;
            EXPECT_EQ(p.default_selected_button_id_ref, xp.defaultSelected);
            EXPECT_EQ(p.default_activated_button_id_ref, xp.defaultActivated);
            EXPECT_EQ(p.effects[InEffects], Teffectseq{});
            EXPECT_EQ(p.effects[OutEffects], Teffectseq{});
            ASSERT_EQ(p.BOGs.size(), xp.bogs.size()) << "page " << i;
            for (std::size_t j = 0; j < p.BOGs.size(); ++j) {
                EXPECT_EQ(p.BOGs[j].default_valid_button_id_ref, xp.bogs[j].defaultValid);
                ASSERT_EQ(p.BOGs[j].buttons.size(), xp.bogs[j].buttons.size());
                for (std::size_t k = 0; k < p.BOGs[j].buttons.size(); ++k) {
                    const TIGbutton& b = p.BOGs[j].buttons[k];
                    const ExpectedButton& xb = xp.bogs[j].buttons[k];
                    const std::string where = "page " + std::to_string(i) + " button " + std::to_string(xb.id);
                    EXPECT_EQ(b.button_id, xb.id) << where;
                    EXPECT_EQ(b.button_horizontal_position, xb.x) << where;
                    EXPECT_EQ(b.button_vertical_position, xb.y) << where;
                    EXPECT_EQ(b.upper_button_id_ref, xb.up) << where;
                    EXPECT_EQ(b.lower_button_id_ref, xb.down) << where;
                    EXPECT_EQ(b.left_button_id_ref, xb.left) << where;
                    EXPECT_EQ(b.right_button_id_ref, xb.right) << where;
                    EXPECT_EQ(b.button_numeric_select_value, xb.numeric) << where;
                    EXPECT_EQ(b.auto_action_flag, xb.autoAction) << where;
                    expectState(xb.normal, b.normal_start_object_id_ref, b.normal_end_object_id_ref, where);
                    expectState(xb.selected, b.selected_start_object_id_ref, b.selected_end_object_id_ref, where);
                    expectState(xb.activated, b.activated_start_object_id_ref, b.activated_end_object_id_ref, where);
                    EXPECT_EQ(b.normal_repeat_flag, xb.normal.repeat) << where;
                    EXPECT_EQ(b.normal_complete_flag, xb.normal.complete) << where;
                    EXPECT_EQ(b.selected_repeat_flag, xb.selected.repeat) << where;
                    EXPECT_EQ(b.selected_complete_flag, xb.selected.complete) << where;
                    EXPECT_EQ(b.selected_state_sound_id_ref, xb.selected.sound) << where;
                    EXPECT_EQ(b.activated_state_sound_id_ref, xb.activated.sound) << where;
                    ASSERT_EQ(b.commands.size(), xb.commands.size()) << where;
                    for (std::size_t n = 0; n < b.commands.size(); ++n)
                        EXPECT_EQ(b.commands[n].w, xb.commands[n]) << where << " command " << n;
                    // The button is as large as its normal state's first object.
                    ASSERT_LT(b.normal_start_object_id_ref, m.objects.size()) << where;
                    EXPECT_EQ(m.objects[b.normal_start_object_id_ref].width, xb.width) << where;
                    EXPECT_EQ(m.objects[b.normal_start_object_id_ref].height, xb.height) << where;
                    EXPECT_EQ(buttonById(m, i, b.button_id), &b) << where;
                }
            }
        }

        EXPECT_EQ(m.objects.size(), static_cast<std::size_t>(x.objects));
        for (const TIGobject& o : m.objects) EXPECT_TRUE(o.defined());
        for (const ExpectedObject& xo : x.objectSizes) {
            const TIGobject& o = m.objects.at(static_cast<std::size_t>(xo.id));
            EXPECT_EQ(o.width, xo.width);
            EXPECT_EQ(o.height, xo.height);
            EXPECT_EQ(o.object_data_length, xo.rleBytes);
            EXPECT_GT(o.fragments.size(), 1u);
        }
        ASSERT_EQ(m.palettes.size(), x.palettes.size());
        for (const ExpectedPalette& xp : x.palettes) {
            const TIGpalette& p = m.palettes.at(static_cast<std::size_t>(xp.id));
            EXPECT_EQ(p.palette_id, xp.id);
            EXPECT_EQ(p.palette_version_number, xp.version);
            const auto listed = std::count_if(p.entries.begin(), p.entries.end(),
                                              [](const TYCrCb& y) { return !(y == TYCrCb{}); });
            EXPECT_EQ(listed, xp.entries) << "palette " << xp.id;
        }
    }
}

// Decoded objects against the RGBA images they were compiled from: the same
// size, the same transparent pixels, and colours close to the source (the
// compiler made the palettes with BT.709, as players show HD menus; what
// is left is its quantizer's palette: the largest channel difference is
// measured and reported).
TEST(CorpusMenus, ObjectsMatchTheirSourceImages) {
    NAVORA_NEED_CORPUS("igs");
    for (const CorpusMenu& c : corpusMenus()) {
        SCOPED_TRACE(c.name);
        TIGSc m = load(c.file(".mnu"));
        const auto images = sourceImages(c.file(".xml"));
        ASSERT_EQ(images.size(), m.objects.size());
        TObjectCache cache;
        int largest = 0;             // over opaque pixels
        int largestTranslucent = 0;  // over partly transparent pixels, alpha included
        std::size_t opaquePixels = 0;
        for (std::size_t o = 0; o < m.objects.size(); ++o) {
            const auto source = readRgbaPng(c.dir / images[o]);
            ASSERT_TRUE(source) << images[o];
            const auto palette = paletteForObject(m, o);
            ASSERT_TRUE(palette) << "object " << o << " is used by no page";
            const RleDecodeReport report = rle_decode(m, o);
            EXPECT_FALSE(report.cutCode || report.extraLines) << o;
            const auto shown = cache.Obj2Pic(m, o, *palette);
            ASSERT_EQ(shown->width, source->width) << images[o];
            ASSERT_EQ(shown->height, source->height) << images[o];
            for (std::size_t i = 0; i < source->rgba.size(); i += 4) {
                const bool sourceClear = source->rgba[i + 3] == 0;
                ASSERT_EQ(shown->rgba[i + 3] == 0, sourceClear) << images[o] << " pixel " << i / 4;
                if (sourceClear) continue;
                const bool opaque = source->rgba[i + 3] == 255;
                opaquePixels += opaque;
                int& worst = opaque ? largest : largestTranslucent;
                for (int ch = 0; ch < 4; ++ch)
                    worst = std::max(worst, std::abs(int{shown->rgba[i + ch]} - int{source->rgba[i + ch]}));
            }
        }
        EXPECT_GT(opaquePixels, 0u);
        std::printf("[ colours ] %s: largest channel difference %d over %zu opaque pixels, %d over translucent "
                    "pixels\n",
                    c.name.c_str(), largest, opaquePixels, largestTranslucent);
        RecordProperty(c.name + "_largest_channel_difference", largest);
        // Far below what BT.601 or a swapped or mis-scaled conversion gives.
        EXPECT_LE(largest, 8);
    }
}

TEST(CorpusMenus, TransportStreamGivesTheSameMenu) {
    NAVORA_NEED_CORPUS("igs");
    for (const CorpusMenu& c : corpusMenus()) {
        SCOPED_TRACE(c.name);
        const Bytes fromTs = extractMnu(readFile(c.file(".m2ts")), kIgPid);
        const TIGSc viaTs = loadMNU(fromTs, c.file(".m2ts").string());
        EXPECT_EQ(toJson(viaTs), toJson(load(c.file(".mnu"))));
    }
}

TEST(CorpusMenus, LoadSaveLoadKeepsTheMenu) {
    NAVORA_NEED_CORPUS("igs");
    for (const CorpusMenu& c : corpusMenus()) {
        SCOPED_TRACE(c.name);
        const Bytes original = readFile(c.file(".mnu"));
        TIGSc m = load(c.file(".mnu"));
        const TIGSc loaded = m;
        // The writer lays out the page data exactly as the corpus tool did.
        Bytes corpusPages;
        for (const TIGfragment& f : m.ics_segments)
            corpusPages.insert(corpusPages.end(), m.resource->begin() + f.position,
                               m.resource->begin() + f.position + f.length);
        EXPECT_EQ(pageData(m), corpusPages);

        const Bytes saved = saveIGS(m, IgsForm::Mnu);
        const TIGSc back = loadMNU(saved, "saved.mnu");
        expectSameMenu(loaded, back);
        EXPECT_EQ(back.interactive_composition_data_length, loaded.interactive_composition_data_length);
        EXPECT_EQ(back.ics_segments.size(), loaded.ics_segments.size());
        EXPECT_EQ(saveIGS(m, IgsForm::Mnu), saved) << "saved twice";
        TIGSc again = back;
        EXPECT_EQ(saveIGS(again, IgsForm::Mnu), saved) << "saved after reloading";

        // Palettes are written entry for entry as the corpus tool wrote them.
        auto segments = [](const Bytes& mnu, std::uint8_t type) {
            std::vector<Bytes> out;
            for (std::size_t i = 0; i + 13 <= mnu.size();) {
                const std::size_t n = std::size_t{mnu[i + 11]} << 8 | mnu[i + 12];
                if (mnu[i + 10] == type) out.emplace_back(mnu.begin() + i + 13, mnu.begin() + i + 13 + n);
                i += 13 + n;
            }
            return out;
        };
        EXPECT_EQ(segments(saved, 0x14), segments(original, 0x14));
    }
}

TEST(CorpusMenus, MuxedStreamReadsBack) {
    NAVORA_NEED_CORPUS("igs");
    if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffprobe is not installed";
    TempDir dir;
    for (const CorpusMenu& c : corpusMenus()) {
        SCOPED_TRACE(c.name);
        TIGSc m = load(c.file(".mnu"));
        const TIGSc loaded = m;
        MuxReport report;
        const Bytes ts = Mux(m, &report);
        EXPECT_FALSE(report.muxError);
        EXPECT_EQ(ts.size() % 6144, 0u);
        const fs::path out = dir / (c.name + ".m2ts");
        writeFile(out, ts);
        const std::string command =
            "ffprobe -v error -show_entries stream=id,codec_tag -of json '" + out.string() + "' 2>/dev/null";
        std::string text;
        if (FILE* p = popen(command.c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, p)) text += buffer;
            EXPECT_EQ(pclose(p), 0);
        }
        const auto probe = nlohmann::json::parse(text, nullptr, false);
        ASSERT_FALSE(probe.is_discarded()) << text;
        ASSERT_EQ(probe["streams"].size(), 1u) << text;
        EXPECT_EQ(probe["streams"][0]["id"], "0x1400");
        EXPECT_EQ(probe["streams"][0]["codec_tag"], "0x0091");
        expectSameMenu(loaded, loadMNU(extractMnu(ts, kIgPid), out.string()));
    }
}

}  // namespace
