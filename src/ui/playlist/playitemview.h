#pragma once
// The PlayItems of the playlist tab: the PlayItem grid (typed into in its
// edit mode), the angle grid of a multi-angle PlayItem, the seven stream
// counts of its STN_table (a column chooses the stream kind), the streams of
// that kind with "+" and "-", and the editors of the chosen stream. It shows
// the document's playlist and changes it only through the document.

#include "playlist/playlist_edit.h"
#include "ui/app/document.h"

#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QToolButton;

namespace navora {
class Log;
}

namespace navora::ui {

class EditGrid;
class StringGrid;
class TIntEdit;
class THexEdit;

class PlayItemView : public QWidget {
    Q_OBJECT
public:
    PlayItemView(Document& doc, Log& log, QWidget* parent = nullptr);

    EditGrid* sgPLitem() const { return sgPLitem_; }
    StringGrid* sgPIangles() const { return sgPIangles_; }
    StringGrid* sgSTN() const { return sgSTN_; }
    StringGrid* sgStreamEntry() const { return sgStreamEntry_; }
    QToolButton* bbInsSTN() const { return bbInsSTN_; }
    QToolButton* bbDelSTN() const { return bbDelSTN_; }
    QComboBox* coEntryType() const { return coEntryType_; }
    THexEdit* heMainPID() const { return heMainPID_; }
    // The PlayItem's clip streams of the selected kind ("1100  DD  eng"); a
    // choice sets the main PID.
    QComboBox* coClipPID() const { return coClipPID_; }
    TIntEdit* ieSubPath() const { return ieSubPath_; }
    TIntEdit* ieSubClip() const { return ieSubClip_; }
    THexEdit* heSubPID() const { return heSubPID_; }
    QComboBox* coVideo() const { return coVideo_; }
    QComboBox* coResol() const { return coResol_; }
    QComboBox* coFrmRate() const { return coFrmRate_; }
    // HEVC only: dynamic range and colour space.
    QComboBox* coDynRange() const { return coDynRange_; }
    QComboBox* coColour() const { return coColour_; }
    QComboBox* coAudio() const { return coAudio_; }
    QComboBox* coAuType() const { return coAuType_; }
    QComboBox* coFreq() const { return coFreq_; }
    QComboBox* coLang() const { return coLang_; }

    // The PlayItem, stream kind and stream shown; none when there is none.
    std::optional<std::size_t> selectedItem() const;
    StreamKind selectedKind() const { return kind_; }
    std::optional<std::size_t> selectedStream() const;

    // Puts w above the PlayItem grid (the timeline strip).
    void addAboveItems(QWidget* w);

    // Answers a Yes/No question (the IN time cascade); Yes is true.
    std::function<bool(const QString&)> ask;

public slots:
    // Empties the views (no playlist, or a folder is about to be read).
    void reset();
    // Shows a freshly read playlist from its first PlayItem on.
    void fill();
    // Redraws from the document after an edit, an undo or a redo, keeping the
    // selections where they are.
    void refresh();
    // Selects PlayItem i in the grid and shows it.
    void selectPlayItem(int i);
    void selectKind(StreamKind kind);
    void selectStream(int row);

    void bbInsSTNClick();
    void bbDelSTNClick();

signals:
    // The PlayItem shown changed (-1: none).
    void playItemShown(int item);
    // A clip name was double-clicked (PlayItem or angle row).
    void clipRequested(const QString& name);

private:
    QWidget* buildItems();
    QWidget* buildStreams();
    QWidget* buildEditors();
    void connectControls();
    void redrawItems();
    void showItem();
    void showStreams();
    void showEditors();
    void cellTyped(int row, int column, const QString& text);
    // Applies an edit of the shown stream.
    void editStream(const QString& name, const char* field, const std::function<bool(TStreamItem&)>& edit);
    void storeField(StreamField field, std::uint32_t value, const QString& name, const char* key);
    // The elementary streams of the shown PlayItem's clip, read from its clip
    // information file (kept per clip name); nothing when it cannot be read.
    const std::vector<ClipStream>* clipStreams() const;
    mutable std::map<std::string, std::optional<std::vector<ClipStream>>> clipStreams_;
    void fillClipPids();
    bool loaded() const;
    const TPlayItem* item() const;

    Document& doc_;
    Log& log_;
    int item_ = -1;
    StreamKind kind_ = StreamKind::PrimaryVideo;
    int stream_ = -1;
    bool quiet_ = false;

    QWidget* itemsColumn_ = nullptr;
    EditGrid* sgPLitem_;
    StringGrid* sgPIangles_;
    QWidget* anglePanel_;
    StringGrid* sgSTN_;
    StringGrid* sgStreamEntry_;
    QToolButton* bbInsSTN_;
    QToolButton* bbDelSTN_;
    QComboBox* coEntryType_;
    THexEdit* heMainPID_;
    QComboBox* coClipPID_;
    TIntEdit* ieSubPath_;
    TIntEdit* ieSubClip_;
    THexEdit* heSubPID_;
    QComboBox* coVideo_;
    QComboBox* coResol_;
    QComboBox* coFrmRate_;
    QComboBox* coDynRange_;
    QComboBox* coColour_;
    QComboBox* coAudio_;
    QComboBox* coAuType_;
    QComboBox* coFreq_;
    QComboBox* coLang_;
    // Each editor with its caption, shown and hidden together.
    QWidget* wType_;
    QWidget* wMainPID_;
    QWidget* wSubPath_;
    QWidget* wSubClip_;
    QWidget* wSubPID_;
    QWidget* wVideo_;
    QWidget* wAudio_;
    QWidget* wLang_;
};

}  // namespace navora::ui
