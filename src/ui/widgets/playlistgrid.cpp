#include "ui/widgets/playlistgrid.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>

namespace navora::ui {

namespace {

// Opens a masked line editor on the cell and hands its text to the grid
// instead of writing it into the cell.
class MaskDelegate : public QStyledItemDelegate {
public:
    explicit MaskDelegate(EditGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QStringLiteral("cellEditor"));
        e->setFrame(false);
        const QString mask = grid_->columnMask(index.column());
        if (!mask.isEmpty()) e->setInputMask(mask);
        return e;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* e = static_cast<QLineEdit*>(editor);
        e->setText(index.data(Qt::DisplayRole).toString());
        // Typing replaces the cell from its first place.
        e->selectAll();
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        emit grid_->typedNow(index.row(), index.column(), static_cast<QLineEdit*>(editor)->text());
    }

private:
    EditGrid* grid_;
};

}  // namespace

EditGrid::EditGrid(QWidget* parent) : StringGrid(parent) {
    setItemDelegate(new MaskDelegate(this));
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("gridMenu"));
    actEdit_ = menu_->addAction(QStringLiteral("Edit mode"));
    actReadOnly_ = menu_->addAction(QStringLiteral("Read only"));
    auto* group = new QActionGroup(this);
    for (QAction* a : {actEdit_, actReadOnly_}) {
        a->setCheckable(true);
        group->addAction(a);
    }
    actReadOnly_->setChecked(true);
    connect(actEdit_, &QAction::triggered, this, [this] { setEditMode(true); });
    connect(actReadOnly_, &QAction::triggered, this, [this] { setEditMode(false); });
    // The owner redraws the grid from the model: that waits until the editor is closed.
    connect(this, &EditGrid::typedNow, this, &EditGrid::cellTyped, Qt::QueuedConnection);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!editMode_ && index.isValid() && index.row() < dataRows()) emit rowActivated(index.row(), index.column());
    });
}

void EditGrid::setColumnMask(int column, const QString& mask) {
    if (column < 0) return;
    if (masks_.size() <= column) masks_.resize(column + 1);
    masks_[column] = mask;
}

QString EditGrid::columnMask(int column) const {
    return column >= 0 && column < masks_.size() ? masks_[column] : QString();
}

void EditGrid::setEditMode(bool on) {
    if (on == editMode_) {
        (on ? actEdit_ : actReadOnly_)->setChecked(true);
        return;
    }
    const int row = currentRow();
    editMode_ = on;
    (on ? actEdit_ : actReadOnly_)->setChecked(true);
    if (on) {
        setSelectionBehavior(QAbstractItemView::SelectItems);
        setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                        QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
    } else {
        // A cell being typed into keeps what was typed.
        if (auto* editor = viewport()->findChild<QLineEdit*>(QStringLiteral("cellEditor"))) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setSelectionBehavior(QAbstractItemView::SelectRows);
    }
    updateEditFlags();
    // The selection follows the new kind: one cell, or the whole row.
    if (row >= 0 && row < dataRows()) {
        clearSelection();
        setCurrentCell(row, on ? std::max(currentColumn(), 1) : 1);
    }
    emit editModeChanged(on);
}

void EditGrid::updateEditFlags() {
    for (int r = 0; r < dataRows(); ++r)
        for (int c = 0; c < columnCount(); ++c) {
            QTableWidgetItem* it = item(r, c);
            if (!it) continue;
            Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (editMode_ && !columnMask(c).isEmpty()) f |= Qt::ItemIsEditable;
            if (it->flags() != f) it->setFlags(f);
        }
}

bool EditGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // A click on the current cell opens its editor at once, as a click on any other cell does.
    if (trigger == QAbstractItemView::SelectedClicked) trigger = QAbstractItemView::DoubleClicked;
    return StringGrid::edit(index, trigger, event);
}

void EditGrid::contextMenuEvent(QContextMenuEvent* e) {
    menu_->popup(e->globalPos());
    e->accept();
}

}  // namespace navora::ui
