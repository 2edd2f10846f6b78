#pragma once
// The sound view of the BDMV tab: the grid of sound.bdmv's entries with the
// play and export buttons and the ExtensionData caption. Ins imports a WAV
// file after the selected row, Shift+Del deletes the selected entry; both,
// "Create sound.bdmv" and the ExtensionData edit go through the document.
// A sound.bdmv that was refused shows as such: an empty, disabled grid under
// the error that refused it.

#include "core/bytes.h"
#include "core/extdata.h"
#include "ui/app/document.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <utility>

class QLabel;
class QPushButton;
class QToolButton;

namespace navora {
class Log;
class WavePlayer;
}  // namespace navora

namespace navora::ui {

class StringGrid;

// Asks for a WAV file: (title, start folder or file, filter) -> the chosen
// path, empty when cancelled. One for opening, one for saving.
using WavFileChooser = std::function<QString(const QString& title, const QString& start, const QString& filter)>;

class SoundView : public QWidget {
    Q_OBJECT
public:
    SoundView(Document& doc, Log& log, QWidget* parent = nullptr);

    StringGrid* sgSounds() const { return sgSounds_; }
    QToolButton* bbSoundPlay() const { return bbSoundPlay_; }
    QToolButton* bbSaveSound() const { return bbSaveSound_; }
    QLabel* lSNDExtDat() const { return lSNDExtDat_; }
    QPushButton* bEditSndExtDat() const { return bEditSndExtDat_; }
    // The error a refused sound.bdmv was read with; hidden otherwise.
    QLabel* lRefused() const { return lRefused_; }

    // The player "Play sound entry" uses; none plays nothing. Not owned.
    void setPlayer(WavePlayer* player) { player_ = player; }

    // The selected entry; none when there is no entry.
    std::optional<std::size_t> selectedEntry() const;
    // Whether the view is to be shown: the disc holds a sound.bdmv (read or
    // created), or one that was refused.
    bool wanted() const;
    // Whether "Create sound.bdmv" may run: a folder was read that has no
    // sound.bdmv, not even a refused one (it is never replaced unread).
    bool canCreate() const;

    WavFileChooser openChooser;
    WavFileChooser saveChooser;
    // How long the window takes no input after a refused WAV file, so that
    // the error is seen before the next step (milliseconds).
    int rejectPauseMs = 3000;

signals:
    // wanted() or canCreate() may have changed.
    void stateChanged();
    // "Edit" beside the ExtensionData caption.
    void extensionDataEditRequested();

public slots:
    // Ins: asks for a WAV file and imports it after the selected row.
    void insertSound();
    // Shift+Del: deletes the selected entry.
    void deleteSelected();
    // "Play sound entry": plays the selected entry.
    void bbSoundPlayClick();
    // "Save sound entry": writes the selected entry as a WAV file.
    void bbSaveSoundClick();
    // "Create sound.bdmv": a new sound.bdmv from one WAV file. Returns whether it was created.
    bool bCreateSoundClick();
    // The ExtensionData editor's result for sound.bdmv: replaces the block.
    void setExtensionData(const TExtensionData& block);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Redraws everything from the model, keeping the selected row where it can.
    void refresh();
    void showReadout();
    // Asks for a WAV file and reads it; empty when cancelled or unreadable (logged).
    std::optional<std::pair<Bytes, std::string>> chooseWav();
    // A WAV file was refused: logs why and pauses the window's input.
    void rejectWav(const std::string& message);
    const Workspace& ws() const { return doc_.model(); }

    Document& doc_;
    Log& log_;
    WavePlayer* player_ = nullptr;
    // The row the readout was last shown for, so that it is refreshed only on a change.
    int readoutRow_ = -1;
    bool quiet_ = false;

    StringGrid* sgSounds_;
    QToolButton* bbSoundPlay_;
    QToolButton* bbSaveSound_;
    QLabel* lSNDExtDat_;
    QPushButton* bEditSndExtDat_;
    QLabel* lRefused_;
};

}  // namespace navora::ui
