#pragma once
// Small widgets shared by the views: numeric edit fields, a text field with a
// disabled colour, a label drawn reading downwards, and a string grid.

#include <QLineEdit>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QWidget>

class QAbstractButton;
class QToolButton;
class QButtonGroup;
class QGroupBox;

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace navora::ui {

// The system's warning sound. Tests replace the handler to count beeps.
void beep();
std::function<void()>& beepHandler();

// Strings as a list, for a combo box's entries or a grid's titles.
template <class Container>
QStringList toList(const Container& items) {
    QStringList out;
    for (const std::string& s : items) out << QString::fromStdString(s);
    return out;
}

// A 22 x 22 tool button ("+", "-" beside a grid) with its name and hint.
QToolButton* smallButton(const QString& text, const char* name, const QString& hint, QWidget* parent);

// Decimal field: digits, "+", "-", Backspace and Enter; other keys are refused
// with a beep. Starts at "0".
class TIntEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TIntEdit(QWidget* parent = nullptr);
    // The text as a 64-bit number; 0 when it is not one.
    std::int64_t value() const;
    void setValue(std::int64_t v);

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

// Hexadecimal field of a fixed number of digits, shown zero-padded. Accepts
// hexadecimal digits, Backspace and Enter; other keys are refused with a beep.
class THexEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit THexEdit(int digits = 4, QWidget* parent = nullptr);
    int digits() const { return digits_; }
    void setDigits(int digits);
    // The hexadecimal digits of the text (anything else is skipped), 32 bits.
    std::uint32_t value() const;
    void setValue(std::uint32_t v);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    int digits_;
};

// A number field limited to one digit set. Other keys are ignored without a
// sound; an edit that leaves invalid text or a value above the maximum is
// undone, caret included.
class TumNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    enum class Kind { Decimal, Hexadecimal, Binary, Octal };

    explicit TumNumberEdit(Kind kind = Kind::Decimal, QWidget* parent = nullptr);
    Kind kind() const { return kind_; }
    void setKind(Kind kind);
    // 0 means no maximum.
    std::uint64_t maximum() const { return max_; }
    void setMaximum(std::uint64_t max) { max_ = max; }
    // The number, clamped to 0 ... maximum when a maximum is set.
    std::uint64_t value() const;
    void setValue(std::uint64_t v);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool acceptable(const QString& text) const;
    void onTextChanged(const QString& text);
    int base() const;
    QString digitSet() const;

    Kind kind_;
    std::uint64_t max_ = 0;
    QString previous_;
    int previousCaret_ = 0;
    bool restoring_ = false;
};

// A text field with a settable background colour while disabled.
class TumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TumEdit(QWidget* parent = nullptr);
    QColor disabledColor() const { return disabledColor_; }
    void setDisabledColor(const QColor& c);

private:
    QColor disabledColor_;
};

// A label drawn rotated by 270 degrees: its text reads downwards.
class RotatedLabel : public QWidget {
    Q_OBJECT
public:
    explicit RotatedLabel(const QString& text = {}, QWidget* parent = nullptr);
    QString text() const { return text_; }
    void setText(const QString& text);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString text_;
};

// A titled group of radio buttons; an index outside the items selects none.
class RadioGroup : public QWidget {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);
    int itemIndex() const;  // -1 when no item is selected
    void setItemIndex(int index);
    QGroupBox* box() const { return box_; }
    QAbstractButton* item(int index) const;

signals:
    void itemIndexChanged(int index);

private:
    QGroupBox* box_;
    QButtonGroup* group_;
};

// A colour box: a swatch with a caption; a click asks for a new colour.
// The value is a Windows colour value (lowest byte red, then green, then
// blue; system colours have the top byte set and are shown in the palette's
// matching colour).
class ColourBox : public QWidget {
    Q_OBJECT
public:
    explicit ColourBox(const QString& caption, QWidget* parent = nullptr);
    std::uint32_t value() const { return value_; }
    void setValue(std::uint32_t value);
    // The colour shown for the value.
    QColor colour() const;
    QAbstractButton* button() const { return button_; }

    // Asks for a colour: (dialog title, current colour) -> the chosen colour,
    // invalid when cancelled. The platform's colour dialog by default.
    std::function<QColor(const QString& title, const QColor& current)> chooser;

signals:
    // The user chose a colour (not sent by setValue).
    void valueChanged(std::uint32_t value);

private:
    void showValue();
    QAbstractButton* button_;
    QString caption_;
    std::uint32_t value_ = 0;
};

// A grid with a title row, a row-number column 0, whole-row selection and
// read-only cells. An empty grid shows the titles and one empty row.
//
// A grid that drives another view (the movie objects drive the flags and the
// command list, a title its boxes, a command the composer) follows the user's
// choice through choiceChanged() and nothing else:
//
//     connect(grid, &StringGrid::choiceChanged, this, [this] {
//         const auto rows = grid->selectedRange();   // or grid->currentRow()
//         if (!quiet_ && rows && rows->first != shown_) show(rows->first);
//     });
//
// choiceChanged() comes once the click, drag or key has been handled whole,
// so the current row and the selection both name the row the user chose. The
// item view's own signals (currentCellChanged, clicked, the selection model's
// selectionChanged) come while a click is half done: a mouse press moves the
// current row before it selects, keys select before they move the current
// row, and a view reading the selection then shows the row chosen before.
// Edits of the shown row must use what the view shows, never re-read the
// grid at edit time.
class StringGrid : public QTableWidget {
    Q_OBJECT
public:
    // Paints a cell itself; returns false to leave the cell to the default painting.
    using CellPainter = std::function<bool(QPainter*, const QStyleOptionViewItem&, int row, int column)>;

    explicit StringGrid(QWidget* parent = nullptr);

    // Sets the column titles (column 0 is the row-number column).
    void setTitles(const QStringList& titles);
    // Back to the titles and one empty row.
    void resetGrid();
    // Sizes the grid to n data rows (n == 0 resets it) and numbers them.
    void setDataRows(int n);
    int dataRows() const { return dataRows_; }
    // Writes a read-only cell, creating it when needed.
    void setCell(int row, int column, const QString& text);
    QString cell(int row, int column) const;

    // The selected data rows first..last (the current row when nothing is
    // selected); none when the grid shows no data row.
    std::optional<std::pair<int, int>> selectedRange() const;
    // Selects data rows first..last (clamped), makes first the current row
    // and scrolls it into view (to the top with atTop).
    void selectRange(int first, int last, bool atTop = false);

    // The text of the row-number column; row index by default.
    std::function<QString(int row)> rowNumberText;
    CellPainter cellPainter;

    // The Edit menu while this grid has the focus (ui/menubar.h). Copy puts
    // selectedRowsText() on the clipboard unless copyAction says otherwise;
    // Cut and Paste are offered only where they are set; Select all selects
    // every row of a grid that selects more than one.
    std::function<void()> cutAction;
    std::function<void()> copyAction;
    std::function<void()> pasteAction;
    // The selected data rows as text: cells joined by tabs, rows ended by "\n".
    QString selectedRowsText() const;
    // Selects every data row (nothing in a single-row grid).
    void selectAllRows();

signals:
    // The user's choice changed: the current row or the selected rows differ
    // from what was last reported. Reported once the input event (click,
    // drag, key) or the programmatic change (selectRange, setDataRows) is
    // done, never half way; see the class comment.
    void choiceChanged();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    // Holds choiceChanged() back while the view moves the current row and the
    // selection in steps; the last one to go reports the settled choice.
    class Settling;
    friend class Settling;
    void reportChoice();

    int dataRows_ = 0;
    int settling_ = 0;
    int reportedRow_ = -1;
    std::optional<std::pair<int, int>> reportedRange_;
};

}  // namespace navora::ui
