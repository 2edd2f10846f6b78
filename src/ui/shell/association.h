#pragma once
// The ".bdmv" file association of the user, on a freedesktop.org desktop:
// a MIME type for *.bdmv, a desktop entry that opens the file with this
// program, the icon, and Navora as the type's default application. Files go
// to the user's own folders ($XDG_DATA_HOME, $XDG_CONFIG_HOME); nothing
// outside them is touched, and nothing is ever removed.

#include <QString>
#include <QStringList>

namespace navora::ui {

// The MIME type of *.bdmv files and the desktop entry's file name.
inline constexpr const char* kBdmvMimeType = "application/x-bdmv";
inline constexpr const char* kDesktopFile = "navora.desktop";

struct AssociationReport {
    QStringList written;  // files written or changed (unchanged files are left alone)
    QString error;        // empty when everything was written
};

// Registers the association for the program at programPath:
//   $XDG_DATA_HOME/mime/packages/navora-bdmv.xml   the type, glob *.bdmv
//   $XDG_DATA_HOME/applications/navora.desktop     Exec="programPath" %f
//   $XDG_DATA_HOME/icons/hicolor/scalable/apps/navora.svg
//   $XDG_CONFIG_HOME/mimeapps.list                 [Default Applications] application/x-bdmv=navora.desktop
// and, when the type or the entry changed, tells the desktop by running
// update-mime-database and update-desktop-database where they are installed.
AssociationReport associateBdmv(const QString& programPath);

// The desktop entry written for programPath.
QString desktopEntry(const QString& programPath);

// mimeapps.list with Navora as the default application of *.bdmv files:
// the line in [Default Applications] is replaced or added, every other line
// is kept as it is.
QString withBdmvDefault(const QString& mimeapps);

}  // namespace navora::ui
