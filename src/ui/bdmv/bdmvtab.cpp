#include "ui/bdmv/bdmvtab.h"

#include "core/filenames.h"
#include "ui/app/document.h"
#include "ui/app/execpanel.h"
#include "ui/bdmv/indexview.h"
#include "ui/bdmv/mobjview.h"
#include "ui/widgets/prompts.h"
#include "ui/app/runcontroller.h"
#include "ui/bdmv/soundview.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

BdmvTab::BdmvTab(Document& doc, RunController& run, Log& log, QWidget* parent)
    : TabPage(parent), doc_(doc), run_(run), log_(log) {
    folderChooser = [this](const QString& title, const QString& start) {
        return chooseFolderWithDialog(this, title, start);
    };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("BDMV folder:"), this);
    eBDMVdir_ = new QLineEdit(this);
    eBDMVdir_->setObjectName(QStringLiteral("eBDMVdir"));
    // A folder dropped on the box is read by the window, as anywhere else on it.
    eBDMVdir_->setAcceptDrops(false);
    label->setBuddy(eBDMVdir_);
    bbOpenDir_ = new QToolButton(this);
    bbOpenDir_->setObjectName(QStringLiteral("bbOpenDir"));
    bbOpenDir_->setText(QStringLiteral("..."));
    bbOpenDir_->setToolTip(QStringLiteral("Select a directory"));
    bReadBDMV_ = new QPushButton(QStringLiteral("&Read"), this);
    bReadBDMV_->setObjectName(QStringLiteral("bReadBDMV"));
    row->addWidget(label);
    row->addWidget(eBDMVdir_, 1);
    row->addWidget(bbOpenDir_);
    row->addWidget(bReadBDMV_);
    outer->addLayout(row);

    auto makeGroup = [this](const QString& title, QVBoxLayout** layout) {
        auto* g = new QGroupBox(title, this);
        *layout = new QVBoxLayout(g);
        (*layout)->setContentsMargins(4, 4, 4, 4);
        return g;
    };
    gMovieObject_ = makeGroup(QStringLiteral("MovieObject.bdmv"), &lMovieObject_);
    gSound_ = makeGroup(QStringLiteral("sound.bdmv"), &lSound_);
    gIndex_ = makeGroup(QStringLiteral("index.bdmv"), &lIndex_);
    gSound_->hide();

    // The movie objects with their commands take a little more than half of
    // the width, whatever the views inside would ask for.
    auto* groups = new QHBoxLayout;
    auto* left = new QWidget(this);
    auto* ll = new QVBoxLayout(left);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->addWidget(gMovieObject_);
    auto* rightSide = new QWidget(this);
    auto* right = new QVBoxLayout(rightSide);
    right->setContentsMargins(0, 0, 0, 0);
    // The sound group is as high as its few rows; the titles take the rest.
    right->addWidget(gSound_, 0);
    right->addWidget(gIndex_, 1);
    for (QWidget* w : {left, rightSide}) {
        QSizePolicy p(QSizePolicy::Ignored, QSizePolicy::Preferred);
        p.setHorizontalStretch(w == left ? 21 : 19);
        w->setSizePolicy(p);
    }
    groups->addWidget(left, 21);
    groups->addWidget(rightSide, 19);
    outer->addLayout(groups, 1);

    connect(bReadBDMV_, &QPushButton::clicked, this, &BdmvTab::readRequested);
    connect(eBDMVdir_, &QLineEdit::returnPressed, this, &BdmvTab::readRequested);
    connect(bbOpenDir_, &QToolButton::clicked, this, &BdmvTab::bbOpenDirClick);
    buildViews(log);
}

void BdmvTab::buildViews(Log& log) {
    // The views fill themselves on a read before the tab chooses what to show.
    mobjView_ = new MobjView(doc_, log, this);
    mobjView_->setObjectName(QStringLiteral("mobjView"));
    lMovieObject_->addWidget(mobjView_);
    indexView_ = new IndexView(doc_, log, this);
    indexView_->setObjectName(QStringLiteral("indexView"));
    lIndex_->addWidget(indexView_);
    // The sound group is shown while the disc holds a sound.bdmv (read, created or refused).
    soundView_ = new SoundView(doc_, log, this);
    soundView_->setObjectName(QStringLiteral("soundView"));
    lSound_->addWidget(soundView_);
    connect(soundView_, &SoundView::stateChanged, this, [this] { gSound_->setVisible(soundView_->wanted()); });

    program_.program = [this] { return mobjView_->selectedCommands(); };
    program_.showLine = [this](int line) { mobjView_->showLine(line); };

    ExecPanel* exec = run_.execPanel();
    connect(&doc_, &Document::aboutToRead, this, [this] {
        run_.execPanel()->setObjectCount(0);
        run_.clear();
    });
    connect(&doc_, &Document::reloaded, this, &BdmvTab::showFirst);
    connect(&doc_, &Document::reloaded, this, &BdmvTab::updateCaptions);
    connect(&doc_, &Document::movieObjectsChanged, this, &BdmvTab::updateObjectChooser);
    connect(indexView_, &IndexView::showObject, mobjView_, &MobjView::setObjectSG);
    connect(exec, &ExecPanel::objectChosen, mobjView_, &MobjView::setObjectSG);
    connect(mobjView_, &MobjView::objectShown, this, [this](int object, bool) {
        run_.execPanel()->selectObject(object);
        run_.updateControls();
    });
    connect(mobjView_, &MobjView::commandRowClicked, &run_, &RunController::executeLine);
    connect(mobjView_, &MobjView::followTitle, this, [this](int title) {
        if (title >= 1) indexView_->selectTitle(title - 1);
    });
    connect(mobjView_, &MobjView::followPlaylist, this, &BdmvTab::followPlaylist);
}

BottomBar BdmvTab::bottomBar() const {
    BottomBar b;
    b.save = true;
    b.saveHint = QStringLiteral("Save the bdmv files");
    // A refused index.bdmv keeps Save disabled, as it keeps the index views and the object grid.
    b.saveEnabled = doc_.model().indexLoaded;
    b.execute = true;
    b.program = &program_;
    b.registers = true;
    return b;
}

namespace {
// What the tab's Save writes.
const Document::Parts kParts = Document::Parts(Document::Part::Index) | Document::Part::MovieObjects |
                               Document::Part::Sound;
}  // namespace

bool BdmvTab::save() {
    saveFiles();
    return true;
}

bool BdmvTab::saveModified() {
    if (!doc_.isModified(kParts)) return true;
    return saveFiles();
}

bool BdmvTab::saveFiles() {
    const Workspace& ws = doc_.model();
    const std::string mobj = ws.names().movieObject;
    if (const auto cut = ws.incompleteNotes.find(mobj); ws.mobjLoaded && cut != ws.incompleteNotes.end()) {
        if (!askSaveCutFile(window(), QString::fromStdString(mobj), QString::fromStdString(cut->second))) {
            log_.dlog("Nothing saved: " + mobj + " was read only in part.");
            return false;
        }
    }
    log_.resetErrorLines();
    const std::vector<std::string> written = doc_.saveBdmv(log_);
    updateCaptions();
    // What was written, unless an error line says what was not.
    if (log_.errorLines == 0 && !written.empty()) {
        std::string names;
        for (std::size_t i = 0; i < written.size(); ++i)
            names += (i == 0 ? "" : i + 1 == written.size() ? " and " : ", ") + written[i];
        log_.slog(names + " saved.", 1);
    }
    return log_.errorLines == 0 && !doc_.isModified(kParts);
}

void BdmvTab::updateCaptions() {
    const Workspace& ws = doc_.model();
    const FileNameSet names = ws.names();
    // The caption stays short (the group's width must not grow); the tooltip has the whole note.
    const auto mark = [&ws](QGroupBox* group, const QString& caption, const std::string& file) {
        QString text = caption;
        QString tip;
        if (std::find(ws.refusedFiles.begin(), ws.refusedFiles.end(), file) != ws.refusedFiles.end()) {
            text += QStringLiteral(" \u2014 refused");
            tip = QString::fromStdString(file) + QStringLiteral(" was refused: see the Status tab.");
        } else if (const auto cut = ws.incompleteNotes.find(file); cut != ws.incompleteNotes.end()) {
            text += QStringLiteral(" \u2014 read incomplete");
            tip = QString::fromStdString(file + " " + cut->second + ".");
        }
        group->setTitle(text);
        group->setToolTip(tip);
    };
    mark(gMovieObject_, QStringLiteral("MovieObject.bdmv"), names.movieObject);
    mark(gIndex_, QStringLiteral("index.bdmv"), names.index);
}

void BdmvTab::showFirst() {
    const Workspace& ws = doc_.model();
    updateObjectChooser();
    run_.execPanel()->setEnabled(ws.folderRead);
    if (ws.indexLoaded) {
        // Title 1 first (it selects its movie object), then the first movie object.
        indexView_->selectTitle(0);
        mobjView_->setObjectSG(0);
    }
    run_.updateControls();
}

void BdmvTab::updateObjectChooser() {
    const Workspace& ws = doc_.model();
    run_.execPanel()->setObjectCount(ws.mobjLoaded ? static_cast<int>(ws.mobj.mobjs.objects.size()) : 0);
    const auto o = mobjView_->selectedObject();
    run_.execPanel()->selectObject(o ? static_cast<int>(*o) : -1);
    run_.updateControls();
}

QString BdmvTab::folder() const { return eBDMVdir_->text(); }

void BdmvTab::setFolder(const QString& folder) { eBDMVdir_->setText(folder); }

void BdmvTab::bbOpenDirClick() {
    // Start in the parent of the BDMV folder: the path less "BDMV" and its separator.
    QString start = folder();
    start.chop(5);
    const QString chosen = folderChooser ? folderChooser(QStringLiteral("Select a directory"), start) : QString();
    if (chosen.isEmpty()) return;
    const QString path = QString::fromStdString(chosenFolderToBdmv(chosen.toStdString()));
    setFolder(path);
    emit folderChosen(path);
}

}  // namespace navora::ui
