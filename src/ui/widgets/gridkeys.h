#pragma once
// The Insert and Delete keys of a grid whose rows are inserted and deleted:
// one key filter for every such grid instead of a copy in each view.

#include <QObject>

#include <functional>

class QWidget;

namespace navora::ui {

class InsertDeleteKeys : public QObject {
    Q_OBJECT
public:
    // Insert (no modifier) runs insert, Delete with deleteModifiers (none, or
    // Shift where Delete alone edits a cell) runs remove; either may be
    // empty. The filter belongs to grid.
    InsertDeleteKeys(QWidget* grid, std::function<void()> insert, std::function<void()> remove,
                     Qt::KeyboardModifiers deleteModifiers = Qt::NoModifier);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> insert_;
    std::function<void()> remove_;
    Qt::KeyboardModifiers deleteModifiers_;
};

}  // namespace navora::ui
