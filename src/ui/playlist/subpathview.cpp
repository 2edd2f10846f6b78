#include "ui/playlist/subpathview.h"

#include "core/log.h"
#include "playlist/playlist_edit.h"
#include "playlist/playlist_text.h"
#include "ui/widgets/gridkeys.h"
#include "ui/widgets/playlistgrid.h"
#include "ui/playlist/playlistkit.h"
#include "ui/widgets/widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

using namespace pl;

namespace {

QString num3(int r) { return QStringLiteral("%1").arg(r, 3, 10, QLatin1Char('0')); }

}  // namespace

SubPathView::SubPathView(Document& doc, Log& log, QWidget* parent) : QWidget(parent), doc_(doc), log_(log) {
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(3);

    sgSubPath_ = new StringGrid(this);
    sgSubPath_->setObjectName(QStringLiteral("sgSubPath"));
    sgSubPath_->setToolTip(QStringLiteral("SubPaths\nIns: Insert SubPath\nDel: Delete SubPath"));
    sgSubPath_->rowNumberText = [](int r) { return num3(r); };
    sgSubPath_->setTitles(toList(subPathColumns()));
    sgSubPath_->horizontalHeaderItem(0)->setText(QString());
    {
        const QFontMetrics fm(sgSubPath_->font());
        const auto fit = [&](const char* text) { return fm.horizontalAdvance(QLatin1String(text)) + 10; };
        const char* widths[] = {"000", "OoM Async", "repeat", "item"};
        int total = 0;
        for (int c = 0; c < 4; ++c) {
            sgSubPath_->setColumnWidth(c, fit(widths[c]));
            total += fit(widths[c]);
        }
        sgSubPath_->setFixedWidth(total + 4 + sgSubPath_->verticalScrollBar()->sizeHint().width());
    }
    new InsertDeleteKeys(sgSubPath_, [this] { bbSPinsClick(); }, [this] { bbSPdelClick(); });

    cbSubPathType_ = combo("cbSubPathType", QString(), this, 8);
    setItems(cbSubPathType_, toList(subPathTypeItems()));
    cbSPrepeat_ = combo("cbSPrepeat", QStringLiteral("is_repeat_SubPath"), this, 3);
    setItems(cbSPrepeat_, toList(repeatItems()));
    bbSPins_ = smallButton(QStringLiteral("+"), "bbSPins", QStringLiteral("Insert SubPath"), this);
    bbSPdel_ = smallButton(QStringLiteral("-"), "bbSPdel", QStringLiteral("Delete SubPath"), this);
    auto* side = new QGridLayout;
    side->setHorizontalSpacing(3);
    side->setVerticalSpacing(2);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addWidget(bbSPins_);
    buttons->addWidget(bbSPdel_);
    buttons->addStretch(1);
    side->addLayout(buttons, 0, 0, 1, 2);
    auto* typeLabel = caption(QStringLiteral("type"), this);
    typeLabel->setBuddy(cbSubPathType_);
    auto* repeatLabel = caption(QStringLiteral("repeat"), this);
    repeatLabel->setBuddy(cbSPrepeat_);
    side->addWidget(typeLabel, 1, 0);
    side->addWidget(cbSubPathType_, 1, 1);
    side->addWidget(repeatLabel, 2, 0);
    side->addWidget(cbSPrepeat_, 2, 1);
    side->setRowStretch(3, 1);

    sgSubPlayItem_ = new EditGrid(this);
    sgSubPlayItem_->setObjectName(QStringLiteral("sgSubPlayItem"));
    sgSubPlayItem_->setToolTip(
        QStringLiteral("SubPlayItems\nRight click: Edit mode / Read only\nDouble click: show the clip"));
    sgSubPlayItem_->rowNumberText = [](int r) { return num3(r); };
    sgSubPlayItem_->setTitles(toList(subPlayItemColumns()));
    sgSubPlayItem_->horizontalHeaderItem(0)->setText(QString());
    const QString time = QStringLiteral("99:99:99.999");
    const std::pair<SubPlayItemColumn, QString> masks[] = {{SubPlayItemColumn::File, QStringLiteral("99999")},
                                                           {SubPlayItemColumn::Conn, QStringLiteral("9")},
                                                           {SubPlayItemColumn::Multi, QStringLiteral(">A")},
                                                           {SubPlayItemColumn::STC, QStringLiteral("999")},
                                                           {SubPlayItemColumn::In, time},
                                                           {SubPlayItemColumn::Out, time},
                                                           {SubPlayItemColumn::SyncPI, QStringLiteral("999")},
                                                           {SubPlayItemColumn::SyncPTS, time}};
    for (const auto& [column, mask] : masks) sgSubPlayItem_->setColumnMask(static_cast<int>(column), mask);
    {
        const QFontMetrics fm(sgSubPlayItem_->font());
        const auto fit = [&](const char* text) { return fm.horizontalAdvance(QLatin1String(text)) + 10; };
        const char* widths[] = {"000",          "00000",        "M2TS",    "conn",         "multi", "STC",
                                "00:00:00.000", "00:00:00.000", "sync PI", "00:00:00.000", "An"};
        for (int c = 0; c < 11; ++c) sgSubPlayItem_->setColumnWidth(c, fit(widths[c]));
    }
    sgSubPlayItem_->horizontalHeader()->setStretchLastSection(true);

    clipPanel_ = new QWidget(this);
    auto* cl = new QHBoxLayout(clipPanel_);
    cl->setContentsMargins(0, 0, 0, 0);
    cl->setSpacing(2);
    sgAngles_ = new StringGrid(clipPanel_);
    sgAngles_->setObjectName(QStringLiteral("sgAngles"));
    sgAngles_->setToolTip(QStringLiteral("Clip entries of the SubPlayItem\nDouble click: show the clip"));
    sgAngles_->rowNumberText = [](int r) { return QString::number(r + 1); };
    sgAngles_->setTitles(toList(clipRefColumns()));
    sgAngles_->horizontalHeaderItem(0)->setText(QString());
    {
        const QFontMetrics fm(sgAngles_->font());
        const auto fit = [&](const char* text) { return fm.horizontalAdvance(QLatin1String(text)) + 10; };
        const char* widths[] = {"00", "00000", "M2TS", "STC"};
        int total = 0;
        for (int c = 0; c < 4; ++c) {
            sgAngles_->setColumnWidth(c, fit(widths[c]));
            total += fit(widths[c]);
        }
        sgAngles_->setFixedWidth(total + 4 + sgAngles_->verticalScrollBar()->sizeHint().width());
    }
    cl->addWidget(new RotatedLabel(QStringLiteral("Clips"), clipPanel_));
    cl->addWidget(sgAngles_);

    l->addWidget(sgSubPath_);
    l->addLayout(side);
    l->addWidget(sgSubPlayItem_, 1);
    l->addWidget(clipPanel_);
    connectControls();
    reset();
}

void SubPathView::connectControls() {
    connect(sgSubPath_, &StringGrid::choiceChanged, this, [this] {
        const int r = sgSubPath_->currentRow();
        if (!quiet_ && loaded() && r >= 0 && r < sgSubPath_->dataRows() && r != subPath_) selectSubPath(r);
    });
    connect(sgSubPlayItem_, &StringGrid::choiceChanged, this, [this] {
        const int r = sgSubPlayItem_->currentRow();
        if (!quiet_ && loaded() && r >= 0 && r < sgSubPlayItem_->dataRows() && r != item_) selectSubPlayItem(r);
    });
    connect(sgSubPlayItem_, &EditGrid::cellTyped, this, &SubPathView::cellTyped);
    connect(sgSubPlayItem_, &EditGrid::rowActivated, this, [this](int r, int) {
        const auto sp = selectedSubPath();
        if (!sp) return;
        const auto& items = doc_.model().playlist.PlayList.SubPaths[*sp].SubPlayItems;
        if (r >= 0 && static_cast<std::size_t>(r) < items.size())
            emit clipRequested(qs(items[static_cast<std::size_t>(r)].Clip_Information_file_name));
    });
    connect(sgAngles_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        const auto sp = selectedSubPath();
        const auto it = selectedSubPlayItem();
        if (!sp || !it) return;
        const auto& entries = doc_.model().playlist.PlayList.SubPaths[*sp].SubPlayItems[*it].clip_entries;
        if (index.row() >= 0 && static_cast<std::size_t>(index.row()) < entries.size())
            emit clipRequested(qs(entries[static_cast<std::size_t>(index.row())].Clip_Information_file_name));
    });
    connect(bbSPins_, &QToolButton::clicked, this, &SubPathView::bbSPinsClick);
    connect(bbSPdel_, &QToolButton::clicked, this, &SubPathView::bbSPdelClick);
    connect(cbSubPathType_, &QComboBox::activated, this, [this](int type) {
        const auto sp = selectedSubPath();
        if (!sp || type < 0) return;
        doc_.apply(kPart, QStringLiteral("Change SubPath type"), [&](Workspace& ws) {
            setSubPathType(ws.playlist.PlayList.SubPaths.at(*sp), static_cast<std::uint8_t>(type));
            return true;
        });
        showSubPath();
    });
    connect(cbSPrepeat_, &QComboBox::activated, this, [this](int repeat) {
        const auto sp = selectedSubPath();
        if (!sp || repeat < 0) return;
        doc_.apply(kPart, QStringLiteral("Change SubPath repeat"),
                   [&](Workspace& ws) { return setSubPathRepeat(ws.playlist.PlayList.SubPaths.at(*sp), repeat == 1); });
        showSubPath();
    });
}

bool SubPathView::loaded() const { return doc_.model().playlistLoaded; }

std::optional<std::size_t> SubPathView::selectedSubPath() const {
    const auto& paths = doc_.model().playlist.PlayList.SubPaths;
    if (!loaded() || subPath_ < 0 || static_cast<std::size_t>(subPath_) >= paths.size()) return std::nullopt;
    return static_cast<std::size_t>(subPath_);
}

std::optional<std::size_t> SubPathView::selectedSubPlayItem() const {
    const auto sp = selectedSubPath();
    if (!sp || item_ < 0) return std::nullopt;
    const auto& items = doc_.model().playlist.PlayList.SubPaths[*sp].SubPlayItems;
    if (static_cast<std::size_t>(item_) >= items.size()) return std::nullopt;
    return static_cast<std::size_t>(item_);
}

void SubPathView::reset() {
    subPath_ = item_ = -1;
    quiet_ = true;
    sgSubPath_->resetGrid();
    sgSubPlayItem_->resetGrid();
    sgAngles_->resetGrid();
    quiet_ = false;
    clipPanel_->hide();
    setIndex(cbSubPathType_, -1);
    setIndex(cbSPrepeat_, -1);
    for (QWidget* w :
         std::initializer_list<QWidget*>{sgSubPath_, sgSubPlayItem_, cbSubPathType_, cbSPrepeat_, bbSPins_, bbSPdel_})
        w->setEnabled(false);
}

void SubPathView::fill() {
    reset();
    if (!loaded()) return;
    refresh();
    if (!doc_.model().playlist.PlayList.SubPaths.empty()) selectSubPath(0);
}

void SubPathView::redrawSubPaths() {
    const auto& paths = doc_.model().playlist.PlayList.SubPaths;
    const int n = static_cast<int>(paths.size());
    quiet_ = true;
    sgSubPath_->setDataRows(n);
    for (int r = 0; r < n; ++r) {
        const auto cells = subPathRow(paths[static_cast<std::size_t>(r)], static_cast<std::size_t>(r));
        for (int c = 0; c < 4; ++c) sgSubPath_->setCell(r, c, qs(cells[static_cast<std::size_t>(c)]));
    }
    quiet_ = false;
}

void SubPathView::refresh() {
    if (!loaded()) {
        reset();
        return;
    }
    redrawSubPaths();
    const int n = sgSubPath_->dataRows();
    sgSubPath_->setEnabled(true);
    bbSPins_->setEnabled(canInsertSubPath(doc_.model().playlist));
    bbSPdel_->setEnabled(n > 0);
    subPath_ = n == 0 ? -1 : std::clamp(subPath_, 0, n - 1);
    if (subPath_ >= 0 && sgSubPath_->currentRow() != subPath_) {
        quiet_ = true;
        sgSubPath_->selectRange(subPath_, subPath_);
        quiet_ = false;
    }
    showSubPath();
}

void SubPathView::selectSubPath(int i) {
    const auto& paths = doc_.model().playlist.PlayList.SubPaths;
    if (!loaded() || i < 0 || static_cast<std::size_t>(i) >= paths.size()) return;
    if (i != subPath_) item_ = 0;
    subPath_ = i;
    if (sgSubPath_->currentRow() != i) {
        quiet_ = true;
        sgSubPath_->selectRange(i, i);
        quiet_ = false;
    }
    showSubPath();
}

void SubPathView::showSubPath() {
    const auto sp = selectedSubPath();
    cbSubPathType_->setEnabled(sp.has_value());
    if (!sp) {
        setIndex(cbSubPathType_, -1);
        setIndex(cbSPrepeat_, -1);
        cbSPrepeat_->setEnabled(false);
        item_ = -1;
        quiet_ = true;
        sgSubPlayItem_->resetGrid();
        quiet_ = false;
        sgSubPlayItem_->setEnabled(false);
        showSubPlayItem();
        return;
    }
    const TSubPath& s = doc_.model().playlist.PlayList.SubPaths[*sp];
    setIndex(cbSubPathType_, s.SubPath_type);
    if (const auto hint = subPathTypeHint(s.SubPath_type)) cbSubPathType_->setToolTip(qs(*hint));
    setIndex(cbSPrepeat_, s.repeat != 0 ? 1 : 0);
    cbSPrepeat_->setEnabled(repeatEditable(s));

    const int n = static_cast<int>(s.SubPlayItems.size());
    quiet_ = true;
    sgSubPlayItem_->setEnabled(true);
    sgSubPlayItem_->setDataRows(n);
    for (int r = 0; r < n; ++r) {
        const auto cells = subPlayItemRow(s.SubPlayItems[static_cast<std::size_t>(r)], static_cast<std::size_t>(r));
        for (int c = 0; c < static_cast<int>(cells.size()); ++c)
            sgSubPlayItem_->setCell(r, c, qs(cells[static_cast<std::size_t>(c)]));
    }
    sgSubPlayItem_->updateEditFlags();
    item_ = n == 0 ? -1 : std::clamp(item_, 0, n - 1);
    if (item_ >= 0 && sgSubPlayItem_->currentRow() != item_) {
        if (sgSubPlayItem_->editMode())
            sgSubPlayItem_->setCurrentCell(item_, std::max(sgSubPlayItem_->currentColumn(), 1));
        else
            sgSubPlayItem_->selectRange(item_, item_);
    }
    quiet_ = false;
    showSubPlayItem();
}

void SubPathView::selectSubPlayItem(int i) {
    item_ = i;
    showSubPath();
}

void SubPathView::showSubPlayItem() {
    const auto sp = selectedSubPath();
    const auto it = selectedSubPlayItem();
    const auto rows = sp && it ? clipEntryRows(doc_.model().playlist.PlayList.SubPaths[*sp].SubPlayItems[*it])
                               : std::vector<std::array<std::string, 4>>{};
    quiet_ = true;
    sgAngles_->setDataRows(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < 4; ++c)
            sgAngles_->setCell(r, c, qs(rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
    quiet_ = false;
    // Shown only while the SubPlayItem has clip entries.
    clipPanel_->setVisible(sp && it &&
                           doc_.model().playlist.PlayList.SubPaths[*sp].SubPlayItems[*it].number_of_Clip_entries != 0);
}

void SubPathView::bbSPinsClick() {
    if (!loaded() || !canInsertSubPath(doc_.model().playlist)) return;
    const auto after = selectedSubPath();
    const auto inserted = doc_.applyPlacing(kPart, QStringLiteral("Insert SubPath"),
                                            [&](Workspace& ws) { return insertSubPath(ws.playlist, after); });
    if (!inserted) {
        log_.erslog("No room for another SubPath.");
        return;
    }
    selectSubPath(static_cast<int>(*inserted));
}

void SubPathView::bbSPdelClick() {
    const auto sp = selectedSubPath();
    if (!sp) return;
    std::size_t select = 0;
    doc_.apply(kPart, QStringLiteral("Delete SubPath"), [&](Workspace& ws) {
        select = deleteSubPath(ws.playlist, *sp);
        return true;
    });
    if (!doc_.model().playlist.PlayList.SubPaths.empty()) {
        subPath_ = -1;
        selectSubPath(static_cast<int>(select));
    }
}

void SubPathView::cellTyped(int row, int column, const QString& text) {
    const auto sp = selectedSubPath();
    if (!sp || row < 0) return;
    const auto& items = doc_.model().playlist.PlayList.SubPaths[*sp].SubPlayItems;
    if (static_cast<std::size_t>(row) >= items.size()) return;
    const auto col = static_cast<SubPlayItemColumn>(column);
    QString name;
    switch (col) {
    case SubPlayItemColumn::File: name = QStringLiteral("Change SubPlayItem clip name"); break;
    case SubPlayItemColumn::Conn: name = QStringLiteral("Change SubPlayItem connection"); break;
    case SubPlayItemColumn::Multi: name = QStringLiteral("Change SubPlayItem multi-clip"); break;
    case SubPlayItemColumn::STC: name = QStringLiteral("Change SubPlayItem STC id"); break;
    case SubPlayItemColumn::In: name = QStringLiteral("Change SubPlayItem IN time"); break;
    case SubPlayItemColumn::Out: name = QStringLiteral("Change SubPlayItem OUT time"); break;
    case SubPlayItemColumn::SyncPI: name = QStringLiteral("Change sync PlayItem"); break;
    case SubPlayItemColumn::SyncPTS: name = QStringLiteral("Change sync PTS"); break;
    default: return;
    }
    const std::string typed = text.toStdString();
    const auto r = static_cast<std::size_t>(row);
    bool taken = false;
    doc_.apply(kPart, name, [&](Workspace& ws) {
        taken = editSubPlayItemCell(ws.playlist, *sp, r, col, typed);
        return taken;
    });
    if (!taken && (col == SubPlayItemColumn::In || col == SubPlayItemColumn::Out || col == SubPlayItemColumn::SyncPTS))
        log_.erslog("Not taken: a time is typed as hh:mm:ss.mmm, at most 26:30:43.717.");
}

}  // namespace navora::ui
