// The CLIPINF tab's actions: reading a clip with its packet check, opening
// and exporting its stream, extracting its menu, and the reference search.

#include "ui/clip/cliptab.h"

#include "clip/clipinfo_edit.h"
#include "clip/clipinfo_io.h"
#include "core/errors.h"
#include "core/log.h"
#include "core/progress.h"
#include "ts/demux.h"
#include "ui/app/document.h"
#include "ui/app/reffinder.h"
#include "ui/widgets/widgets.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPushButton>

namespace navora::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The locale's thousands separator when it is one plain character, else a blank.
char thousandsSeparator() {
    const QString sep = QLocale().groupSeparator();
    return sep.size() == 1 && sep.front().unicode() > 0x20 && sep.front().unicode() < 0x7F ? sep.front().toLatin1()
                                                                                          : ' ';
}

}  // namespace

void ClipTab::bReadCIClick() { readSelected(true); }

void ClipTab::readSelected(bool askFirst) {
    const QString name = selectedClip();
    if (name.isEmpty()) return;
    const Workspace& ws = doc_.model();
    if (ws.clipLoaded && doc_.isModified(Document::Part::Clip)) {
        // Edits that are not saved are never dropped by an automatic read.
        if (!askFirst) return;
        const QString question = QStringLiteral("%1 has changes that are not saved. Read %2 and drop them?")
                                     .arg(qs(ws.clipName + ws.names().clipExt), name + qs(ws.names().clipExt));
        if (!askYesCancel || !askYesCancel(question)) return;
    }
    const int index = cbClipinf_->currentIndex();
    showStreamLabels(index);
    if (!doc_.workspace().readClipFile(log_, name.toStdString())) {
        // The views keep the clip they showed, but the selection no longer
        // names it: nothing may act on its stream until a read succeeds.
        shown_.clear();
        updateActions();
        emit bottomBarChanged();
        return;
    }
    doc_.replaced(Document::Part::Clip);
    shown_ = name;
    streamPath_.clear();
    streamSize_ = 0;
    if (index >= 0 && static_cast<std::size_t>(index) < ws.streams.size()) {
        streamPath_ = ws.streams[static_cast<std::size_t>(index)].name;
        streamSize_ = streamPath_.empty() ? 0 : ws.streams[static_cast<std::size_t>(index)].size;
    }
    fillViews();
    checkSourcePackets();
    cbClipinf_->setFocus();
    if (!log_.errorShown) log_.slogR();
    updateActions();
    emit bottomBarChanged();
}

void ClipTab::checkSourcePackets() {
    const auto count = sourcePacketMismatch(clip(), streamSize_);
    if (!count) return;
    const QString question = qs(sourcePacketQuestion(*count, thousandsSeparator()));
    if (!askYesCancel || !askYesCancel(question)) return;
    const std::string file = shown_.toStdString() + doc_.model().names().clipExt;
    try {
        // An undoable edit like any other: Save writes it with the backup step.
        doc_.apply(Document::Part::Clip, QStringLiteral("Correct packet count"),
                   [&](Workspace& ws) { return setSourcePackets(ws.clip, *count); });
    } catch (const std::exception& e) {
        log_.erlog(file + ": " + errorText(e));
        return;
    }
    log_.log2("number_of_source_packets of [bl]" + file + "[/bl] corrected to [b]" +
              std::to_string(clip().ClipInfo.number_of_source_packets) + "[/b]; Save writes it.");
}

std::filesystem::path ClipTab::shownStream() const { return std::filesystem::path(streamPath_); }

QString ClipTab::selectedPidText() const {
    const auto chosen = sgCI_->selectedRange();
    return chosen ? sgCI_->cell(chosen->first, 1) : QString();
}

void ClipTab::updateActions() {
    const bool stream = clipShown() && streamSize_ > 0;
    bPlay_->setEnabled(stream);
    bSavePES_->setEnabled(stream && !busy_ && sgCI_->selectedRange().has_value());
    bLoadToMenu_->setEnabled(!busy_ && clipShown() &&
                             menuLoadEnabled(selectedPidText().toStdString(), streamSize_));
    bCIExtDat_->setEnabled(clipShown());
}

void ClipTab::setBusy(bool busy) {
    busy_ = busy;
    updateActions();
    emit busyChanged(busy);
}

void ClipTab::bPlayClick() {
    if (!clipShown() || streamSize_ == 0) return;
    const QUrl url = QUrl::fromLocalFile(qs(streamPath_));
    if (!openUrl || !openUrl(url)) log_.erslog("No application opens " + streamPath_);
}

void ClipTab::bSavePESClick() {
    const auto chosen = sgCI_->selectedRange();
    if (busy_ || !clipShown() || streamSize_ == 0 || !chosen) return;
    const int row = chosen->first;
    const std::string pidCell = sgCI_->cell(row, 1).toStdString();
    const std::uint16_t pid = pidFromText(pidCell);
    const SavePidChoice choice = savePidChoice(pid, demuxOptions ? demuxOptions() : DemuxOptions{});
    const std::string name = savePidFileName(shown_.toStdString(), pidCell, sgCI_->cell(row, 2).toStdString(),
                                             sgCI_->cell(row, 3).toStdString(), choice.extension);
    const QString folder = outputFolder ? outputFolder() : QString();
    const QString output = QDir(folder.isEmpty() ? QDir::currentPath() : folder).absoluteFilePath(qs(name));
    // An existing file of that name is replaced only when the user says so.
    const QFileInfo existing(output);
    if (existing.exists() || existing.isSymLink()) {
        if (!askReplace || !askReplace(output + QStringLiteral(" exists.\nDo you want to replace it?"))) {
            log_.erslog("Not saved: " + output.toStdString() + " exists.");
            return;
        }
    }

    setBusy(true);
    CancelToken token;
    // The run lends itself the log's Cancel button and progress bar, and lets
    // the window handle its events once per block of packets. It reports the
    // failures of its files itself; anything else still ends the run cleanly.
    try {
        savePid(log_, shownStream(), std::filesystem::path(output.toStdString()), pid, choice.form, token);
    } catch (const std::exception& e) {
        log_.PrBarOff();
        log_.erlog(errorText(e));
    }
    setBusy(false);
}

void ClipTab::bLoadToMenuClick() {
    const QString pidText = selectedPidText();
    if (busy_ || !clipShown() || !menuLoadEnabled(pidText.toStdString(), streamSize_)) return;
    setBusy(true);
    log_.cancelFlag = false;
    CancelToken token;
    // No progress bar for a menu: the progress line alone. Closing the
    // window meanwhile raises the cancel flag, which ends the run.
    token.progress = [this](const Progress& p) { log_.slog(progressLine(p), 1); };
    token.poll = windowPoll(log_, token);
    bool extracted = false;
    try {
        const std::uint16_t pid = pidFromText(pidText.toStdString());
        const DemuxResult r = demuxMenuToTempFile(shownStream(), pid, &token, &log_);
        for (const std::string& line : demuxProblems(r)) log_.log("[re]WARNING:[/re] " + line);
        extracted = r.saved;
        if (!r.saved && !r.cancelled) log_.erlog(nothingSavedLine(shownStream(), pid, r));
    } catch (const std::exception& e) {
        log_.erlog(errorText(e));
    }
    setBusy(false);
    if (extracted) {
        log_.slog("", 1);
        emit menuFileReady(qs(menuTempFile().string()));
    }
}

void ClipTab::programRowDoubleClicked(int row) {
    if (!bPlay_->isEnabled() || row < 0 || row >= static_cast<int>(rows_.size())) return;
    if (sgCI_->cell(row, 1) == QLatin1String("1400"))
        bLoadToMenuClick();
    else
        bPlayClick();
}

void ClipTab::findReferences() {
    if (busy_) return;
    finder_.findClipUses();
    // As after a change of the selection: the clip is read again with "Auto
    // Read" on, and its uses are shown.
    cbClipinfChange();
}

void ClipTab::openReference(int row) {
    const auto& uses = finder_.usesOf(cbClipinf_->currentIndex());
    if (row < 0 || static_cast<std::size_t>(row) >= uses.size()) return;
    const TCIRef& use = uses[static_cast<std::size_t>(row)];
    const auto item = playItemToSelect(use);
    emit playItemRequested(sgCIRef_->cell(row, 1), item ? static_cast<int>(*item) : -1);
}

}  // namespace navora::ui
