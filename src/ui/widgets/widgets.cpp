#include "ui/widgets/widgets.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <limits>

namespace navora::ui {

std::function<void()>& beepHandler() {
    static std::function<void()> handler = [] { QApplication::beep(); };
    return handler;
}

void beep() {
    if (beepHandler()) beepHandler()();
}

namespace {

// A key that types a printable character. Editing keys (arrows, Delete,
// Backspace, Enter) and shortcuts with Ctrl, Alt or Meta are not filtered.
bool typesCharacter(const QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString t = e->text();
    return !t.isEmpty() && t.at(0).isPrint();
}

bool allIn(const QString& text, const QString& set) {
    return std::all_of(text.begin(), text.end(), [&](QChar c) { return set.contains(c); });
}

const QString kHexDigits = QStringLiteral("0123456789abcdefABCDEF");

}  // namespace

// ---------------------------------------------------------------------------

TIntEdit::TIntEdit(QWidget* parent) : QLineEdit(QStringLiteral("0"), parent) {}

std::int64_t TIntEdit::value() const {
    bool ok = false;
    const qlonglong v = text().toLongLong(&ok);
    return ok ? v : 0;
}

void TIntEdit::setValue(std::int64_t v) { setText(QString::number(v)); }

void TIntEdit::keyPressEvent(QKeyEvent* e) {
    if (typesCharacter(e) && !allIn(e->text(), QStringLiteral("0123456789+-"))) {
        beep();
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

// ---------------------------------------------------------------------------

THexEdit::THexEdit(int digits, QWidget* parent) : QLineEdit(parent), digits_(0) { setDigits(digits); }

void THexEdit::setDigits(int digits) {
    digits_ = std::clamp(digits, 1, 8);
    setMaxLength(digits_);
    // Pasted text obeys the same digit set as typed text.
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,%1}").arg(digits_)), this));
    setValue(value());
}

std::uint32_t THexEdit::value() const {
    std::uint32_t v = 0;
    for (QChar c : text()) {
        const int d = kHexDigits.indexOf(c);
        if (d < 0) continue;
        v = (v << 4) | static_cast<std::uint32_t>(d < 16 ? d : d - 6);
    }
    return v;
}

void THexEdit::setValue(std::uint32_t v) {
    if (digits_ < 8) v &= (1u << (4 * digits_)) - 1;
    setText(QStringLiteral("%1").arg(v, digits_, 16, QLatin1Char('0')).toUpper());
}

void THexEdit::keyPressEvent(QKeyEvent* e) {
    if (typesCharacter(e) && !allIn(e->text(), kHexDigits)) {
        beep();
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void THexEdit::focusOutEvent(QFocusEvent* e) {
    // A shortened entry is shown zero-padded again; it still counts as typed.
    if (text().size() != digits_) {
        const bool typed = isModified();
        setValue(value());
        setModified(typed);
    }
    QLineEdit::focusOutEvent(e);
}

// ---------------------------------------------------------------------------

TumNumberEdit::TumNumberEdit(Kind kind, QWidget* parent) : QLineEdit(parent), kind_(kind) {
    connect(this, &QLineEdit::textChanged, this, &TumNumberEdit::onTextChanged);
}

void TumNumberEdit::setKind(Kind kind) {
    kind_ = kind;
    if (!acceptable(text())) clear();
}

int TumNumberEdit::base() const {
    switch (kind_) {
        case Kind::Hexadecimal: return 16;
        case Kind::Binary: return 2;
        case Kind::Octal: return 8;
        case Kind::Decimal: break;
    }
    return 10;
}

QString TumNumberEdit::digitSet() const {
    switch (kind_) {
        case Kind::Hexadecimal: return kHexDigits;
        case Kind::Binary: return QStringLiteral("01");
        case Kind::Octal: return QStringLiteral("01234567");
        case Kind::Decimal: break;
    }
    return QStringLiteral("0123456789");
}

bool TumNumberEdit::acceptable(const QString& t) const {
    if (!allIn(t, digitSet())) return false;
    if (t.isEmpty()) return true;
    bool ok = false;
    const qulonglong v = t.toULongLong(&ok, base());
    return ok && (max_ == 0 || v <= max_);
}

std::uint64_t TumNumberEdit::value() const {
    bool ok = false;
    const qulonglong v = text().toULongLong(&ok, base());
    if (!ok) return 0;
    return max_ != 0 ? std::min<std::uint64_t>(v, max_) : v;
}

void TumNumberEdit::setValue(std::uint64_t v) {
    if (max_ != 0) v = std::min(v, max_);
    setText(QString::number(static_cast<qulonglong>(v), base()).toUpper());
}

void TumNumberEdit::keyPressEvent(QKeyEvent* e) {
    if (typesCharacter(e) && !allIn(e->text(), digitSet())) {
        e->accept();  // ignored without a sound
        return;
    }
    previousCaret_ = cursorPosition();  // where the caret goes back to if the edit is undone
    QLineEdit::keyPressEvent(e);
}

void TumNumberEdit::onTextChanged(const QString& t) {
    if (restoring_) return;
    if (acceptable(t)) {
        previous_ = t;
        return;
    }
    restoring_ = true;
    const int caret = std::min<int>(previousCaret_, static_cast<int>(previous_.size()));
    setText(previous_);
    setCursorPosition(caret);
    restoring_ = false;
}

// ---------------------------------------------------------------------------

TumEdit::TumEdit(QWidget* parent) : QLineEdit(parent) {
    setDisabledColor(palette().color(QPalette::Disabled, QPalette::Base));
}

void TumEdit::setDisabledColor(const QColor& c) {
    disabledColor_ = c;
    QPalette p = palette();
    p.setColor(QPalette::Disabled, QPalette::Base, c);
    setPalette(p);
}

// ---------------------------------------------------------------------------

RotatedLabel::RotatedLabel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {}

void RotatedLabel::setText(const QString& text) {
    text_ = text;
    updateGeometry();
    update();
}

QSize RotatedLabel::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.height() + 2, fm.horizontalAdvance(text_) + 4};
}

void RotatedLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    // A quarter turn clockwise: the text's top faces right and it reads top to bottom.
    p.translate(width(), 0);
    p.rotate(90);
    p.drawText(QRect(0, 0, height(), width()), Qt::AlignLeft | Qt::AlignVCenter, text_);
}

// ---------------------------------------------------------------------------

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QWidget(parent), box_(new QGroupBox(title, this)), group_(new QButtonGroup(this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(box_);
    auto* inner = new QVBoxLayout(box_);
    inner->setContentsMargins(6, 2, 6, 4);
    inner->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box_);
        group_->addButton(b, i);
        inner->addWidget(b);
    }
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on) emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const { return group_->checkedId(); }

QAbstractButton* RadioGroup::item(int index) const { return group_->button(index); }

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = group_->button(index)) {
        b->setChecked(true);
        return;
    }
    // No such item: nothing is selected.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
    group_->setExclusive(true);
}

// ---------------------------------------------------------------------------

namespace {

// The palette colour of a Windows system colour (its index in the low byte).
QColor systemColour(std::uint32_t v, const QPalette& p) {
    switch (v & 0xFF) {
        case 1: case 2: case 3: return p.color(QPalette::Highlight);     // desktop, captions
        case 5: return p.color(QPalette::Base);                          // window
        case 8: return p.color(QPalette::Text);                          // window text
        case 13: return p.color(QPalette::Highlight);                    // highlight
        case 14: return p.color(QPalette::HighlightedText);
        case 16: return p.color(QPalette::Dark);                         // button shadow
        case 18: return p.color(QPalette::ButtonText);
        case 20: return p.color(QPalette::Light);                        // button highlight
        default: return p.color(QPalette::Button);                       // button face and the rest
    }
}

}  // namespace

ColourBox::ColourBox(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {
    auto* b = new QToolButton(this);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setText(caption);
    b->setAutoRaise(true);
    button_ = b;
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(b);
    l->addStretch(1);
    chooser = [this](const QString& title, const QColor& current) {
        return QColorDialog::getColor(current, this, title);
    };
    connect(b, &QToolButton::clicked, this, [this] {
        const QColor c = chooser ? chooser(caption_, colour()) : QColor();
        if (!c.isValid()) return;
        value_ = static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
                 (static_cast<std::uint32_t>(c.blue()) << 16);
        showValue();
        emit valueChanged(value_);
    });
    showValue();
}

void ColourBox::setValue(std::uint32_t value) {
    value_ = value;
    showValue();
}

QColor ColourBox::colour() const {
    if (value_ & 0xFF000000u) return systemColour(value_, palette());
    return QColor(static_cast<int>(value_ & 0xFF), static_cast<int>((value_ >> 8) & 0xFF),
                  static_cast<int>((value_ >> 16) & 0xFF));
}

void ColourBox::showValue() {
    const int side = fontMetrics().height();
    QPixmap swatch(side * 2, side);
    swatch.fill(colour());
    {
        QPainter p(&swatch);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    }
    button_->setIcon(QIcon(swatch));
    button_->setIconSize(swatch.size());
    // The whole caption, never elided.
    button_->setMinimumWidth(button_->sizeHint().width());
    button_->setToolTip(caption_ + QStringLiteral(": ") + colour().name().toUpper());
}

// ---------------------------------------------------------------------------

namespace {

class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (grid_->cellPainter) {
            p->save();
            const bool done = grid_->cellPainter(p, option, index.row(), index.column());
            p->restore();
            if (done) return;
        }
        QStyledItemDelegate::paint(p, option, index);
    }

private:
    StringGrid* grid_;
};

}  // namespace

class StringGrid::Settling {
public:
    explicit Settling(StringGrid* grid) : grid_(grid) { ++grid_->settling_; }
    ~Settling() {
        if (--grid_->settling_ == 0) grid_->reportChoice();
    }
    Settling(const Settling&) = delete;
    Settling& operator=(const Settling&) = delete;

private:
    StringGrid* grid_;
};

StringGrid::StringGrid(QWidget* parent) : QTableWidget(parent) {
    rowNumberText = [](int row) { return QString::number(row); };
    setItemDelegate(new GridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
    resetGrid();
    // A mouse click moves the current row first and the selection after it,
    // keys do it the other way round. Inside an event or a change of our own
    // the steps are held back and the settled choice is reported at its end;
    // a change from elsewhere reports at once.
    const auto changed = [this] {
        if (settling_ == 0) reportChoice();
    };
    connect(this, &QTableWidget::currentCellChanged, this, changed);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, changed);
}

void StringGrid::reportChoice() {
    const int row = currentRow();
    const auto range = selectedRange();
    if (row == reportedRow_ && range == reportedRange_) return;
    reportedRow_ = row;
    reportedRange_ = range;
    emit choiceChanged();
}

void StringGrid::mousePressEvent(QMouseEvent* e) {
    Settling s(this);
    QTableWidget::mousePressEvent(e);
}

void StringGrid::mouseMoveEvent(QMouseEvent* e) {
    Settling s(this);
    QTableWidget::mouseMoveEvent(e);
}

void StringGrid::mouseReleaseEvent(QMouseEvent* e) {
    Settling s(this);
    QTableWidget::mouseReleaseEvent(e);
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    Settling s(this);
    QTableWidget::mouseDoubleClickEvent(e);
}

void StringGrid::keyPressEvent(QKeyEvent* e) {
    Settling s(this);
    QTableWidget::keyPressEvent(e);
}

void StringGrid::focusInEvent(QFocusEvent* e) {
    Settling s(this);
    QTableWidget::focusInEvent(e);
}

void StringGrid::setTitles(const QStringList& titles) {
    Settling s(this);
    setColumnCount(static_cast<int>(titles.size()));
    setHorizontalHeaderLabels(titles);
    setDataRows(dataRows_);
}

void StringGrid::resetGrid() {
    Settling s(this);
    clearContents();
    setRowCount(1);
    dataRows_ = 0;
}

void StringGrid::setDataRows(int n) {
    Settling s(this);
    if (n <= 0) {
        resetGrid();
        return;
    }
    if (dataRows_ == 0) clearContents();
    setRowCount(n);
    dataRows_ = n;
    if (columnCount() == 0) return;
    for (int r = 0; r < n; ++r) setCell(r, 0, rowNumberText ? rowNumberText(r) : QString());
}

void StringGrid::setCell(int row, int column, const QString& text) {
    QTableWidgetItem* it = item(row, column);
    if (!it) {
        it = new QTableWidgetItem;
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (column == 0) it->setBackground(palette().color(QPalette::Button));
        setItem(row, column, it);
    }
    it->setText(text);
}

QString StringGrid::cell(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

std::optional<std::pair<int, int>> StringGrid::selectedRange() const {
    if (dataRows_ == 0) return std::nullopt;
    int first = -1;
    int last = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        first = first < 0 ? range.top() : std::min(first, range.top());
        last = std::max(last, range.bottom());
    }
    if (first < 0) {
        const int r = currentRow();
        if (r < 0) return std::nullopt;
        first = last = r;
    }
    last = std::min(last, dataRows_ - 1);
    first = std::clamp(first, 0, last);
    return std::make_pair(first, last);
}

QString StringGrid::selectedRowsText() const {
    const auto range = selectedRange();
    if (!range) return {};
    QString text;
    for (int r = range->first; r <= range->second; ++r) {
        QStringList cells;
        for (int c = 0; c < columnCount(); ++c) cells << cell(r, c).trimmed();
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

void StringGrid::selectAllRows() {
    if (dataRows_ == 0 || selectionMode() == SingleSelection || selectionMode() == NoSelection) return;
    selectRange(0, dataRows_ - 1);
}

void StringGrid::selectRange(int first, int last, bool atTop) {
    Settling s(this);
    if (dataRows_ == 0) {
        clearSelection();
        return;
    }
    first = std::clamp(first, 0, dataRows_ - 1);
    last = std::clamp(last, first, dataRows_ - 1);
    const int column = columnCount() > 1 ? 1 : 0;
    setCurrentCell(first, column, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (last > first) {
        const QItemSelection range(model()->index(first, 0), model()->index(last, columnCount() - 1));
        selectionModel()->select(range, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    scrollTo(model()->index(first, column),
             atTop ? QAbstractItemView::PositionAtTop : QAbstractItemView::EnsureVisible);
}

QToolButton* smallButton(const QString& text, const char* name, const QString& hint, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setFixedSize(22, 22);
    return b;
}

}  // namespace navora::ui
