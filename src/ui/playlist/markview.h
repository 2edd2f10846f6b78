#pragma once
// The marks of the playlist tab: the mark grid with "+"/"-" (Insert, Delete
// and Ctrl+A in the grid), the editors of the chosen mark (type, PlayItem,
// hours, minutes, seconds, milliseconds) and the chapter buttons. It shows
// the document's playlist and changes it only through the document.

#include "ui/app/document.h"

#include <QWidget>

#include <optional>
#include <utility>

class QComboBox;
class QPushButton;
class QToolButton;

namespace navora {
class Log;
}

namespace navora::ui {

class StringGrid;
class TIntEdit;

class MarkView : public QWidget {
    Q_OBJECT
public:
    MarkView(Document& doc, Log& log, QWidget* parent = nullptr);

    StringGrid* sgPlayListMark() const { return sgPlayListMark_; }
    QToolButton* bbPLMins() const { return bbPLMins_; }
    QToolButton* bbPLMdel() const { return bbPLMdel_; }
    QComboBox* cmPLMtype() const { return cmPLMtype_; }
    TIntEdit* iePLMPI() const { return iePLMPI_; }
    TIntEdit* iePLMhour() const { return iePLMhour_; }
    TIntEdit* iePLMmin() const { return iePLMmin_; }
    TIntEdit* iePLMsec() const { return iePLMsec_; }
    TIntEdit* iePLMms() const { return iePLMms_; }
    QPushButton* bbLoadChap() const { return bbLoadChap_; }
    QPushButton* bbSaveChap() const { return bbSaveChap_; }

    // The mark whose editors are shown; none when there is none.
    std::optional<std::size_t> selectedMark() const;
    // The selected marks first..last.
    std::optional<std::pair<std::size_t, std::size_t>> selectedMarks() const;

public slots:
    void reset();
    void fill();
    void refresh();
    // Selects mark i (alone) and shows it in the editors.
    void selectMark(int i);
    void bbPLMinsClick();
    void bbPLMdelClick();

signals:
    // The selected marks changed (first..last; -1 when none).
    void marksSelected(int first, int last);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void redrawMarks();
    void showEditors();
    // Stores the typed time; a time outside the mark's PlayItem is refused
    // (while hours are being typed it only waits).
    void storeTime(bool typing = false);
    void editMark(const QString& name, const char* field, const std::function<void(TPlayListMarkEntry&)>& edit);
    bool loaded() const;
    void reportSelection();

    Document& doc_;
    Log& log_;
    int mark_ = -1;
    bool quiet_ = false;

    StringGrid* sgPlayListMark_;
    QToolButton* bbPLMins_;
    QToolButton* bbPLMdel_;
    QComboBox* cmPLMtype_;
    TIntEdit* iePLMPI_;
    TIntEdit* iePLMhour_;
    TIntEdit* iePLMmin_;
    TIntEdit* iePLMsec_;
    TIntEdit* iePLMms_;
    QPushButton* bbLoadChap_;
    QPushButton* bbSaveChap_;
    QWidget* editors_;
};

}  // namespace navora::ui
