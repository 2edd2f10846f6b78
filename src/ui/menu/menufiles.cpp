#include "ui/menu/menufiles.h"

#include "core/errors.h"
#include "core/fileio.h"
#include "core/filenames.h"
#include "core/log.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "ig/objects.h"
#include "ig/rle.h"
#include "ig/save.h"
#include "ig/structure.h"
#include "ui/app/document.h"
#include "ui/menu/menudialogs.h"

#include <QFileInfo>

namespace navora::ui {

MenuFiles::MenuFiles(Document& doc, Log& log, MenuDialogs& dialogs, TObjectCache& cache, QObject* parent)
    : QObject(parent), doc_(doc), log_(log), dialogs_(dialogs), cache_(cache) {}

bool MenuFiles::canWrite() const { return doc_.model().menu.loaded && !doc_.model().menu.igs.pages.empty(); }

void MenuFiles::create() {
    // An undoable step: undo gives back the menu held before, loaded or not.
    const bool created = doc_.apply(Document::Part::Menu, QStringLiteral("Create Menu"), [this](Workspace& ws) {
        const TIGSc previous = ws.menu.loaded ? ws.menu.igs : TIGSc{};
        ws.menu.igs = newMenu(previous);
        navora::setColourMatrix(ws.menu.igs, resolveMatrix(matrix_, ws.menu.igs));
        ws.menu.loaded = true;
        return true;
    });
    if (!created) return;
    menuFile_.clear();
    cache_.clear();
    emit menuReplaced();
    log_.slogR();
}

void MenuFiles::loadDialog() {
    if (!dialogs_.openFile) return;
    const QString path = dialogs_.openFile(QStringLiteral("Load Menu"), dialogs_.startPath(QLatin1String(kDefaultMenuFile)),
                                          {QStringLiteral("Menu (*.mnu)")});
    if (!path.isEmpty()) load(path);
}

void MenuFiles::load(const QString& path, bool ownFile) {
    const std::string file = QFileInfo(path).fileName().toStdString();
    log_.log("Reading [bl]" + file + "[/bl]");
    MenuLoadReport report;
    TIGSc loaded;
    try {
        const Bytes data = readDatabaseFile(path.toStdString(), kMaxMenuFileSize);
        // A file that does not even start with a record header is no menu: it replaces nothing.
        requireMenuRecord(data, path.toStdString());
        loaded = loadMNU(data, path.toStdString(), &report, &log_);
    } catch (const std::exception& e) {
        // Nothing is taken from a file that cannot be read: the menu held before stays.
        log_.erlog(errorText(e));
        return;
    }
    navora::setColourMatrix(loaded, resolveMatrix(matrix_, loaded));
    WorkspaceMenu& held = doc_.workspace().menu;
    held.igs = std::move(loaded);
    held.loaded = true;
    // A menu saved over the temporary file would go when the window closes
    // and removes its temporary files.
    menuFile_ = ownFile ? path : QString();
    cache_.clear();
    doc_.replaced(Document::Part::Menu);
    emit menuReplaced();

    // What the loader met is said in the log, and the first problem stays in the status bar.
    std::string problem;
    if (report.formatError) {
        problem = "File format error";
        log_.log("[re]File format error[/re] at offset " + std::to_string(report.formatErrorOffset) +
                 ": no \"IG\" record header; the menu holds what came before.");
    }
    if (report.unknownSegments > 0) {
        if (problem.empty()) problem = "Unknow segment!";
        log_.log("[re]" + std::to_string(report.unknownSegments) + " unknown segment(s)[/re] skipped.");
    }
    if (!report.icsFound) {
        if (problem.empty()) problem = "No interactive composition (ICS) found";
        log_.log("[re]No interactive composition (ICS) found:[/re] the menu has no pages.");
    }
    if (problem.empty())
        log_.slogR();
    else
        log_.erslog(problem);
}

bool MenuFiles::save() {
    if (!canWrite()) return false;
    log_.dlog0("Saving IGS menu...");
    log_.slog("Preparing data", 1);
    QString selected = QStringLiteral("Menu (*.mnu)");
    const QString start = menuFile_.isEmpty() ? dialogs_.startPath(QLatin1String(kDefaultMenuFile)) : menuFile_;
    const QString path =
        dialogs_.saveFile ? dialogs_.saveFile(QStringLiteral("Save Menu"), start, {selected}, &selected) : QString();
    if (path.isEmpty()) {
        log_.slogR();
        return false;
    }
    return writeMenu(path);
}

bool MenuFiles::saveModified() {
    if (!doc_.isModified(Document::Part::Menu)) return true;
    if (!canWrite()) {
        // Save cannot write a menu without a page either: the edit stays, and so does the window.
        log_.erlog("The menu has no page and cannot be saved.");
        return false;
    }
    if (menuFile_.isEmpty()) return save();
    log_.dlog0("Saving IGS menu...");
    return writeMenu(menuFile_);
}

bool MenuFiles::referencesAccepted(const QString& title) {
    const auto faults = menuReferenceFaults(doc_.model().menu.igs);
    if (faults.empty()) return true;
    QString list;
    for (std::size_t i = 0; i < faults.size() && i < 10; ++i)
        list += QString::fromStdString(faults[i]) + QLatin1Char('\n');
    if (faults.size() > 10) list += QStringLiteral("... and %1 more\n").arg(faults.size() - 10);
    const bool yes = dialogs_.confirm &&
                     dialogs_.confirm(title, QStringLiteral("These references of the menu name no button, and a "
                                                            "player will not find it:\n\n%1\nWrite the menu anyway?")
                                                 .arg(list));
    if (!yes) {
        for (const std::string& f : faults) log_.log("  " + f);
        log_.erlog("The menu was not written: it has references that name no button.");
    }
    return yes;
}

bool MenuFiles::writeMenu(QString path) {
    if (!referencesAccepted(QStringLiteral("Save Menu"))) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".mnu");
    const std::string file = QFileInfo(path).fileName().toStdString();
    try {
        const Bytes data = saveIGS(doc_.model().menu.igs, IgsForm::Mnu, &log_);
        saveAtomic(path.toStdString(), data);
    } catch (const std::exception& e) {
        log_.erlog("Cannot save " + file + ": " + errorText(e));
        return false;
    }
    menuFile_ = path;
    doc_.markSaved(Document::Part::Menu);
    log_.dlog(file + " saved.");
    return true;
}

void MenuFiles::mux() {
    if (!canWrite() || !referencesAccepted(QStringLiteral("Mux Menu"))) return;
    log_.dlog0("Muxing menu...");
    const std::string ext = doc_.model().names().streamExt;  // ".m2ts", or ".MTS" with 8.3 names
    const QString bare = QString::fromStdString(ext.substr(1));
    QString selected = QStringLiteral("%1 (*.%1)").arg(bare);
    QString path = dialogs_.saveFile ? dialogs_.saveFile(QStringLiteral("Mux Menu"),
                                                       dialogs_.startPath(QStringLiteral("mymenu")), {selected},
                                                       &selected)
                                    : QString();
    if (path.isEmpty()) {
        log_.slogR();
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) path += QString::fromStdString(ext);
    const std::string file = QFileInfo(path).fileName().toStdString();
    MuxReport report;
    try {
        const Bytes pes = saveIGS(doc_.model().menu.igs, IgsForm::Pes, &log_);
        const Bytes ts = muxPES(pes, &report, &log_);
        saveAtomic(path.toStdString(), ts);
    } catch (const std::exception& e) {
        log_.erlog("Cannot write " + file + ": " + errorText(e));
        return;
    }
    // After "Mux error" the file is written as far as the data went; the error stays shown.
    if (!report.muxError) log_.dlog(file + " saved.");
}

bool MenuFiles::setColourMatrix(MatrixChoice choice) {
    matrix_ = choice;
    return keepColourMatrix();
}

bool MenuFiles::keepColourMatrix() {
    // Display colours follow Y, Cr, Cb: a view setting, no edit of the menu.
    WorkspaceMenu& held = doc_.workspace().menu;
    if (!held.loaded || held.igs.colour_matrix == resolveMatrix(matrix_, held.igs)) return false;
    navora::setColourMatrix(held.igs, resolveMatrix(matrix_, held.igs));
    return true;
}

}  // namespace navora::ui
