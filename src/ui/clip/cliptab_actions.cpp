// The CLIPINF tab's actions: reading a clip with its packet check, opening
// and exporting its stream, extracting its menu, and the reference search.

#include "ui/clip/cliptab.h"

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

void ClipTab::bReadCIClick() {
    const QString name = selectedClip();
    if (name.isEmpty()) return;
    const int index = cbClipinf_->currentIndex();
    const Workspace& ws = doc_.model();
    const std::string clipName = name.toStdString();
    showStreamLabels(index);
    auto read = readClipInfoStep(log_, ws.paths().clipInfo(clipName), clipName + ws.names().clipExt);
    if (!read) {
        // The views keep the clip they showed, but the selection no longer
        // names it: nothing may act on its stream until a read succeeds.
        shown_.clear();
        updateActions();
        return;
    }
    clip_ = std::move(*read);
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
}

void ClipTab::checkSourcePackets() {
    const auto count = sourcePacketMismatch(clip_, streamSize_);
    if (!count) return;
    const QString question = qs(sourcePacketQuestion(*count, thousandsSeparator()));
    if (!askYesCancel || !askYesCancel(question)) return;
    const Workspace& ws = doc_.model();
    const std::string file = shown_.toStdString() + ws.names().clipExt;
    try {
        correctSourcePackets(clip_, ws.paths().clipInfo(shown_.toStdString()), *count);
    } catch (const std::exception& e) {
        log_.erlog(e.what());
        return;
    }
    iePackets_->setValue(clip_.ClipInfo.number_of_source_packets);
    log_.log2("number_of_source_packets of [bl]" + file + "[/bl] corrected to [b]" +
              std::to_string(clip_.ClipInfo.number_of_source_packets) + "[/b].");
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

    setBusy(true);
    CancelToken token;
    // The run lends itself the log's Cancel button and progress bar, and lets
    // the window handle its events once per block of packets. It reports the
    // failures of its files itself; anything else still ends the run cleanly.
    try {
        savePid(log_, shownStream(), std::filesystem::path(output.toStdString()), pid, choice.form, token);
    } catch (const std::exception& e) {
        log_.PrBarOff();
        log_.erlog(e.what());
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
        const DemuxResult r = demuxMenuToTempFile(shownStream(), pidFromText(pidText.toStdString()), &token, &log_);
        for (const std::string& line : demuxProblems(r)) log_.log(line);
        extracted = !r.cancelled;
    } catch (const std::exception& e) {
        log_.erlog(e.what());
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
