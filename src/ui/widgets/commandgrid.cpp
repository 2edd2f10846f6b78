#include "ui/widgets/commandgrid.h"

#include "nav/disasm.h"
#include "ui/widgets/colours.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>

#include <algorithm>

namespace navora::ui {

CellPaint sgCommandsDrawCell(const QString& text, const QString& commandLine, int column, CellState state) {
    CellPaint p;
    p.header = state.fixed;
    const bool marked = commandLine.startsWith(QLatin1Char('!')) || commandLine.startsWith(QLatin1Char('*'));
    if (marked) {
        const QColor colour = commandLine.startsWith(QLatin1Char('!')) ? kInvalidRed : kForbiddenOrange;
        p.bold = column == ColCommandLine;
        if (state.selected && !state.fixed) {
            p.background = colour;  // the text keeps the selection text colour
        } else {
            p.text = colour;
        }
    } else {
        p.bold = column == ColCommandLine && state.selected;
        if (!state.selected && !state.fixed) {
            if (column == ColOpcode) p.text = kWordBlue;
            if (column == ColDestination || column == ColSource)
                p.text = text.endsWith(QLatin1Char(' ')) ? kWordBlue : kUnusedGrey;
        }
    }

    const qsizetype semi = text.indexOf(QLatin1Char(';'));
    if (semi < 0) {
        p.normal = text.trimmed();
    } else {
        // The italic part starts one character before the ";" (the blank that
        // separates a comment from its command).
        const qsizetype split = semi == 0 ? 0 : semi - 1;
        p.normal = text.left(split);
        p.italic = text.mid(split);
        if (!state.selected && !state.focused && !state.fixed) p.italicColour = kCommentGreen;
    }
    return p;
}

void paintCommandCell(QPainter* p, const QStyleOptionViewItem& option, const QString& text,
                      const QString& commandLine, int column) {
    CellState state;
    state.selected = option.state & QStyle::State_Selected;
    state.focused = option.state & QStyle::State_HasFocus;
    state.fixed = column == ColNo;
    const CellPaint paint = sgCommandsDrawCell(text, commandLine, column, state);

    const QPalette::ColorGroup group = (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    const QPalette& pal = option.palette;
    QColor background;
    QColor foreground;
    if (paint.background) {
        background = *paint.background;
        foreground = pal.color(group, QPalette::HighlightedText);
    } else if (paint.header) {
        background = pal.color(group, QPalette::Button);
        foreground = pal.color(group, QPalette::ButtonText);
    } else if (state.selected) {
        background = pal.color(group, QPalette::Highlight);
        foreground = pal.color(group, QPalette::HighlightedText);
    } else {
        background = pal.color(group, QPalette::Base);
        foreground = pal.color(group, QPalette::Text);
    }
    // The meaning colours keep their contrast on a dark palette too.
    if (paint.text) foreground = readableOn(*paint.text, background);
    p->fillRect(option.rect, background);

    QFont font = option.font;
    font.setBold(paint.bold);
    const QRect area = option.rect.adjusted(3, 0, -2, 0);
    p->setClipRect(option.rect);
    p->setFont(font);
    p->setPen(foreground);
    p->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, paint.normal);
    if (!paint.italic.isEmpty()) {
        const int advance = QFontMetrics(font).horizontalAdvance(paint.normal);
        QFont italic = font;
        italic.setItalic(true);
        p->setFont(italic);
        p->setPen(paint.italicColour ? readableOn(*paint.italicColour, background) : foreground);
        p->drawText(area.adjusted(advance, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    paint.italic);
    }
}

CommandGrid::CommandGrid(QWidget* parent) : StringGrid(parent) {
    rowNumberText = [](int row) { return QString::fromStdString(dec4(static_cast<std::size_t>(row))); };
    QStringList titles;
    for (const std::string& t : commandColumnTitles()) titles << QString::fromStdString(t);
    setTitles(titles);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    horizontalHeader()->setStretchLastSection(false);
    // The number and word columns fit their texts in the grid's font.
    const QFontMetrics fm(font());
    setColumnWidth(ColNo, fm.horizontalAdvance(QStringLiteral("00000")) + 8);
    for (int c : {ColOpcode, ColDestination, ColSource})
        setColumnWidth(c, fm.horizontalAdvance(QStringLiteral("DDDDDDDD")) + 10);
    fitCommandLineColumn();
    // The Edit menu does what the keys do.
    cutAction = [this] { emit cutKey(); };
    copyAction = [this] { emit copyKey(); };
    pasteAction = [this] { emit pasteKey(); };
    cellPainter = [this](QPainter* p, const QStyleOptionViewItem& option, int row, int column) {
        paintCommandCell(p, option, cell(row, column), cell(row, ColCommandLine), column);
        return true;
    };
}

void CommandGrid::showCommands(const TCommands& list, const std::function<void(std::size_t)>& progress) {
    setUpdatesEnabled(false);
    setDataRows(static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (progress) progress(i);
        drawCommand(list[i], i);
    }
    setUpdatesEnabled(true);
}

void CommandGrid::drawCommand(const TCommand& c, std::size_t index) {
    if (static_cast<int>(index) >= dataRows()) return;
    const CommandRow row = comm2str(c, index, context_);
    const auto cells = row.cells();
    const int r = static_cast<int>(index);
    for (int col = 0; col < static_cast<int>(cells.size()); ++col) setCell(r, col, QString::fromStdString(cells[col]));
}

void CommandGrid::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int key = e->key();
    if (mods == Qt::NoModifier && key == Qt::Key_Insert) {
        emit insertKey();
    } else if (mods == Qt::ControlModifier && key == Qt::Key_V) {
        emit pasteKey();
    } else if (mods == Qt::ControlModifier && key == Qt::Key_C) {
        emit copyKey();
    } else if (mods == Qt::ControlModifier && key == Qt::Key_X) {
        emit cutKey();
    } else if (mods == Qt::ControlModifier && key == Qt::Key_A) {
        selectAllRows();
    } else if (mods == Qt::ShiftModifier && key == Qt::Key_Delete) {
        emit deleteKey();
    } else if (mods == Qt::ShiftModifier && key == Qt::Key_N) {
        emit blankKey();
    } else {
        StringGrid::keyPressEvent(e);
        return;
    }
    e->accept();
}

void CommandGrid::resizeEvent(QResizeEvent* e) {
    StringGrid::resizeEvent(e);
    fitCommandLineColumn();
}

void CommandGrid::fitCommandLineColumn() {
    // The grid's width less 215; where the font makes the other columns and
    // the frame wider than that, less what they take, so that the line
    // column ends at the grid's right edge.
    int others = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int c : {ColNo, ColOpcode, ColDestination, ColSource}) others += columnWidth(c);
    setColumnWidth(ColCommandLine, std::max(60, width() - std::max(kOtherColumnsWidth, others)));
}

}  // namespace navora::ui
