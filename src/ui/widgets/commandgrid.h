#pragma once
// The grid of a command list: one row per navigation command as the
// disassembler writes it, painted with the colours of invalid, forbidden and
// used-operand cells, whole-row selection and the editing keys.

#include "core/command.h"
#include "nav/decode.h"
#include "ui/widgets/widgets.h"

#include <QColor>

#include <functional>
#include <optional>
#include <utility>

class QPainter;
class QStyleOptionViewItem;

namespace navora::ui {

// The colours of command cells.
inline const QColor kInvalidRed{255, 0, 0};
inline const QColor kForbiddenOrange{255, 170, 0};
inline const QColor kWordBlue{0, 0, 255};
inline const QColor kUnusedGrey{160, 160, 164};
inline const QColor kCommentGreen{0, 128, 0};

// How one cell of a command grid is painted. Colours left empty take the
// platform's colour for the cell's state: header colours for fixed cells,
// selection colours for selected cells, window colours otherwise.
struct CellPaint {
    bool header = false;  // a fixed cell: the grid's header colour
    bool bold = false;
    std::optional<QColor> text;
    std::optional<QColor> background;  // when the rule sets it
    QString normal;                    // drawn first in the normal font
    QString italic;                    // drawn after it in italics (empty when the cell has no ";")
    std::optional<QColor> italicColour;  // of the italic part, when it differs from text
};

struct CellState {
    bool selected = false;
    bool focused = false;
    bool fixed = false;
};

// The painting of cell text `text` of column `column` in a row whose command
// line cell is `commandLine`: invalid ("!") rows red and forbidden ("*") rows
// orange (their background when selected), used operand words blue, unused
// grey, comments after ";" in green italics.
CellPaint sgCommandsDrawCell(const QString& text, const QString& commandLine, int column, CellState state);

// Paints one cell of a command grid by sgCommandsDrawCell().
void paintCommandCell(QPainter* p, const QStyleOptionViewItem& option, const QString& text,
                      const QString& commandLine, int column);

class CommandGrid : public StringGrid {
    Q_OBJECT
public:
    // The "Command line" column takes the grid's width less this.
    static constexpr int kOtherColumnsWidth = 215;

    explicit CommandGrid(QWidget* parent = nullptr);

    // Decides which valid words are marked forbidden.
    CommandContext context() const { return context_; }
    void setContext(CommandContext context) { context_ = context; }

    // Sizes the grid to the list (one empty row for an empty list) and draws
    // every row. progress, when set, is called before row i is drawn.
    void showCommands(const TCommands& list, const std::function<void(std::size_t i)>& progress = {});
    // Draws command c as line index.
    void drawCommand(const TCommand& c, std::size_t index);

    // The selected lines first..last; none when the grid shows no command.
    std::optional<std::pair<int, int>> selectedLines() const { return selectedRange(); }
    // Selects lines first..last and scrolls the first into view.
    void selectLines(int first, int last) { selectRange(first, last); }
    void selectLine(int line) { selectRange(line, line); }

signals:
    void insertKey();  // Insert
    void pasteKey();   // Ctrl+V
    void copyKey();    // Ctrl+C
    void cutKey();     // Ctrl+X
    void deleteKey();  // Shift+Delete
    void blankKey();   // Shift+N

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void fitCommandLineColumn();

    CommandContext context_ = CommandContext::MovieObject;
};

}  // namespace navora::ui
