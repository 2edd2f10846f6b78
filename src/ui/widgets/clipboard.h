#pragma once
// Navigation commands on the system clipboard, so that they move between two
// windows, to a text editor and back, and from a saved program list. A copy
// puts the program list rows as text and the exact words under a private
// type; a paste takes the private type when it is there, else the text.
//
// A command grid's view copies with the engine's copy or cut (which fill the
// program-wide commandClipboard()) and then putCommandsOnClipboard(); before
// it pastes, takeCommandsFromClipboard() fills commandClipboard() from the
// system clipboard.

#include "core/command.h"

#include <QString>

class QMimeData;

namespace navora::ui {

// The private type: 12 bytes per command, the three words big-endian.
inline constexpr const char* kCommandsMimeType = "application/x-navora-commands";

// Both forms of the commands, as a copy puts them on the clipboard.
QMimeData* commandsMimeData(const TCommands& commands);
// Puts the commands on the system clipboard in both forms.
void putCommandsOnClipboard(const TCommands& commands);

struct ClipboardCommands {
    TCommands commands;
    QString error;  // why the clipboard's contents are not commands
};
// The commands in mime data: the private type, else program list text.
// Neither form there: no commands and no error.
ClipboardCommands commandsFromMimeData(const QMimeData* data);

// Fills the program-wide command clipboard from the system clipboard when it
// holds commands. Returns the error when it holds something that is not;
// with neither, commandClipboard() stays as it is (nothing was copied
// elsewhere since).
QString takeCommandsFromClipboard();

// "3 command(s) pasted".
QString pastedStatus(std::size_t count);

}  // namespace navora::ui
