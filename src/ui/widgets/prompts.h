#pragma once
// The questions the window asks before it drops or cuts data. Each is a
// message box with named buttons; tests answer them by clicking a button as
// a user does.

#include <QString>

#include <functional>

class QWidget;

namespace navora::ui {

enum class SaveAnswer { Save, Discard, Cancel };

// "Save changes to DISC?" with Save, Discard and Cancel (the default is Save).
SaveAnswer askSaveChanges(QWidget* parent, const QString& disc);

// Before a file read only in part is written: the question says that the cut
// part is dropped for good. True for Save, false for Cancel (the default).
bool askSaveCutFile(QWidget* parent, const QString& file, const QString& note);

// Asks the user for a folder: (title, start folder) -> chosen folder, empty when cancelled.
using FolderChooser = std::function<QString(const QString& title, const QString& start)>;
// The platform's folder dialog.
QString chooseFolderWithDialog(QWidget* parent, const QString& title, const QString& start);

}  // namespace navora::ui
