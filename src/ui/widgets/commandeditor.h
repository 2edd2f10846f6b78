#pragma once
// The line edits of a command grid, one editor for the movie object grid and
// the Menu tab's button grid: Insert, Shift+Delete, Ctrl+X, Ctrl+C, Ctrl+V
// (through the system clipboard, so commands move between the two grids and
// other windows) and Shift+N. Every edit is an engine line edit (inscmd,
// delecmd, pastecmd, ...) with its GoTo renumbering, which the grid's owner
// applies to its list as one undoable step.

#include "core/command.h"
#include "nav/edit.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace navora {
class Log;
}

namespace navora::ui {

class CommandGrid;

class CommandEditor : public QObject {
    Q_OBJECT
public:
    using LineEdit = std::function<EditResult(TCommands&)>;
    // Applies a line edit to the list the grid shows as one step named
    // `name` and returns what the edit did (nothing changed when there is
    // no list).
    using Apply = std::function<EditResult(const QString& name, const LineEdit& edit)>;
    // The list the grid shows; none while it shows no list (no movie object
    // or button chosen).
    using List = std::function<const TCommands*()>;

    CommandEditor(CommandGrid* grid, Log& log, Apply apply, List list, QObject* parent = nullptr);

    void insert();  // Insert, "+": one blank command after the last selected line
    void remove();  // Shift+Delete, "-": the selected lines
    void copy();    // Ctrl+C
    void cut();     // Ctrl+X
    void paste();   // Ctrl+V: after the last selected line
    void blank();   // Shift+N: the selected line becomes NOP

signals:
    // An edit changed the list: select is the line to show, none when the
    // list is empty.
    void edited(std::optional<std::size_t> select);

private:
    EditResult run(const QString& name, const LineEdit& edit);
    std::optional<std::pair<std::size_t, std::size_t>> lines() const;

    CommandGrid* grid_;
    Log& log_;
    Apply apply_;
    List list_;
};

}  // namespace navora::ui
