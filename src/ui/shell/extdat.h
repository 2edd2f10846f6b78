#pragma once
// The ExtensionData editor (TfExtDat): one modal dialog, created once by the
// main window and reused by every file that ends with an ExtensionData()
// block. It works on a copy of the host's block: the user inspects the
// entries and their data, types entry IDs (ID1 only), deletes the block,
// replaces it from an .exd file or saves it to one. Only OK hands the copy
// back; the host then stores it through the document as one undoable edit.
//
// How a host connects (index.bdmv and MovieObject.bdmv are wired in
// TfMain::connectControls; a playlist, clip information and sound.bdmv
// connect the same way):
//   1. The host's view shows its caption label (ExtDatCap) with an "Edit"
//      button beside it that emits extensionDataEditRequested(). The button
//      is enabled while the host file is loaded.
//   2. The main window answers the signal with one call:
//        editExtensionData(*extDat_, *doc_, Document::Part::Playlist,
//                          extDatTitle(name + ext),  // "00001.mpls ExtensionData edit"
//                          doc_->model().playlist.ExtensionData,
//                          [](Workspace& ws, TExtensionData b) { setPlaylistExtensionData(ws.playlist, std::move(b)); });
//      The setter is the host's engine function that stores the block and
//      sets its ExtensionData_start_address (setIndexExtensionData,
//      setMovieObjectExtensionData, setPlaylistExtensionData,
//      setSoundExtensionData; a clip information setter follows the ClipMark
//      rule of extDataStartAddress in core/extdata.h). Cancel changes
//      nothing; OK is one step "Edit ExtensionData" on the undo stack (none
//      when the block came back unchanged).
//   3. The host's view redraws its caption from the document's changed()
//      signal, as after any other edit.
// Dialog titles: the host file's name as the file-name set gives it
// ("index.bdmv" or "INDEX.BDM", "00001.mpls" or "00001.MPL", "sound.bdmv")
// followed by " ExtensionData edit" (extDatTitle).

#include "core/extdata.h"
#include "ui/app/document.h"

#include <QDialog>

#include <functional>
#include <optional>

class QGroupBox;
class QLabel;
class QPushButton;
class QTextEdit;

namespace navora::ui {

class StringGrid;

// Asks for an .exd file: (dialog title, start folder, name filter) -> the
// chosen path, empty when cancelled.
using ExdFileChooser = std::function<QString(const QString& title, const QString& start, const QString& filter)>;

// "<file> ExtensionData edit".
QString extDatTitle(const QString& file);

class TfExtDat : public QDialog {
    Q_OBJECT
public:
    explicit TfExtDat(QWidget* parent = nullptr);

    // The hand-over: shows a copy of block under title, modally. Returns the
    // edited block on OK, nothing on Cancel.
    std::optional<TExtensionData> edit(const QString& title, const TExtensionData& block);

    // The working copy.
    const TExtensionData& block() const { return work_; }

    QLabel* lExtDatprop() const { return lExtDatprop_; }
    QPushButton* bbDelExtDat() const { return bbDelExtDat_; }
    QPushButton* bbLoadExtDat() const { return bbLoadExtDat_; }
    QPushButton* bbSaveExtDat() const { return bbSaveExtDat_; }
    QPushButton* bOK() const { return bOK_; }
    QPushButton* bCancel() const { return bCancel_; }
    StringGrid* sgExtDatEntry() const { return sgExtDatEntry_; }
    QTextEdit* reData() const { return reData_; }

    // The output folder of the options: Load and Save start there when it is set.
    std::function<QString()> workFolder;
    // Replace the file dialogs and the error message (tests answer without them).
    ExdFileChooser openFileChooser;
    ExdFileChooser saveFileChooser;
    std::function<void(const QString& text)> errorMessage;

public slots:
    // Shows the working copy: the summary, one row per entry, the first
    // entry's data.
    void refresh();
    // "Delete": the working copy becomes the empty block.
    void bbDelExtDatClick();
    // "Load ExtensionData()": the working copy becomes the block of an .exd file.
    void bbLoadExtDatClick();
    // "Save ExtensionData()": writes the working copy as an .exd file.
    void bbSaveExtDatClick();
    // Shows the data of entry row (none for a row that is no entry).
    void showEntry(int row);

private:
    void entryEdited(int row, int column);
    QString startFolder() const;

    TExtensionData work_;
    int shownEntry_ = -1;
    bool filling_ = false;

    QLabel* lExtDatprop_;
    QPushButton* bbDelExtDat_;
    QPushButton* bbLoadExtDat_;
    QPushButton* bbSaveExtDat_;
    QPushButton* bOK_;
    QPushButton* bCancel_;
    StringGrid* sgExtDatEntry_;
    QTextEdit* reData_;
};

// The whole hand-over for one host: the dialog edits a copy of current under
// title; on OK, store puts the result into the models of parts as one
// undoable edit "Edit ExtensionData". Returns whether the models changed.
bool editExtensionData(TfExtDat& dialog, Document& doc, Document::Parts parts, const QString& title,
                       const TExtensionData& current, const std::function<void(Workspace&, TExtensionData)>& store);

}  // namespace navora::ui
