#include "ui/optionstab.h"

#include "ui/widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QWidget(parent), box_(new QGroupBox(title, this)), group_(new QButtonGroup(this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(box_);
    auto* inner = new QVBoxLayout(box_);
    inner->setContentsMargins(6, 2, 6, 4);
    inner->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box_);
        group_->addButton(b, i);
        inner->addWidget(b);
    }
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const { return group_->checkedId(); }

QAbstractButton* RadioGroup::item(int index) const { return group_->button(index); }

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = group_->button(index)) {
        b->setChecked(true);
        return;
    }
    // No such item: nothing is selected.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
    group_->setExclusive(true);
}

// ---------------------------------------------------------------------------

OptionsTab::OptionsTab(QWidget* parent) : TabPage(parent) {
    folderChooser = [this](const QString& title, const QString& start) {
        return chooseFolderWithDialog(this, title, start);
    };

    auto makeGroup = [this](const QString& title, QVBoxLayout** layout) {
        auto* g = new QGroupBox(title, this);
        *layout = new QVBoxLayout(g);
        (*layout)->setSpacing(4);
        return g;
    };
    QGroupBox* gOptions = makeGroup(QStringLiteral("Options"), &lOptions_);
    QGroupBox* gFormat = makeGroup(QStringLiteral("Format options"), &lFormat_);
    QGroupBox* gMenu = makeGroup(QStringLiteral("Menu options"), &lMenu_);

    // Options
    cbOAutoRead_ = new QCheckBox(QStringLiteral("Auto Read"), gOptions);
    cbOBackup_ = new QCheckBox(QStringLiteral("Create backup files"), gOptions);
    rgOBackup_ = new RadioGroup(QStringLiteral("Backup mode"),
                                {QStringLiteral("Only first"), QStringLiteral("Overwrite"),
                                 QStringLiteral("Stop if exists")},
                                gOptions);
    cbOSaveBACKUP_ = new QCheckBox(QStringLiteral("Save to BACKUP dir"), gOptions);
    auto* workLabel = new QLabel(QStringLiteral("Output folder"), gOptions);
    eWorkDir_ = new QLineEdit(gOptions);
    workLabel->setBuddy(eWorkDir_);
    bbWorkdir_ = new QToolButton(gOptions);
    bbWorkdir_->setText(QStringLiteral("..."));
    bbWorkdir_->setToolTip(QStringLiteral("Select a directory"));
    auto* workRow = new QHBoxLayout;
    workRow->addWidget(eWorkDir_, 1);
    workRow->addWidget(bbWorkdir_);
    lOptions_->addWidget(cbOAutoRead_);
    lOptions_->addWidget(cbOBackup_);
    lOptions_->addWidget(rgOBackup_);
    lOptions_->addWidget(cbOSaveBACKUP_);
    lOptions_->addWidget(workLabel);
    lOptions_->addLayout(workRow);

    // Format options
    cb83names_ = new QCheckBox(QStringLiteral("Use 8.3 filenames"), gFormat);
    cb83names_->setToolTip(QStringLiteral("If you work with output that uses 8.3 file names, check this"));
    rgProgramformat_ = new RadioGroup(QStringLiteral("Program format"),
                                      {QStringLiteral("List (*.lst)"), QStringLiteral("Binary (*.bin)")}, gFormat);
    rgChapterFormat_ = new RadioGroup(QStringLiteral("Chapter format"),
                                      {QStringLiteral("PTS"), QStringLiteral("Frame"), QStringLiteral("Time")}, gFormat);
    rgChapterFormat_->setObjectName(QStringLiteral("rgChapterFormat"));
    cbSavePES_ = new QCheckBox(QStringLiteral("Save PES stream (not elementary)"), gFormat);
    cbSavePES_->setObjectName(QStringLiteral("cbSavePES"));
    cbSaveSUP_ = new QCheckBox(QStringLiteral("Save SUP if PG stream"), gFormat);
    cbSaveSUP_->setObjectName(QStringLiteral("cbSaveSUP"));
    cbSaveIG_ = new QCheckBox(QStringLiteral("Save MNU if IG stream"), gFormat);
    cbSaveIG_->setObjectName(QStringLiteral("cbSaveIG"));
    lFormat_->addWidget(cb83names_);
    lFormat_->addWidget(rgProgramformat_);
    lFormat_->addWidget(rgChapterFormat_);
    lFormat_->addWidget(cbSavePES_);
    lFormat_->addWidget(cbSaveSUP_);
    lFormat_->addWidget(cbSaveIG_);

    // Menu options: the navigation machine's start values and timing.
    cbInitPSR_ = new QCheckBox(QStringLiteral("Init PSRs with 'real' values"), gMenu);
    rgRegion_ = new RadioGroup(QStringLiteral("Region code"),
                               {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, gMenu);
    heCountryCode_ = new THexEdit(4, gMenu);
    heCountryCode_->setObjectName(QStringLiteral("heCountryCode"));
    heCountryCode_->setMaximumWidth(heCountryCode_->fontMetrics().horizontalAdvance(QStringLiteral("WWWWW")) + 8);
    lCountry_ = new QLabel(gMenu);
    lCountry_->setMinimumWidth(lCountry_->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 4);
    auto* countryLabel = new QLabel(QStringLiteral("Country\ncode"), gMenu);
    countryLabel->setBuddy(heCountryCode_);
    ieActiDelay_ = new TIntEdit(gMenu);
    ieActiDelay_->setMaximumWidth(ieActiDelay_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 8);
    auto* delayLabel = new QLabel(QStringLiteral("Activate comm. show delay (ms)"), gMenu);
    delayLabel->setBuddy(ieActiDelay_);

    auto* navRow = new QHBoxLayout;
    navRow->addWidget(rgRegion_);
    auto* country = new QHBoxLayout;
    country->addWidget(countryLabel);
    country->addWidget(heCountryCode_);
    country->addWidget(lCountry_);
    auto* countryBox = new QVBoxLayout;
    countryBox->addStretch(1);
    countryBox->addLayout(country);
    navRow->addLayout(countryBox);
    navRow->addStretch(1);
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(ieActiDelay_);
    delayRow->addWidget(delayLabel, 1);
    lMenu_->addWidget(cbInitPSR_);
    lMenu_->addLayout(navRow);
    lMenu_->addLayout(delayRow);

    for (QVBoxLayout* l : {lOptions_, lFormat_, lMenu_}) l->addStretch(1);

    auto* row = new QHBoxLayout;
    row->addWidget(gOptions, 1);
    row->addWidget(gFormat, 1);
    row->addWidget(gMenu, 1);
    // Creating files: enabled by what the disc holds.
    bCreateSound_ = new QPushButton(QStringLiteral("Create sound.bdmv"), this);
    bCreateSound_->setObjectName(QStringLiteral("bCreateSound"));
    bCreateSound_->setToolTip(QStringLiteral("A new sound.bdmv from one WAV file (48 kHz, 16 bit, PCM)"));
    bCreateSound_->setEnabled(false);
    auto* create = new QHBoxLayout;
    create->addWidget(bCreateSound_);
    create->addStretch(1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(row);
    outer->addLayout(create);
    outer->addStretch(1);

    // Handlers
    connect(cbOAutoRead_, &QCheckBox::toggled, this, &OptionsTab::optionsChanged);
    connect(cbOBackup_, &QCheckBox::toggled, this, [this] {
        cbOBackupClick();
        emit optionsChanged();
    });
    connect(rgOBackup_, &RadioGroup::itemIndexChanged, this, &OptionsTab::optionsChanged);
    connect(cbOSaveBACKUP_, &QCheckBox::toggled, this, &OptionsTab::optionsChanged);
    connect(cb83names_, &QCheckBox::toggled, this, [this](bool on) {
        emit use83Changed(on);
        emit optionsChanged();
    });
    connect(eWorkDir_, &QLineEdit::textChanged, this, &OptionsTab::optionsChanged);
    connect(bbWorkdir_, &QToolButton::clicked, this, &OptionsTab::bbWorkdirClick);
    connect(cbInitPSR_, &QCheckBox::toggled, this, &OptionsTab::realPsrsChanged);
    connect(rgRegion_, &RadioGroup::itemIndexChanged, this, &OptionsTab::regionChanged);
    connect(rgProgramformat_, &RadioGroup::itemIndexChanged, this, &OptionsTab::programFormatChanged);
    connect(ieActiDelay_, &QLineEdit::textChanged, this, [this] { emit actiDelayChanged(actiDelay()); });
    // Enter moves the focus out of the country code, which clamps it.
    connect(heCountryCode_, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    heCountryCode_->installEventFilter(this);
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

void OptionsTab::cbOBackupClick() { rgOBackup_->setEnabled(cbOBackup_->isChecked()); }

void OptionsTab::bbWorkdirClick() {
    const QString start = eWorkDir_->text().isEmpty() ? QDir::currentPath() : eWorkDir_->text();
    const QString chosen = folderChooser ? folderChooser(QStringLiteral("Select a directory"), start) : QString();
    if (!chosen.isEmpty()) eWorkDir_->setText(chosen);
}

void OptionsTab::load(const Settings& s) {
    const QSignalBlocker b1(cbOAutoRead_), b2(cbOBackup_), b3(rgOBackup_), b4(cbOSaveBACKUP_), b5(cb83names_),
        b6(cbInitPSR_), b7(rgRegion_), b8(rgProgramformat_), b9(ieActiDelay_), b10(rgChapterFormat_);
    cbOAutoRead_->setChecked(s.autoRead);
    cbOBackup_->setChecked(s.backup);
    rgOBackup_->setItemIndex(s.backupMode);
    cbOSaveBACKUP_->setChecked(s.saveBackup);
    cb83names_->setChecked(s.names83);
    cbInitPSR_->setChecked(s.realPSRs);
    rgRegion_->setItemIndex(s.region);
    rgProgramformat_->setItemIndex(s.programFormat);
    rgChapterFormat_->setItemIndex(s.chapterFormat);
    ieActiDelay_->setValue(s.actiDelay);
    cbSavePES_->setChecked(s.savePES);
    cbSaveSUP_->setChecked(s.saveSUP);
    cbSaveIG_->setChecked(s.saveMNU);
    // A stored code is shown as read; it is clamped when the field is next left.
    heCountryCode_->setValue(static_cast<std::uint32_t>(s.countryCode));
    lCountry_->setText(countryLetters(static_cast<int>(heCountryCode_->value())));

    // The handlers run once so that everything that follows an option sees the read values.
    cbOBackupClick();
    emit use83Changed(use83());
    emit actiDelayChanged(actiDelay());
    emit realPsrsChanged(realPsrs());
    emit regionChanged(region());
    emit programFormatChanged(programFormat());
    emit countryCodeChanged(countryCode());
    emit optionsChanged();
}

void OptionsTab::store(Settings& s) const {
    s.autoRead = autoRead();
    s.backup = backup();
    if (backupMode() >= 0) s.backupMode = backupMode();
    s.saveBackup = saveToBackupDir();
    s.names83 = use83();
    s.realPSRs = realPsrs();
    if (region() >= 0) s.region = region();
    if (programFormat() >= 0) s.programFormat = programFormat();
    if (chapterFormat() >= 0) s.chapterFormat = chapterFormat();
    s.actiDelay = actiDelay();
    s.countryCode = countryCode();
    const DemuxOptions demux = demuxOptions();
    s.savePES = demux.savePES;
    s.saveSUP = demux.saveSUP;
    s.saveMNU = demux.saveMNU;
}

bool OptionsTab::autoRead() const { return cbOAutoRead_->isChecked(); }
bool OptionsTab::backup() const { return cbOBackup_->isChecked(); }
int OptionsTab::backupMode() const { return rgOBackup_->itemIndex(); }
bool OptionsTab::saveToBackupDir() const { return cbOSaveBACKUP_->isChecked(); }
bool OptionsTab::use83() const { return cb83names_->isChecked(); }
QString OptionsTab::outputFolder() const { return eWorkDir_->text(); }
bool OptionsTab::realPsrs() const { return cbInitPSR_->isChecked(); }
int OptionsTab::region() const { return rgRegion_->itemIndex(); }
int OptionsTab::countryCode() const { return static_cast<int>(heCountryCode_->value()); }
int OptionsTab::actiDelay() const { return static_cast<int>(std::clamp<std::int64_t>(ieActiDelay_->value(), 0, 1 << 30)); }
int OptionsTab::programFormat() const { return rgProgramformat_->itemIndex(); }
int OptionsTab::chapterFormat() const { return rgChapterFormat_->itemIndex(); }
DemuxOptions OptionsTab::demuxOptions() const {
    return {cbSavePES_->isChecked(), cbSaveSUP_->isChecked(), cbSaveIG_->isChecked()};
}

WorkspaceOptions OptionsTab::workspaceOptions() const {
    WorkspaceOptions o;
    o.autoRead = autoRead();
    o.backup = backup();
    const int mode = backupMode();
    o.backupMode = mode >= 0 && mode <= 2 ? static_cast<BackupMode>(mode) : BackupMode::OnlyFirst;
    o.saveToBackupDir = saveToBackupDir();
    o.use83 = use83();
    o.outputFolder = outputFolder().toStdString();
    return o;
}

}  // namespace navora::ui
