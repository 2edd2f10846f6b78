#pragma once
// The Menu tab's files: "Create Menu", "&Load" of a .mnu file (also the one
// "-> M&enu" extracted from a clip), "&Save" as .mnu and "M&ux" as a
// transport stream. A file that cannot be read leaves the menu held before;
// a new or loaded menu replaces the document's menu as a read does.

#include "ig/model.h"

#include <QObject>
#include <QString>

namespace navora {
class Log;
class TObjectCache;
}  // namespace navora

namespace navora::ui {

class Document;
struct MenuDialogs;

class MenuFiles : public QObject {
    Q_OBJECT
public:
    MenuFiles(Document& doc, Log& log, MenuDialogs& dialogs, TObjectCache& cache, QObject* parent = nullptr);

    // The .mnu file the menu was read from or last saved to; empty for a new menu.
    QString menuFile() const { return menuFile_; }
    // Whether a menu is held that Save and Mux can write (it has a page).
    bool canWrite() const;

    // "Create Menu": a new menu with one page, one BOG and one button.
    void create();
    // "&Load": asks for a .mnu file and loads it.
    void loadDialog();
    // Loads a menu file (the .mnu form). A file that is not the user's own
    // (the temporary file "-> M&enu" extracts into) is not written back:
    // Save then asks for a file, as for a new menu.
    void load(const QString& path, bool ownFile = true);
    // "&Save": writes the menu as a .mnu file chosen by the user.
    bool save();
    // Writes a modified menu to the .mnu it was read from or last saved to
    // (asking for a name, as Save does, when it has none). False when the
    // menu was not written.
    bool saveModified();
    // "M&ux": asks for a transport stream file and writes the menu into it.
    void mux();

    // The Options tab's colour matrix of the palettes (Auto: the video's).
    // The menu held shows, exports and imports its colours in it; a new or
    // loaded menu takes it. True when the menu held had to change.
    bool setColourMatrix(MatrixChoice choice);
    // Makes the menu held follow the choice again (after an undo or redo
    // brought back colours of another matrix); true when it changed.
    bool keepColourMatrix();

signals:
    // A new or loaded menu replaced the one held.
    void menuReplaced();

private:
    // Writes the menu as .mnu to path; false (logged) when it was not written.
    bool writeMenu(QString path);
    // Before the menu is written: references that name no button are listed
    // and the user asked; false (logged) when the menu is not to be written.
    bool referencesAccepted(const QString& title);

    Document& doc_;
    Log& log_;
    MenuDialogs& dialogs_;
    TObjectCache& cache_;
    QString menuFile_;
    MatrixChoice matrix_ = MatrixChoice::Auto;
};

}  // namespace navora::ui
