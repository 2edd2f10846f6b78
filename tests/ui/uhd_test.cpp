// An Ultra HD disc in the window: the title says so, the tabs show the UHD
// fields, and edits made by clicks and keys on a UHD disc are saved to the
// place clicked, with everything else unchanged, and read by libbluray.

#include "uitests.h"

#include "core/streamcoding.h"
#include "disc/demo.h"
#include "nav/disasm.h"
#include "nav/edit.h"
#include "navdb/index_edit.h"
#include "navdb/index_io.h"
#include "navdb/movieobject_edit.h"
#include "navdb/movieobject_io.h"
#include "navdb/uhd.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_io.h"
#include "support/peertools.h"
#include "support/testsupport.h"
#include "ui/app/tfmain.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/bdmv/indexview.h"
#include "ui/bdmv/mobjview.h"
#include "ui/playlist/appinfoview.h"
#include "ui/playlist/markview.h"
#include "ui/playlist/playitemview.h"
#include "ui/playlist/playlisttab.h"
#include "ui/shell/pagecontrol.h"
#include "ui/widgets/commandgrid.h"
#include "ui/widgets/composer.h"
#include "ui/widgets/playlistgrid.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>

#include <functional>
#include <map>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

// A disc folder copied or written into a fresh folder, read by a shown window.
struct UhdOpened {
    explicit UhdOpened(const std::function<void(const fs::path&)>& make) {
        make(tmp.path());
        for (const auto& e : fs::recursive_directory_iterator(tmp.path()))
            fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add);
        for (const char* f : {"index.bdmv", "MovieObject.bdmv", "PLAYLIST/00000.mpls"})
            before[f] = test::readFile(bdmv() / f);
        showActive(&w);
        w.formActivate({QString::fromStdString(bdmv().string())});
    }
    fs::path bdmv() const { return tmp.path() / "BDMV"; }
    Bytes file(const char* name) const { return test::readFile(bdmv() / name); }
    IndexView* index() const { return w.bdmvTab()->indexView(); }
    MobjView* mobj() const { return w.bdmvTab()->mobjView(); }
    PlayItemView* items() const { return w.playlistTab()->playItems(); }
    void clickTab(int tab) {
        QTabBar* bar = w.pageControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    }
    void save() { QTest::mouseClick(w.bSave(), Qt::LeftButton); }

    test::TempDir tmp;
    std::map<std::string, Bytes> before;
    TfMain w;
};

void clickCell(QTableWidget* g, int row, int column, Qt::KeyboardModifiers mods = {}) {
    g->scrollTo(g->model()->index(row, column));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, mods, g->visualRect(g->model()->index(row, column)).center());
}

void keyInList(QComboBox* box, Qt::Key key) {
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClick(box, key);
}

void typeIntoField(QLineEdit* e, const QString& keys) {
    QTest::mouseClick(e, Qt::LeftButton, {}, e->rect().center());
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(e, keys);
    QTest::keyClick(e, Qt::Key_Return);
}

void copyCorpusUhdDisc(const fs::path& to) {
    fs::copy(test::corpusDir() / "tsmuxer" / "tsm14_uhdv3_hevc1080_sdr", to, fs::copy_options::recursive);
}

}  // namespace

void UhdViewsTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
}

// The corpus UHD disc: "0300 UHD" in the title, the index's initial dynamic
// range and disc information, HEVC's dynamic range and colour space in the
// playlist's stream grid and on the clip tab; saved unchanged.
void UhdViewsTest::uhdDiscShowsItsFieldsAndSavesUnchanged() {
    NAVORA_NEED_CORPUS_QT("tsmuxer");
    UhdOpened o(copyCorpusUhdDisc);
    QVERIFY(o.w.workspace().indexLoaded && o.w.workspace().mobjLoaded);
    QVERIFY2(o.w.windowTitle().contains("0300 UHD"), qPrintable(o.w.windowTitle()));
    QVERIFY(o.index()->cbDynRange()->isVisible());
    QCOMPARE(o.index()->cbDynRange()->currentText(), QStringLiteral("SDR"));
    QCOMPARE(o.index()->lUhdInfo()->text(), QStringLiteral("UHD: SDR"));

    o.clickTab(TfMain::TabPlaylist);
    QVERIFY(o.w.workspace().playlistLoaded);
    clickCell(o.items()->sgSTN(), 0, int(StreamKind::PrimaryVideo));
    QCOMPARE(o.items()->sgStreamEntry()->cell(0, 6), QStringLiteral("HEVC, 1080p, 23.976, SDR, -"));
    QVERIFY(o.items()->coDynRange()->isVisible());
    QCOMPARE(o.items()->coDynRange()->currentText(), QStringLiteral("SDR"));
    QCOMPARE(o.items()->coColour()->currentText(), QStringLiteral("-"));
    mainLog().errorFlag = false;
    o.save();
    QVERIFY(!mainLog().errorFlag);
    QVERIFY(o.file("PLAYLIST/00000.mpls") == o.before["PLAYLIST/00000.mpls"]);

    o.clickTab(TfMain::TabBdmv);
    o.save();
    QVERIFY(!mainLog().errorFlag);
    QVERIFY(o.file("index.bdmv") == o.before["index.bdmv"]);
    QVERIFY(o.file("MovieObject.bdmv") == o.before["MovieObject.bdmv"]);
}

// The UHD demo disc edited by clicks and keys: a title's object, a command,
// the initial dynamic range, a UO mask bit, a chapter mark and the video's
// dynamic range. Each file saved is the engine's edit of the file read, and
// libbluray reads the saved disc with the edits.
void UhdViewsTest::editsByClicksAreSavedAndReadByLibbluray() {
    UhdOpened o(makeUhdDemoDisc);
    QVERIFY(o.w.windowTitle().contains("0300 UHD"));

    // BDMV tab: title 1 to movie object 1, the first command of object 0, the dynamic range.
    clickCell(o.index()->sgTitles(), 0, 1);
    keyInList(o.index()->cbTitleOID(), Qt::Key_Down);
    clickCell(o.mobj()->sgObject(), 0, 1);
    clickCell(o.mobj()->sgCommands(), 0, ColCommandLine);
    THexEdit* source = o.mobj()->composer()->heSOH();
    source->setFocus();
    source->selectAll();
    QTest::keyClicks(source, "00000002");
    QTest::keyClick(source, Qt::Key_Return);
    keyInList(o.index()->cbDynRange(), Qt::Key_Down);
    o.save();
    QVERIFY(!mainLog().errorFlag);

    TINDX index = readIndex(o.before["index.bdmv"], "index.bdmv");
    setTitleObject(index.indexes.titles[0], 1);
    QVERIFY(setInitialDynamicRange(index, static_cast<unsigned>(DynamicRange::DolbyVision)));
    QVERIFY(o.file("index.bdmv") == writeIndex(index));
    TMOBJ mobj = readMovieObjects(o.before["MovieObject.bdmv"], "MovieObject.bdmv");
    TCommand first = mobj.mobjs.objects[0].commands[0];
    first.w[2] = 2;
    QVERIFY(setObjectCommand(mobj, 0, 0, first));
    QVERIFY(o.file("MovieObject.bdmv") == writeMovieObjects(mobj));

    // PLAYLIST tab: UO bit 29, the second mark's seconds, the video's dynamic range.
    o.clickTab(TfMain::TabPlaylist);
    QTest::mouseClick(o.w.playlistTab()->appInfo()->uoBox(2), Qt::LeftButton, {},
                      QPoint(6, o.w.playlistTab()->appInfo()->uoBox(2)->height() / 2));
    clickCell(o.w.playlistTab()->marks()->sgPlayListMark(), 1, 1);
    typeIntoField(o.w.playlistTab()->marks()->iePLMsec(), "7");
    clickCell(o.items()->sgSTN(), 0, int(StreamKind::PrimaryVideo));
    clickCell(o.items()->sgStreamEntry(), 0, 1);
    keyInList(o.items()->coDynRange(), Qt::Key_Up);
    o.save();
    QVERIFY(!mainLog().errorFlag);

    TMPLS pl = readPlaylist(o.before["PLAYLIST/00000.mpls"], "00000.mpls");
    pl.AppInfoPlayList.UO_mask_table[0] |= 1u << 29;
    setMarkTime(pl.PlayListMark.marks[1], {0, 10, 7, 0});
    QVERIFY(setStreamField(pl.PlayList.PlayItems[0].STN_table.primary_video[0], StreamField::DynamicRange, 0));
    QVERIFY(o.file("PLAYLIST/00000.mpls") == writePlaylist(pl));

    if (test::toolMissing("bd_info")) QSKIP("bd_info (Debian libbluray-bin) is not on PATH");
    const test::ToolResult info = test::runTool({"bd_info", o.tmp.path().string()});
    QVERIFY2(info.out.find("initial dynamic range   : Dolby Vision (0x2)") != std::string::npos, info.out.c_str());
    const test::ToolResult titles = test::runTool({"bd_list_titles", "-a", "-l", o.tmp.path().string()});
    QVERIFY2(titles.out.find("chapters:   2") != std::string::npos &&
                 titles.out.find("(playlist: 00000.mpls) V:1 A:1") != std::string::npos,
             titles.out.c_str());
}
