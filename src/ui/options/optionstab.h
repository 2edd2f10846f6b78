#pragma once
// The Options tab: the options of the disc workspace, the file formats, the
// navigation machine and the menu view, with "Reset to defaults". The
// controls hold the values while the program runs; bindSettings() ties them
// to the settings read at start-up and written at exit.
//
// The nine menu view switches ("Button ID (hex)" ... "Full screen view")
// live on the Menu tab; their twins here mirror them. The Menu tab ties each
// of its switches to its twin with bindMenuSwitch(): changing either sets the
// other, and menuSwitchChanged() reports the change once.

#include "disc/workspace.h"
#include "ts/savepid.h"
#include "ui/app/settings.h"
#include "ui/app/tabpage.h"
#include "ui/widgets/prompts.h"

#include <array>
#include <functional>

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class QHBoxLayout;

namespace navora::ui {

class ColourBox;
class RadioGroup;
class TIntEdit;
class THexEdit;
class TumEdit;

// The menu view switches that the Menu tab and the Options tab both show.
enum class MenuSwitch {
    ButtonId,     // "Button ID (hex)"
    ObjectId,     // "Object ID (hex)"
    ButtonFrame,  // "Button frame"
    WindowFrame,  // "Window frame"
    InEffects,    // "Show InEffects"
    OutEffects,   // "Show OutEffects"
    Animate,      // "Animate buttons"
    PlaySound,    // "Play sound"
    FullScreen,   // "Full screen view"
};
inline constexpr int kMenuSwitches = 9;

// The menu colours, in the order of the settings table.
enum class MenuColour {
    Background,        // "Menu background"
    ObjectBackground,  // "Object background"
    SelectedButton,    // "Selected button"
    SelectedFrame,     // "Selected frame"
    NormalButton,      // "Normal button"
    NormalFrame,       // "Normal frame"
    InvalidButton,     // "Invalid button"
    InvalidFrame,      // "Invalid Frame"
    Window,            // "Window frame"
};
inline constexpr int kMenuColours = 9;

// Asks for a background picture: (title, start folder, filters) -> chosen file, empty when cancelled.
using PictureChooser = std::function<QString(const QString& title, const QString& start, const QStringList& filters)>;

class OptionsTab : public TabPage {
    Q_OBJECT
public:
    static constexpr int kCountryMin = 0x4141;  // "AA"
    static constexpr int kCountryMax = 0x5A5A;  // "ZZ"

    explicit OptionsTab(QWidget* parent = nullptr);

    // Ties every control of this tab to its value of the settings.
    void bindSettings(SettingsBinder& binder);
    // Runs the option handlers once, so that everything that follows an
    // option sees the values the controls show (after reading the settings
    // and after "Reset to defaults").
    void runHandlers();

    bool autoRead() const;
    bool backup() const;
    int backupMode() const;  // -1 when no mode is selected
    bool saveToBackupDir() const;
    bool use83() const;
    bool associate() const;
    QString outputFolder() const;
    bool realPsrs() const;
    int region() const;  // -1 when no region is selected
    int colourMatrix() const;  // 0 "Auto", 1 "BT.601", 2 "BT.709"
    int countryCode() const;
    int actiDelay() const;
    int programFormat() const;  // -1 when no format is selected
    int chapterFormat() const;  // 0 "PTS", 1 "Frame", 2 "Time"; -1 when none is selected
    // The three switches of Save PID.
    DemuxOptions demuxOptions() const;
    bool forcedBeep() const;
    bool preLoad() const;
    bool background() const;  // use the background picture
    QString backgroundPicture() const;
    bool menuSwitch(MenuSwitch which) const;
    std::uint32_t menuColour(MenuColour which) const;
    // The workspace's options as the controls set them. No backup mode
    // selected (a stored index out of range) backs up as "Only first".
    WorkspaceOptions workspaceOptions() const;

    // Ties a Menu-tab switch to its twin here: each sets the other.
    void bindMenuSwitch(MenuSwitch which, QAbstractButton* menuTabSwitch);

    QCheckBox* cbOAutoRead() const { return cbOAutoRead_; }
    QCheckBox* cbOBackup() const { return cbOBackup_; }
    RadioGroup* rgOBackup() const { return rgOBackup_; }
    QCheckBox* cbOSaveBACKUP() const { return cbOSaveBACKUP_; }
    QCheckBox* cbOBackupInTree() const { return cbOBackupInTree_; }
    QCheckBox* cbAssoc() const { return cbAssoc_; }
    QCheckBox* cb83names() const { return cb83names_; }
    QLineEdit* eWorkDir() const { return eWorkDir_; }
    QToolButton* bbWorkdir() const { return bbWorkdir_; }
    QCheckBox* cbInitPSR() const { return cbInitPSR_; }
    RadioGroup* rgRegion() const { return rgRegion_; }
    RadioGroup* rgColourMatrix() const { return rgColourMatrix_; }
    THexEdit* heCountryCode() const { return heCountryCode_; }
    QLabel* lCountry() const { return lCountry_; }
    TIntEdit* ieActiDelay() const { return ieActiDelay_; }
    RadioGroup* rgProgramformat() const { return rgProgramformat_; }
    RadioGroup* rgChapterFormat() const { return rgChapterFormat_; }
    QCheckBox* cbSavePES() const { return cbSavePES_; }
    QCheckBox* cbSaveSUP() const { return cbSaveSUP_; }
    QCheckBox* cbSaveIG() const { return cbSaveIG_; }
    // "Create sound.bdmv": the window runs it on the BDMV tab.
    QPushButton* bCreateSound() const { return bCreateSound_; }
    QCheckBox* cbForcedBeep() const { return cbForcedBeep_; }
    QCheckBox* cbPreLoad() const { return cbPreLoad_; }
    QCheckBox* cbBackground() const { return cbBackground_; }
    TumEdit* eBackPic() const { return eBackPic_; }
    QToolButton* bbBackPic() const { return bbBackPic_; }
    // The twins of the Menu-tab switches (cbButtonIdO ... cbFullScreenO).
    QCheckBox* menuSwitchTwin(MenuSwitch which) const { return twins_[static_cast<std::size_t>(which)]; }
    ColourBox* colourBox(MenuColour which) const { return colours_[static_cast<std::size_t>(which)]; }
    QPushButton* bResetDefaults() const { return bResetDefaults_; }
    // Layouts of the three groups, and the row below them, for what later views add
    // (the chapter format, "Create sound.bdmv", "Create Menu").
    QVBoxLayout* optionsLayout() const { return lOptions_; }
    QVBoxLayout* formatLayout() const { return lFormat_; }
    QVBoxLayout* menuLayout() const { return lMenu_; }
    QHBoxLayout* actionLayout() const { return lActions_; }

    FolderChooser folderChooser;
    PictureChooser pictureChooser;
    // The BDMV folder: the background picture dialog starts there.
    std::function<QString()> bdmvFolder;
    // Asks a yes/no question; the platform's message box by default.
    std::function<bool(const QString& question)> confirm;

    // The two letters of a country code, high byte first (0x5553 -> "US").
    static QString countryLetters(int code);

signals:
    // Any option of the workspace changed (Auto Read, backups, 8.3 names, output folder).
    void optionsChanged();
    void use83Changed(bool on);
    void actiDelayChanged(int ms);
    void countryCodeChanged(int code);
    void regionChanged(int region);
    void colourMatrixChanged(int choice);
    void realPsrsChanged(bool on);
    void programFormatChanged(int format);
    // The user checked "Associate Navora to .bdmv file extension".
    void associateRequested();
    void preLoadChanged(bool on);
    // The background switch, or the background picture file chosen with the dialog.
    void backgroundChanged(bool on);
    void backgroundPictureChanged(const QString& file);
    void menuSwitchChanged(navora::ui::MenuSwitch which, bool on);
    void menuColourChanged(navora::ui::MenuColour which, std::uint32_t value);
    // "Reset to defaults" was confirmed: every bound control is to show its default.
    void resetRequested();

public slots:
    // The backup mode group is enabled exactly while "Create backup files" is on.
    void cbOBackupClick();
    // Asks for the output folder.
    void bbWorkdirClick();
    // Asks for the background picture.
    void bbBackPicClick();
    // Leaving the country code: clamps it to AA ... ZZ and updates the letters.
    void heCountryCodeExit();
    // "Reset to defaults": asks, then emits resetRequested().
    void bResetDefaultsClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildOptions();
    QWidget* buildFormat();
    QWidget* buildMenu();
    void connectControls();

    QCheckBox* cbOAutoRead_;
    QCheckBox* cbOBackup_;
    RadioGroup* rgOBackup_;
    QCheckBox* cbOSaveBACKUP_;
    QCheckBox* cbOBackupInTree_;
    QCheckBox* cbAssoc_;
    QCheckBox* cb83names_;
    QLineEdit* eWorkDir_;
    QToolButton* bbWorkdir_;
    QCheckBox* cbInitPSR_;
    RadioGroup* rgRegion_;
    RadioGroup* rgColourMatrix_;
    THexEdit* heCountryCode_;
    QLabel* lCountry_;
    TIntEdit* ieActiDelay_;
    RadioGroup* rgProgramformat_;
    RadioGroup* rgChapterFormat_;
    QCheckBox* cbSavePES_;
    QCheckBox* cbSaveSUP_;
    QCheckBox* cbSaveIG_;
    QPushButton* bCreateSound_;
    QCheckBox* cbForcedBeep_;
    QCheckBox* cbPreLoad_;
    QCheckBox* cbBackground_;
    TumEdit* eBackPic_;
    QToolButton* bbBackPic_;
    std::array<QCheckBox*, kMenuSwitches> twins_{};
    std::array<ColourBox*, kMenuColours> colours_{};
    QPushButton* bResetDefaults_;
    QVBoxLayout* lOptions_;
    QVBoxLayout* lFormat_;
    QVBoxLayout* lMenu_;
    QHBoxLayout* lActions_;
};

}  // namespace navora::ui
