#include "ui/playlist/playlisttab.h"

#include "core/errors.h"
#include "core/fileio.h"
#include "core/log.h"
#include "playlist/chapters.h"
#include "playlist/playlist_edit.h"
#include "ui/playlist/appinfoview.h"
#include "ui/app/document.h"
#include "ui/app/reffinder.h"
#include "ui/playlist/markview.h"
#include "ui/playlist/playitemview.h"
#include "ui/playlist/playlistkit.h"
#include "ui/playlist/playlisttimeline.h"
#include "ui/playlist/subpathview.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

using namespace pl;

namespace {

// The least heights of the stacked groups.
constexpr int kMinPlayList = 158;
constexpr int kMinSubPath = 92;
constexpr int kMinMarks = 95;
// A chapter file is a few lines per chapter; anything this large is not one.
constexpr qint64 kMaxChapterFile = 16 * 1024 * 1024;

QGroupBox* group(const QString& title, const char* name, QWidget* content, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    auto* l = new QVBoxLayout(g);
    l->setContentsMargins(3, 1, 3, 2);
    l->addWidget(content);
    return g;
}

}  // namespace

PlaylistTab::PlaylistTab(Document& doc, ReferenceFinder& finder, Log& log, QWidget* parent)
    : TabPage(parent), doc_(doc), finder_(finder), log_(log) {
    ask = [this](const QString& question) {
        return QMessageBox::question(this, QStringLiteral("Navora"), question, QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    openFileChooser = [this](const QString& title, const QString& start, const QString& filter) {
        return QFileDialog::getOpenFileName(this, title, start, filter);
    };
    saveFileChooser = [this](const QString& title, const QString& start, const QString& filter) {
        QFileDialog d(this, title, QFileInfo(start).path(), filter);
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setDefaultSuffix(QStringLiteral("txt"));
        d.selectFile(QFileInfo(start).fileName());
        return d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty() ? d.selectedFiles().front() : QString();
    };
    buildLayout();
    connectViews();
    fillSelector();
}

void PlaylistTab::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(3);

    // The selector, then the ExtensionData caption at the right end of the row.
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    auto* label = new QLabel(QStringLiteral("Playlist:"), this);
    cbPlaylist_ = combo("cbPlaylist", QStringLiteral("Playlists of the disc"), this, 6);
    label->setBuddy(cbPlaylist_);
    bReadPL_ = new QPushButton(QStringLiteral("&Read"), this);
    bReadPL_->setObjectName(QStringLiteral("bReadPL"));
    bReadPL_->setToolTip(QStringLiteral("Read the playlist"));
    lMExtDat_ = new QLabel(QString::fromStdString(ExtDatCap({})), this);
    lMExtDat_->setObjectName(QStringLiteral("lMExtDat"));
    lMExtDat_->setToolTip(QStringLiteral("ExtensionData() of the playlist"));
    bbExtDat_ = new QPushButton(QStringLiteral("Edit"), this);
    bbExtDat_->setObjectName(QStringLiteral("bbExtDat"));
    bbExtDat_->setToolTip(QStringLiteral("Edit the ExtensionData() of the playlist"));
    row->addWidget(label);
    row->addWidget(cbPlaylist_);
    row->addWidget(bReadPL_);
    row->addStretch(1);
    row->addWidget(lMExtDat_);
    row->addWidget(bbExtDat_);
    outer->addLayout(row);
    appInfo_ = new AppInfoView(doc_, log_, this);
    outer->addWidget(appInfo_);

    playItems_ = new PlayItemView(doc_, log_, this);
    timeline_ = new PlaylistTimeline(this);
    playItems_->addAboveItems(timeline_);
    subPaths_ = new SubPathView(doc_, log_, this);
    marks_ = new MarkView(doc_, log_, this);
    gPlayList_ = group(QStringLiteral("PlayList"), "gPlayList", playItems_, this);
    gSubPath_ = group(QStringLiteral("SubPath"), "gSubPath", subPaths_, this);
    gMark_ = group(QStringLiteral("PlayListMark"), "gPlayListMark", marks_, this);
    gPlayList_->setMinimumHeight(kMinPlayList);
    gSubPath_->setMinimumHeight(kMinSubPath);
    gMark_->setMinimumHeight(kMinMarks);

    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("splitPlaylist"));
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(gPlayList_);
    splitter_->addWidget(gSubPath_);
    splitter_->addWidget(gMark_);
    // The PlayList group takes what the window gains or loses.
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setStretchFactor(2, 0);
    outer->addWidget(splitter_, 1);
}

void PlaylistTab::connectViews() {
    connect(bReadPL_, &QPushButton::clicked, this, &PlaylistTab::bReadPLClick);
    connect(cbPlaylist_, &QComboBox::activated, this, [this] {
        // The choice is the user's: Auto Read reads it, and the hint follows.
        if (!(autoRead && autoRead() && readSelected(true))) emit bottomBarChanged();
    });
    connect(bbExtDat_, &QPushButton::clicked, this, &PlaylistTab::extensionDataEditRequested);
    connect(marks_->bbLoadChap(), &QPushButton::clicked, this, &PlaylistTab::bbLoadChapClick);
    connect(marks_->bbSaveChap(), &QPushButton::clicked, this, &PlaylistTab::bbSaveChapClick);
    connect(playItems_, &PlayItemView::clipRequested, this, &PlaylistTab::clipRequested);
    connect(subPaths_, &SubPathView::clipRequested, this, &PlaylistTab::clipRequested);
    playItems_->ask = [this](const QString& q) { return ask && ask(q); };

    // The strip shows what the grids select, and a click on it selects in them.
    connect(playItems_, &PlayItemView::playItemShown, timeline_, &PlaylistTimeline::setSelectedItem);
    connect(marks_, &MarkView::marksSelected, timeline_, &PlaylistTimeline::setSelectedMarks);
    connect(timeline_, &PlaylistTimeline::playItemClicked, playItems_, &PlayItemView::selectPlayItem);
    connect(timeline_, &PlaylistTimeline::markClicked, marks_, &MarkView::selectMark);

    connect(&doc_, &Document::aboutToRead, this, [this] { failed_.clear(); });
    connect(&doc_, &Document::reloaded, this, [this] {
        fillSelector();
        showAll();
        emit bottomBarChanged();
    });
    connect(&doc_, &Document::changed, this, [this](Document::Parts parts) {
        if (parts & kPart) refreshAll();
    });
}

QString PlaylistTab::playlistFile(const QString& name) const { return name + qs(doc_.model().names().playlistExt); }

QString PlaylistTab::selection() const { return cbPlaylist_->currentText(); }

void PlaylistTab::setSelection(const QString& name) {
    setIndex(cbPlaylist_, cbPlaylist_->findText(name));
    emit bottomBarChanged();
}

void PlaylistTab::fillSelector() {
    const Workspace& ws = doc_.model();
    setItems(cbPlaylist_, ws.folderRead ? toList(ws.playlists) : QStringList());
    setIndex(cbPlaylist_, cbPlaylist_->count() > 0 ? 0 : -1);
    cbPlaylist_->setEnabled(cbPlaylist_->count() > 0);
    bReadPL_->setEnabled(cbPlaylist_->count() > 0);
}

BottomBar PlaylistTab::bottomBar() const {
    BottomBar b;
    b.save = true;
    b.saveHint = QStringLiteral("Save ") + playlistFile(selection());
    // A read that failed leaves the previous playlist: it is not written over the file that failed.
    b.saveEnabled = doc_.model().playlistLoaded && !selection().isEmpty() && selection() != failed_;
    b.find = true;
    return b;
}

void PlaylistTab::activated() {
    if (reading_ || !autoRead || !autoRead() || !bReadPL_->isEnabled() || selection().isEmpty()) return;
    // A playlist that failed to read is read again only by "&Read".
    if (selection() == failed_) return;
    const Workspace& ws = doc_.model();
    // The playlist shown is not read again, and edits that are not saved are never dropped on entry.
    if (ws.playlistLoaded && qs(ws.playlistName) == selection()) return;
    if (doc_.isModified(kPart)) return;
    readSelected(false);
}

void PlaylistTab::bReadPLClick() { readSelected(true); }

bool PlaylistTab::readSelected(bool askFirst) {
    const QString name = selection();
    if (name.isEmpty() || reading_) return false;
    const Workspace& ws = doc_.model();
    if (askFirst && ws.playlistLoaded && doc_.isModified(kPart)) {
        const QString question = QStringLiteral("%1 has changes that are not saved. Read %2 and drop them?")
                                     .arg(playlistFile(qs(ws.playlistName)), playlistFile(name));
        if (!ask || !ask(question)) return false;
    }
    reading_ = true;
    const bool read = doc_.workspace().readPlaylistFile(log_, name.toStdString());
    if (read) {
        failed_.clear();
        doc_.replaced(kPart);
        showAll();
    } else {
        failed_ = name;
    }
    emit bottomBarChanged();
    reading_ = false;
    if (isVisible()) cbPlaylist_->setFocus();
    return read;
}

void PlaylistTab::showAll() {
    const Workspace& ws = doc_.model();
    appInfo_->refresh();
    playItems_->fill();
    subPaths_->fill();
    marks_->fill();
    timeline_->setPlaylist(ws.playlistLoaded ? &ws.playlist : nullptr);
    lMExtDat_->setText(
        QString::fromStdString(ExtDatCap(ws.playlistLoaded ? ws.playlist.ExtensionData : TExtensionData{})));
    bbExtDat_->setEnabled(ws.playlistLoaded);
    const auto item = playItems_->selectedItem();
    timeline_->setSelectedItem(item ? static_cast<int>(*item) : -1);
}

void PlaylistTab::refreshAll() {
    const Workspace& ws = doc_.model();
    appInfo_->refresh();
    playItems_->refresh();
    subPaths_->refresh();
    marks_->refresh();
    timeline_->setPlaylist(ws.playlistLoaded ? &ws.playlist : nullptr);
    lMExtDat_->setText(
        QString::fromStdString(ExtDatCap(ws.playlistLoaded ? ws.playlist.ExtensionData : TExtensionData{})));
}

bool PlaylistTab::save() {
    const QString name = selection();
    if (name.isEmpty() || !doc_.model().playlistLoaded) return false;
    writePlaylist(name);
    return true;
}

bool PlaylistTab::saveModified() {
    const Workspace& ws = doc_.model();
    if (!ws.playlistLoaded || !doc_.isModified(kPart)) return true;
    // The edits belong to the playlist that was read: they go back to its own
    // file, whichever name the selector shows by now.
    return writePlaylist(qs(ws.playlistName));
}

bool PlaylistTab::writePlaylist(const QString& name) {
    Workspace& ws = doc_.workspace();
    if (name.isEmpty()) return false;
    if (name == failed_) {
        log_.erslog("The playlist could not be read: it is not written over.");
        return false;
    }
    const bool written = ws.savePlaylist(log_, name.toStdString());
    if (written) {
        // The model is now what that file holds.
        ws.playlistName = name.toStdString();
        doc_.markSaved(kPart);
    }
    emit bottomBarChanged();
    return written;
}

void PlaylistTab::openPlaylist(const QString& name, int playItem) {
    if (cbPlaylist_->findText(name) < 0) return;
    if (selection() != name) setSelection(name);
    const Workspace& ws = doc_.model();
    if (!(ws.playlistLoaded && qs(ws.playlistName) == name)) readSelected(true);
    if (playItem >= 0 && ws.playlistLoaded && qs(ws.playlistName) == name) playItems_->selectPlayItem(playItem);
}

void PlaylistTab::applyExtensionData(const TExtensionData& block) {
    if (!doc_.model().playlistLoaded) return;
    doc_.apply(kPart, QStringLiteral("Edit ExtensionData"), [&](Workspace& ws) {
        setPlaylistExtensionData(ws.playlist, block);
        return true;
    });
}

void PlaylistTab::setGroupHeights(int playList, int subPath, int marks) {
    requestedHeights_ = {std::max(playList, kMinPlayList), std::max(subPath, kMinSubPath), std::max(marks, kMinMarks)};
    splitter_->setSizes({requestedHeights_[0], requestedHeights_[1], requestedHeights_[2]});
}

std::array<int, 3> PlaylistTab::groupHeights() const {
    // Until the tab was first shown the splitter has no real sizes: the heights
    // asked for stand.
    if (!shownOnce_) return requestedHeights_;
    const QList<int> s = splitter_->sizes();
    if (s.size() != 3) return {0, 0, 0};
    return {s[0], s[1], s[2]};
}

void PlaylistTab::showEvent(QShowEvent* e) {
    shownOnce_ = true;
    TabPage::showEvent(e);
}

QString PlaylistTab::chapterStart(const QString& fileName) const {
    QString dir = workFolder ? workFolder() : QString();
    if (dir.isEmpty()) dir = qs(doc_.model().folder);
    return dir.isEmpty() ? fileName : QDir(dir).filePath(fileName);
}

namespace {

ChapterFormat formatOf(const std::function<int()>& option) {
    const int f = option ? option() : 0;
    return f >= 0 && f <= 2 ? static_cast<ChapterFormat>(f) : ChapterFormat::PTS;
}

}  // namespace

void PlaylistTab::bbLoadChapClick() {
    if (!doc_.model().playlistLoaded) return;
    const ChapterFormat format = formatOf(chapterFormat);
    const QString proposed = chapterStart(qs(chapterFileName(selection().toStdString(), format)));
    const QString path =
        openFileChooser ? openFileChooser(QStringLiteral("Open chapter file"), proposed, QStringLiteral("Text (*.txt)"))
                        : QString();
    if (path.isEmpty()) return;
    const QString shown = QFileInfo(path).fileName();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        log_.erlog((path + QStringLiteral(": ") + f.errorString()).toStdString());
        return;
    }
    if (f.size() > kMaxChapterFile) {
        log_.erlog(
            (shown + QStringLiteral(" is too large for a chapter file; the marks are unchanged.")).toStdString());
        return;
    }
    const QByteArray bytes = f.readAll();
    const std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::size_t n = 0;
    try {
        doc_.apply(kPart, QStringLiteral("Load chapters"), [&](Workspace& ws) {
            n = importChapters(ws.playlist, text, format, log_);
            return n > 0;
        });
    } catch (const ChapterError& e) {
        const QString where =
            e.line() ? QStringLiteral("%1, line %2").arg(shown).arg(e.line()) : playlistFile(selection());
        log_.erlog((where + QStringLiteral(": ") + QString::fromStdString(errorText(e))).toStdString());
        return;
    }
    if (n == 0) {
        log_.erslog("The chapter file holds no line: the marks are unchanged.");
        return;
    }
    log_.log("[b]" + std::to_string(n) + "[/b] PlayListMark(s) loaded from " + shown.toStdString());
}

void PlaylistTab::bbSaveChapClick() {
    if (!doc_.model().playlistLoaded) return;
    const ChapterFormat format = formatOf(chapterFormat);
    std::string text;
    try {
        text = exportChapters(doc_.model().playlist, format, log_);
    } catch (const ChapterError& e) {
        log_.erlog((playlistFile(selection()) + QStringLiteral(": ") + QString::fromStdString(errorText(e))).toStdString());
        return;
    }
    const QString proposed = chapterStart(qs(chapterFileName(selection().toStdString(), format)));
    QString path = saveFileChooser
                       ? saveFileChooser(QStringLiteral("Save chapter file"), proposed, QStringLiteral("Text (*.txt)"))
                       : QString();
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".txt");
    try {
        saveAtomic(path.toStdString(), Bytes(text.begin(), text.end()));
    } catch (const std::exception& e) {
        log_.erlog(errorText(e));
    }
}

void PlaylistTab::find() { finder_.findPlaylistPlayers(selection()); }

}  // namespace navora::ui
