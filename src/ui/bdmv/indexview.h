#pragma once
// The index view of the BDMV tab: the title grid with its count label, the
// fields of the chosen title, First Playback, Top Menu, the content provider
// text and the ExtensionData caption. It shows the document's index.bdmv and
// changes it only through the document.

#include "navdb/index_edit.h"
#include "ui/app/document.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace navora::ui {

class RotatedLabel;
class StringGrid;

class IndexView : public QWidget {
    Q_OBJECT
public:
    IndexView(Document& doc, Log& log, QWidget* parent = nullptr);

    StringGrid* sgTitles() const { return sgTitles_; }
    QToolButton* bbTiins() const { return bbTiins_; }
    QToolButton* bbTidel() const { return bbTidel_; }
    RotatedLabel* lTitleCount() const { return lTitleCount_; }
    QComboBox* cbTitleNo() const { return cbTitleNo_; }
    QComboBox* cbTitleOT() const { return cbTitleOT_; }
    QComboBox* cbTitleAT() const { return cbTitleAT_; }
    QComboBox* cbTitlePBT() const { return cbTitlePBT_; }
    QComboBox* cbTitleOID() const { return cbTitleOID_; }
    QComboBox* cbTitleFN() const { return cbTitleFN_; }
    QCheckBox* cbFPBon() const { return cbFPBon_; }
    QComboBox* cbFPBtype() const { return cbFPBtype_; }
    QComboBox* cbFPBTitlePBtype() const { return cbFPBTitlePBtype_; }
    QComboBox* cbFPBObject() const { return cbFPBObject_; }
    QComboBox* cbFPBFile() const { return cbFPBFile_; }
    QCheckBox* cbTMon() const { return cbTMon_; }
    QComboBox* cbTMtype() const { return cbTMtype_; }
    QComboBox* cbTMObject() const { return cbTMObject_; }
    QComboBox* cbTMFile() const { return cbTMFile_; }
    QLineEdit* eContent() const { return eContent_; }
    QLabel* lIndexExtDat() const { return lIndexExtDat_; }
    // Ultra HD discs only (hidden otherwise): the disc's HDR information and
    // the initial dynamic range.
    QLabel* lUhdInfo() const { return lUhdInfo_; }
    QComboBox* cbDynRange() const { return cbDynRange_; }
    // "Edit" beside the ExtensionData caption (bIndExDatEditClick).
    QPushButton* bIndExDatEdit() const { return bIndExDatEdit_; }

    // The title shown in the boxes (0-based); none when there is no title.
    std::optional<std::size_t> selectedTitle() const;

public slots:
    // Empties the views (a folder is about to be read).
    void reset();
    // Fills the views from the document after a read and enables them by
    // whether the index was accepted.
    void fill();
    // Redraws the views from the document after an edit, an undo or a redo
    // of index.bdmv or MovieObject.bdmv (the references and object lists).
    void refresh();
    // Selects title i (0-based) in the grid and shows it as a click would.
    void selectTitle(int i);
    // Redraws title i's row.
    void indline(int i);
    void updateCountLabel();

    void sgTitlesClick();
    void cbTitleNoChange(int index);
    void bbTiinsClick();
    void bbTidelClick();
    void cbTitleOTChange(int index);
    void cbTitleATChange(int index);
    void cbTitlePBTChange(int index);
    void cbTitleOIDChange(int index);
    void cbTitleFNChange(int index);
    void cbFPBonClick(bool on);
    void cbFPBtypeChange(int index);
    void cbFPBTitlePBtypeChange(int index);
    void cbFPBObjectChange(int index);
    void cbTMonClick(bool on);
    void cbTMtypeChange(int index);
    void cbTMObjectChange(int index);
    void eContentChange(const QString& text);
    // The initial dynamic range chosen (Ultra HD discs).
    void cbDynRangeChange(int index);

signals:
    // A movie object is to be selected and shown (setObjectSG).
    void showObject(int object);
    // A BD-J title was double-clicked: its BD-J object (the name its file list shows) is to be opened.
    void bdjoRequested(const QString& name);
    // "Edit" beside the ExtensionData caption was clicked.
    void extensionDataEditRequested();

private:
    // Shows the UHD controls for an Ultra HD index, hides them otherwise.
    void showUhd();
    struct EntryBoxes {
        QCheckBox* on;
        QComboBox* type;
        QComboBox* playbackType;  // First Playback only
        QComboBox* object;
        QComboBox* file;
    };
    QLayout* buildTitleGrid();
    QWidget* buildTitleBoxes();
    QWidget* buildEntryBoxes();
    QLayout* buildContentRow();
    void connectControls();
    EntryBoxes boxes(IndexEntryKind kind) const;
    void showEntry(IndexEntryKind kind);
    void entryEnableRule(IndexEntryKind kind);
    void entryOnClick(IndexEntryKind kind, bool on);
    void entryTypeChange(IndexEntryKind kind, int index);
    void entryObjectChange(IndexEntryKind kind, int index);
    void fillObjectLists();
    void redrawTitles();
    void showTitleFields(std::size_t i);
    void enableTitleBoxes();
    const TTitle* chosenTitle() const;
    // Applies an edit of index.bdmv as one step; successive edits of one mergeKey join it.
    void editIndex(const QString& name, const QString& mergeKey, const std::function<void(TINDX&)>& edit);
    // Applies an edit of the chosen title.
    void editTitle(const QString& name, const char* field, const std::function<void(TTitle&)>& edit);
    const Workspace& ws() const { return doc_.model(); }

    Document& doc_;
    Log& log_;
    bool loaded_ = false;
    bool quietSelect_ = false;
    // An HDMV entry switched on before its object was chosen: its box stays
    // on (its reference is still "none") until an object is chosen.
    bool pendingOn_[2] = {false, false};

    StringGrid* sgTitles_;
    QToolButton* bbTiins_;
    QToolButton* bbTidel_;
    RotatedLabel* lTitleCount_;
    QComboBox* cbTitleNo_;
    QComboBox* cbTitleOT_;
    QComboBox* cbTitleAT_;
    QComboBox* cbTitlePBT_;
    QComboBox* cbTitleOID_;
    QComboBox* cbTitleFN_;
    QCheckBox* cbFPBon_ = nullptr;
    QComboBox* cbFPBtype_ = nullptr;
    QComboBox* cbFPBTitlePBtype_ = nullptr;
    QComboBox* cbFPBObject_ = nullptr;
    QComboBox* cbFPBFile_ = nullptr;
    QCheckBox* cbTMon_ = nullptr;
    QComboBox* cbTMtype_ = nullptr;
    QComboBox* cbTMObject_ = nullptr;
    QComboBox* cbTMFile_ = nullptr;
    QLineEdit* eContent_;
    QLabel* lIndexExtDat_;
    QLabel* lUhdInfo_ = nullptr;
    QComboBox* cbDynRange_ = nullptr;
    QPushButton* bIndExDatEdit_;
};

}  // namespace navora::ui
