#pragma once
// The names of a BDMV folder's files and the paths derived from the folder.

#include <filesystem>
#include <functional>
#include <string>

namespace navora {

// The file names and extensions switched by "Use 8.3 filenames".
struct FileNameSet {
    std::string index;        // "index.bdmv" / "INDEX.BDM"
    std::string movieObject;  // "MovieObject.bdmv" / "MOVIEOBJ.BDM"
    std::string playlistExt;  // ".mpls" / ".MPL"
    std::string clipExt;      // ".clpi" / ".CLP"
    std::string streamExt;    // ".m2ts" / ".MTS"

    static FileNameSet make(bool use83);
};

inline constexpr char kSep = '/';
inline constexpr const char* kSoundFile = "sound.bdmv";
inline constexpr const char* kDefaultMenuFile = "mymenu.mnu";

// Paths under the folder F (which ends with a separator).
struct DiscPaths {
    std::string folder;
    FileNameSet names;

    std::string index() const { return folder + names.index; }
    std::string movieObject() const { return folder + names.movieObject; }
    std::string playlist(const std::string& n) const { return folder + "PLAYLIST" + kSep + n + names.playlistExt; }
    std::string clipInfo(const std::string& n) const { return folder + "CLIPINF" + kSep + n + names.clipExt; }
    std::string stream(const std::string& n) const { return folder + "STREAM" + kSep + n + names.streamExt; }
    std::string sound() const { return folder + "AUXDATA" + kSep + kSoundFile; }
    std::string bdjoFolder() const { return folder + "BDJO" + kSep; }
    std::string discBackup(const std::string& name) const { return folder + "BACKUP" + kSep + name; }
};

// The backup of a file: its path with ".backup" appended.
inline std::string backupPath(const std::string& path) { return path + ".backup"; }

// The folder chooser's rule: append a separator when missing; then append
// "BDMV" and a separator unless the four characters before the final
// separator are exactly "BDMV".
std::string chosenFolderToBdmv(std::string chosen);

// The folder read for a command-line argument: the directory of the argument
// followed by a separator. A directory argument names itself; a disc root
// (a directory holding a "BDMV" folder but no index file) names its BDMV folder.
std::string folderFromArgument(const std::string& argument);

// Where a path typed into the folder box, dropped on the window or opened
// leads: the BDMV folder to read, or why there is none.
struct BdmvLocation {
    std::string folder;  // the BDMV folder, ending with a separator; empty when there is none
    std::string error;   // "No BDMV folder in <path>", "No such file or folder: <path>", "No folder given."
};

// A BDMV folder (one that holds index.bdmv, MovieObject.bdmv, their 8.3
// names, PLAYLIST or CLIPINF, or one named "BDMV") is taken as it is; a disc
// root (a folder that holds a "BDMV" folder) leads to that folder; a file is
// taken for its folder; a folder inside a BDMV folder (PLAYLIST, STREAM, ...)
// leads to the nearest enclosing folder named "BDMV".
BdmvLocation locateBdmvFolder(const std::string& path);

// The label of the filesystem mounted at dir, when dir is a mount point and
// its device has a label; empty otherwise.
std::string volumeLabelAt(const std::filesystem::path& dir);

// The disc name: drop the last six characters of the folder path (separator,
// "BDMV", separator) and keep what follows the last separator. When the
// folder that holds BDMV is the root of a mounted filesystem, the
// filesystem's label, upper-cased, is used when it has one.
std::string discName(const std::string& folder,
                     const std::function<std::string(const std::filesystem::path&)>& labelOf = volumeLabelAt);

// The window title: "Navora v0.30b", plus " [" + disc name + "]" once a folder
// is read, and then " " + the disc's version text ("0200", "0300 UHD") when given.
std::string mainWindowTitle(const std::string& discNameOrEmpty, const std::string& discVersion = {});

}  // namespace navora
