#include "ui/menu/menupages.h"

#include "ig/model.h"
#include "ig/structure.h"
#include "ui/widgets/commandgrid.h"
#include "ui/widgets/composer.h"
#include "ui/widgets/widgets.h"

#include <QAbstractItemDelegate>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QMouseEvent>

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace navora::ui {

namespace {

QString hex(std::size_t v, int digits) {
    return QStringLiteral("%1").arg(static_cast<qulonglong>(v), digits, 16, QLatin1Char('0')).toUpper();
}

QString yesNo(std::uint8_t flag) { return flag == 1 ? QStringLiteral("Yes") : QStringLiteral("No"); }

// A title above a grid.
QWidget* titled(const QString& title, QWidget* grid, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(1);
    auto* label = new QLabel(title, w);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    l->addWidget(label);
    l->addWidget(grid, 1);
    return w;
}

std::size_t buttonCount(const TPage& page) {
    std::size_t n = 0;
    for (const TBOG& bog : page.BOGs) n += bog.buttons.size();
    return n;
}

// The cells of one page row after its number.
QStringList pageCells(const TPage& p) {
    const auto& in = p.effects[InEffects];
    const auto& out = p.effects[OutEffects];
    return {QString::number(p.page_id),
            QString::number(p.page_version_number),
            hex(p.palette_id_ref, 2),
            QString::number(p.BOGs.size()),
            QString::number(buttonCount(p)),
            hex(p.default_selected_button_id_ref, 4),
            hex(p.default_activated_button_id_ref, 4),
            QString::number(p.animation_frame_rate_code),
            hex(p.UO_mask_high, 8) + hex(p.UO_mask_low, 8),
            QString::number(in.number_of_windows),
            QString::number(in.effects.size()),
            QString::number(out.number_of_windows),
            QString::number(out.effects.size())};
}

// The cells of one button row after its id, in the columns of buttonTitles().
QStringList buttonCells(const TIGbutton& b) {
    return {hex(b.button_numeric_select_value, 4),
            yesNo(b.auto_action_flag),
            QString::number(b.button_horizontal_position),
            QString::number(b.button_vertical_position),
            hex(b.upper_button_id_ref, 4),
            hex(b.lower_button_id_ref, 4),
            hex(b.left_button_id_ref, 4),
            hex(b.right_button_id_ref, 4),
            hex(b.normal_start_object_id_ref, 4),
            hex(b.normal_end_object_id_ref, 4),
            yesNo(b.normal_repeat_flag),
            hex(b.selected_state_sound_id_ref, 2),
            hex(b.selected_start_object_id_ref, 4),
            hex(b.selected_end_object_id_ref, 4),
            yesNo(b.selected_repeat_flag),
            hex(b.activated_state_sound_id_ref, 2),
            hex(b.activated_start_object_id_ref, 4),
            hex(b.activated_end_object_id_ref, 4),
            QString::number(b.commands.size())};
}

constexpr int kNormalStartColumn = 10;

// Each column wide enough for its title and for a cell like sample.
void sizeColumns(QTableWidget* grid, const QString& sample) {
    const QFontMetrics fm(grid->font());
    for (int c = 0; c < grid->columnCount(); ++c) {
        const QTableWidgetItem* title = grid->horizontalHeaderItem(c);
        const int text = title ? fm.horizontalAdvance(title->text()) : 0;
        grid->setColumnWidth(c, std::max(text, fm.horizontalAdvance(sample)) + 14);
    }
}

}  // namespace

const QStringList& MenuPagesView::bogRowTitles() {
    static const QStringList titles = {QStringLiteral(" id"), QStringLiteral(" default valid button"),
                                       QStringLiteral(" number of buttons")};
    return titles;
}

const QStringList& MenuPagesView::buttonTitles() {
    static const QStringList titles = {
        QStringLiteral("id"),      QStringLiteral("value"),    QStringLiteral("a.act."),  QStringLiteral("X"),
        QStringLiteral("Y"),       QStringLiteral("upper"),    QStringLiteral("lower"),   QStringLiteral("left"),
        QStringLiteral("right"),   QStringLiteral("n.start"),  QStringLiteral("n.end"),   QStringLiteral("n.repeat"),
        QStringLiteral("s.sound"), QStringLiteral("s.start"),  QStringLiteral("s.end"),   QStringLiteral("s.repeat"),
        QStringLiteral("a.sound"), QStringLiteral("a.start"),  QStringLiteral("a.end"),   QStringLiteral("comm.")};
    return titles;
}

MenuPagesView::MenuPagesView(Document& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    buildGrids();
    auto* top = new QSplitter(Qt::Horizontal, this);
    top->setChildrenCollapsible(false);
    top->addWidget(titled(QStringLiteral("Pages"), sgPages_, top));
    top->addWidget(titled(QStringLiteral("Button Overlap Groups"), sgBOG_, top));
    top->addWidget(iBOG_);
    top->setStretchFactor(0, 3);
    top->setStretchFactor(1, 2);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("splitterPages"));
    split->setChildrenCollapsible(false);
    split->addWidget(top);
    split->addWidget(titled(QStringLiteral("Buttons"), sgButtons_, split));
    auto* commands = new QWidget(split);
    auto* cl = new QVBoxLayout(commands);
    cl->setContentsMargins(0, 0, 0, 0);
    cl->addWidget(titled(QStringLiteral("Button commands"), sgCommands_, commands), 1);
    cl->addWidget(composer_);
    split->addWidget(commands);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setStretchFactor(2, 2);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(2, 2, 2, 2);
    l->addWidget(split);

    connect(sgPages_, &StringGrid::choiceChanged, this, &MenuPagesView::pagesClicked);
    connect(sgBOG_, &QTableWidget::currentCellChanged, this, &MenuPagesView::bogClicked);
    connect(sgBOG_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MenuPagesView::bogClicked);
    connect(sgButtons_, &StringGrid::choiceChanged, this, &MenuPagesView::buttonsClicked);
    // A typed value is applied once its editor has written it into the cell
    // (the delegate's commit) and closed: the edit redraws the grid.
    connect(sgBOG_->itemDelegate(), &QAbstractItemDelegate::commitData, this, [this] {
        const QTableWidgetItem* item = sgBOG_->currentItem();
        if (!editMode_ || !item) return;
        const int row = item->row(), column = item->column();
        const QString text = item->text();
        QMetaObject::invokeMethod(this, [this, row, column, text] { bogTyped(row, column, text); }, Qt::QueuedConnection);
    });
    connect(sgButtons_->itemDelegate(), &QAbstractItemDelegate::commitData, this, [this] {
        const QTableWidgetItem* item = sgButtons_->currentItem();
        if (!editMode_ || !item) return;
        const int row = item->row(), column = item->column();
        const QString text = item->text();
        QMetaObject::invokeMethod(this, [this, row, column, text] { buttonTyped(row, column, text); },
                                  Qt::QueuedConnection);
    });
    connect(this, &MenuPagesView::buttonChosen, this, &MenuPagesView::showCommands);
    connect(sgButtons_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        const auto col = static_cast<ButtonColumn>(column);
        const bool object = col == ButtonColumn::NormalStart || col == ButtonColumn::NormalEnd ||
                            col == ButtonColumn::SelectedStart || col == ButtonColumn::SelectedEnd ||
                            col == ButtonColumn::ActivatedStart || col == ButtonColumn::ActivatedEnd;
        if (!object || page_ < 0 || bog_ < 0) return;
        const auto& buttons = menu().pages[static_cast<std::size_t>(page_)].BOGs[static_cast<std::size_t>(bog_)].buttons;
        if (row < 0 || static_cast<std::size_t>(row) >= buttons.size()) return;
        const TIGbutton& b = buttons[static_cast<std::size_t>(row)];
        const std::uint16_t refs[] = {b.normal_start_object_id_ref,    b.normal_end_object_id_ref,
                                      b.selected_start_object_id_ref,  b.selected_end_object_id_ref,
                                      b.activated_start_object_id_ref, b.activated_end_object_id_ref};
        const int at = col == ButtonColumn::NormalStart      ? 0
                       : col == ButtonColumn::NormalEnd      ? 1
                       : col == ButtonColumn::SelectedStart  ? 2
                       : col == ButtonColumn::SelectedEnd    ? 3
                       : col == ButtonColumn::ActivatedStart ? 4
                                                             : 5;
        emit objectClicked(page_, refs[at]);
    });
    connect(sgButtons_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (editMode_ || page_ < 0 || bog_ < 0) return;
        emit statePreviewRequested(page_, bog_, row, column);
    });
    connect(sgCommands_, &QTableWidget::currentCellChanged, this, [this](int r) {
        const TIGbutton* b = chosenButton();
        if (b && r >= 0 && static_cast<std::size_t>(r) < b->commands.size())
            composer_->showCommand(b->commands[static_cast<std::size_t>(r)]);
        else
            composer_->clearCommand();
    });
    connect(sgCommands_, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { emit commandRowClicked(index.row()); });
    connect(composer_, &Composer::commandEdited, this, [this](const TCommand& c) {
        const int line = sgCommands_->currentRow();
        editCommands(
            QStringLiteral("Edit command"),
            [&](TCommands& list) {
                if (line < 0 || static_cast<std::size_t>(line) >= list.size()) return false;
                list[static_cast<std::size_t>(line)] = c;
                return true;
            },
            QStringLiteral("menu/%1/%2/%3/command/%4").arg(page_).arg(bog_).arg(button_).arg(line));
    });
    connect(composer_, &Composer::enterPressed, this, [this] { sgCommands_->setFocus(); });
    connect(sgCommands_, &CommandGrid::insertKey, this, [this] {
        const auto lines = sgCommands_->selectedLines();
        editCommands(QStringLiteral("Insert command"), [&](TCommands& list) {
            const std::size_t at = lines ? std::min(list.size(), static_cast<std::size_t>(lines->second) + 1) : 0;
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), TCommand{});
            return true;
        });
    });
    connect(sgCommands_, &CommandGrid::deleteKey, this, [this] {
        const auto lines = sgCommands_->selectedLines();
        if (!lines) return;
        editCommands(QStringLiteral("Delete commands"), [&](TCommands& list) {
            const auto first = static_cast<std::size_t>(lines->first), last = static_cast<std::size_t>(lines->second);
            if (first >= list.size()) return false;
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(first),
                       list.begin() + static_cast<std::ptrdiff_t>(std::min(last + 1, list.size())));
            return true;
        });
    });
    for (QTableWidget* g : {static_cast<QTableWidget*>(sgBOG_), static_cast<QTableWidget*>(sgButtons_)})
        g->viewport()->installEventFilter(this);
    reset();
}

void MenuPagesView::buildGrids() {
    sgPages_ = new StringGrid(this);
    sgPages_->setObjectName(QStringLiteral("sgPages"));
    sgPages_->setToolTip(QStringLiteral("Pages"));
    sgPages_->setTitles({QStringLiteral(" page"), QStringLiteral("id"), QStringLiteral("version"),
                         QStringLiteral("palette"), QStringLiteral("BOGs"), QStringLiteral("buttons"),
                         QStringLiteral("def. sel."), QStringLiteral("def. act."), QStringLiteral("anim."),
                         QStringLiteral("UO mask"), QStringLiteral("in win."), QStringLiteral("in eff."),
                         QStringLiteral("out win."), QStringLiteral("out eff.")});
    sizeColumns(sgPages_, QStringLiteral("0000"));
    sgPages_->setColumnWidth(9, sgPages_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000000")) + 14);

    sgBOG_ = new QTableWidget(this);
    sgBOG_->setObjectName(QStringLiteral("sgBOG"));
    sgBOG_->setToolTip(QStringLiteral("Button Overlap Group"));
    sgBOG_->setSelectionBehavior(QAbstractItemView::SelectColumns);
    sgBOG_->setSelectionMode(QAbstractItemView::SingleSelection);
    sgBOG_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgBOG_->horizontalHeader()->hide();
    sgBOG_->verticalHeader()->hide();
    sgBOG_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    sgBOG_->setWordWrap(false);
    sgBOG_->setRowCount(static_cast<int>(bogRowTitles().size()));

    sgButtons_ = new StringGrid(this);
    sgButtons_->setObjectName(QStringLiteral("sgButtons"));
    sgButtons_->setToolTip(QStringLiteral("Buttons"));
    sgButtons_->rowNumberText = [this](int row) {
        if (page_ < 0 || bog_ < 0) return QString();
        const auto& buttons = menu().pages[static_cast<std::size_t>(page_)].BOGs[static_cast<std::size_t>(bog_)].buttons;
        const auto r = static_cast<std::size_t>(row);
        return r < buttons.size() ? hex(buttons[r].button_id, 4) : QString();
    };
    sgButtons_->setTitles(buttonTitles());
    sizeColumns(sgButtons_, QStringLiteral("0000"));
    sgButtons_->setToolTip(QStringLiteral("Buttons (Click to show object, Double click to animate)"));
    sgButtons_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    iBOG_ = new QLabel(this);
    iBOG_->setObjectName(QStringLiteral("iBOG"));
    iBOG_->setAlignment(Qt::AlignCenter);
    iBOG_->setMinimumSize(160, 60);

    sgCommands_ = new CommandGrid(this);
    sgCommands_->setObjectName(QStringLiteral("sgButtonCommands"));
    sgCommands_->setContext(CommandContext::Button);
    composer_ = new Composer(this);
    composer_->setListsEnabled(true);
}

void MenuPagesView::setBogPicture(const QImage& image) {
    if (image.isNull()) {
        iBOG_->clear();
        return;
    }
    const QSize room = iBOG_->size();
    const QPixmap pm = QPixmap::fromImage(image);
    iBOG_->setPixmap(image.width() > room.width() || image.height() > room.height()
                         ? pm.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                         : pm);
}

const TIGbutton* MenuPagesView::chosenButton() const {
    const auto& pages = menu().pages;
    if (page_ < 0 || bog_ < 0 || button_ < 0 || static_cast<std::size_t>(page_) >= pages.size()) return nullptr;
    const auto& bogs = pages[static_cast<std::size_t>(page_)].BOGs;
    if (static_cast<std::size_t>(bog_) >= bogs.size()) return nullptr;
    const auto& buttons = bogs[static_cast<std::size_t>(bog_)].buttons;
    return static_cast<std::size_t>(button_) < buttons.size() ? &buttons[static_cast<std::size_t>(button_)] : nullptr;
}

void MenuPagesView::editCommands(const QString& name, const std::function<bool(TCommands&)>& edit,
                                 const QString& mergeKey) {
    const TIGbutton* b = chosenButton();
    if (!b) return;
    TCommands list = b->commands;
    if (!edit(list)) return;
    const auto page = static_cast<std::size_t>(page_), bog = static_cast<std::size_t>(bog_),
               index = static_cast<std::size_t>(button_);
    const int line = sgCommands_->currentRow();
    doc_.apply(Document::Part::Menu, name,
               [&](Workspace& ws) { return setButtonCommands(ws.menu.igs, page, bog, index, list); }, mergeKey);
    // The grid shows the list as it is now, on the line that was edited.
    const TIGbutton* now = chosenButton();
    if (!now) return;
    sgCommands_->showCommands(now->commands);
    if (!now->commands.empty()) {
        const int at = std::clamp(line < 0 ? 0 : line, 0, static_cast<int>(now->commands.size()) - 1);
        sgCommands_->selectLine(at);
        composer_->showCommand(now->commands[static_cast<std::size_t>(at)]);
    }
}

bool MenuPagesView::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
        QTableWidget* grid = watched == sgBOG_->viewport() ? sgBOG_ : static_cast<QTableWidget*>(sgButtons_);
        // The menu opens once the press is over, outside the grid's own handling.
        const QPoint at = static_cast<QMouseEvent*>(e)->position().toPoint();
        QMetaObject::invokeMethod(this, [this, grid, at] { editMenu(grid, at); }, Qt::QueuedConnection);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void MenuPagesView::editMenu(QWidget* grid, const QPoint& at) {
    QMenu menu(grid);
    QAction* edit = menu.addAction(QStringLiteral("Edit mode"));
    QAction* read = menu.addAction(QStringLiteral("Read only"));
    edit->setCheckable(true);
    read->setCheckable(true);
    edit->setChecked(editMode_);
    read->setChecked(!editMode_);
    QAction* chosen = menu.exec(static_cast<QAbstractScrollArea*>(grid)->viewport()->mapToGlobal(at));
    if (chosen) setEditMode(chosen == edit);
}

void MenuPagesView::setEditMode(bool on) {
    editMode_ = on;
    const auto triggers = on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed
                             : QAbstractItemView::NoEditTriggers;
    sgBOG_->setEditTriggers(triggers);
    sgButtons_->setEditTriggers(triggers);
    quiet_ = true;
    drawBogs(page_);
    if (bog_ >= 0) selectBogColumn(bog_);
    drawButtonRows(page_, bog_);
    if (button_ >= 0) sgButtons_->selectRange(button_, button_);
    quiet_ = false;
}

void MenuPagesView::showCommands() {
    composer_->clearCommand();
    const auto& pages = menu().pages;
    if (page_ < 0 || bog_ < 0 || button_ < 0 || static_cast<std::size_t>(page_) >= pages.size()) {
        sgCommands_->showCommands({});
        return;
    }
    const auto& bogs = pages[static_cast<std::size_t>(page_)].BOGs;
    if (static_cast<std::size_t>(bog_) >= bogs.size() ||
        static_cast<std::size_t>(button_) >= bogs[static_cast<std::size_t>(bog_)].buttons.size()) {
        sgCommands_->showCommands({});
        return;
    }
    sgCommands_->showCommands(bogs[static_cast<std::size_t>(bog_)].buttons[static_cast<std::size_t>(button_)].commands);
    if (!bogs[static_cast<std::size_t>(bog_)].buttons[static_cast<std::size_t>(button_)].commands.empty())
        sgCommands_->selectLine(0);
}

void MenuPagesView::bogTyped(int row, int column, const QString& text) {
    if (page_ < 0 || row != 1 || column < 1 ||
        static_cast<std::size_t>(column - 1) >= menu().pages[static_cast<std::size_t>(page_)].BOGs.size())
        return;
    const std::size_t page = static_cast<std::size_t>(page_);
    const std::size_t bog = static_cast<std::size_t>(column - 1);
    bool ok = false;
    const unsigned value = text.trimmed().toUInt(&ok, 16);
    if (ok)
        doc_.apply(Document::Part::Menu, QStringLiteral("Default valid button"),
                   [=](Workspace& ws) { return setDefaultValidButton(ws.menu.igs, page, bog, value); });
    // A refused value shows the stored one again.
    const QSignalBlocker block(sgBOG_);
    drawBogs(page_);
    if (bog_ >= 0) selectBogColumn(bog_);
    emit bogEdited(page_);
}

void MenuPagesView::buttonTyped(int row, int column, const QString& typedText) {
    if (page_ < 0 || bog_ < 0 || column < 1 || column > 18 || row < 0) return;
    const auto& buttons = menu().pages[static_cast<std::size_t>(page_)].BOGs[static_cast<std::size_t>(bog_)].buttons;
    if (static_cast<std::size_t>(row) >= buttons.size()) return;
    const std::size_t page = static_cast<std::size_t>(page_), bog = static_cast<std::size_t>(bog_),
                      index = static_cast<std::size_t>(row);
    const std::string text = typedText.trimmed().toUpper().toStdString();
    const std::size_t sounds = soundEntries ? soundEntries() : 0;
    // A flag column takes its first letter, as its one-letter mask does.
    const auto col = static_cast<ButtonColumn>(column);
    const bool flag = col == ButtonColumn::AutoAction || col == ButtonColumn::NormalRepeat ||
                      col == ButtonColumn::SelectedRepeat;
    const std::string typed = flag ? text.substr(0, 1) : text;
    const bool changed =
        !typed.empty() && doc_.apply(Document::Part::Menu, QStringLiteral("Edit button"), [=](Workspace& ws) {
            return setButtonCell(ws.menu.igs, page, bog, index, col, typed, sounds);
        });
    if (!changed) {
        // Nothing stored: the cell shows the stored value again.
        quiet_ = true;
        drawButtonRows(page_, bog_);
        quiet_ = false;
    }
}

const TIGSc& MenuPagesView::menu() const { return doc_.model().menu.igs; }

std::optional<int> MenuPagesView::selectedPage() const { return page_ >= 0 ? std::optional<int>(page_) : std::nullopt; }
std::optional<int> MenuPagesView::selectedBog() const { return bog_ >= 0 ? std::optional<int>(bog_) : std::nullopt; }
std::optional<int> MenuPagesView::selectedButton() const {
    return button_ >= 0 ? std::optional<int>(button_) : std::nullopt;
}

void MenuPagesView::reset() {
    quiet_ = true;
    page_ = bog_ = button_ = -1;
    sgPages_->resetGrid();
    drawBogs(-1);
    sgButtons_->resetGrid();
    const bool on = doc_.model().menu.loaded;
    sgPages_->setEnabled(on);
    sgBOG_->setEnabled(on);
    sgButtons_->setEnabled(on);
    quiet_ = false;
}

void MenuPagesView::drawPages() {
    const auto& pages = menu().pages;
    sgPages_->setDataRows(static_cast<int>(pages.size()));
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QStringList cells = pageCells(pages[i]);
        for (int c = 0; c < cells.size(); ++c) sgPages_->setCell(static_cast<int>(i), c + 1, cells[c]);
    }
}

void MenuPagesView::drawBogs(int page) {
    // Columns that go move the current cell: that is no choice of the user's.
    const QSignalBlocker block(sgBOG_);
    const QSignalBlocker blockSelection(sgBOG_->selectionModel());
    const auto& pages = menu().pages;
    const std::vector<TBOG> none;
    const auto& bogs = page >= 0 && static_cast<std::size_t>(page) < pages.size()
                           ? pages[static_cast<std::size_t>(page)].BOGs
                           : none;
    // Without BOGs the grid keeps one empty column beside its titles.
    const int columns = 1 + std::max<int>(1, static_cast<int>(bogs.size()));
    sgBOG_->clearContents();
    sgBOG_->setColumnCount(columns);
    const auto put = [this](int row, int column, const QString& text, bool title) {
        auto* it = new QTableWidgetItem(text);
        it->setFlags(title ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (title) it->setBackground(palette().color(QPalette::Button));
        sgBOG_->setItem(row, column, it);
    };
    for (int r = 0; r < bogRowTitles().size(); ++r) put(r, 0, bogRowTitles()[r], true);
    for (std::size_t j = 0; j < bogs.size(); ++j) {
        const int c = static_cast<int>(j) + 1;
        put(0, c, QString::number(j), false);
        put(1, c, hex(bogs[j].default_valid_button_id_ref, 4), false);
        if (editMode_) sgBOG_->item(1, c)->setFlags(sgBOG_->item(1, c)->flags() | Qt::ItemIsEditable);
        put(2, c, QString::number(bogs[j].buttons.size()), false);
    }
    sgBOG_->resizeColumnToContents(0);
    for (int c = 1; c < columns; ++c) sgBOG_->setColumnWidth(c, 48);
}

void MenuPagesView::drawButtons(int page, int bog) {
    const bool wasQuiet = quiet_;
    quiet_ = true;
    drawButtonRows(page, bog);
    quiet_ = wasQuiet;
}

void MenuPagesView::drawButtonRows(int page, int bog) {
    const auto& pages = menu().pages;
    if (page < 0 || static_cast<std::size_t>(page) >= pages.size() || bog < 0 ||
        static_cast<std::size_t>(bog) >= pages[static_cast<std::size_t>(page)].BOGs.size()) {
        sgButtons_->resetGrid();
        return;
    }
    const auto& buttons = pages[static_cast<std::size_t>(page)].BOGs[static_cast<std::size_t>(bog)].buttons;
    sgButtons_->setDataRows(static_cast<int>(buttons.size()));
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const QStringList cells = buttonCells(buttons[i]);
        for (int c = 0; c < cells.size(); ++c) {
            sgButtons_->setCell(static_cast<int>(i), c + 1, cells[c]);
            // Columns "value" to "a.end" take typed input in edit mode.
            if (editMode_ && c + 1 <= 18)
                if (QTableWidgetItem* it = sgButtons_->item(static_cast<int>(i), c + 1))
                    it->setFlags(it->flags() | Qt::ItemIsEditable);
        }
    }
}

void MenuPagesView::fill() {
    reset();
    drawPages();
    if (!menu().pages.empty()) showPage(0);
}

void MenuPagesView::refresh() {
    const auto& pages = menu().pages;
    if (!doc_.model().menu.loaded) {
        reset();
        return;
    }
    const int page = std::min(std::max(page_, 0), static_cast<int>(pages.size()) - 1);
    const int bog = bog_;
    const int button = button_;
    quiet_ = true;
    drawPages();
    quiet_ = false;
    if (page < 0) {
        page_ = bog_ = button_ = -1;
        drawBogs(-1);
        sgButtons_->resetGrid();
        return;
    }
    // Redraw the same choices where they still exist.
    page_ = -1;
    showPage(page);
    const auto& bogs = pages[static_cast<std::size_t>(page)].BOGs;
    if (bog > 0 && static_cast<std::size_t>(bog) < bogs.size()) showBog(bog);
    if (button > 0 && button < sgButtons_->dataRows()) sgButtons_->selectRange(button, button);
}

void MenuPagesView::showPage(int page) {
    const auto& pages = menu().pages;
    if (page < 0 || static_cast<std::size_t>(page) >= pages.size()) return;
    quiet_ = true;
    sgPages_->selectRange(page, page);
    quiet_ = false;
    if (page == page_) return;
    page_ = page;
    bog_ = button_ = -1;
    drawBogs(page);
    emit pageChosen(page);
    if (!pages[static_cast<std::size_t>(page)].BOGs.empty())
        showBog(0);
    else
        sgButtons_->resetGrid();
}

void MenuPagesView::selectBogColumn(int bog) {
    quiet_ = true;
    sgBOG_->setCurrentCell(0, bog + 1, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Columns);
    quiet_ = false;
}

void MenuPagesView::showBog(int bog) {
    if (page_ < 0) return;
    const auto& bogs = menu().pages[static_cast<std::size_t>(page_)].BOGs;
    if (bog < 0 || static_cast<std::size_t>(bog) >= bogs.size()) return;
    selectBogColumn(bog);
    bog_ = bog;
    button_ = -1;
    drawButtons(page_, bog);
    emit bogChosen(page_, bog);
    if (sgButtons_->dataRows() > 0) {
        // The first button is chosen, on its normal start object.
        quiet_ = true;
        sgButtons_->setCurrentCell(0, kNormalStartColumn);
        quiet_ = false;
        button_ = 0;
        emit buttonChosen(page_, bog_, 0);
    }
}

void MenuPagesView::pagesClicked() {
    if (quiet_) return;
    const auto r = sgPages_->selectedRange();
    if (!r || r->first == page_) return;
    showPage(r->first);
}

void MenuPagesView::bogClicked() {
    if (quiet_ || page_ < 0) return;
    const int column = sgBOG_->currentColumn();
    const auto selected = sgBOG_->selectionModel()->selectedColumns();
    // The settled choice: the selected column, else the current one.
    const int chosen = selected.isEmpty() ? column : selected.front().column();
    if (chosen < 1 || chosen - 1 == bog_) return;
    showBog(chosen - 1);
}

void MenuPagesView::buttonsClicked() {
    if (quiet_ || page_ < 0 || bog_ < 0) return;
    const auto r = sgButtons_->selectedRange();
    if (!r || r->first == button_) return;
    button_ = r->first;
    emit buttonChosen(page_, bog_, button_);
}

}  // namespace navora::ui
