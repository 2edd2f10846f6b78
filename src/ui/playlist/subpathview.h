#pragma once
// The SubPaths of the playlist tab: the SubPath grid with its type and
// repeat lists and "+"/"-", the SubPlayItem grid of the chosen SubPath (typed
// into in its edit mode) and the clip entry grid of the chosen SubPlayItem.
// It shows the document's playlist and changes it only through the document.

#include "ui/app/document.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QToolButton;

namespace navora {
class Log;
}

namespace navora::ui {

class EditGrid;
class StringGrid;

class SubPathView : public QWidget {
    Q_OBJECT
public:
    SubPathView(Document& doc, Log& log, QWidget* parent = nullptr);

    StringGrid* sgSubPath() const { return sgSubPath_; }
    QComboBox* cbSubPathType() const { return cbSubPathType_; }
    QComboBox* cbSPrepeat() const { return cbSPrepeat_; }
    QToolButton* bbSPins() const { return bbSPins_; }
    QToolButton* bbSPdel() const { return bbSPdel_; }
    EditGrid* sgSubPlayItem() const { return sgSubPlayItem_; }
    StringGrid* sgAngles() const { return sgAngles_; }

    std::optional<std::size_t> selectedSubPath() const;
    std::optional<std::size_t> selectedSubPlayItem() const;

public slots:
    void reset();
    void fill();
    void refresh();
    void selectSubPath(int i);
    void selectSubPlayItem(int i);
    void bbSPinsClick();
    void bbSPdelClick();

signals:
    // A clip name was double-clicked (SubPlayItem or clip entry row).
    void clipRequested(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void redrawSubPaths();
    void showSubPath();
    void showSubPlayItem();
    void cellTyped(int row, int column, const QString& text);
    bool loaded() const;

    Document& doc_;
    Log& log_;
    int subPath_ = -1;
    int item_ = -1;
    bool quiet_ = false;

    StringGrid* sgSubPath_;
    QComboBox* cbSubPathType_;
    QComboBox* cbSPrepeat_;
    QToolButton* bbSPins_;
    QToolButton* bbSPdel_;
    EditGrid* sgSubPlayItem_;
    StringGrid* sgAngles_;
    QWidget* clipPanel_;
};

}  // namespace navora::ui
