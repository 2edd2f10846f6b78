#include "ui/widgets/gridkeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace navora::ui {

InsertDeleteKeys::InsertDeleteKeys(QWidget* grid, std::function<void()> insert, std::function<void()> remove,
                                   Qt::KeyboardModifiers deleteModifiers)
    : QObject(grid), insert_(std::move(insert)), remove_(std::move(remove)), deleteModifiers_(deleteModifiers) {
    grid->installEventFilter(this);
}

bool InsertDeleteKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* k = static_cast<QKeyEvent*>(event);
    const auto mods = k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (insert_ && mods == Qt::NoModifier && k->key() == Qt::Key_Insert) {
        insert_();
        return true;
    }
    if (remove_ && mods == deleteModifiers_ && k->key() == Qt::Key_Delete) {
        remove_();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace navora::ui
