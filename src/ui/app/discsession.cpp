#include "ui/app/discsession.h"

#include "core/filenames.h"
#include "core/log.h"
#include "ui/app/document.h"
#include "ui/app/runcontroller.h"
#include "ui/app/settings.h"
#include "ui/shell/menubar.h"
#include "ui/widgets/prompts.h"

#include <QSettings>

namespace navora::ui {

DiscSession::DiscSession(Document& doc, RunController& run, MainMenu& menu, QWidget& window, FolderField field,
                         QObject* parent)
    : QObject(parent), doc_(doc), run_(run), menu_(menu), window_(window), field_(std::move(field)) {}

void DiscSession::readFromField() {
    // A running program works on the models until it ends: a folder chosen meanwhile is not read under it.
    if (run_.running()) return;
    openFolder(field_.text().trimmed());
}

void DiscSession::openFolderDialog() {
    if (run_.running()) return;
    // Start in the folder that holds the BDMV folder, as the browse button does.
    QString start = QString::fromStdString(doc_.model().folder);
    if (start.isEmpty()) start = field_.text();
    start.chop(5);
    const QString chosen = field_.choose ? field_.choose(QStringLiteral("Open folder"), start) : QString();
    if (!chosen.isEmpty()) openFolder(chosen);
}

bool DiscSession::openFolder(const QString& path) {
    if (run_.running()) return false;
    const BdmvLocation where = locateBdmvFolder(path.toStdString());
    if (!where.error.empty()) {
        // Nothing is read: the disc that is open stays open.
        mainLog().erlog(where.error);
        return false;
    }
    if (!maybeSave()) return false;
    readFolder(QString::fromStdString(where.folder));
    return true;
}

bool DiscSession::maybeSave() {
    if (!doc_.isModified()) return true;
    const Workspace& ws = doc_.model();
    switch (askSaveChanges(&window_, ws.disc.empty() ? QStringLiteral("the disc") : QString::fromStdString(ws.disc))) {
        case SaveAnswer::Discard: return true;
        case SaveAnswer::Cancel: return false;
        case SaveAnswer::Save: break;
    }
    if (applyOptions) applyOptions();
    for (TabPage* tab : tabs_)
        if (!tab->saveModified()) return false;
    emit saved();
    // An edit no tab wrote stays unsaved: nothing goes on that would lose it.
    return !doc_.isModified();
}

void DiscSession::save(TabPage* tab) {
    if (!tab) return;
    if (applyOptions) applyOptions();
    if (tab->save()) emit saved();
}

void DiscSession::rememberFolder(const QString& folder) {
    menu_.setRecentFolders(RecentFolders::with(menu_.recentFolders(), folder));
    auto store = openSettingsStore();
    RecentFolders::store(*store, menu_.recentFolders());
}

void DiscSession::showReadOutcome() {
    Log& log = mainLog();
    const Workspace& ws = doc_.model();
    std::string shown;
    if (log.errorLines > 0) {
        shown = log.firstErrorLine;
        if (log.errorLines > 1) shown += " (and " + std::to_string(log.errorLines - 1) + " more: see Status)";
    } else if (!ws.incompleteFiles.empty()) {
        const std::string& file = ws.incompleteFiles.front();
        const auto note = ws.incompleteNotes.find(file);
        shown = file + " read incomplete" + (note != ws.incompleteNotes.end() ? ": " + note->second : std::string());
    }
    if (!shown.empty()) log.erslog(shown);
}

void DiscSession::readFolder(const QString& folder) {
    field_.setReadEnabled(false);
    field_.setText(folder);

    if (applyOptions) applyOptions();
    emit aboutToRead();
    mainLog().resetErrorLines();
    doc_.read(folder.toStdString(), mainLog());
    const Workspace& ws = doc_.model();
    if (ws.folderRead) {
        field_.setText(QString::fromStdString(ws.folder));
        rememberFolder(QString::fromStdString(ws.folder));
    }
    showReadOutcome();
    emit read();
    field_.setReadEnabled(true);
}

}  // namespace navora::ui
