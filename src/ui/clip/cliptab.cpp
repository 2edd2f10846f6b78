#include "ui/clip/cliptab.h"

#include "clip/clipinfo_edit.h"
#include "clip/clipinfo_io.h"
#include "core/extdata.h"
#include "core/log.h"
#include "ui/app/document.h"
#include "ui/app/reffinder.h"
#include "ui/widgets/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace navora::ui {

namespace {

QString hex(std::uint64_t v, int digits) {
    return QStringLiteral("%1").arg(v, digits, 16, QLatin1Char('0')).toUpper();
}

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A grid with its titles, columns as wide as the samples (one per column),
// and the last column taking the spare width.
StringGrid* makeGrid(const QString& name, const QStringList& titles, const QStringList& samples, QWidget* parent) {
    auto* g = new StringGrid(parent);
    g->setObjectName(name);
    g->setTitles(titles);
    const QFontMetrics fm(g->font());
    for (int c = 0; c < titles.size(); ++c) {
        const QString sample = c < samples.size() ? samples[c] : QString();
        g->setColumnWidth(c, std::max(fm.horizontalAdvance(sample), fm.horizontalAdvance(titles[c])) + 10);
    }
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

// A box that shows a value and takes no input: no focus, no clicks.
void displayOnly(QWidget* w) {
    w->setFocusPolicy(Qt::NoFocus);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QGroupBox* group(const QString& title, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    auto* l = new QVBoxLayout(g);
    l->setContentsMargins(4, 4, 4, 4);
    l->setSpacing(3);
    return g;
}

QVBoxLayout* layoutOf(QGroupBox* g) { return static_cast<QVBoxLayout*>(g->layout()); }

}  // namespace

ClipTab::ClipTab(Document& doc, ReferenceFinder& finder, Log& log, QWidget* parent)
    : TabPage(parent), doc_(doc), finder_(finder), log_(log) {
    askYesCancel = [this](const QString& question) {
        return QMessageBox::question(this, QApplication::applicationDisplayName(), question,
                                     QMessageBox::Yes | QMessageBox::Cancel,
                                     QMessageBox::Cancel) == QMessageBox::Yes;
    };
    askReplace = [this](const QString& question) {
        return QMessageBox::question(this, QApplication::applicationDisplayName(), question,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    };
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    buildControls();
    connectControls();
    reset();
}

void ClipTab::buildControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(4);

    auto* top = new QHBoxLayout;
    auto* clipLabel = new QLabel(QStringLiteral("Clip:"), this);
    cbClipinf_ = new QComboBox(this);
    cbClipinf_->setObjectName(QStringLiteral("cbClipinf"));
    cbClipinf_->setMinimumContentsLength(7);
    clipLabel->setBuddy(cbClipinf_);
    bReadCI_ = new QPushButton(QStringLiteral("&Read"), this);
    bReadCI_->setObjectName(QStringLiteral("bReadCI"));
    lStreamName_ = new QLabel(this);
    lStreamName_->setObjectName(QStringLiteral("lStreamName"));
    lStreamSize_ = new QLabel(this);
    lStreamSize_->setObjectName(QStringLiteral("lStreamSize"));
    bPlay_ = new QPushButton(QStringLiteral("Pla&y"), this);
    bPlay_->setObjectName(QStringLiteral("bPlay"));
    bPlay_->setToolTip(QStringLiteral("Open the stream file with its player"));
    top->addWidget(clipLabel);
    top->addWidget(cbClipinf_);
    top->addWidget(bReadCI_);
    top->addSpacing(12);
    top->addWidget(lStreamName_);
    top->addSpacing(12);
    top->addWidget(lStreamSize_);
    top->addSpacing(12);
    top->addWidget(bPlay_);
    top->addStretch(1);
    outer->addLayout(top);

    // Three columns: what the clip is and holds, its sequences and users,
    // and its entry points, in equal widths whatever the grids would ask for
    // (a grid wider than its column scrolls).
    auto* columns = new QHBoxLayout;
    auto* left = new QWidget(this);
    auto* ll = new QVBoxLayout(left);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->addWidget(buildClipInfo());
    ll->addWidget(buildProgramInfo(), 1);
    auto* middle = new QWidget(this);
    auto* ml = new QVBoxLayout(middle);
    ml->setContentsMargins(0, 0, 0, 0);
    ml->addWidget(buildSequenceInfo(), 3);
    ml->addWidget(buildReferences(), 2);
    for (QWidget* column : {left, middle, buildCpi()}) {
        column->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        columns->addWidget(column, 1);
    }
    outer->addLayout(columns, 1);
}

QWidget* ClipTab::buildClipInfo() {
    QGroupBox* g = group(QStringLiteral("ClipInfo"), this);
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    cbApplitype_ = new QComboBox(g);
    cbApplitype_->setObjectName(QStringLiteral("cbApplitype"));
    for (std::uint8_t t = 0; t < 8; ++t) cbApplitype_->addItem(qs(applicationTypeName(t)));
    displayOnly(cbApplitype_);
    cbATCdelta_ = new QCheckBox(QStringLiteral("is_ATC_delta"), g);
    cbATCdelta_->setObjectName(QStringLiteral("cbATCdelta"));
    displayOnly(cbATCdelta_);
    ieRecordingRate_ = new TIntEdit(g);
    ieRecordingRate_->setObjectName(QStringLiteral("ieRecordingRate"));
    ieRecordingRate_->setReadOnly(true);
    iePackets_ = new TIntEdit(g);
    iePackets_->setObjectName(QStringLiteral("iePackets"));
    iePackets_->setReadOnly(true);
    cbApplitype_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbApplitype_->setMinimumContentsLength(16);
    for (TIntEdit* e : {ieRecordingRate_, iePackets_})
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
    // The application type's names are long: the list has a row of its own.
    grid->addWidget(new QLabel(QStringLiteral("application_type"), g), 0, 0, 1, 3);
    grid->addWidget(cbApplitype_, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("TS_recording_rate"), g), 2, 0);
    grid->addWidget(ieRecordingRate_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("number_of_source_packets"), g), 3, 0);
    grid->addWidget(iePackets_, 3, 1);
    grid->addWidget(cbATCdelta_, 4, 0, 1, 2);
    grid->setColumnStretch(2, 1);
    layoutOf(g)->addLayout(grid);

    // The ATC delta entries and the font files, each shown only when the clip has them.
    auto* panels = new QHBoxLayout;
    pATCdelta_ = group(QStringLiteral("ATC delta"), g);
    pATCdelta_->setObjectName(QStringLiteral("pATCdelta"));
    sgATCdelta_ = makeGrid(QStringLiteral("sgATCdelta"), {QStringLiteral("-"), QStringLiteral("ATC_delta"),
                                                         QStringLiteral("following"), QStringLiteral("clipcodec")},
                           {QStringLiteral("000"), QStringLiteral("00000000"), QStringLiteral("00000"),
                            QStringLiteral("M2TS")},
                           pATCdelta_);
    layoutOf(pATCdelta_)->addWidget(sgATCdelta_);
    pFonts_ = group(QStringLiteral("Font files"), g);
    pFonts_->setObjectName(QStringLiteral("pFonts"));
    sgFonts_ = makeGrid(QStringLiteral("sgFonts"), {QStringLiteral("-"), QStringLiteral("filename")},
                        {QStringLiteral("000"), QStringLiteral("00000")}, pFonts_);
    sgFonts_->rowNumberText = [](int row) { return QString::number(row + 1); };
    layoutOf(pFonts_)->addWidget(sgFonts_);
    for (QGroupBox* p : {pATCdelta_, pFonts_}) {
        p->setMaximumHeight(110);
        panels->addWidget(p);
    }
    layoutOf(g)->addLayout(panels);
    return g;
}

QWidget* ClipTab::buildProgramInfo() {
    QGroupBox* g = group(QStringLiteral("ProgramInfo"), this);
    sgCI_ = makeGrid(QStringLiteral("sgCI"),
                     {QStringLiteral("-"), QStringLiteral("PID"), QStringLiteral("Stream type"),
                      QStringLiteral("Details")},
                     {QStringLiteral("00"), QStringLiteral("0000"), QStringLiteral("DTS-HD XLL"),
                      QStringLiteral("1080i, 29.97, 16:9")},
                     g);
    sgCI_->rowNumberText = [](int row) { return QString::number(row + 1); };
    bSavePES_ = new QPushButton(QStringLiteral("Save P&ID"), g);
    bSavePES_->setObjectName(QStringLiteral("bSavePES"));
    bSavePES_->setToolTip(QStringLiteral("Save the selected PID"));
    bLoadToMenu_ = new QPushButton(QStringLiteral("-> M&enu"), g);
    bLoadToMenu_->setObjectName(QStringLiteral("bLoadToMenu"));
    bLoadToMenu_->setToolTip(QStringLiteral("Load to Menu"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bSavePES_);
    buttons->addWidget(bLoadToMenu_);
    buttons->addStretch(1);
    layoutOf(g)->addWidget(sgCI_, 1);
    layoutOf(g)->addLayout(buttons);
    return g;
}

QWidget* ClipTab::buildSequenceInfo() {
    QGroupBox* g = group(QStringLiteral("SequenceInfo"), this);
    sgSequence_ = makeGrid(QStringLiteral("sgSequence"),
                           {QStringLiteral("-"), QStringLiteral("SPN_ATC_start"), QStringLiteral("num of STC"),
                            QStringLiteral("offset STC")},
                           {QStringLiteral("00"), QStringLiteral("00000000"), QStringLiteral("000"),
                            QStringLiteral("000")},
                           g);
    sgSTC_ = makeGrid(QStringLiteral("sgSTC"),
                      {QStringLiteral("-"), QStringLiteral("PCR_PID"), QStringLiteral("SPN_STC_st"),
                       QStringLiteral("present. st."), QStringLiteral("present. end")},
                      {QStringLiteral("00"), QStringLiteral("0000"), QStringLiteral("00000000"),
                       QStringLiteral("00:00:00.000"), QStringLiteral("00:00:00.000")},
                      g);
    layoutOf(g)->addWidget(sgSequence_, 2);
    layoutOf(g)->addWidget(sgSTC_, 3);

    auto* ext = new QHBoxLayout;
    auto* extLabel = new QLabel(QStringLiteral("ExtensionData:"), g);
    lCIExtdat_ = new QLabel(g);
    lCIExtdat_->setObjectName(QStringLiteral("lCIExtdat"));
    bCIExtDat_ = new QPushButton(QStringLiteral("Edit"), g);
    bCIExtDat_->setObjectName(QStringLiteral("bCIExtDat"));
    ext->addWidget(extLabel);
    ext->addWidget(lCIExtdat_, 1);
    ext->addWidget(bCIExtDat_);
    layoutOf(g)->addLayout(ext);
    return g;
}

QWidget* ClipTab::buildCpi() {
    QGroupBox* g = group(QStringLiteral("CPI"), this);
    sgEPmap_ = makeGrid(QStringLiteral("sgEPmap"),
                        {QStringLiteral("-"), QStringLiteral("PID"), QStringLiteral("EP type"),
                         QStringLiteral("EP coarse"), QStringLiteral("EP fine"), QStringLiteral("EP map st.")},
                        {QStringLiteral("00"), QStringLiteral("0000"), QStringLiteral("0"), QStringLiteral("0000"),
                         QStringLiteral("00000"), QStringLiteral("00000000")},
                        g);
    sgEPcoarse_ = makeGrid(QStringLiteral("sgEPcoarse"),
                           {QStringLiteral("-"), QStringLiteral("ref_to"), QStringLiteral("PTS_EP"),
                            QStringLiteral("SPN_EP")},
                           {QStringLiteral("0000"), QStringLiteral("00000"), QStringLiteral("0000"),
                            QStringLiteral("00000000")},
                           g);
    sgEPcoarse_->rowNumberText = [](int row) { return hex(static_cast<std::uint64_t>(row), 4); };
    sgEPfine_ = makeGrid(QStringLiteral("sgEPfine"),
                         {QStringLiteral("-"), QStringLiteral("is_angle_ch"), QStringLiteral("I_end_pos"),
                          QStringLiteral("PTS_EP"), QStringLiteral("SPN_EP")},
                         {QStringLiteral("00000"), QStringLiteral("y"), QStringLiteral("0"), QStringLiteral("0000"),
                          QStringLiteral("00000")},
                         g);
    sgEPfine_->rowNumberText = [](int row) { return hex(static_cast<std::uint64_t>(row), 5); };
    layoutOf(g)->addWidget(sgEPmap_, 2);
    layoutOf(g)->addWidget(sgEPcoarse_, 4);
    layoutOf(g)->addWidget(sgEPfine_, 5);
    return g;
}

QWidget* ClipTab::buildReferences() {
    QGroupBox* g = group(QStringLiteral("Referenced by"), this);
    sgCIRef_ = makeGrid(QStringLiteral("sgCIRef"),
                        {QStringLiteral("-"), QStringLiteral("mpls"), QStringLiteral("s/p"), QStringLiteral("item")},
                        {QStringLiteral("000"), QStringLiteral("00000"), QStringLiteral("s/p"),
                         QStringLiteral("00000")},
                        g);
    sgCIRef_->rowNumberText = [](int row) { return QString::number(row + 1); };
    sgCIRef_->setToolTip(QStringLiteral("Double click to open the playlist"));
    layoutOf(g)->addWidget(sgCIRef_);
    return g;
}

void ClipTab::connectControls() {
    connect(&doc_, &Document::aboutToRead, this, &ClipTab::reset);
    connect(&doc_, &Document::reloaded, this, &ClipTab::fillClipList);
    connect(&doc_, &Document::changed, this, [this](Document::Parts parts) {
        if (parts.testFlag(Document::Part::Clip)) clipEdited();
    });
    connect(&doc_, &Document::modifiedChanged, this, &ClipTab::bottomBarChanged);
    connect(&finder_, &ReferenceFinder::clipUsesChanged, this, &ClipTab::fillReferences);
    connect(cbClipinf_, &QComboBox::currentIndexChanged, this, &ClipTab::cbClipinfChange);
    connect(bReadCI_, &QPushButton::clicked, this, &ClipTab::bReadCIClick);
    connect(bPlay_, &QPushButton::clicked, this, &ClipTab::bPlayClick);
    connect(bSavePES_, &QPushButton::clicked, this, &ClipTab::bSavePESClick);
    connect(bLoadToMenu_, &QPushButton::clicked, this, &ClipTab::bLoadToMenuClick);
    connect(bCIExtDat_, &QPushButton::clicked, this, &ClipTab::extensionDataEditRequested);
    connect(sgCI_, &StringGrid::choiceChanged, this, &ClipTab::updateActions);
    connect(sgSequence_, &StringGrid::choiceChanged, this, &ClipTab::showStcSequences);
    connect(sgEPmap_, &StringGrid::choiceChanged, this, &ClipTab::showEntryPoints);
    connect(sgCI_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { programRowDoubleClicked(row); });
    connect(sgCIRef_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openReference(row); });
}

BottomBar ClipTab::bottomBar() const {
    BottomBar b;
    b.save = true;
    const Workspace& ws = doc_.model();
    const bool modified = ws.clipLoaded && doc_.isModified(Document::Part::Clip);
    // Save writes the clip that holds the edits, whichever the list shows.
    b.saveHint = QStringLiteral("Save ") + (modified ? qs(ws.clipName) : selectedClip()) + qs(ws.names().clipExt);
    b.saveEnabled = modified;
    b.find = true;
    return b;
}

bool ClipTab::save() {
    // A clip without unsaved edits is not written again: Save saved nothing.
    if (!doc_.model().clipLoaded || !doc_.isModified(Document::Part::Clip)) return false;
    return saveModified();
}

bool ClipTab::saveModified() {
    if (!doc_.model().clipLoaded || !doc_.isModified(Document::Part::Clip)) return true;
    if (!doc_.workspace().saveClip(log_)) return false;
    doc_.markSaved(Document::Part::Clip);
    emit bottomBarChanged();
    return true;
}

const TCLPI& ClipTab::clip() const { return doc_.model().clip; }

void ClipTab::clipEdited() {
    if (!clipShown()) return;
    fillClipInfo();
    lCIExtdat_->setText(qs(ExtDatCap(clip().ExtensionData)));
    emit bottomBarChanged();
}

void ClipTab::activated() {
    // The bottom bar is laid out again after many things (a progress bar
    // going away, an option): only a real entry into the tab reads.
    if (entered_) return;
    entered_ = true;
    if (doc_.model().options.autoRead && bReadCI_->isEnabled()) readSelected(false);
}

void ClipTab::hideEvent(QHideEvent* e) {
    if (!e->spontaneous()) entered_ = false;
    TabPage::hideEvent(e);
}

QString ClipTab::selectedClip() const { return cbClipinf_->currentIndex() >= 0 ? cbClipinf_->currentText() : QString(); }

bool ClipTab::selectClip(const QString& name) {
    const int index = cbClipinf_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0 || !cbClipinf_->isEnabled()) return false;
    {
        const QSignalBlocker block(cbClipinf_);
        cbClipinf_->setCurrentIndex(index);
    }
    emit bottomBarChanged();
    fillReferences();
    return true;
}

QString ClipTab::extensionDataTitle() const {
    return shown_ + qs(doc_.model().names().clipExt) + QStringLiteral(" ExtensionData edit");
}

void ClipTab::setExtensionData(const TExtensionData& block) {
    if (!clipShown()) return;
    doc_.apply(Document::Part::Clip, QStringLiteral("Edit ExtensionData"),
               [&](Workspace& ws) { return setClipExtensionData(ws.clip, block); });
}

void ClipTab::reset() {
    {
        const QSignalBlocker block(cbClipinf_);
        cbClipinf_->clear();
    }
    cbClipinf_->setEnabled(false);
    bReadCI_->setEnabled(false);
    clearViews();
    lStreamName_->setText(QStringLiteral("-"));
    lStreamSize_->clear();
    emit bottomBarChanged();
}

void ClipTab::fillClipList() {
    const Workspace& ws = doc_.model();
    // The clip list is offered once the disc's index was accepted.
    const bool offered = ws.indexLoaded && !ws.clipinfos.empty();
    {
        const QSignalBlocker block(cbClipinf_);
        cbClipinf_->clear();
        if (offered) {
            for (const std::string& name : ws.clipinfos) cbClipinf_->addItem(qs(name));
            cbClipinf_->setCurrentIndex(0);
        }
    }
    cbClipinf_->setEnabled(offered);
    bReadCI_->setEnabled(offered);
    fillReferences();
    emit bottomBarChanged();
}

void ClipTab::cbClipinfChange() {
    if (doc_.model().options.autoRead && bReadCI_->isEnabled()) readSelected(false);
    emit bottomBarChanged();
    fillReferences();
}

void ClipTab::clearViews() {
    shown_.clear();
    streamPath_.clear();
    streamSize_ = 0;
    rows_.clear();
    for (StringGrid* g : {sgATCdelta_, sgFonts_, sgSequence_, sgSTC_, sgCI_, sgEPmap_, sgEPcoarse_, sgEPfine_})
        g->resetGrid();
    sgCI_->setEnabled(false);
    cbApplitype_->setCurrentIndex(-1);
    cbATCdelta_->setChecked(false);
    ieRecordingRate_->setValue(0);
    iePackets_->setValue(0);
    pATCdelta_->hide();
    pFonts_->hide();
    lCIExtdat_->setText(qs(ExtDatCap(TExtensionData{})));
    sgCIRef_->resetGrid();
    sgCIRef_->setEnabled(false);
    updateActions();
}

void ClipTab::showStreamLabels(int clip) {
    const Workspace& ws = doc_.model();
    lStreamName_->setText(QStringLiteral("-"));
    lStreamSize_->clear();
    lStreamName_->setToolTip(QString());
    QPalette normal = palette();
    if (clip >= 0 && static_cast<std::size_t>(clip) < ws.streams.size()) {
        const TAVStream& s = ws.streams[static_cast<std::size_t>(clip)];
        if (s.name.empty()) {
            lStreamName_->setText(selectedClip() + qs(ws.names().streamExt));
            lStreamSize_->setText(QStringLiteral("missing file"));
            normal.setColor(QPalette::WindowText, palette().color(QPalette::Disabled, QPalette::WindowText));
        } else {
            lStreamName_->setText(qs(std::filesystem::path(s.name).filename().string()));
            lStreamName_->setToolTip(qs(s.name));
            QLocale locale;
            locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
            lStreamSize_->setText(locale.toString(static_cast<qulonglong>(s.size)));
        }
    }
    lStreamName_->setPalette(normal);
    lStreamSize_->setPalette(normal);
}

void ClipTab::fillViews() {
    fillClipInfo();
    fillSequences();
    fillProgramStreams();
    fillEpMap();
    lCIExtdat_->setText(qs(ExtDatCap(clip().ExtensionData)));
}

void ClipTab::fillClipInfo() {
    const TClipInfo& ci = clip().ClipInfo;
    cbApplitype_->setCurrentIndex(ci.application_type < cbApplitype_->count() ? ci.application_type : -1);
    cbATCdelta_->setChecked(ci.is_ATC_delta != 0);
    ieRecordingRate_->setValue(ci.TS_recording_rate);
    iePackets_->setValue(ci.number_of_source_packets);

    pATCdelta_->setVisible(ci.is_ATC_delta == 1);
    sgATCdelta_->setDataRows(static_cast<int>(ci.ATC_deltas.size()));
    for (int r = 0; r < static_cast<int>(ci.ATC_deltas.size()); ++r) {
        const TATCDelta& d = ci.ATC_deltas[static_cast<std::size_t>(r)];
        sgATCdelta_->setCell(r, 1, hex(d.ATC_delta, 8));
        sgATCdelta_->setCell(r, 2, qs(d.following_Clip_Information_file_name));
        sgATCdelta_->setCell(r, 3, qs(d.Clip_codec_identifier));
    }
    pFonts_->setVisible(ci.application_type == 6);
    sgFonts_->setDataRows(static_cast<int>(ci.font_file_names.size()));
    for (int r = 0; r < static_cast<int>(ci.font_file_names.size()); ++r)
        sgFonts_->setCell(r, 1, qs(ci.font_file_names[static_cast<std::size_t>(r)]));
}

void ClipTab::fillSequences() {
    const auto& atc = clip().SequenceInfo.ATC_sequences;
    const QSignalBlocker block(sgSequence_);
    sgSequence_->setDataRows(static_cast<int>(atc.size()));
    for (int r = 0; r < static_cast<int>(atc.size()); ++r) {
        const TATC_sequences& a = atc[static_cast<std::size_t>(r)];
        sgSequence_->setCell(r, 1, hex(a.SPN_ATC_start, 8));
        sgSequence_->setCell(r, 2, QString::number(a.number_of_STC_sequences));
        sgSequence_->setCell(r, 3, QString::number(a.offset_STC_id));
    }
    // The STC view starts with the last ATC sequence; a click shows another.
    if (!atc.empty()) sgSequence_->selectRange(static_cast<int>(atc.size()) - 1, static_cast<int>(atc.size()) - 1);
    showStcSequences();
}

void ClipTab::showStcSequences() {
    const auto& atc = clip().SequenceInfo.ATC_sequences;
    const auto chosen = sgSequence_->selectedRange();
    if (!chosen || static_cast<std::size_t>(chosen->first) >= atc.size()) {
        sgSTC_->resetGrid();
        return;
    }
    const auto& stc = atc[static_cast<std::size_t>(chosen->first)].STC_sequences;
    sgSTC_->setDataRows(static_cast<int>(stc.size()));
    for (int r = 0; r < static_cast<int>(stc.size()); ++r) {
        const TSTCSequence& s = stc[static_cast<std::size_t>(r)];
        sgSTC_->setCell(r, 1, hex(s.PCR_PID, 4));
        sgSTC_->setCell(r, 2, hex(s.SPN_STC_start, 8));
        sgSTC_->setCell(r, 3, qs(clipTimeText(s.presentation_start_time)));
        sgSTC_->setCell(r, 4, qs(clipTimeText(s.presentation_end_time)));
    }
}

void ClipTab::fillProgramStreams() {
    rows_ = programStreamRows(clip());
    const QSignalBlocker block(sgCI_);
    sgCI_->setDataRows(static_cast<int>(rows_.size()));
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const ProgramStreamRow& s = rows_[static_cast<std::size_t>(r)];
        sgCI_->setCell(r, 1, qs(s.pid));
        sgCI_->setCell(r, 2, qs(s.type));
        sgCI_->setCell(r, 3, qs(s.details));
    }
    sgCI_->setEnabled(true);
    if (!rows_.empty()) sgCI_->selectRange(0, 0);
}

void ClipTab::fillEpMap() {
    const TCPI& cpi = clip().CPI;
    const QSignalBlocker block(sgEPmap_);
    sgEPmap_->setDataRows(static_cast<int>(cpi.stream_PID_entries.size()));
    for (int r = 0; r < static_cast<int>(cpi.stream_PID_entries.size()); ++r) {
        const TEPStreamPID& e = cpi.stream_PID_entries[static_cast<std::size_t>(r)];
        sgEPmap_->setCell(r, 1, hex(e.stream_PID, 4));
        sgEPmap_->setCell(r, 2, hex(e.EP_stream_type, 1));
        sgEPmap_->setCell(r, 3, hex(e.number_of_EP_coarse_entries, 4));
        sgEPmap_->setCell(r, 4, hex(e.number_of_EP_fine_entries, 5));
        sgEPmap_->setCell(r, 5, hex(e.EP_map_for_one_stream_PID_start_address, 8));
    }
    // The entry views start with the last stream PID; a click shows another.
    const int last = static_cast<int>(cpi.EP_maps.size()) - 1;
    if (last >= 0) sgEPmap_->selectRange(last, last);
    showEntryPoints();
}

void ClipTab::showEntryPoints() {
    const auto& maps = clip().CPI.EP_maps;
    const auto chosen = sgEPmap_->selectedRange();
    if (!chosen || static_cast<std::size_t>(chosen->first) >= maps.size()) {
        sgEPcoarse_->resetGrid();
        sgEPfine_->resetGrid();
        return;
    }
    const TEP_map_fosPID& m = maps[static_cast<std::size_t>(chosen->first)];
    sgEPcoarse_->setDataRows(static_cast<int>(m.coarse.size()));
    for (int r = 0; r < static_cast<int>(m.coarse.size()); ++r) {
        const TEPCoarse& c = m.coarse[static_cast<std::size_t>(r)];
        sgEPcoarse_->setCell(r, 1, hex(c.ref_to_EP_fine_id, 5));
        sgEPcoarse_->setCell(r, 2, hex(c.PTS_EP_coarse, 4));
        sgEPcoarse_->setCell(r, 3, hex(c.SPN_EP_coarse, 8));
    }
    sgEPfine_->setDataRows(static_cast<int>(m.fine.size()));
    for (int r = 0; r < static_cast<int>(m.fine.size()); ++r) {
        const TEPFine& f = m.fine[static_cast<std::size_t>(r)];
        sgEPfine_->setCell(r, 1, f.is_angle_change_point ? QStringLiteral("y") : QStringLiteral("n"));
        sgEPfine_->setCell(r, 2, QString::number(f.I_end_position_offset));
        sgEPfine_->setCell(r, 3, hex(f.PTS_EP_fine, 4));
        sgEPfine_->setCell(r, 4, hex(f.SPN_EP_fine, 5));
    }
}

void ClipTab::fillReferences() {
    const auto rows = clipReferenceRows(finder_.usesOf(cbClipinf_->currentIndex()));
    sgCIRef_->setDataRows(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const ClipRefRow& row = rows[static_cast<std::size_t>(r)];
        sgCIRef_->setCell(r, 1, qs(row.mpls));
        sgCIRef_->setCell(r, 2, qs(row.kind));
        sgCIRef_->setCell(r, 3, qs(row.item));
    }
    sgCIRef_->setEnabled(!rows.empty());
}

}  // namespace navora::ui
