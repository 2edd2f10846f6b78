#pragma once
// The CLIPINF tab: the clip selector with "&Read", the name and size of the
// clip's stream file, the ClipInfo fields, the sequence, program stream and
// entry point views, the ExtensionData caption and the "Referenced by" view.
// From the program stream view one PID is exported ("Save P&ID") or loaded
// as a menu ("-> M&enu"); "Pla&y" opens the stream file with the desktop's
// player.
//
// The clip model is shown, not edited: the only write is the correction of
// the packet count, made in place after the user agreed to it. The model
// lives here, not in the document, as nothing of it is undoable.

#include "clip/clipinfo.h"
#include "clip/clipinfo_view.h"
#include "ts/savepid.h"
#include "ui/app/tabpage.h"

#include <QString>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace navora {
class Log;
}

namespace navora::ui {

class Document;
class ReferenceFinder;
class StringGrid;
class TIntEdit;

class ClipTab : public TabPage {
    Q_OBJECT
public:
    ClipTab(Document& doc, ReferenceFinder& finder, Log& log, QWidget* parent = nullptr);

    // Save shown and disabled (nothing of a clip is saved), hint "Save " +
    // clip + extension; Find shown.
    BottomBar bottomBar() const override;
    // Entering the tab reads the selected clip when "Auto Read" is on.
    void activated() override;

    // The clip selected in the clip list; empty when none.
    QString selectedClip() const;
    // Selects clip `name` (exact) in the clip list without reading it, as the
    // views that jump to a clip do before they show this tab; false when the
    // list has no such clip.
    bool selectClip(const QString& name);
    // The clip the views show (the last one read); empty when none.
    QString shownClip() const { return shown_; }
    bool clipShown() const { return !shown_.isEmpty(); }
    const TCLPI& clip() const { return clip_; }
    // A PID export or a menu extraction is running.
    bool busy() const { return busy_; }

    // The ExtensionData dialog's hand-over: its title ("00001.clpi
    // ExtensionData edit"), the block, and the block it returns on OK, which
    // stays in the model (clip information files are never written) with
    // its start address recomputed and the caption updated.
    QString extensionDataTitle() const;
    const TExtensionData& extensionData() const { return clip_.ExtensionData; }
    void setExtensionData(const TExtensionData& block);

    // The demux options of the Options tab and the output folder of Save PID
    // (empty: the current folder).
    std::function<DemuxOptions()> demuxOptions;
    std::function<QString()> outputFolder;
    // The packet-count question with Yes and Cancel; true means Yes.
    std::function<bool(const QString& question)> askYesCancel;
    // Opens a file with the desktop's default application.
    std::function<bool(const QUrl& url)> openUrl;

    QComboBox* cbClipinf() const { return cbClipinf_; }
    QPushButton* bReadCI() const { return bReadCI_; }
    QLabel* lStreamName() const { return lStreamName_; }
    QLabel* lStreamSize() const { return lStreamSize_; }
    QPushButton* bPlay() const { return bPlay_; }
    QComboBox* cbApplitype() const { return cbApplitype_; }
    QCheckBox* cbATCdelta() const { return cbATCdelta_; }
    TIntEdit* ieRecordingRate() const { return ieRecordingRate_; }
    TIntEdit* iePackets() const { return iePackets_; }
    QGroupBox* pATCdelta() const { return pATCdelta_; }
    StringGrid* sgATCdelta() const { return sgATCdelta_; }
    QGroupBox* pFonts() const { return pFonts_; }
    StringGrid* sgFonts() const { return sgFonts_; }
    StringGrid* sgSequence() const { return sgSequence_; }
    StringGrid* sgSTC() const { return sgSTC_; }
    StringGrid* sgCI() const { return sgCI_; }
    QPushButton* bSavePES() const { return bSavePES_; }
    QPushButton* bLoadToMenu() const { return bLoadToMenu_; }
    StringGrid* sgEPmap() const { return sgEPmap_; }
    StringGrid* sgEPcoarse() const { return sgEPcoarse_; }
    StringGrid* sgEPfine() const { return sgEPfine_; }
    QLabel* lCIExtdat() const { return lCIExtdat_; }
    QPushButton* bCIExtDat() const { return bCIExtDat_; }
    StringGrid* sgCIRef() const { return sgCIRef_; }

public slots:
    // Empties every view and the clip list (a folder is about to be read).
    void reset();
    // Fills the clip list from the workspace after a folder read.
    void fillClipList();
    // "&Read": reads the selected clip's information file.
    void bReadCIClick();
    // "Pla&y": opens the stream file of the shown clip.
    void bPlayClick();
    // "Save P&ID": exports the PID of the selected program stream row.
    void bSavePESClick();
    // "-> M&enu": extracts the IG stream of the selected row into the
    // temporary menu file.
    void bLoadToMenuClick();
    // The bottom bar's Find on this tab: which playlists use each clip;
    // then the clip is read again when "Auto Read" is on.
    void findReferences();
    // The bottom bar's "Find" on this tab.
    void find() override { findReferences(); }

signals:
    // "-> M&enu" wrote the menu file at path: the Menu tab loads it.
    void menuFileReady(const QString& path);
    // A double click in "Referenced by": open playlist (5 digits) at
    // playItem (-1: its default selection).
    void playItemRequested(const QString& playlist, int playItem);
    // The ExtensionData "Edit" button.
    void extensionDataEditRequested();
    void busyChanged(bool busy);

protected:
    void hideEvent(QHideEvent* e) override;

private:
    void buildControls();
    QWidget* buildClipInfo();
    QWidget* buildProgramInfo();
    QWidget* buildSequenceInfo();
    QWidget* buildCpi();
    QWidget* buildReferences();
    void connectControls();

    void cbClipinfChange();
    void showStreamLabels(int clip);
    void clearViews();
    void fillViews();
    void fillClipInfo();
    void fillSequences();
    void showStcSequences();
    void fillProgramStreams();
    void fillEpMap();
    void showEntryPoints();
    void checkSourcePackets();
    void fillReferences();
    void openReference(int row);
    void programRowDoubleClicked(int row);
    // Play, Save PID, "-> M&enu" and Edit by what is shown and whether a run is going.
    void updateActions();
    void setBusy(bool busy);
    // The PID cell of the selected program stream row; empty when none.
    QString selectedPidText() const;
    std::filesystem::path shownStream() const;

    Document& doc_;
    ReferenceFinder& finder_;
    Log& log_;

    TCLPI clip_;
    QString shown_;               // the clip the views show
    std::string streamPath_;      // its stream file ("" when missing)
    std::uint64_t streamSize_ = 0;
    std::vector<ProgramStreamRow> rows_;
    bool busy_ = false;
    bool entered_ = false;  // the tab is the active one since its last entry

    QComboBox* cbClipinf_ = nullptr;
    QPushButton* bReadCI_ = nullptr;
    QLabel* lStreamName_ = nullptr;
    QLabel* lStreamSize_ = nullptr;
    QPushButton* bPlay_ = nullptr;
    QComboBox* cbApplitype_ = nullptr;
    QCheckBox* cbATCdelta_ = nullptr;
    TIntEdit* ieRecordingRate_ = nullptr;
    TIntEdit* iePackets_ = nullptr;
    QGroupBox* pATCdelta_ = nullptr;
    StringGrid* sgATCdelta_ = nullptr;
    QGroupBox* pFonts_ = nullptr;
    StringGrid* sgFonts_ = nullptr;
    StringGrid* sgSequence_ = nullptr;
    StringGrid* sgSTC_ = nullptr;
    StringGrid* sgCI_ = nullptr;
    QPushButton* bSavePES_ = nullptr;
    QPushButton* bLoadToMenu_ = nullptr;
    StringGrid* sgEPmap_ = nullptr;
    StringGrid* sgEPcoarse_ = nullptr;
    StringGrid* sgEPfine_ = nullptr;
    QLabel* lCIExtdat_ = nullptr;
    QPushButton* bCIExtDat_ = nullptr;
    StringGrid* sgCIRef_ = nullptr;
};

}  // namespace navora::ui
