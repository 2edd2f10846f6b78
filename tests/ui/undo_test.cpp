// Undo and redo of the BDMV tab's edits, driven by clicks and keys.

#include "uitests.h"

#include "core/log.h"
#include "disc/demo.h"
#include "nav/disasm.h"
#include "nav/edit.h"
#include "navdb/index_edit.h"
#include "navdb/movieobject_edit.h"
#include "support/testsupport.h"
#include "ui/bdmv/bdmvtab.h"
#include "ui/widgets/commandgrid.h"
#include "ui/widgets/composer.h"
#include "ui/app/document.h"
#include "ui/bdmv/indexview.h"
#include "ui/bdmv/mobjview.h"
#include "ui/app/tfmain.h"
#include "ui/widgets/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

using namespace navora;
using namespace navora::ui;
namespace fs = std::filesystem;

namespace {

struct Files {
    Bytes index, mobj;
    bool operator==(const Files&) const = default;
};

Files filesOf(const fs::path& bdmv) {
    return {test::readFile(bdmv / "index.bdmv"), test::readFile(bdmv / "MovieObject.bdmv")};
}

// The demo disc, read by a shown and active window.
struct Window {
    Window() {
        makeDemoDisc(tmp.path());
        showActive(&w);
        w.formActivate({QString::fromStdString((bdmv() / "index.bdmv").string())});
    }
    fs::path bdmv() const { return tmp.path() / "BDMV"; }
    MobjView* mobj() const { return w.bdmvTab()->mobjView(); }
    IndexView* index() const { return w.bdmvTab()->indexView(); }
    const Workspace& ws() { return w.workspace(); }
    bool marked() const { return w.windowTitle().endsWith('*'); }
    void key(int key, Qt::KeyboardModifiers mods) { QTest::keyClick(&w, static_cast<Qt::Key>(key), mods); }
    void undo() { key(Qt::Key_Z, Qt::ControlModifier); }
    void save() { QTest::mouseClick(w.bSave(), Qt::LeftButton); }

    test::TempDir tmp;
    TfMain w;
};

void clickRow(StringGrid* grid, int row, int column = 1) {
    const QRect r = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

}  // namespace

void UndoTest::init() {
    auto s = TfMain::openSettings();
    s->clear();
    s->sync();
    mainLog().errorFlag = false;
    commandClipboard().commands.clear();
}

void UndoTest::undoAllGivesTheReadFilesRedoAllTheEdited() {
    Window o;
    const Files read = filesOf(o.bdmv());
    QVERIFY(!o.marked());
    QVERIFY(!o.w.undoAction()->isEnabled());
    const std::size_t lines = o.ws().mobj.mobjs.objects[0].commands.size();

    // Insert: a click on line 2 of movie object 0, then the Insert key.
    CommandGrid* grid = o.mobj()->sgCommands();
    clickRow(grid, 2, ColCommandLine);
    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(o.ws().mobj.mobjs.objects[0].commands.size(), lines + 1);
    QCOMPARE(o.ws().mobj.mobjs.objects[0].commands[3], TCommand{});
    QVERIFY(o.marked());
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Insert command"));

    // A title: a click on title 4's row, then Down in its playback type box makes it Interactive.
    StringGrid* titles = o.index()->sgTitles();
    clickRow(titles, 3);
    QCOMPARE(o.index()->cbTitleNo()->currentIndex(), 3);
    QTest::keyClick(o.index()->cbTitlePBT(), Qt::Key_Down);
    QCOMPARE(o.ws().index.indexes.titles[3].playback_type, PlaybackType::Interactive);
    QCOMPARE(titles->cell(3, 3), QString("Interactive"));
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Change title playback type"));

    // Delete: a click on movie object 1's row, then "-": the titles on objects 3 and 4 move down.
    StringGrid* objects = o.mobj()->sgObject();
    clickRow(objects, 1);
    QTest::mouseClick(o.mobj()->bbObdel(), Qt::LeftButton);
    QCOMPARE(objects->dataRows(), 4);
    QCOMPARE(titles->cell(1, 4), QString("2"));
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Delete movie objects"));

    o.save();
    QVERIFY(!o.marked());
    const Files edited = filesOf(o.bdmv());
    QVERIFY(!(edited.index == read.index));
    QVERIFY(!(edited.mobj == read.mobj));

    // Undo past the save marks the document modified again; the views follow the model.
    o.undo();
    QVERIFY(o.marked());
    QCOMPARE(objects->dataRows(), 5);
    QCOMPARE(titles->cell(1, 4), QString("3"));
    QCOMPARE(o.w.redoAction()->text(), QString("Redo Delete movie objects"));
    o.undo();
    QCOMPARE(titles->cell(3, 3), QString("Movie"));
    o.undo();
    QCOMPARE(grid->dataRows(), static_cast<int>(lines));
    QVERIFY(!o.w.undoAction()->isEnabled());
    o.save();
    QVERIFY(!o.marked());
    QVERIFY(filesOf(o.bdmv()) == read);

    // Redo all, with both redo keys.
    o.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(o.marked());
    o.key(Qt::Key_Y, Qt::ControlModifier);
    o.key(Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(!o.w.redoAction()->isEnabled());
    QCOMPARE(objects->dataRows(), 4);
    o.save();
    QVERIFY(!o.marked());
    QVERIFY(filesOf(o.bdmv()) == edited);
}

void UndoTest::typingIntoOneFieldIsOneStep() {
    Window o;
    const std::string provider = o.ws().index.content_provider;
    const TCommand first = o.ws().mobj.mobjs.objects[0].commands[0];
    CommandGrid* grid = o.mobj()->sgCommands();

    // Typing a text is one step, however many keys it took.
    QLineEdit* content = o.index()->eContent();
    content->setFocus();
    content->selectAll();
    QTest::keyClicks(content, "Edited");
    QCOMPARE(o.ws().index.content_provider, std::string("Edited"));
    QCOMPARE(o.w.undoAction()->text(), QString("Undo Change content provider"));

    // Typing on after a save is a new step: undo stops at the saved text.
    o.save();
    QVERIFY(!o.marked());
    content->setFocus();
    content->end(false);
    QTest::keyClicks(content, "X");
    QVERIFY(o.marked());
    grid->setFocus();
    o.undo();
    QCOMPARE(o.ws().index.content_provider, std::string("Edited"));
    QCOMPARE(content->text(), QString("Edited"));
    QVERIFY(!o.marked());

    // Two word boxes of one command in the composer: one more step.
    clickRow(grid, 0, ColCommandLine);
    Composer* c = o.mobj()->composer();
    for (THexEdit* box : {c->heDEH(), c->heSOH()}) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, "00000007");
        QTest::keyClick(box, Qt::Key_Return);
    }
    QCOMPARE(o.ws().mobj.mobjs.objects[0].commands[0].w[1], 7u);
    QCOMPARE(o.ws().mobj.mobjs.objects[0].commands[0].w[2], 7u);

    grid->setFocus();
    o.undo();
    QCOMPARE(o.ws().mobj.mobjs.objects[0].commands[0], first);
    QCOMPARE(grid->cell(0, ColSource), QString::fromStdString(comm2str(first, 0, CommandContext::MovieObject).source));
    QVERIFY(!o.marked());
    o.undo();
    QCOMPARE(o.ws().index.content_provider, provider);
    QCOMPARE(content->text(), QString::fromStdString(provider));
    QVERIFY(!o.w.undoAction()->isEnabled());
    QVERIFY(o.marked());  // the saved file holds the edited text
}

void UndoTest::savingOneFileKeepsTheOthersModified() {
    Document doc;
    QSignalSpy modified(&doc, &Document::modifiedChanged);
    doc.apply(Document::Part::Index, "Change content provider", [](Workspace& ws) {
        setContentProvider(ws.index, "A");
        return true;
    });
    doc.apply(Document::Part::MovieObjects, "Insert movie object",
              [](Workspace& ws) { return insertMovieObject(ws.mobj, ws.index, 0).has_value(); });
    QVERIFY(doc.isModified());
    QCOMPARE(modified.count(), 1);

    // The playlist tab's Save would write one file: the other stays modified.
    doc.markSaved(Document::Part::Index);
    QVERIFY(!doc.isModified(Document::Part::Index));
    QVERIFY(doc.isModified());
    doc.markSaved(Document::Part::MovieObjects);
    QVERIFY(!doc.isModified());
    QCOMPARE(modified.count(), 2);

    doc.undoStack()->undo();
    QVERIFY(doc.isModified(Document::Part::MovieObjects));
    QVERIFY(!doc.isModified(Document::Part::Index));
    doc.undoStack()->redo();
    QVERIFY(!doc.isModified());
}
