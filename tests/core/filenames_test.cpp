#include "core/filenames.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

using namespace navora;

TEST(FileNames, SetSwitchesWith83Option) {
    const FileNameSet longNames = FileNameSet::make(false), shortNames = FileNameSet::make(true);
    EXPECT_EQ(longNames.index, "index.bdmv");
    EXPECT_EQ(longNames.movieObject, "MovieObject.bdmv");
    EXPECT_EQ(shortNames.index, "INDEX.BDM");
    EXPECT_EQ(shortNames.movieObject, "MOVIEOBJ.BDM");
    const DiscPaths p{"/d/BDMV/", shortNames};
    EXPECT_EQ(p.playlist("00001"), "/d/BDMV/PLAYLIST/00001.MPL");
    EXPECT_EQ(p.clipInfo("00001"), "/d/BDMV/CLIPINF/00001.CLP");
    EXPECT_EQ(p.stream("00001"), "/d/BDMV/STREAM/00001.MTS");
    EXPECT_EQ(p.sound(), "/d/BDMV/AUXDATA/sound.bdmv");
    EXPECT_EQ(p.discBackup("INDEX.BDM"), "/d/BDMV/BACKUP/INDEX.BDM");
    EXPECT_EQ(backupPath(p.index()), "/d/BDMV/INDEX.BDM.backup");
}

TEST(FileNames, FolderChooserSuffixRule) {
    const std::pair<std::string, std::string> cases[] = {
        {"/movie", "/movie/BDMV/"},
        {"/movie/", "/movie/BDMV/"},
        {"/movie/BDMV", "/movie/BDMV/"},
        {"/movie/BDMV/", "/movie/BDMV/"},
        {"/movie/bdmv", "/movie/bdmv/BDMV/"},  // case-sensitive
        {"/", "/BDMV/"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(chosenFolderToBdmv(in), out) << in;
}

TEST(FileNames, DiscName) {
    auto noLabel = [](const std::filesystem::path&) { return std::string(); };
    EXPECT_EQ(discName("/movie/MYDISC/BDMV/", noLabel), "MYDISC");
    // A folder at a filesystem root: its label, upper-cased.
    auto label = [](const std::filesystem::path& p) { return p == "/media/x" ? std::string("My Disc") : ""; };
    EXPECT_EQ(discName("/media/x/BDMV/", label), "MY DISC");
    EXPECT_EQ(discName("/media/y/BDMV/", label), "y");
    EXPECT_EQ(discName("/BDMV/", noLabel), "/");
    EXPECT_EQ(mainWindowTitle(""), "Navora v0.30b");
    EXPECT_EQ(mainWindowTitle("MYDISC"), "Navora v0.30b [MYDISC]");
    EXPECT_EQ(mainWindowTitle("MYDISC", "0300 UHD"), "Navora v0.30b [MYDISC] 0300 UHD");
    EXPECT_EQ(mainWindowTitle("", "0300 UHD"), "Navora v0.30b");
}

TEST(FileNames, CommandLineArgumentNamesItsFolder) {
    navora::test::TempDir dir;
    std::filesystem::create_directories(dir / "DISC" / "BDMV");
    navora::test::writeFile(dir / "DISC" / "BDMV" / "index.bdmv", {});
    const std::string bdmv = (dir / "DISC" / "BDMV").string() + "/";
    EXPECT_EQ(folderFromArgument((dir / "DISC" / "BDMV" / "index.bdmv").string()), bdmv);
    EXPECT_EQ(folderFromArgument((dir / "DISC" / "BDMV").string()), bdmv);
    EXPECT_EQ(folderFromArgument((dir / "DISC").string()), bdmv);
}

// What the folder box, a drop and Open folder read: a disc root, its BDMV
// folder, anything inside it; nothing else.
TEST(FileNames, LocateBdmvFolder) {
    navora::test::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir / "DISC" / "BDMV" / "PLAYLIST");
    fs::create_directories(dir / "DISC" / "BDMV" / "JAR" / "00000");
    navora::test::writeFile(dir / "DISC" / "BDMV" / "PLAYLIST" / "00000.mpls", {});
    navora::test::writeFile(dir / "DISC" / "BDMV" / "JAR" / "00000" / "a.class", {});
    fs::create_directories(dir / "OLD" / "bdmv" / "CLIPINF");  // lower case, but a BDMV folder by its contents
    fs::create_directories(dir / "EMPTY");
    navora::test::writeFile(dir / "EMPTY" / "notes.txt", {});
    const std::string disc = (dir / "DISC" / "BDMV").string() + "/";
    const std::string P = dir.path().string();
    const std::pair<std::string, std::string> found[] = {
        {P + "/DISC", disc},
        {P + "/DISC/", disc},
        {P + "/DISC/BDMV", disc},
        {P + "/DISC/BDMV/", disc},
        {P + "/DISC/BDMV/PLAYLIST", disc},
        {P + "/DISC/BDMV/PLAYLIST/00000.mpls", disc},
        {P + "/DISC/BDMV/JAR/00000/a.class", disc},
        {P + "/DISC/./BDMV/../BDMV", disc},
        {P + "/OLD/bdmv", P + "/OLD/bdmv/"},
    };
    for (const auto& [in, out] : found) {
        const BdmvLocation l = locateBdmvFolder(in);
        EXPECT_EQ(l.folder, out) << in;
        EXPECT_EQ(l.error, "") << in;
    }
    const std::pair<std::string, std::string> refused[] = {
        {P + "/EMPTY", "No BDMV folder in " + P + "/EMPTY"},
        {P + "/EMPTY/notes.txt", "No BDMV folder in " + P + "/EMPTY/notes.txt"},
        {P + "/MISSING", "No such file or folder: " + P + "/MISSING"},
        {"", "No folder given."},
    };
    for (const auto& [in, error] : refused) {
        const BdmvLocation l = locateBdmvFolder(in);
        EXPECT_EQ(l.folder, "") << in;
        EXPECT_EQ(l.error, error) << in;
    }
}
