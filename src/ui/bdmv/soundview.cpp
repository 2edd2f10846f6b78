#include "ui/bdmv/soundview.h"

#include "core/fileio.h"
#include "core/log.h"
#include "sound/sound_edit.h"
#include "sound/wav.h"
#include "ui/widgets/widgets.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

namespace navora::ui {

namespace {

const QString kWavFilter = QStringLiteral("Wave (*.wav)");

QString openWithDialog(QWidget* parent, const QString& title, const QString& start, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, start, filter);
}

QString saveWithDialog(QWidget* parent, const QString& title, const QString& start, const QString& filter) {
    QFileDialog dialog(parent, title, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

QToolButton* iconButton(QStyle::StandardPixmap icon, const char* name, const QString& hint, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(hint);
    b->setEnabled(false);
    return b;
}

}  // namespace

SoundView::SoundView(Document& doc, Log& log, QWidget* parent) : QWidget(parent), doc_(doc), log_(log) {
    openChooser = [this](const QString& title, const QString& start, const QString& filter) {
        return openWithDialog(this, title, start, filter);
    };
    saveChooser = [this](const QString& title, const QString& start, const QString& filter) {
        return saveWithDialog(this, title, start, filter);
    };

    lRefused_ = new QLabel(this);
    lRefused_->setObjectName(QStringLiteral("lSoundRefused"));
    lRefused_->setWordWrap(true);
    lRefused_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lRefused_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Red that reads on a light and on a dark window.
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    lRefused_->setStyleSheet(dark ? QStringLiteral("QLabel { color: #ff7b7b; font-weight: bold; }")
                          : QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
    lRefused_->hide();

    sgSounds_ = new StringGrid(this);
    sgSounds_->setObjectName(QStringLiteral("sgSounds"));
    sgSounds_->setToolTip(QString::fromLatin1(kSoundGridHint).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    QStringList titles;
    for (const std::string& c : soundGridColumns()) titles << QString::fromStdString(c);
    sgSounds_->setTitles(titles);
    sgSounds_->rowNumberText = [](int row) {
        return QString::fromStdString(soundGridRow(TSoundEntry{}, static_cast<std::size_t>(row))[0]);
    };
    sgSounds_->installEventFilter(this);
    sgSounds_->horizontalHeader()->setStretchLastSection(true);

    bbSoundPlay_ = iconButton(QStyle::SP_MediaPlay, "bbSoundPlay", QStringLiteral("Play sound entry"), this);
    bbSaveSound_ = iconButton(QStyle::SP_DialogSaveButton, "bbSaveSound", QStringLiteral("Save sound entry"), this);
    lSNDExtDat_ = new QLabel(QString::fromStdString(ExtDatCap({})), this);
    lSNDExtDat_->setObjectName(QStringLiteral("lSNDExtDat"));
    lSNDExtDat_->setToolTip(QStringLiteral("ExtensionData() of sound.bdmv"));
    bEditSndExtDat_ = new QPushButton(QStringLiteral("Edit"), this);
    bEditSndExtDat_->setObjectName(QStringLiteral("bEditSndExtDat"));
    bEditSndExtDat_->setToolTip(QStringLiteral("Edit the ExtensionData() of sound.bdmv"));
    bEditSndExtDat_->setEnabled(false);

    // The buttons stand beside the grid, so that the group takes little height.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(bbSoundPlay_);
    buttons->addWidget(bbSaveSound_);
    buttons->addStretch(1);
    auto* side = new QVBoxLayout;
    side->setSpacing(3);
    side->addLayout(buttons);
    side->addStretch(1);
    side->addWidget(lSNDExtDat_);
    side->addWidget(bEditSndExtDat_, 0, Qt::AlignLeft);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(sgSounds_, 1);
    row->addLayout(side);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(3);
    l->addWidget(lRefused_);
    l->addLayout(row, 1);

    connect(sgSounds_, &StringGrid::choiceChanged, this, [this] {
        const auto e = selectedEntry();
        if (!quiet_ && (e ? static_cast<int>(*e) : -1) != readoutRow_) showReadout();
    });
    // A click shows the readout also on the row already selected.
    connect(sgSounds_, &QAbstractItemView::pressed, this, [this] {
        if (!quiet_) showReadout();
    });
    connect(bbSoundPlay_, &QToolButton::clicked, this, &SoundView::bbSoundPlayClick);
    connect(bbSaveSound_, &QToolButton::clicked, this, &SoundView::bbSaveSoundClick);
    connect(bEditSndExtDat_, &QPushButton::clicked, this, &SoundView::extensionDataEditRequested);
    connect(&doc_, &Document::aboutToRead, this, [this] {
        readoutRow_ = -1;
        refresh();
    });
    connect(&doc_, &Document::reloaded, this, [this] {
        // A new folder starts at its first entry; the read's own status stays.
        quiet_ = true;
        sgSounds_->clearSelection();
        quiet_ = false;
        refresh();
        const auto e = selectedEntry();
        readoutRow_ = e ? static_cast<int>(*e) : -1;
    });
    connect(&doc_, &Document::soundChanged, this, [this] {
        refresh();
        showReadout();
    });
    refresh();
}

std::optional<std::size_t> SoundView::selectedEntry() const {
    const std::size_t n = ws().soundLoaded ? ws().sound.entries.size() : 0;
    const auto range = sgSounds_->selectedRange();
    if (n == 0 || !range) return std::nullopt;
    return std::min(static_cast<std::size_t>(range->first), n - 1);
}

bool SoundView::wanted() const { return ws().soundLoaded || (ws().folderRead && ws().soundPresent); }

bool SoundView::canCreate() const { return ws().folderRead && !ws().soundLoaded && !ws().soundPresent; }

void SoundView::refresh() {
    const Workspace& w = ws();
    const bool loaded = w.soundLoaded;
    const auto& entries = w.sound.entries;
    const int n = loaded ? static_cast<int>(entries.size()) : 0;
    const auto kept = sgSounds_->selectedRange();

    quiet_ = true;
    sgSounds_->setDataRows(n);
    for (int r = 0; r < n; ++r) {
        const auto cells = soundGridRow(entries[static_cast<std::size_t>(r)], static_cast<std::size_t>(r));
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) sgSounds_->setCell(r, c, QString::fromStdString(cells[c]));
    }
    if (n > 0) {
        const int row = kept ? std::min(kept->first, n - 1) : 0;
        sgSounds_->selectRange(row, row);
    }
    quiet_ = false;
    // Five narrow columns: the grid asks for the width to show them all, so
    // that no scroll bar hides the length beside the buttons. The last column
    // is measured unstretched, then fills what is left.
    QHeaderView* header = sgSounds_->horizontalHeader();
    header->setStretchLastSection(false);
    sgSounds_->resizeColumnsToContents();
    int width = 2 * sgSounds_->frameWidth();
    if (sgSounds_->verticalHeader()->isVisible()) width += sgSounds_->verticalHeader()->width();
    for (int c = 0; c < sgSounds_->columnCount(); ++c) width += header->sectionSize(c);
    header->setStretchLastSection(true);
    sgSounds_->setMinimumWidth(width);
    // A few button sounds are all a disc has: the grid is as high as its rows
    // (two to five, more scroll) and leaves the height to the titles below it.
    const int rows = std::clamp(n, 2, 5);
    sgSounds_->setFixedHeight(header->sizeHint().height() + rows * sgSounds_->verticalHeader()->defaultSectionSize() +
                              2 * sgSounds_->frameWidth() + 2);

    sgSounds_->setEnabled(loaded);
    bbSoundPlay_->setEnabled(n > 0);
    bbSaveSound_->setEnabled(n > 0);
    bEditSndExtDat_->setEnabled(loaded);
    lSNDExtDat_->setText(QString::fromStdString(ExtDatCap(loaded ? w.sound.ext : TExtensionData{})));
    const bool refused = !loaded && w.folderRead && w.soundPresent;
    lRefused_->setText(refused ? QStringLiteral("Not read, not saved: ") +
                                     QString::fromStdString(w.soundRefusal)
                               : QString());
    lRefused_->setVisible(refused);
    // A refused file shows only why: no empty grid that could pass for a file without sounds.
    for (QWidget* part : std::initializer_list<QWidget*>{sgSounds_, bbSoundPlay_, bbSaveSound_, lSNDExtDat_,
                                                         bEditSndExtDat_})
        part->setVisible(!refused);
    emit stateChanged();
}

void SoundView::showReadout() {
    const auto e = selectedEntry();
    readoutRow_ = e ? static_cast<int>(*e) : -1;
    if (!ws().soundLoaded) return;
    if (!e) {
        log_.slog("", 1);
        return;
    }
    // Grouped by the platform's separator: the engine groups with ",", and the readout has no other comma.
    QString text = QString::fromStdString(soundReadout(ws().sound, *e, ','));
    text.replace(QLatin1Char(','), QLocale().groupSeparator());
    log_.slog(text.toStdString(), 1);
}

bool SoundView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sgSounds_ && event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        const auto mods = k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (mods == Qt::NoModifier && k->key() == Qt::Key_Insert) {
            insertSound();
            return true;
        }
        if (mods == Qt::ShiftModifier && k->key() == Qt::Key_Delete) {
            deleteSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<std::pair<Bytes, std::string>> SoundView::chooseWav() {
    const QString start = QString::fromStdString(ws().options.outputFolder);
    const QString path =
        openChooser ? openChooser(QStringLiteral("Select a sound file (mandatory 16 bit, 48kHz, uncompressed)"), start,
                                  kWavFilter)
                    : QString();
    if (path.isEmpty()) return std::nullopt;
    log_.slog(path.toStdString(), 1);
    try {
        // Far more than any button sound; the sound.bdmv it goes into has the same bound.
        return std::make_pair(readDatabaseFile(path.toStdString()), QFileInfo(path).fileName().toStdString());
    } catch (const std::exception& e) {
        log_.erlog(e.what());
        return std::nullopt;
    }
}

void SoundView::rejectWav(const std::string& message) {
    log_.erlog(message);
    // The window stays drawn and the error readable, but takes no clicks or
    // keys until the pause is over.
    QWidget* w = window();
    if (rejectPauseMs <= 0 || !w->isEnabled()) return;
    const QPointer<QWidget> focus = w->focusWidget();
    w->setEnabled(false);
    QTimer::singleShot(rejectPauseMs, w, [w, focus] {
        w->setEnabled(true);
        if (focus) focus->setFocus();
    });
}

void SoundView::insertSound() {
    if (!ws().soundLoaded) return;
    const auto wav = chooseWav();
    if (!wav) return;
    const std::size_t selected = selectedEntry().value_or(0);
    std::size_t at = 0;
    try {
        doc_.apply(Document::Part::Sound, QStringLiteral("Import sound entry"), [&](Workspace& w) {
            at = loadSound(w.sound, wav->first, wav->second, selected);
            return true;
        });
    } catch (const WavFormatError& e) {
        return rejectWav(wav->second + ": " + e.reason());
    } catch (const std::length_error& e) {
        return rejectWav(e.what());
    }
    sgSounds_->selectRange(static_cast<int>(at), static_cast<int>(at));
    showReadout();
}

void SoundView::deleteSelected() {
    const auto e = selectedEntry();
    if (!e) return;
    doc_.apply(Document::Part::Sound, QStringLiteral("Delete sound entry"),
               [&](Workspace& w) { return deleteSound(w.sound, *e); });
}

void SoundView::bbSoundPlayClick() {
    const auto e = selectedEntry();
    // A sound asked for while another plays is not heard.
    if (e && player_) plWav(ws().sound, *e, *player_);
}

void SoundView::bbSaveSoundClick() {
    const auto e = selectedEntry();
    if (!e) return;
    const QString name = QString::fromStdString(soundExportName(*e));
    const QString folder = QString::fromStdString(ws().options.outputFolder);
    const QString start = folder.isEmpty() ? name : QDir(folder).filePath(name);
    QString path = saveChooser ? saveChooser(QStringLiteral("Save sound entry"), start, kWavFilter) : QString();
    if (!path.isEmpty()) {
        if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".wav");
        try {
            saveAtomic(path.toStdString(), mkWav(ws().sound.entries[*e]));
            log_.dlog(QFileInfo(path).fileName().toStdString() + " saved.");
        } catch (const std::exception& ex) {
            log_.erlog(ex.what());
        }
    }
    sgSounds_->setFocus();
}

bool SoundView::bCreateSoundClick() {
    if (!canCreate()) return false;
    const auto wav = chooseWav();
    if (!wav) return false;
    bool created = false;
    try {
        created = doc_.apply(Document::Part::Sound, QStringLiteral("Create sound.bdmv"), [&](Workspace& w) {
            w.sound = createSound(wav->first, wav->second);
            w.soundLoaded = true;
            return true;
        });
    } catch (const WavFormatError& e) {
        rejectWav(wav->second + ": " + e.reason());
        return false;
    } catch (const std::length_error& e) {
        rejectWav(e.what());
        return false;
    }
    sgSounds_->selectRange(0, 0);
    showReadout();
    sgSounds_->setFocus();
    return created;
}

void SoundView::setExtensionData(const TExtensionData& block) {
    doc_.apply(Document::Part::Sound, QStringLiteral("Edit sound.bdmv ExtensionData"), [&](Workspace& w) {
        if (!w.soundLoaded) return false;
        setSoundExtensionData(w.sound, block);
        return true;
    });
}

}  // namespace navora::ui
