#include "ui/options/optionstab.h"

#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

namespace {

struct SwitchSpec {
    const char* twinName;
    const char* caption;
    bool Settings::*value;
};

// The twins in the order of MenuSwitch, with the value the Menu-tab switch stores.
const SwitchSpec kSwitches[kMenuSwitches] = {
    {"cbButtonIdO", "Button ID (hex)", &Settings::buttonId},
    {"cbObjectIdO", "Object ID (hex)", &Settings::objectId},
    {"cbButtonFrameO", "Button frame", &Settings::buttonFrame},
    {"cbWindowFrameO", "Window frame", &Settings::windowFrame},
    {"cbInEffectO", "Show InEffects", &Settings::showInEffects},
    {"cbOutEffectO", "Show OutEffects", &Settings::showOutEffects},
    {"cbAnimateO", "Animate buttons", &Settings::showButtonAnimation},
    {"cbPlaySoundO", "Play sound", &Settings::playSound},
    {"cbFullScreenO", "Full screen view", &Settings::showFullScreen},
};

struct ColourSpec {
    const char* name;
    const char* caption;
    std::uint32_t Settings::*value;
};

const ColourSpec kColours[kMenuColours] = {
    {"colBackground", "Menu background", &Settings::colBackground},
    {"colObjectBackground", "Object background", &Settings::colObjectBackground},
    {"colSelectedButton", "Selected button", &Settings::colSelectedButton},
    {"colSelectedFrame", "Selected frame", &Settings::colSelectedFrame},
    {"colNormalButton", "Normal button", &Settings::colNormalButton},
    {"colNormalFrame", "Normal frame", &Settings::colNormalFrame},
    {"colInvalidButton", "Invalid button", &Settings::colInvalidButton},
    {"colInvalidFrame", "Invalid Frame", &Settings::colInvalidFrame},
    {"colWindow", "Window frame", &Settings::colWindow},
};

QCheckBox* checkBox(const QString& caption, const char* name, QWidget* parent) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QLatin1String(name));
    return c;
}

QGroupBox* group(const QString& title, QWidget* parent, QVBoxLayout** layout) {
    auto* g = new QGroupBox(title, parent);
    *layout = new QVBoxLayout(g);
    (*layout)->setSpacing(3);
    return g;
}

QString choosePicture(QWidget* parent, const QString& title, const QString& start, const QStringList& filters) {
    QFileDialog dialog(parent, title, start);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.back());
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace

OptionsTab::OptionsTab(QWidget* parent) : TabPage(parent) {
    folderChooser = [this](const QString& title, const QString& start) {
        return chooseFolderWithDialog(this, title, start);
    };
    pictureChooser = [this](const QString& title, const QString& start, const QStringList& filters) {
        return choosePicture(this, title, start, filters);
    };
    confirm = [this](const QString& question) {
        return QMessageBox::question(this, QStringLiteral("Navora"), question) == QMessageBox::Yes;
    };

    auto* row = new QHBoxLayout;
    row->addWidget(buildOptions(), 0);
    row->addWidget(buildFormat(), 0);
    row->addWidget(buildMenu(), 1);

    bResetDefaults_ = new QPushButton(QStringLiteral("Reset to &defaults"), this);
    bResetDefaults_->setObjectName(QStringLiteral("bResetDefaults"));
    bResetDefaults_->setToolTip(QStringLiteral("Set every option back to its default value"));
    // Creating files: enabled by what the disc holds.
    bCreateSound_ = new QPushButton(QStringLiteral("Create sound.bdmv"), this);
    bCreateSound_->setObjectName(QStringLiteral("bCreateSound"));
    bCreateSound_->setToolTip(QStringLiteral("A new sound.bdmv from one WAV file (48 kHz, 16 bit, PCM)"));
    bCreateSound_->setEnabled(false);
    lActions_ = new QHBoxLayout;
    lActions_->addWidget(bCreateSound_);
    lActions_->addWidget(bResetDefaults_);
    lActions_->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addLayout(row);
    outer->addLayout(lActions_);
    outer->addStretch(1);
    connectControls();
    cbOBackupClick();
}

QWidget* OptionsTab::buildOptions() {
    QGroupBox* g = group(QStringLiteral("Options"), this, &lOptions_);
    cbOAutoRead_ = checkBox(QStringLiteral("Auto Read"), "cbOAutoRead", g);
    cbOBackup_ = checkBox(QStringLiteral("Create backup files"), "cbOBackup", g);
    rgOBackup_ = new RadioGroup(QStringLiteral("Backup mode"),
                                {QStringLiteral("Only first"), QStringLiteral("Overwrite"),
                                 QStringLiteral("Stop if exists")},
                                g);
    rgOBackup_->setObjectName(QStringLiteral("rgOBackup"));
    cbOSaveBACKUP_ = checkBox(QStringLiteral("Save to BACKUP dir"), "cbOSaveBACKUP", g);
    cbOSaveBACKUP_->setToolTip(QStringLiteral("Keep the disc's BACKUP copies in step with every saved file"));
    cbOBackupInTree_ = checkBox(QStringLiteral("Backups beside the files"), "cbOBackupInTree", g);
    cbOBackupInTree_->setToolTip(
        QStringLiteral("Write the backup files beside the saved files, inside the disc; otherwise they go to the "
                       "\"backup\" folder of the output folder"));
    cbAssoc_ = checkBox(QStringLiteral("Associate Navora to .bdmv file extension"), "cbAssoc", g);
    cbAssoc_->setToolTip(QStringLiteral("Open .bdmv files with Navora from the file manager"));
    auto* workLabel = new QLabel(QStringLiteral("Output folder"), g);
    eWorkDir_ = new QLineEdit(g);
    eWorkDir_->setObjectName(QStringLiteral("eWorkDir"));
    workLabel->setBuddy(eWorkDir_);
    bbWorkdir_ = new QToolButton(g);
    bbWorkdir_->setObjectName(QStringLiteral("bbWorkdir"));
    bbWorkdir_->setText(QStringLiteral("..."));
    bbWorkdir_->setToolTip(QStringLiteral("Select a directory"));
    auto* workRow = new QHBoxLayout;
    workRow->addWidget(eWorkDir_, 1);
    workRow->addWidget(bbWorkdir_);
    for (QWidget* w : std::initializer_list<QWidget*>{cbOAutoRead_, cbOBackup_, rgOBackup_, cbOBackupInTree_,
                                                      cbOSaveBACKUP_, cbAssoc_})
        lOptions_->addWidget(w);
    lOptions_->addSpacing(6);
    lOptions_->addWidget(workLabel);
    lOptions_->addLayout(workRow);
    lOptions_->addStretch(1);
    return g;
}

QWidget* OptionsTab::buildFormat() {
    QGroupBox* g = group(QStringLiteral("Format options"), this, &lFormat_);
    cb83names_ = checkBox(QStringLiteral("Use 8.3 filenames"), "cb83names", g);
    cb83names_->setToolTip(QStringLiteral("If you work with output that uses 8.3 file names, check this"));
    rgProgramformat_ = new RadioGroup(QStringLiteral("Program format"),
                                      {QStringLiteral("List (*.lst)"), QStringLiteral("Binary (*.bin)")}, g);
    rgProgramformat_->setObjectName(QStringLiteral("rgProgramformat"));
    rgChapterFormat_ = new RadioGroup(QStringLiteral("Chapter format"),
                                      {QStringLiteral("PTS"), QStringLiteral("Frame"), QStringLiteral("Time")}, g);
    rgChapterFormat_->setObjectName(QStringLiteral("rgChapterFormat"));
    // The three switches of Save PID on the CLIPINF tab.
    cbSavePES_ = checkBox(QStringLiteral("Save PES stream (not elementary)"), "cbSavePES", g);
    cbSaveSUP_ = checkBox(QStringLiteral("Save SUP if PG stream"), "cbSaveSUP", g);
    cbSaveIG_ = checkBox(QStringLiteral("Save MNU if IG stream"), "cbSaveIG", g);
    for (QWidget* w : std::initializer_list<QWidget*>{cb83names_, rgProgramformat_, rgChapterFormat_, cbSavePES_,
                                                      cbSaveSUP_, cbSaveIG_})
        lFormat_->addWidget(w);
    lFormat_->addStretch(1);
    return g;
}

QWidget* OptionsTab::buildMenu() {
    QGroupBox* g = group(QStringLiteral("Menu options"), this, &lMenu_);

    // The menu view: the twins of the Menu tab's switches, preloading and the background picture.
    QVBoxLayout* lView = nullptr;
    QGroupBox* gView = group(QStringLiteral("Menu view"), g, &lView);
    for (int i = 0; i < kMenuSwitches; ++i) {
        twins_[static_cast<std::size_t>(i)] = checkBox(QLatin1String(kSwitches[i].caption), kSwitches[i].twinName, gView);
        lView->addWidget(twins_[static_cast<std::size_t>(i)]);
    }
    lView->addStretch(1);

    QVBoxLayout* lColours = nullptr;
    QGroupBox* gColours = group(QStringLiteral("Colours"), g, &lColours);
    lColours->setSpacing(0);
    for (int i = 0; i < kMenuColours; ++i) {
        auto* box = new ColourBox(QLatin1String(kColours[i].caption), gColours);
        box->setObjectName(QLatin1String(kColours[i].name));
        colours_[static_cast<std::size_t>(i)] = box;
        lColours->addWidget(box);
    }
    lColours->addStretch(1);

    cbForcedBeep_ = checkBox(QStringLiteral("Forced beep on invalid command"), "cbForcedBeep", g);
    cbPreLoad_ = checkBox(QStringLiteral("Preload all bitmap of the page"), "cbPreLoad", g);
    rgColourMatrix_ = new RadioGroup(QStringLiteral("Colour matrix"),
                                     {QStringLiteral("Auto"), QStringLiteral("BT.601"), QStringLiteral("BT.709")}, g);
    rgColourMatrix_->setObjectName(QStringLiteral("rgColourMatrix"));
    rgColourMatrix_->setToolTip(QStringLiteral("How palette colours are shown, exported and imported: Auto takes "
                                               "BT.709 for HD menus and BT.601 for SD, as players do"));
    cbBackground_ = checkBox(QStringLiteral("Background picture"), "cbBackground", g);
    cbBackground_->setToolTip(QStringLiteral("Show the background picture file behind the menu"));
    eBackPic_ = new TumEdit(g);
    eBackPic_->setObjectName(QStringLiteral("eBackPic"));
    eBackPic_->setDisabledColor(palette().color(QPalette::Button));
    eBackPic_->setEnabled(false);
    bbBackPic_ = new QToolButton(g);
    bbBackPic_->setObjectName(QStringLiteral("bbBackPic"));
    bbBackPic_->setText(QStringLiteral("..."));
    bbBackPic_->setToolTip(QStringLiteral("Select a background picture"));
    auto* picRow = new QHBoxLayout;
    picRow->addWidget(eBackPic_, 1);
    picRow->addWidget(bbBackPic_);

    // The navigation machine's start values and timing.
    cbInitPSR_ = checkBox(QStringLiteral("Init PSRs with 'real' values"), "cbInitPSR", g);
    rgRegion_ = new RadioGroup(QStringLiteral("Region code"),
                               {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, g);
    rgRegion_->setObjectName(QStringLiteral("rgRegion"));
    heCountryCode_ = new THexEdit(4, g);
    heCountryCode_->setObjectName(QStringLiteral("heCountryCode"));
    heCountryCode_->setMaximumWidth(heCountryCode_->fontMetrics().horizontalAdvance(QStringLiteral("WWWWW")) + 8);
    lCountry_ = new QLabel(g);
    lCountry_->setObjectName(QStringLiteral("lCountry"));
    lCountry_->setMinimumWidth(lCountry_->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 4);
    auto* countryLabel = new QLabel(QStringLiteral("Country\ncode"), g);
    countryLabel->setBuddy(heCountryCode_);
    ieActiDelay_ = new TIntEdit(g);
    ieActiDelay_->setObjectName(QStringLiteral("ieActiDelay"));
    ieActiDelay_->setMaximumWidth(ieActiDelay_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 8);
    auto* delayLabel = new QLabel(QStringLiteral("Activate comm.\nshow delay (ms)"), g);
    delayLabel->setBuddy(ieActiDelay_);

    auto* country = new QHBoxLayout;
    country->addWidget(countryLabel);
    country->addWidget(heCountryCode_);
    country->addWidget(lCountry_);
    country->addStretch(1);
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(ieActiDelay_);
    delayRow->addWidget(delayLabel, 1);
    auto* machine = new QVBoxLayout;
    machine->addWidget(rgRegion_);
    machine->addLayout(country);
    machine->addLayout(delayRow);
    machine->addStretch(1);

    // Two columns: the view switches beside the colours, then the other menu
    // options beside the navigation machine's start values. Three columns
    // would cut the captions at the window's least width.
    auto* grid = new QGridLayout;
    grid->addWidget(gView, 0, 0);
    grid->addWidget(gColours, 0, 1);
    grid->addWidget(cbForcedBeep_, 1, 0, 1, 2);
    grid->addWidget(cbPreLoad_, 2, 0, 1, 2);
    auto* below = new QVBoxLayout;
    below->addWidget(cbInitPSR_);
    below->addWidget(cbBackground_);
    below->addWidget(rgColourMatrix_);
    below->addStretch(1);
    grid->addLayout(below, 3, 0);
    grid->addLayout(machine, 3, 1);
    grid->addLayout(picRow, 4, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    lMenu_->addLayout(grid);
    lMenu_->addStretch(1);
    return g;
}

void OptionsTab::connectControls() {
    connect(cbOAutoRead_, &QCheckBox::toggled, this, &OptionsTab::optionsChanged);
    connect(cbOBackup_, &QCheckBox::toggled, this, [this] {
        cbOBackupClick();
        emit optionsChanged();
    });
    connect(rgOBackup_, &RadioGroup::itemIndexChanged, this, &OptionsTab::optionsChanged);
    connect(cbOSaveBACKUP_, &QCheckBox::toggled, this, &OptionsTab::optionsChanged);
    connect(cbOBackupInTree_, &QCheckBox::toggled, this, &OptionsTab::optionsChanged);
    connect(cb83names_, &QCheckBox::toggled, this, [this](bool on) {
        emit use83Changed(on);
        emit optionsChanged();
    });
    // Only a click asks for the association; unchecking removes nothing.
    connect(cbAssoc_, &QCheckBox::clicked, this, [this](bool on) {
        if (on) emit associateRequested();
    });
    connect(eWorkDir_, &QLineEdit::textChanged, this, &OptionsTab::optionsChanged);
    connect(bbWorkdir_, &QToolButton::clicked, this, &OptionsTab::bbWorkdirClick);
    connect(bbBackPic_, &QToolButton::clicked, this, &OptionsTab::bbBackPicClick);
    connect(cbBackground_, &QCheckBox::toggled, this, &OptionsTab::backgroundChanged);
    connect(cbPreLoad_, &QCheckBox::toggled, this, &OptionsTab::preLoadChanged);
    connect(cbInitPSR_, &QCheckBox::toggled, this, &OptionsTab::realPsrsChanged);
    connect(rgRegion_, &RadioGroup::itemIndexChanged, this, &OptionsTab::regionChanged);
    connect(rgColourMatrix_, &RadioGroup::itemIndexChanged, this, &OptionsTab::colourMatrixChanged);
    connect(rgProgramformat_, &RadioGroup::itemIndexChanged, this, &OptionsTab::programFormatChanged);
    connect(ieActiDelay_, &QLineEdit::textChanged, this, [this] { emit actiDelayChanged(actiDelay()); });
    for (int i = 0; i < kMenuSwitches; ++i)
        connect(twins_[static_cast<std::size_t>(i)], &QCheckBox::toggled, this,
                [this, i](bool on) { emit menuSwitchChanged(static_cast<MenuSwitch>(i), on); });
    for (int i = 0; i < kMenuColours; ++i)
        connect(colours_[static_cast<std::size_t>(i)], &ColourBox::valueChanged, this,
                [this, i](std::uint32_t v) { emit menuColourChanged(static_cast<MenuColour>(i), v); });
    connect(bResetDefaults_, &QPushButton::clicked, this, &OptionsTab::bResetDefaultsClick);
    // Enter moves the focus out of the country code, which clamps it.
    connect(heCountryCode_, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    heCountryCode_->installEventFilter(this);
}

void OptionsTab::bindSettings(SettingsBinder& b) {
    b.bind(cbOAutoRead_, &Settings::autoRead);
    b.bind(cbOBackup_, &Settings::backup);
    b.bind(cbOSaveBACKUP_, &Settings::saveBackup);
    b.bind(cbOBackupInTree_, &Settings::backupInDiscTree);
    b.bind(eWorkDir_, &Settings::outputFolder);
    b.bind(rgOBackup_, &Settings::backupMode);
    b.bind(rgRegion_, &Settings::region);
    b.bind(rgColourMatrix_, &Settings::colourMatrix);
    b.bind(rgProgramformat_, &Settings::programFormat);
    b.bind(rgChapterFormat_, &Settings::chapterFormat);
    b.bind(cbSavePES_, &Settings::savePES);
    b.bind(cbSaveSUP_, &Settings::saveSUP);
    b.bind(cbSaveIG_, &Settings::saveMNU);
    b.bind(cbForcedBeep_, &Settings::forcedBeep);
    b.bind(cbPreLoad_, &Settings::preLoad);
    b.bind(cbBackground_, &Settings::background);
    b.bind(eBackPic_, &Settings::backgroundPic);
    b.bind(cbInitPSR_, &Settings::realPSRs);
    b.bind(cbAssoc_, &Settings::associate);
    b.bind(cb83names_, &Settings::names83);
    // The stored value is the Menu-tab switch's, which its twin mirrors.
    for (int i = 0; i < kMenuSwitches; ++i) b.bind(twins_[static_cast<std::size_t>(i)], kSwitches[i].value);
    for (int i = 0; i < kMenuColours; ++i) b.bind(colours_[static_cast<std::size_t>(i)], kColours[i].value);
    b.bind(ieActiDelay_, &Settings::actiDelay);
    b.bind(heCountryCode_, &Settings::countryCode);
}

void OptionsTab::runHandlers() {
    // A stored country code is shown as read; it is clamped when the field is next left.
    lCountry_->setText(countryLetters(static_cast<int>(heCountryCode_->value())));
    cbOBackupClick();
    emit use83Changed(use83());
    emit actiDelayChanged(actiDelay());
    emit realPsrsChanged(realPsrs());
    emit regionChanged(region());
    emit colourMatrixChanged(colourMatrix());
    emit programFormatChanged(programFormat());
    emit countryCodeChanged(countryCode());
    emit backgroundChanged(background());
    emit preLoadChanged(preLoad());
    for (int i = 0; i < kMenuSwitches; ++i) emit menuSwitchChanged(static_cast<MenuSwitch>(i), twins_[static_cast<std::size_t>(i)]->isChecked());
    emit optionsChanged();
}

void OptionsTab::bindMenuSwitch(MenuSwitch which, QAbstractButton* menuTabSwitch) {
    QCheckBox* twin = menuSwitchTwin(which);
    menuTabSwitch->setChecked(twin->isChecked());
    // setChecked sends toggled only on a change, so the pair settles after one round.
    connect(menuTabSwitch, &QAbstractButton::toggled, twin, &QCheckBox::setChecked);
    connect(twin, &QCheckBox::toggled, menuTabSwitch, &QAbstractButton::setChecked);
}

bool OptionsTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == heCountryCode_ && event->type() == QEvent::FocusOut) heCountryCodeExit();
    return QWidget::eventFilter(watched, event);
}

QString OptionsTab::countryLetters(int code) {
    return QString(QChar(static_cast<ushort>((code >> 8) & 0xFF))) + QChar(static_cast<ushort>(code & 0xFF));
}

void OptionsTab::heCountryCodeExit() {
    const int code = std::clamp(static_cast<int>(heCountryCode_->value()), kCountryMin, kCountryMax);
    heCountryCode_->setValue(static_cast<std::uint32_t>(code));
    lCountry_->setText(countryLetters(code));
    emit countryCodeChanged(code);
}

void OptionsTab::cbOBackupClick() {
    rgOBackup_->setEnabled(cbOBackup_->isChecked());
    cbOBackupInTree_->setEnabled(cbOBackup_->isChecked());
}

void OptionsTab::bbWorkdirClick() {
    const QString start = eWorkDir_->text().isEmpty() ? QDir::currentPath() : eWorkDir_->text();
    const QString chosen = folderChooser ? folderChooser(QStringLiteral("Select a directory"), start) : QString();
    if (!chosen.isEmpty()) eWorkDir_->setText(chosen);
}

void OptionsTab::bbBackPicClick() {
    // The BDMV folder, else the output folder when set, else the current picture's folder.
    QString start = bdmvFolder ? bdmvFolder() : QString();
    if (!outputFolder().isEmpty()) start = outputFolder();
    if (!backgroundPicture().isEmpty()) start = QFileInfo(backgroundPicture()).absolutePath();
    const QString chosen =
        pictureChooser ? pictureChooser(QStringLiteral("Select a background picture"), start,
                                        {QStringLiteral("BMP (*.bmp)"), QStringLiteral("PNG (*.png)")})
                       : QString();
    if (chosen.isEmpty()) return;
    eBackPic_->setText(chosen);
    emit backgroundPictureChanged(chosen);
}

void OptionsTab::bResetDefaultsClick() {
    if (confirm && !confirm(QStringLiteral("Set every option back to its default value?"))) return;
    emit resetRequested();
}

bool OptionsTab::autoRead() const { return cbOAutoRead_->isChecked(); }
bool OptionsTab::backup() const { return cbOBackup_->isChecked(); }
int OptionsTab::backupMode() const { return rgOBackup_->itemIndex(); }
bool OptionsTab::saveToBackupDir() const { return cbOSaveBACKUP_->isChecked(); }
bool OptionsTab::use83() const { return cb83names_->isChecked(); }
bool OptionsTab::associate() const { return cbAssoc_->isChecked(); }
QString OptionsTab::outputFolder() const { return eWorkDir_->text(); }
bool OptionsTab::realPsrs() const { return cbInitPSR_->isChecked(); }
int OptionsTab::region() const { return rgRegion_->itemIndex(); }
int OptionsTab::colourMatrix() const { return std::max(rgColourMatrix_->itemIndex(), 0); }
int OptionsTab::countryCode() const { return static_cast<int>(heCountryCode_->value()); }
int OptionsTab::actiDelay() const { return static_cast<int>(std::clamp<std::int64_t>(ieActiDelay_->value(), 0, 1 << 30)); }
int OptionsTab::programFormat() const { return rgProgramformat_->itemIndex(); }
int OptionsTab::chapterFormat() const { return rgChapterFormat_->itemIndex(); }
DemuxOptions OptionsTab::demuxOptions() const {
    return {cbSavePES_->isChecked(), cbSaveSUP_->isChecked(), cbSaveIG_->isChecked()};
}
bool OptionsTab::forcedBeep() const { return cbForcedBeep_->isChecked(); }
bool OptionsTab::preLoad() const { return cbPreLoad_->isChecked(); }
bool OptionsTab::background() const { return cbBackground_->isChecked(); }
QString OptionsTab::backgroundPicture() const { return eBackPic_->text(); }
bool OptionsTab::menuSwitch(MenuSwitch which) const { return menuSwitchTwin(which)->isChecked(); }
std::uint32_t OptionsTab::menuColour(MenuColour which) const { return colourBox(which)->value(); }

WorkspaceOptions OptionsTab::workspaceOptions() const {
    WorkspaceOptions o;
    o.autoRead = autoRead();
    o.backup = backup();
    const int mode = backupMode();
    o.backupMode = mode >= 0 && mode <= 2 ? static_cast<BackupMode>(mode) : BackupMode::OnlyFirst;
    o.saveToBackupDir = saveToBackupDir();
    o.backupInDiscTree = cbOBackupInTree_->isChecked();
    o.use83 = use83();
    o.outputFolder = outputFolder().toStdString();
    return o;
}

}  // namespace navora::ui
