#include "ui/widgets/commandeditor.h"

#include "core/log.h"
#include "ui/widgets/clipboard.h"
#include "ui/widgets/commandgrid.h"

namespace navora::ui {

CommandEditor::CommandEditor(CommandGrid* grid, Log& log, Apply apply, List list, QObject* parent)
    : QObject(parent), grid_(grid), log_(log), apply_(std::move(apply)), list_(std::move(list)) {
    connect(grid_, &CommandGrid::insertKey, this, &CommandEditor::insert);
    connect(grid_, &CommandGrid::deleteKey, this, &CommandEditor::remove);
    connect(grid_, &CommandGrid::copyKey, this, &CommandEditor::copy);
    connect(grid_, &CommandGrid::cutKey, this, &CommandEditor::cut);
    connect(grid_, &CommandGrid::pasteKey, this, &CommandEditor::paste);
    connect(grid_, &CommandGrid::blankKey, this, &CommandEditor::blank);
}

std::optional<std::pair<std::size_t, std::size_t>> CommandEditor::lines() const {
    const auto range = grid_->selectedLines();
    if (!range) return std::nullopt;
    return std::make_pair(static_cast<std::size_t>(range->first), static_cast<std::size_t>(range->second));
}

EditResult CommandEditor::run(const QString& name, const LineEdit& edit) {
    if (!list_()) return {};
    const EditResult r = apply_(name, edit);
    if (!r.status.empty()) log_.slog(r.status, 1);
    if (r.changed) emit edited(r.select);
    return r;
}

void CommandEditor::insert() {
    const auto l = lines();
    const std::size_t after = l ? l->second : 0;
    run(QStringLiteral("Insert command"), [&](TCommands& list) { return inscmd(list, after, TCommands{TCommand{}}); });
}

void CommandEditor::remove() {
    const auto l = lines();
    if (!l) return;
    run(QStringLiteral("Delete commands"), [&](TCommands& list) { return delecmd(list, l->first, l->second); });
}

void CommandEditor::copy() {
    const TCommands* list = list_();
    const auto l = lines();
    if (!list || list->empty() || !l) return;
    const EditResult r = copycmd(*list, l->first, l->second, commandClipboard());
    putCommandsOnClipboard(commandClipboard().commands);
    if (!r.status.empty()) log_.slog(r.status, 1);
}

void CommandEditor::cut() {
    const auto l = lines();
    if (!l) return;
    const EditResult r = run(QStringLiteral("Cut commands"), [&](TCommands& list) {
        return cutcmd(list, l->first, l->second, commandClipboard());
    });
    if (r.changed) putCommandsOnClipboard(commandClipboard().commands);
}

void CommandEditor::paste() {
    const TCommands* list = list_();
    if (!list) return;
    // The system clipboard first: commands copied in another window or grid, or text from an editor.
    if (const QString refused = takeCommandsFromClipboard(); !refused.isEmpty()) {
        log_.erslog(refused.toStdString());
        return;
    }
    const auto l = lines();
    const std::size_t after = l ? l->second : 0;
    const std::size_t count = commandClipboard().commands.size();
    const std::size_t before = list->size();
    run(QStringLiteral("Paste commands"), [&](TCommands& commands) {
        return pastecmd(commands, after, commandClipboard());
    });
    const TCommands* now = list_();
    if (count == 0) return;
    if (now && now->size() == before + count)
        log_.slog(pastedStatus(count).toStdString(), 1);
    else
        log_.erslog("No room for " + std::to_string(count) + " more commands: a program holds " +
                    std::to_string(kMaxCommands) + " at most.");
}

void CommandEditor::blank() {
    const auto l = lines();
    if (!l) return;
    run(QStringLiteral("Blank command"), [&](TCommands& list) { return blankcmd(list, l->first); });
}

}  // namespace navora::ui
