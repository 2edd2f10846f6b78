#pragma once
// A string grid whose cells can be typed into. Its pop-up menu switches
// between "Read only" (whole rows are selected, nothing is typed; the initial
// state) and "Edit mode" (one cell is current, its editor opens as soon as
// the cell becomes current, and the columns that have an edit mask take
// typed text). The grid never stores what was typed: it reports the text
// with cellTyped() once the editor has closed, and the owner applies it to
// the model and redraws the grid from it.

#include "ui/widgets/widgets.h"

#include <QString>
#include <QVector>

class QAction;
class QMenu;

namespace navora::ui {

class EditGrid : public StringGrid {
    Q_OBJECT
public:
    explicit EditGrid(QWidget* parent = nullptr);

    // The input mask of a column (QLineEdit syntax); a column without one
    // cannot be typed into.
    void setColumnMask(int column, const QString& mask);
    QString columnMask(int column) const;

    bool editMode() const { return editMode_; }
    void setEditMode(bool on);

    QMenu* popupMenu() const { return menu_; }
    QAction* actEditMode() const { return actEdit_; }
    QAction* actReadOnly() const { return actReadOnly_; }

    // Gives the cells of masked columns their editable flag (in edit mode);
    // called after the cells were written.
    void updateEditFlags();

signals:
    // A cell editor closed with this text (queued: the editor is gone and the
    // owner may redraw the grid).
    void cellTyped(int row, int column, const QString& text);
    // A double click on a data row out of edit mode.
    void rowActivated(int row, int column);
    void editModeChanged(bool on);
    // Internal: the delegate hands the text over here.
    void typedNow(int row, int column, const QString& text);

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    using StringGrid::edit;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    QVector<QString> masks_;
    bool editMode_ = false;
    QMenu* menu_;
    QAction* actEdit_;
    QAction* actReadOnly_;
};

}  // namespace navora::ui
