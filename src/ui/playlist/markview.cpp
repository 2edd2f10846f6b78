#include "ui/playlist/markview.h"

#include "core/log.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_text.h"
#include "ui/widgets/gridkeys.h"
#include "ui/playlist/playlistkit.h"
#include "ui/widgets/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

using namespace pl;

MarkView::MarkView(Document& doc, Log& log, QWidget* parent) : QWidget(parent), doc_(doc), log_(log) {
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(3);

    sgPlayListMark_ = new StringGrid(this);
    sgPlayListMark_->setObjectName(QStringLiteral("sgPlayListMark"));
    sgPlayListMark_->setToolTip(
        QStringLiteral("PlayListMarks\nIns: Insert mark\nDel: Delete mark(s)\nCtrl+A: Select all marks"));
    sgPlayListMark_->rowNumberText = [](int r) { return QStringLiteral("%1").arg(r, 3, 10, QLatin1Char('0')); };
    sgPlayListMark_->setTitles(toList(markColumns()));
    sgPlayListMark_->horizontalHeaderItem(0)->setText(QString());
    sgPlayListMark_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    {
        const QFontMetrics fm(sgPlayListMark_->font());
        const auto fit = [&](const char* text) { return fm.horizontalAdvance(QLatin1String(text)) + 10; };
        const char* widths[] = {"000", "entry-mark", "000", "00:00:00.000", "entry PID", "0000000000"};
        int total = 0;
        for (int c = 0; c < 6; ++c) {
            sgPlayListMark_->setColumnWidth(c, fit(widths[c]));
            total += fit(widths[c]);
        }
        sgPlayListMark_->setMinimumWidth(total + 4 + sgPlayListMark_->verticalScrollBar()->sizeHint().width());
    }
    sgPlayListMark_->horizontalHeader()->setStretchLastSection(true);
    sgPlayListMark_->installEventFilter(this);  // Ctrl+A
    new InsertDeleteKeys(sgPlayListMark_, [this] { bbPLMinsClick(); }, [this] { bbPLMdelClick(); });

    bbPLMins_ = smallButton(QStringLiteral("+"), "bbPLMins", QStringLiteral("Insert mark"), this);
    bbPLMdel_ = smallButton(QStringLiteral("-"), "bbPLMdel", QStringLiteral("Delete mark(s)"), this);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    buttons->addWidget(bbPLMins_);
    buttons->addWidget(bbPLMdel_);
    buttons->addStretch(1);

    editors_ = new QWidget(this);
    auto* g = new QGridLayout(editors_);
    g->setContentsMargins(0, 0, 0, 0);
    g->setHorizontalSpacing(3);
    g->setVerticalSpacing(1);
    cmPLMtype_ = combo("cmPLMtype", QStringLiteral("mark_type"), editors_, 9);
    setItems(cmPLMtype_, toList(markTypeItems()));
    const auto field = [this](const char* name, const QString& hint, int digits) {
        auto* e = new TIntEdit(editors_);
        e->setObjectName(QLatin1String(name));
        e->setToolTip(hint);
        e->setMaxLength(digits);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 10);
        return e;
    };
    iePLMPI_ = field("iePLMPI", QStringLiteral("ref_to_PlayItem_id"), 5);
    iePLMhour_ = field("iePLMhour", QStringLiteral("hours (0-25)"), 2);
    iePLMmin_ = field("iePLMmin", QStringLiteral("minutes (0-59)"), 2);
    iePLMsec_ = field("iePLMsec", QStringLiteral("seconds (0-59)"), 2);
    iePLMms_ = field("iePLMms", QStringLiteral("milliseconds (0-999)"), 3);
    g->addWidget(caption(QStringLiteral("type"), editors_), 0, 0, 1, 2);
    g->addWidget(caption(QStringLiteral("PlayItem"), editors_), 0, 2, 1, 2);
    g->addWidget(cmPLMtype_, 1, 0, 1, 2);
    g->addWidget(iePLMPI_, 1, 2, 1, 2);
    g->addWidget(caption(QStringLiteral("h"), editors_), 2, 0);
    g->addWidget(caption(QStringLiteral("m"), editors_), 2, 1);
    g->addWidget(caption(QStringLiteral("s"), editors_), 2, 2);
    g->addWidget(caption(QStringLiteral("ms"), editors_), 2, 3);
    g->addWidget(iePLMhour_, 3, 0);
    g->addWidget(iePLMmin_, 3, 1);
    g->addWidget(iePLMsec_, 3, 2);
    g->addWidget(iePLMms_, 3, 3);
    g->setRowStretch(4, 1);

    bbLoadChap_ = new QPushButton(QStringLiteral("Load chapters"), this);
    bbLoadChap_->setObjectName(QStringLiteral("bbLoadChap"));
    bbLoadChap_->setToolTip(QStringLiteral("Replace the marks by the chapters of a text file"));
    bbSaveChap_ = new QPushButton(QStringLiteral("Save chapters"), this);
    bbSaveChap_->setObjectName(QStringLiteral("bbSaveChap"));
    bbSaveChap_->setToolTip(QStringLiteral("Save the marks as a chapter text file"));
    auto* chapters = new QVBoxLayout;
    chapters->setSpacing(2);
    chapters->addWidget(bbLoadChap_);
    chapters->addWidget(bbSaveChap_);
    chapters->addStretch(1);

    l->addWidget(sgPlayListMark_, 1);
    l->addLayout(buttons);
    l->addWidget(editors_);
    l->addLayout(chapters);
    connectControls();
    reset();
}

void MarkView::connectControls() {
    connect(sgPlayListMark_, &StringGrid::choiceChanged, this, [this] {
        if (quiet_ || !loaded()) return;
        const int r = sgPlayListMark_->currentRow();
        if (r >= 0 && r < sgPlayListMark_->dataRows() && r != mark_) {
            mark_ = r;
            showEditors();
        }
        reportSelection();
    });
    connect(bbPLMins_, &QToolButton::clicked, this, &MarkView::bbPLMinsClick);
    connect(bbPLMdel_, &QToolButton::clicked, this, &MarkView::bbPLMdelClick);
    connect(cmPLMtype_, &QComboBox::activated, this, [this](int i) {
        if (i < 0) return;
        editMark(QStringLiteral("Change mark type"), "type",
                 [&](TPlayListMarkEntry& m) { setMarkType(m, static_cast<std::uint8_t>(i + 1)); });
    });
    // The PlayItem number and the hours act as they are typed, the other
    // fields when they are left; Enter goes on to the next field.
    connect(iePLMPI_, &QLineEdit::textEdited, this, [this] {
        const auto m = selectedMark();
        if (!m) return;
        const TMPLS& pl = doc_.model().playlist;
        const std::int64_t typed = iePLMPI_->value();
        // Only PlayItems the playlist has; an empty box waits for a number.
        if (iePLMPI_->text().isEmpty()) return;
        if (typed < 0 || static_cast<std::uint64_t>(typed) >= pl.PlayList.PlayItems.size()) {
            log_.erslog(QStringLiteral("The playlist has no PlayItem %1 (%2 PlayItems).")
                            .arg(typed)
                            .arg(pl.PlayList.PlayItems.size())
                            .toStdString());
            showEditors();
            return;
        }
        const auto v = static_cast<std::uint16_t>(typed);
        // A mark keeps its time when the new PlayItem holds it; otherwise it
        // moves to that PlayItem's IN time, where it can play.
        TPlayListMarkEntry moved = pl.PlayListMark.marks.at(*m);
        setMarkPlayItem(moved, v);
        const bool keep = !markPlaceFault(pl, moved);
        if (!keep) moved.mark_time_stamp = pl.PlayList.PlayItems[v].IN_time;
        editMark(QStringLiteral("Change mark PlayItem"), "pi", [&](TPlayListMarkEntry& k) { k = moved; });
        if (!keep) {
            log_.slog("The mark moves to the IN time of PlayItem " + std::to_string(v) + ".", 1);
            showEditors();
        }
    });
    connect(iePLMhour_, &QLineEdit::textEdited, this, [this] { storeTime(true); });
    connect(iePLMhour_, &QLineEdit::editingFinished, this, [this] {
        if (iePLMhour_->isModified()) storeTime();
    });
    for (TIntEdit* e : {iePLMmin_, iePLMsec_, iePLMms_})
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            if (e->isModified()) storeTime();
            e->setModified(false);
            showEditors();
        });
    for (TIntEdit* e : {iePLMPI_, iePLMhour_})
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            e->setModified(false);
            showEditors();
        });
    const std::pair<QWidget*, QWidget*> chain[] = {{iePLMPI_, iePLMhour_},
                                                   {iePLMhour_, iePLMmin_},
                                                   {iePLMmin_, iePLMsec_},
                                                   {iePLMsec_, iePLMms_},
                                                   {iePLMms_, cmPLMtype_}};
    for (const auto& [from, to] : chain)
        connect(static_cast<QLineEdit*>(from), &QLineEdit::returnPressed, to,
                [next = to] { next->setFocus(Qt::TabFocusReason); });
}

bool MarkView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sgPlayListMark_ && event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        const auto mods = k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (mods == Qt::ControlModifier && k->key() == Qt::Key_A) {
            const int n = sgPlayListMark_->dataRows();
            if (n > 0) {
                quiet_ = true;
                sgPlayListMark_->selectRange(0, n - 1);
                quiet_ = false;
                mark_ = 0;
                showEditors();
                reportSelection();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool MarkView::loaded() const { return doc_.model().playlistLoaded; }

std::optional<std::size_t> MarkView::selectedMark() const {
    const auto& marks = doc_.model().playlist.PlayListMark.marks;
    if (!loaded() || mark_ < 0 || static_cast<std::size_t>(mark_) >= marks.size()) return std::nullopt;
    return static_cast<std::size_t>(mark_);
}

std::optional<std::pair<std::size_t, std::size_t>> MarkView::selectedMarks() const {
    if (!loaded()) return std::nullopt;
    const auto range = sgPlayListMark_->selectedRange();
    if (!range) return std::nullopt;
    return std::make_pair(static_cast<std::size_t>(range->first), static_cast<std::size_t>(range->second));
}

void MarkView::reportSelection() {
    const auto range = selectedMarks();
    if (range)
        emit marksSelected(static_cast<int>(range->first), static_cast<int>(range->second));
    else
        emit marksSelected(-1, -1);
}

void MarkView::reset() {
    mark_ = -1;
    quiet_ = true;
    sgPlayListMark_->resetGrid();
    quiet_ = false;
    for (QWidget* w :
         std::initializer_list<QWidget*>{sgPlayListMark_, bbPLMins_, bbPLMdel_, editors_, bbLoadChap_, bbSaveChap_})
        w->setEnabled(false);
    setIndex(cmPLMtype_, -1);
    for (TIntEdit* e : {iePLMPI_, iePLMhour_, iePLMmin_, iePLMsec_, iePLMms_}) showText(e, QString());
    emit marksSelected(-1, -1);
}

void MarkView::fill() {
    reset();
    if (!loaded()) return;
    mark_ = 0;
    refresh();
}

void MarkView::redrawMarks() {
    const auto& marks = doc_.model().playlist.PlayListMark.marks;
    const int n = static_cast<int>(marks.size());
    quiet_ = true;
    sgPlayListMark_->setDataRows(n);
    for (int r = 0; r < n; ++r) {
        const auto cells = markRow(marks[static_cast<std::size_t>(r)], static_cast<std::size_t>(r));
        for (int c = 0; c < 6; ++c) sgPlayListMark_->setCell(r, c, qs(cells[static_cast<std::size_t>(c)]));
    }
    quiet_ = false;
}

void MarkView::refresh() {
    if (!loaded()) {
        reset();
        return;
    }
    const auto before = sgPlayListMark_->selectedRange();
    redrawMarks();
    const int n = sgPlayListMark_->dataRows();
    sgPlayListMark_->setEnabled(true);
    bbLoadChap_->setEnabled(true);
    bbSaveChap_->setEnabled(true);
    bbPLMins_->setEnabled(canInsertMark(doc_.model().playlist));
    bbPLMdel_->setEnabled(n > 0);
    if (n == 0) {
        mark_ = -1;
    } else {
        mark_ = std::clamp(mark_, 0, n - 1);
        // The selected range stays as it was where it still exists, else the shown mark alone.
        int first = mark_;
        int last = mark_;
        if (before && before->first <= mark_ && mark_ <= before->second) {
            first = std::min(before->first, n - 1);
            last = std::min(before->second, n - 1);
        }
        quiet_ = true;
        sgPlayListMark_->selectRange(first, last);
        if (sgPlayListMark_->currentRow() != mark_)
            sgPlayListMark_->setCurrentCell(mark_, 1, QItemSelectionModel::NoUpdate);
        quiet_ = false;
    }
    showEditors();
    reportSelection();
}

void MarkView::selectMark(int i) {
    if (!loaded() || i < 0 || i >= sgPlayListMark_->dataRows()) return;
    mark_ = i;
    quiet_ = true;
    sgPlayListMark_->selectRange(i, i);
    quiet_ = false;
    showEditors();
    reportSelection();
}

void MarkView::showEditors() {
    const auto m = selectedMark();
    editors_->setEnabled(m.has_value());
    if (!m) {
        setIndex(cmPLMtype_, -1);
        for (TIntEdit* e : {iePLMPI_, iePLMhour_, iePLMmin_, iePLMsec_, iePLMms_}) showText(e, QString());
        return;
    }
    const TPlayListMarkEntry& k = doc_.model().playlist.PlayListMark.marks[*m];
    setIndex(cmPLMtype_, k.mark_type - 1);
    showText(iePLMPI_, QString::number(k.ref_to_PlayItem_id));
    const MarkTime t = splitMarkTime(k.mark_time_stamp);
    showText(iePLMhour_, QString::number(t.hours));
    showText(iePLMmin_, QString::number(t.minutes));
    showText(iePLMsec_, QString::number(t.seconds));
    showText(iePLMms_, QString::number(t.milliseconds));
}

void MarkView::editMark(const QString& name, const char* field, const std::function<void(TPlayListMarkEntry&)>& edit) {
    const auto m = selectedMark();
    if (!m) return;
    doc_.apply(
        kPart, name,
        [&](Workspace& ws) {
            edit(ws.playlist.PlayListMark.marks.at(*m));
            return true;
        },
        QStringLiteral("mpls/mark/%1/%2").arg(*m).arg(QLatin1String(field)));
}

void MarkView::storeTime(bool typing) {
    const auto m = selectedMark();
    if (!m) return;
    const MarkTime t{iePLMhour_->value(), iePLMmin_->value(), iePLMsec_->value(), iePLMms_->value()};
    // A time outside the mark's PlayItem is refused: the mark could not play.
    const TMPLS& pl = doc_.model().playlist;
    TPlayListMarkEntry candidate = pl.PlayListMark.marks.at(*m);
    setMarkTime(candidate, t);
    if (const auto fault = markPlaceFault(pl, candidate)) {
        if (typing) return;
        log_.erslog("Mark time refused: " + *fault + ".");
        showEditors();
        return;
    }
    editMark(QStringLiteral("Change mark time"), "time", [&](TPlayListMarkEntry& k) { setMarkTime(k, t); });
}

void MarkView::bbPLMinsClick() {
    if (!loaded() || !canInsertMark(doc_.model().playlist)) return;
    const auto range = selectedMarks();
    const std::optional<std::size_t> after = range ? std::optional<std::size_t>(range->second) : std::nullopt;
    const auto inserted = doc_.applyPlacing(kPart, QStringLiteral("Insert mark"),
                                            [&](Workspace& ws) { return insertMark(ws.playlist, after); });
    if (!inserted) {
        log_.erslog("No room for another mark.");
        return;
    }
    selectMark(static_cast<int>(*inserted));
}

void MarkView::bbPLMdelClick() {
    const auto range = selectedMarks();
    if (!range) return;
    const auto select = doc_.applyPlacing(kPart, QStringLiteral("Delete marks"), [&](Workspace& ws) {
        return deleteMarks(ws.playlist, range->first, range->second);
    });
    if (select && !doc_.model().playlist.PlayListMark.marks.empty()) selectMark(static_cast<int>(*select));
}

}  // namespace navora::ui
