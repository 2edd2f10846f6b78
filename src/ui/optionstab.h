#pragma once
// The Options tab: the options of the disc workspace, the navigation machine
// and the file formats. The controls hold the values while the program runs;
// load() and store() move them from and to the settings.

#include "disc/workspace.h"
#include "ts/savepid.h"
#include "ui/bdmvtab.h"
#include "ui/settings.h"
#include "ui/tabpage.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace navora::ui {

class TIntEdit;
class THexEdit;

// A titled group of radio buttons; an index outside the items selects none.
class RadioGroup : public QWidget {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);
    int itemIndex() const;  // -1 when no item is selected
    void setItemIndex(int index);
    QGroupBox* box() const { return box_; }
    QAbstractButton* item(int index) const;

signals:
    void itemIndexChanged(int index);

private:
    QGroupBox* box_;
    QButtonGroup* group_;
};

class OptionsTab : public TabPage {
    Q_OBJECT
public:
    static constexpr int kCountryMin = 0x4141;  // "AA"
    static constexpr int kCountryMax = 0x5A5A;  // "ZZ"

    explicit OptionsTab(QWidget* parent = nullptr);

    // Shows the values of s and runs the option handlers once.
    void load(const Settings& s);
    // Copies the values of the controls into s (values without a control are left alone).
    void store(Settings& s) const;

    bool autoRead() const;
    bool backup() const;
    int backupMode() const;  // -1 when no mode is selected
    bool saveToBackupDir() const;
    bool use83() const;
    QString outputFolder() const;
    bool realPsrs() const;
    int region() const;  // -1 when no region is selected
    int countryCode() const;
    int actiDelay() const;
    int programFormat() const;  // -1 when no format is selected
    int chapterFormat() const;  // 0 "PTS", 1 "Frame", 2 "Time"; -1 when none is selected
    // The three switches of Save PID.
    DemuxOptions demuxOptions() const;
    // The workspace's options as the controls set them. No backup mode
    // selected (a stored index out of range) backs up as "Only first".
    WorkspaceOptions workspaceOptions() const;

    QCheckBox* cbOAutoRead() const { return cbOAutoRead_; }
    QCheckBox* cbOBackup() const { return cbOBackup_; }
    RadioGroup* rgOBackup() const { return rgOBackup_; }
    QCheckBox* cbOSaveBACKUP() const { return cbOSaveBACKUP_; }
    QCheckBox* cb83names() const { return cb83names_; }
    QLineEdit* eWorkDir() const { return eWorkDir_; }
    QToolButton* bbWorkdir() const { return bbWorkdir_; }
    QCheckBox* cbInitPSR() const { return cbInitPSR_; }
    RadioGroup* rgRegion() const { return rgRegion_; }
    THexEdit* heCountryCode() const { return heCountryCode_; }
    QLabel* lCountry() const { return lCountry_; }
    TIntEdit* ieActiDelay() const { return ieActiDelay_; }
    RadioGroup* rgProgramformat() const { return rgProgramformat_; }
    // "Create sound.bdmv": the window runs it on the BDMV tab.
    QPushButton* bCreateSound() const { return bCreateSound_; }
    RadioGroup* rgChapterFormat() const { return rgChapterFormat_; }
    QCheckBox* cbSavePES() const { return cbSavePES_; }
    QCheckBox* cbSaveSUP() const { return cbSaveSUP_; }
    QCheckBox* cbSaveIG() const { return cbSaveIG_; }
    // Layouts of the three groups, for the options later views add.
    QVBoxLayout* optionsLayout() const { return lOptions_; }
    QVBoxLayout* formatLayout() const { return lFormat_; }
    QVBoxLayout* menuLayout() const { return lMenu_; }

    FolderChooser folderChooser;

    // The two letters of a country code, high byte first (0x5553 -> "US").
    static QString countryLetters(int code);

signals:
    // Any option of the workspace changed (Auto Read, backups, 8.3 names, output folder).
    void optionsChanged();
    void use83Changed(bool on);
    void actiDelayChanged(int ms);
    void countryCodeChanged(int code);
    void regionChanged(int region);
    void realPsrsChanged(bool on);
    void programFormatChanged(int format);

public slots:
    // The backup mode group is enabled exactly while "Create backup files" is on.
    void cbOBackupClick();
    // Asks for the output folder.
    void bbWorkdirClick();
    // Leaving the country code: clamps it to AA ... ZZ and updates the letters.
    void heCountryCodeExit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCheckBox* cbOAutoRead_;
    QCheckBox* cbOBackup_;
    RadioGroup* rgOBackup_;
    QCheckBox* cbOSaveBACKUP_;
    QCheckBox* cb83names_;
    QLineEdit* eWorkDir_;
    QToolButton* bbWorkdir_;
    QCheckBox* cbInitPSR_;
    RadioGroup* rgRegion_;
    THexEdit* heCountryCode_;
    QLabel* lCountry_;
    TIntEdit* ieActiDelay_;
    RadioGroup* rgProgramformat_;
    QPushButton* bCreateSound_;
    RadioGroup* rgChapterFormat_;
    QCheckBox* cbSavePES_;
    QCheckBox* cbSaveSUP_;
    QCheckBox* cbSaveIG_;
    QVBoxLayout* lOptions_;
    QVBoxLayout* lFormat_;
    QVBoxLayout* lMenu_;
};

}  // namespace navora::ui
