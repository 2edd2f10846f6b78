#pragma once
// The questions the window asks before it drops or cuts data. Each is a
// message box with named buttons; tests answer them by clicking a button as
// a user does.

#include <QString>

class QWidget;

namespace navora::ui {

enum class SaveAnswer { Save, Discard, Cancel };

// "Save changes to DISC?" with Save, Discard and Cancel (the default is Save).
SaveAnswer askSaveChanges(QWidget* parent, const QString& disc);

// Before a file read only in part is written: the question says that the cut
// part is dropped for good. True for Save, false for Cancel (the default).
bool askSaveCutFile(QWidget* parent, const QString& file, const QString& note);

}  // namespace navora::ui
