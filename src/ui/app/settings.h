#pragma once
// The values kept in the per-user settings store between runs, with their
// defaults, reading and writing them, and the binding of the controls that
// show them.
//
// The store is a readable INI file in the user's configuration folder:
// $XDG_CONFIG_HOME/Varkeld Software/Navora.ini (~/.config/... by default),
// one "Name=value" line per value under [General].
//
// How a tab's control gets its setting: TfMain::bindSettings() binds it once,
//   binder.bind(playlistTab->rgChapterFormat(), &Settings::chapterFormat);
// The control then shows the value read at start-up (its change handlers run
// as for a click when the value differs from what it showed), "Reset to
// defaults" sets it back, and the value it holds at exit is written.

#include <QColor>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QAbstractButton;
class QLineEdit;

namespace navora::ui {

class ColourBox;
class RadioGroup;
class THexEdit;
class TIntEdit;

// Colours are stored as Windows colour values: lowest byte red, then green, then blue.
constexpr std::uint32_t winColour(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) |
           (static_cast<std::uint32_t>(b) << 16);
}
// The colour of a stored value; an invalid colour for a system colour (top byte set).
QColor colourFromWin(std::uint32_t value);
std::uint32_t winFromColour(const QColor& c);

class Settings {
public:
    // Window
    int windowState = 0;  // 0 normal, 1 minimised, 2 maximised
    int top = 203;
    int left = 172;
    int width = 913;
    int height = 585;
    // Folders and files
    QString bdmvDir;
    QString backgroundPic;
    QString outputFolder;  // "Output folder", kept between runs
    // Options
    bool autoRead = true;
    bool backup = true;
    // The disc's BACKUP copies follow every save unless the user turns it off.
    bool saveBackup = true;
    // The editor's own backups beside the saved files; otherwise in the output folder.
    bool backupInDiscTree = false;
    int backupMode = 0;  // 0 "Only first", 1 "Overwrite", 2 "Stop if exists"
    int region = 0;      // 0 "A", 1 "B", 2 "C"
    // Panel heights
    int objectHeight = 75;
    int playListHeight = 176;
    int subPathHeight = 92;
    int playListMarkHeight = 103;
    // Formats
    int chapterFormat = 0;  // 0 "PTS", 1 "Frame", 2 "Time"
    int programFormat = 0;  // 0 "List (*.lst)", 1 "Binary (*.bin)"
    bool savePES = false;
    bool saveSUP = true;
    bool saveMNU = true;
    // Menu display
    bool buttonId = false;
    bool objectId = false;
    bool buttonFrame = false;
    bool windowFrame = false;
    bool forcedBeep = true;
    bool preLoad = true;
    bool showInEffects = true;
    bool showOutEffects = true;
    bool showButtonAnimation = false;
    bool showFullScreen = false;
    int colourMatrix = 0;  // palette colours: 0 "Auto" (by the video size), 1 "BT.601", 2 "BT.709"
    bool background = false;
    bool realPSRs = false;
    bool playSound = false;
    bool associate = false;
    bool names83 = false;
    // Colours
    std::uint32_t colBackground = winColour(0, 0, 128);
    std::uint32_t colObjectBackground = winColour(192, 192, 192);
    std::uint32_t colSelectedButton = winColour(255, 255, 0);
    std::uint32_t colSelectedFrame = winColour(255, 0, 0);
    std::uint32_t colNormalButton = winColour(255, 255, 255);
    std::uint32_t colNormalFrame = winColour(192, 192, 192);
    std::uint32_t colInvalidButton = winColour(128, 128, 128);
    std::uint32_t colInvalidFrame = winColour(0, 0, 0);
    std::uint32_t colWindow = winColour(0, 255, 0);
    // Navigation machine
    int actiDelay = 500;
    int countryCode = 0x5553;  // "US"

    bool operator==(const Settings&) const = default;
};

// The store of this program: organisation "Varkeld Software", application "Navora".
constexpr const char* kSettingsOrganisation = "Varkeld Software";
constexpr const char* kSettingsApplication = "Navora";

// Applies every stored value to s; missing values keep what s holds. When the
// store holds anything, "Version" is then written with versionText; an empty
// store is left untouched. Returns the names of values whose stored content
// has the wrong type (those keep what s holds too).
QStringList readSettings(QSettings& store, Settings& s, const QString& versionText);

// Writes every value. Top, Left, Width and Height are skipped while the
// window is maximised, so the last normal geometry survives.
void writeSettings(QSettings& store, const Settings& s, const QString& versionText);

// Every value name in the store, in order (without "Version").
QStringList settingsValueNames();

// The store: QSettings on the INI file of organisation "Varkeld Software",
// application "Navora", in the user's configuration folder.
std::unique_ptr<QSettings> openSettingsStore();

// The name of the value a member holds ("AutoRead" for &Settings::autoRead).
template <class T>
QString settingsValueName(T Settings::*member);

// Ties controls to the values they show. load() shows the values, store()
// copies what the controls hold back into the settings.
class SettingsBinder {
public:
    void bind(QAbstractButton* box, bool Settings::*value);
    // The item index; with no item selected store() keeps the value it had.
    void bind(RadioGroup* group, int Settings::*value);
    void bind(QLineEdit* field, QString Settings::*value);
    void bind(TIntEdit* field, int Settings::*value);
    // A hexadecimal field (the country code).
    void bind(THexEdit* field, int Settings::*value);
    void bind(ColourBox* box, std::uint32_t Settings::*value);

    void load(const Settings& s) const;
    void store(Settings& s) const;
    // The names of the bound values, in the order of the store's table.
    QStringList boundValues() const;

private:
    struct Binding {
        QString name;
        std::function<void(const Settings&)> load;
        std::function<void(Settings&)> store;
    };
    template <class T>
    void add(T Settings::*value, std::function<void(const Settings&)> load, std::function<void(Settings&)> store);
    std::vector<Binding> bindings_;
};

}  // namespace navora::ui
