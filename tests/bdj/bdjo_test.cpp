// BD-J objects: every section read from a file laid out by hand (sections
// out of order, gaps between them, non-zero alignment bytes), the texts of
// the BDJO tab, refusals, and the writer the demo disc uses.

#include "bdj/bdjo_io.h"
#include "bdj/bdjo_text.h"
#include "core/errors.h"
#include "core/logviews.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace navora;

namespace {

constexpr std::uint8_t kFill = 0xEE;  // gap and alignment bytes: a reader that reads them goes astray

// The object as the file below holds it (lengths and addresses included).
TBDJO expectedModel() {
    TBDJO b;
    b.type_indicator = "BDJO";
    b.version_number = "0200";
    b.first_address = 0x1234;
    b.terminal_info = {10, "00001", 0xB, true, false};
    b.app_cache_info.entries = {{1, "00000", "*.*"}, {2, "00001", "jpn"}};
    b.accessible_playlists.access_to_all_flag = true;
    b.accessible_playlists.autostart_first_PlayList_flag = false;
    b.accessible_playlists.PlayList_file_name = {"00000", "00002"};

    Tapplication a0;
    a0.application_control_code = 1;
    a0.application_type = 0x10;
    a0.organization_id = 0x00000001;
    a0.application_id = 0x4000;
    a0.descriptor_tag = 0x00;
    a0.profiles = {{0x0001, 1, 0, 2}, {0x0003, 2, 1, 0}};
    a0.application_priority = 3;
    a0.binding = 3;
    a0.visibility = 2;
    a0.names = {{"eng", "Menu"}, {"fra", "Jeu"}};  // 15 bytes: the names end on an odd offset
    a0.icon_locator = "icon";
    a0.icon_flags = 0x0102;
    a0.base_directory = "00000";
    a0.initial_class_name = "org.example.Main";
    a0.parameters = {"a=1", "bb"};

    Tapplication a1;  // no profiles, names or parameters
    a1.application_control_code = 2;
    a1.application_type = 0x10;
    a1.organization_id = 0x7FFF0001;
    a1.application_id = 0x4001;
    a1.descriptor_tag = 0x0A;
    a1.application_priority = 1;
    a1.base_directory = "00001";
    a1.classpath_extension = "lib.jar";
    a1.initial_class_name = "Second";

    Tapplication a2;
    a2.application_control_code = 4;
    a2.application_type = 0x10;
    a2.organization_id = 0xABCDEF01;
    a2.application_id = 0x0002;
    a2.profiles = {{0x0002, 1, 1, 1}};
    a2.application_priority = 2;
    a2.binding = 1;
    a2.names = {{"jpn", "X"}};
    a2.initial_class_name = "Third";
    a2.parameters = {"only"};
    b.applications.applications = {a0, a1, a2};

    b.key_interest = 0x80200000;  // bits 31 (Play) and 21 (PG TextST)
    b.file_access_info.directory_path = "ADV_OBJ";
    return b;
}

// Lays the model out by hand, field by field: key interest and file access
// first, then cache info, playlists and applications, with fill bytes in the
// gaps and as alignment bytes. Sets the lengths and addresses of expected.
// afterNamesOdd collects, per application, whether its names ended on an
// odd offset.
Bytes fixtureFile(TBDJO& b, std::vector<bool>* afterNamesOdd = nullptr) {
    ByteWriter w;
    auto gap = [&](std::size_t n) { w.putbytes(Bytes(n, kFill)); };
    auto align = [&] {
        if (w.size() % 2) w.putbyte(kFill);
    };
    auto text8 = [&](const std::string& s) {
        w.putbyte(static_cast<std::uint8_t>(s.size()));
        w.putstring(s, s.size());
    };
    w.putstring(b.type_indicator, 4);
    w.putstring(b.version_number, 4);
    w.putlword(b.first_address);
    w.putzeros(20);
    w.putbytes(Bytes(16, 0));
    w.putlword(b.terminal_info.length);
    w.putstring(b.terminal_info.default_font_file_name, 5);
    w.putbyte(static_cast<std::uint8_t>(b.terminal_info.initial_HAVi_configuration_id << 4 |
                                        b.terminal_info.menu_call_mask << 3 | b.terminal_info.title_search_mask << 2));
    w.putzeros(4);  // at 62

    gap(2);
    b.KeyInterestTable_start_address = static_cast<std::uint32_t>(w.size());
    w.putlword(b.key_interest);
    b.FileAccessInfo_start_address = static_cast<std::uint32_t>(w.size());
    w.putword(static_cast<std::uint16_t>(b.file_access_info.directory_path.size()));
    w.putstring(b.file_access_info.directory_path, b.file_access_info.directory_path.size());
    align();

    gap(2);
    b.AppCacheInfo_start_address = static_cast<std::uint32_t>(w.size());
    b.app_cache_info.length = static_cast<std::uint32_t>(2 + 12 * b.app_cache_info.entries.size());
    w.putlword(b.app_cache_info.length);
    w.putbyte(static_cast<std::uint8_t>(b.app_cache_info.entries.size()));
    w.putbyte(0);
    for (const auto& e : b.app_cache_info.entries) {
        w.putbyte(e.entry_type);
        w.putstring(e.ref_to_name, 5);
        w.putstring(e.language_code, 3);
        w.putzeros(3);
    }

    b.TableOfAccessiblePlayLists_start_address = static_cast<std::uint32_t>(w.size());
    b.accessible_playlists.length = static_cast<std::uint32_t>(4 + 6 * b.accessible_playlists.PlayList_file_name.size());
    w.putlword(b.accessible_playlists.length);
    w.putword(0x0050);  // two playlists, access to all, no autostart
    w.putzeros(2);
    for (const auto& n : b.accessible_playlists.PlayList_file_name) {
        w.putstring(n, 5);
        w.putbyte(0);
    }

    b.ApplicationManagementTable_start_address = static_cast<std::uint32_t>(w.size());
    const std::size_t amt = w.size();
    w.putlword(0);
    w.putbyte(static_cast<std::uint8_t>(b.applications.applications.size()));
    w.putbyte(0);
    for (auto& a : b.applications.applications) {
        w.putbyte(a.application_control_code);
        w.putbyte(a.application_type);
        w.putlword(a.organization_id);
        w.putword(a.application_id);
        w.putbyte(a.descriptor_tag);
        w.putbyte(0);
        const std::size_t lengthAt = w.size();
        w.putlword(0);
        w.putzeros(4);
        w.putword(static_cast<std::uint16_t>(a.profiles.size() << 12));
        for (const auto& p : a.profiles) {
            w.putword(p.application_profile);
            w.putbyte(p.major);
            w.putbyte(p.minor);
            w.putbyte(p.micro);
            w.putbyte(0);
        }
        w.putbyte(a.application_priority);
        w.putbyte(static_cast<std::uint8_t>(a.binding << 6 | a.visibility << 4));
        std::size_t names = 0;
        for (const auto& n : a.names) names += n.name.size() + 4;
        w.putword(static_cast<std::uint16_t>(names));
        for (const auto& n : a.names) {
            w.putstring(n.language, 3);
            text8(n.name);
        }
        if (afterNamesOdd) afterNamesOdd->push_back(w.size() % 2 != 0);
        align();
        text8(a.icon_locator);
        align();
        w.putword(a.icon_flags);
        text8(a.base_directory);
        align();
        text8(a.classpath_extension);
        align();
        text8(a.initial_class_name);
        align();
        std::size_t params = 0;
        for (const auto& p : a.parameters) params += p.size() + 1;
        w.putbyte(static_cast<std::uint8_t>(params));
        for (const auto& p : a.parameters) text8(p);
        align();
        a.descriptor_length = static_cast<std::uint32_t>(w.size() - lengthAt - 8);
        w.patchlword(lengthAt, a.descriptor_length);
    }
    b.applications.length = static_cast<std::uint32_t>(w.size() - amt - 4);
    w.patchlword(amt, b.applications.length);

    const std::uint32_t addresses[] = {b.AppCacheInfo_start_address, b.TableOfAccessiblePlayLists_start_address,
                                       b.ApplicationManagementTable_start_address, b.KeyInterestTable_start_address,
                                       b.FileAccessInfo_start_address};
    for (std::size_t i = 0; i < 5; ++i) w.patchlword(12 + 4 * i, addresses[i]);
    return w.take();
}

struct Fixture {
    TBDJO model = expectedModel();
    std::vector<bool> afterNamesOdd;
    Bytes file = fixtureFile(model, &afterNamesOdd);
};

// The model without what the writer recomputes.
TBDJO withoutLayout(TBDJO b) {
    b.AppCacheInfo_start_address = b.TableOfAccessiblePlayLists_start_address = 0;
    b.ApplicationManagementTable_start_address = b.KeyInterestTable_start_address = 0;
    b.FileAccessInfo_start_address = 0;
    b.app_cache_info.length = b.accessible_playlists.length = b.applications.length = 0;
    for (auto& a : b.applications.applications) a.descriptor_length = 0;
    return b;
}

}  // namespace

TEST(BdjoReader, ReadsEverySection) {
    Fixture f;
    ASSERT_EQ(f.afterNamesOdd, (std::vector<bool>{true, false, true}));  // the fixture has the odd case
    const TBDJO b = readBdjo(f.file, "BDJO/00001.bdjo");
    EXPECT_EQ(b, f.model);
    // The 0x0050 word: two playlists, "Acces to all" on, "Autostart first PL" off.
    EXPECT_EQ(b.accessible_playlists.PlayList_file_name.size(), 2u);
    EXPECT_TRUE(b.accessible_playlists.access_to_all_flag);
    EXPECT_FALSE(b.accessible_playlists.autostart_first_PlayList_flag);
}

TEST(BdjoReader, TabTexts) {
    Fixture f;
    const TBDJO b = readBdjo(f.file, "00001.bdjo");
    const TextGrid apps = applicationsGrid(b);
    ASSERT_EQ(apps.columns.size(), 16u);
    EXPECT_EQ(apps.columns[15], "pa.");
    ASSERT_EQ(apps.rows.size(), 3u);
    EXPECT_EQ(apps.rows[0], (std::vector<std::string>{"0", "1", "16", "00000001", "4000", "00", "3", "3", "2", "icon",
                                                      "00000", "", "org.example.Main", "2", "2", "2"}));
    EXPECT_EQ(apps.rows[1][15], "0");
    EXPECT_EQ(apps.rows[1][3], "7FFF0001");
    EXPECT_TRUE(gridEnabled(apps, true));

    const TextGrid noParams = parametersGrid(b.applications.applications[1]);
    EXPECT_TRUE(noParams.rows.empty());
    EXPECT_FALSE(gridEnabled(noParams));
    EXPECT_EQ(parametersGrid(b.applications.applications[0]).rows,
              (std::vector<std::vector<std::string>>{{"1", "a=1"}, {"2", "bb"}}));
    EXPECT_EQ(profilesGrid(b.applications.applications[0]).rows[0], (std::vector<std::string>{"0", "0001", "1.0.2"}));
    EXPECT_EQ(namesGrid(b.applications.applications[0]).rows[1], (std::vector<std::string>{"1", "fra", "Jeu"}));
    EXPECT_EQ(cacheInfoGrid(b).rows[1], (std::vector<std::string>{"1", "2", "00001", "jpn"}));
    EXPECT_EQ(accessiblePlayListsGrid(b).rows[1], (std::vector<std::string>{"1", "00002"}));
    EXPECT_EQ(haviText(b.terminal_info), "B");

    std::vector<std::string> checked;
    for (const KeySwitch& k : keySwitches())
        if (hasKeyInterest(b.key_interest, k.key)) checked.push_back(k.caption);
    EXPECT_EQ(checked, (std::vector<std::string>{"Play", "PG TextST"}));

    TBDJO one = b;
    one.applications.applications.resize(1);
    EXPECT_FALSE(gridEnabled(applicationsGrid(one), true));
    EXPECT_EQ(bdjoReadingLine("00001"), "Reading [bl]00001.bdjo[/bl]");
}

TEST(BdjoReader, RefusesWrongKindsAndCutFiles) {
    Fixture f;
    for (auto [at, value, found] : {std::tuple{3, 'X', "type indicator \"BDJX\""}, {5, '3', "version \"0300\""}}) {
        Bytes file = f.file;
        file[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value);
        try {
            readBdjo(file, "BDJO/00001.bdjo");
            ADD_FAILURE() << found;
        } catch (const WrongTypeError& e) {
            EXPECT_EQ(e.file(), "BDJO/00001.bdjo");
            EXPECT_NE(e.reason().find(found), std::string::npos) << e.what();
        }
    }
    // Every cut of the file is refused with a located error.
    for (std::size_t n = 0; n < f.file.size(); ++n) {
        const Bytes cut(f.file.begin(), f.file.begin() + static_cast<std::ptrdiff_t>(n));
        try {
            readBdjo(cut, "cut.bdjo");
            ADD_FAILURE() << "cut at " << n << " accepted";
        } catch (const FormatError& e) {
            EXPECT_LE(e.offset(), n);
        }
    }
    // Counts larger than the bytes left are refused before anything is sized from them.
    Bytes many = f.file;
    many[f.model.ApplicationManagementTable_start_address + 4] = 255;
    EXPECT_THROW(readBdjo(many, "many.bdjo"), FormatError);
    Bytes playlists = f.file;
    playlists[f.model.TableOfAccessiblePlayLists_start_address + 4] = 0xFF;
    try {
        readBdjo(playlists, "pl.bdjo");
        ADD_FAILURE() << "2040 playlists accepted";
    } catch (const FormatError& e) {
        EXPECT_NE(e.reason().find("accessible playlists cannot fit"), std::string::npos) << e.what();
    }
    Bytes far = f.file;
    far[24] = 0x01;  // KeyInterestTable address beyond the end
    EXPECT_THROW(readBdjo(far, "far.bdjo"), FormatError);
}

TEST(BdjoWriter, WritesWhatTheReaderReads) {
    Fixture f;
    const Bytes written = writeBdjo(f.model);
    const TBDJO back = readBdjo(written, "written.bdjo");
    EXPECT_EQ(withoutLayout(back), withoutLayout(f.model));
    // The sections follow one another.
    EXPECT_EQ(back.ApplicationManagementTable_start_address,
              back.TableOfAccessiblePlayLists_start_address + 4 + back.accessible_playlists.length);
    EXPECT_EQ(writeBdjo(back), written);

    TBDJO tooMany = f.model;
    tooMany.applications.applications[0].parameters.assign(100, "abc");
    EXPECT_THROW(writeBdjo(tooMany), std::length_error);
}

// The read of the BDJO tab: a refused object is one error line naming the
// file and what was found; the model is not replaced.
TEST(BdjoReader, TabReadLogsRefusals) {
    Fixture f;
    navora::test::TempDir dir;
    const std::string folder = dir.path().string() + "/";
    navora::test::writeFile(dir / "00001.bdjo", f.file);
    Bytes wrong = f.file;
    wrong[5] = '3';
    navora::test::writeFile(dir / "00002.bdjo", wrong);

    Log log;
    RecordingLogView view;
    log.setView(&view);
    const auto good = readBdjoFile(log, folder, "00001");
    ASSERT_TRUE(good);
    EXPECT_EQ(*good, f.model);
    EXPECT_EQ(view.plainLines().back(), "Reading 00001.bdjo");
    EXPECT_FALSE(log.errorFlag);

    EXPECT_FALSE(readBdjoFile(log, folder, "00002"));
    EXPECT_TRUE(log.errorFlag);
    EXPECT_EQ(view.plainLines().back(),
              "ERROR: Format error 00002.bdjo at $00000008: version \"0300\" is not supported (\"0100\" or \"0200\")");
    EXPECT_FALSE(readBdjoFile(log, folder, "00003"));
    EXPECT_NE(view.plainLines().back().find("00003.bdjo"), std::string::npos);
}
