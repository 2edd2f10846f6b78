#include "ui/playlist/playitemview.h"

#include "clip/clipinfo_io.h"
#include "core/fileio.h"
#include "core/log.h"
#include "core/streamcoding.h"
#include "playlist/playlist_text.h"
#include "playlist/playlist_time.h"
#include "ui/widgets/gridkeys.h"
#include "ui/widgets/playlistgrid.h"
#include "ui/playlist/playlistkit.h"
#include "ui/widgets/widgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

using namespace pl;

namespace {

// The typed columns of the PlayItem grid and their edit masks.
constexpr int kColFile = static_cast<int>(PlayItemColumn::File);
constexpr int kColIn = static_cast<int>(PlayItemColumn::In);
constexpr int kColOut = static_cast<int>(PlayItemColumn::Out);
constexpr int kColUO1 = static_cast<int>(PlayItemColumn::UO1);
constexpr int kColUO2 = static_cast<int>(PlayItemColumn::UO2);

const QString kTimeMask = QStringLiteral("99:99:99.999");

QWidget* labelled(const QString& text, QWidget* editor, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    auto* c = caption(text, w);
    c->setBuddy(editor);
    l->addWidget(c);
    l->addWidget(editor);
    return w;
}

QWidget* row(std::initializer_list<QWidget*> editors, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    for (QWidget* e : editors) l->addWidget(e);
    return w;
}

template <class T>
QStringList codingNames(const std::vector<T>& list) {
    QStringList out;
    for (const T& c : list) out << QString::fromStdString(c.name);
    return out;
}

}  // namespace

PlayItemView::PlayItemView(Document& doc, Log& log, QWidget* parent) : QWidget(parent), doc_(doc), log_(log) {
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("splitPlayItems"));
    split->setChildrenCollapsible(false);
    split->addWidget(buildItems());
    split->addWidget(buildStreams());
    // The PlayItems get the larger part; the streams' "attrib" column takes what is left.
    for (int i = 0; i < 2; ++i) {
        QSizePolicy p(QSizePolicy::Ignored, QSizePolicy::Preferred);
        p.setHorizontalStretch(i == 0 ? 5 : 3);
        split->widget(i)->setSizePolicy(p);
    }
    split->setStretchFactor(0, 5);
    split->setStretchFactor(1, 3);
    l->addWidget(split);
    connectControls();
    reset();
}

void PlayItemView::addAboveItems(QWidget* w) { static_cast<QVBoxLayout*>(itemsColumn_->layout())->insertWidget(0, w); }

QWidget* PlayItemView::buildItems() {
    auto* w = new QWidget(this);
    itemsColumn_ = w;
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(2);
    sgPLitem_ = new EditGrid(w);
    sgPLitem_->setObjectName(QStringLiteral("sgPLitem"));
    sgPLitem_->setToolTip(QStringLiteral("PlayItems\nRight click: Edit mode / Read only\nDouble click: show the clip"));
    sgPLitem_->rowNumberText = [](int r) { return QStringLiteral("%1").arg(r, 3, 10, QLatin1Char('0')); };
    sgPLitem_->setTitles(toList(playItemColumns()));
    sgPLitem_->horizontalHeaderItem(0)->setText(QString());
    sgPLitem_->setColumnMask(kColFile, QStringLiteral("99999"));
    sgPLitem_->setColumnMask(kColIn, kTimeMask);
    sgPLitem_->setColumnMask(kColOut, kTimeMask);
    sgPLitem_->setColumnMask(kColUO1, QStringLiteral(">NNNNNNNN"));
    sgPLitem_->setColumnMask(kColUO2, QStringLiteral(">NNNNNNNN"));
    {
        const QFontMetrics fm(sgPLitem_->font());
        const auto fit = [&](const char* text) { return fm.horizontalAdvance(QLatin1String(text)) + 10; };
        const char* widths[] = {"000",      "00000",    "M2TS", "00:00:00.000", "00:00:00.000", "00:00:00.000",
                                "DDDDDDDD", "DDDDDDDD", "An"};
        for (int c = 0; c < 9; ++c) sgPLitem_->setColumnWidth(c, fit(widths[c]));
    }
    sgPLitem_->horizontalHeader()->setStretchLastSection(true);
    // The angles of a multi-angle PlayItem stand beside the PlayItems.
    auto* grids = new QHBoxLayout;
    grids->setSpacing(2);
    grids->addWidget(sgPLitem_, 1);
    l->addLayout(grids, 1);

    anglePanel_ = new QWidget(w);
    auto* al = new QHBoxLayout(anglePanel_);
    al->setContentsMargins(0, 0, 0, 0);
    al->setSpacing(2);
    auto* angleLabel = new RotatedLabel(QStringLiteral("Angles"), anglePanel_);
    sgPIangles_ = new StringGrid(anglePanel_);
    sgPIangles_->setObjectName(QStringLiteral("sgPIangles"));
    sgPIangles_->setToolTip(QStringLiteral("Angles of the PlayItem\nDouble click: show the clip"));
    sgPIangles_->rowNumberText = [](int r) { return QString::number(r + 1); };
    sgPIangles_->setTitles(toList(clipRefColumns()));
    sgPIangles_->horizontalHeaderItem(0)->setText(QString());
    sgPIangles_->horizontalHeader()->setStretchLastSection(true);
    {
        const QFontMetrics fm(sgPIangles_->font());
        const auto fit = [&](const char* text) { return fm.horizontalAdvance(QLatin1String(text)) + 10; };
        const char* widths[] = {"00", "00000", "M2TS", "STC"};
        int total = 0;
        for (int c = 0; c < 4; ++c) {
            sgPIangles_->setColumnWidth(c, fit(widths[c]));
            total += fit(widths[c]);
        }
        sgPIangles_->setFixedWidth(total + 4 + sgPIangles_->verticalScrollBar()->sizeHint().width());
    }
    al->addWidget(angleLabel);
    al->addWidget(sgPIangles_);
    grids->addWidget(anglePanel_);
    return w;
}

QWidget* PlayItemView::buildStreams() {
    auto* w = new QWidget(this);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(1);

    sgSTN_ = new StringGrid(w);
    sgSTN_->setObjectName(QStringLiteral("sgSTN"));
    sgSTN_->setToolTip(QStringLiteral(
        "STN_table: number of streams\nVi: primary video, Au: primary audio, PG: presentation graphics,\n"
        "IG: interactive graphics, sV: secondary video, sA: secondary audio, PIP: PiP PG"));
    sgSTN_->rowNumberText = nullptr;
    sgSTN_->setTitles(toList(stnCountColumns()));
    sgSTN_->setSelectionBehavior(QAbstractItemView::SelectItems);
    sgSTN_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgSTN_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    {
        const QFontMetrics fm(sgSTN_->font());
        const int cw = fm.horizontalAdvance(QStringLiteral("PIP")) + 14;
        for (int c = 0; c < 7; ++c) sgSTN_->setColumnWidth(c, cw);
        sgSTN_->setFixedSize(7 * cw + 4, sgSTN_->horizontalHeader()->sizeHint().height() +
                                             sgSTN_->verticalHeader()->defaultSectionSize() + 4);
    }
    bbInsSTN_ = smallButton(QStringLiteral("+"), "bbInsSTN", QStringLiteral("Insert stream"), w);
    bbDelSTN_ = smallButton(QStringLiteral("-"), "bbDelSTN", QStringLiteral("Delete stream"), w);
    auto* top = new QHBoxLayout;
    top->setSpacing(2);
    top->addWidget(sgSTN_);
    top->addWidget(bbInsSTN_, 0, Qt::AlignBottom);
    top->addWidget(bbDelSTN_, 0, Qt::AlignBottom);
    top->addStretch(1);
    l->addLayout(top);

    sgStreamEntry_ = new StringGrid(w);
    sgStreamEntry_->setObjectName(QStringLiteral("sgStreamEntry"));
    sgStreamEntry_->setToolTip(QStringLiteral("Streams of the chosen kind\nIns: Insert stream\nDel: Delete stream"));
    sgStreamEntry_->rowNumberText = [](int r) { return QStringLiteral("%1").arg(r + 1, 3, 10, QLatin1Char('0')); };
    sgStreamEntry_->setTitles(toList(streamColumns()));
    sgStreamEntry_->horizontalHeaderItem(0)->setText(QString());
    {
        const QFontMetrics fm(sgStreamEntry_->font());
        const auto fit = [&](const char* text) { return fm.horizontalAdvance(QLatin1String(text)) + 10; };
        const char* widths[] = {"000", "PlayItem", "mPID", "SPid", "sCid", "sPID"};
        for (int c = 0; c < 6; ++c) sgStreamEntry_->setColumnWidth(c, fit(widths[c]));
    }
    // "attrib" takes what the other columns leave.
    sgStreamEntry_->horizontalHeader()->setStretchLastSection(true);
    new InsertDeleteKeys(sgStreamEntry_, [this] { bbInsSTNClick(); }, [this] { bbDelSTNClick(); });
    l->addWidget(sgStreamEntry_, 1);
    l->addWidget(buildEditors());
    return w;
}

QWidget* PlayItemView::buildEditors() {
    auto* w = new QWidget(this);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(1);

    coEntryType_ = combo("coEntryType", QString(), w, 8);
    setItems(coEntryType_, toList(entryTypeItems()));
    heMainPID_ = new THexEdit(4, w);
    heMainPID_->setObjectName(QStringLiteral("heMainPID"));
    heMainPID_->setToolTip(QStringLiteral("ref_to_stream_PID_of_mainClip"));
    ieSubPath_ = new TIntEdit(w);
    ieSubPath_->setObjectName(QStringLiteral("ieSubPath"));
    ieSubPath_->setToolTip(QStringLiteral("ref_to_SubPath_id"));
    ieSubClip_ = new TIntEdit(w);
    ieSubClip_->setObjectName(QStringLiteral("ieSubClip"));
    ieSubClip_->setToolTip(QStringLiteral("ref_to_subClip_entry_id"));
    heSubPID_ = new THexEdit(4, w);
    heSubPID_->setObjectName(QStringLiteral("heSubPID"));
    heSubPID_->setToolTip(QStringLiteral("ref_to_stream_PID_of_subClip"));
    const int pidWidth = heMainPID_->fontMetrics().horizontalAdvance(QStringLiteral("DDDD")) + 12;
    for (QLineEdit* e : std::initializer_list<QLineEdit*>{heMainPID_, heSubPID_}) e->setFixedWidth(pidWidth);
    // The ids are 8 bits: three digits show every stored id.
    const int idWidth = ieSubPath_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12;
    for (TIntEdit* e : {ieSubPath_, ieSubClip_}) {
        e->setMaxLength(3);
        e->setFixedWidth(idWidth);
    }

    coVideo_ = combo("coVideo", QString(), w, 6);
    setItems(coVideo_, codingNames(videoCodingChoices()));
    coResol_ = combo("coResol", QStringLiteral("video_format"), w, 6);
    setItems(coResol_, toList(videoFormatItems()));
    coFrmRate_ = combo("coFrmRate", QStringLiteral("frame_rate"), w, 6);
    setItems(coFrmRate_, toList(frameRateItems()));
    coDynRange_ = combo("coDynRange", QStringLiteral("dynamic_range_type (HEVC)"), w, 8);
    setItems(coDynRange_, toList(dynamicRangeItems()));
    coColour_ = combo("coColour", QStringLiteral("color_space (HEVC)"), w, 6);
    setItems(coColour_, toList(colourSpaceItems()));
    coAudio_ = combo("coAudio", QString(), w, 8);
    setItems(coAudio_, codingNames(audioCodingChoices()));
    coAuType_ = combo("coAuType", QString(), w, 6);
    setItems(coAuType_, toList(presentationTypeItems()));
    coFreq_ = combo("coFreq", QStringLiteral("sampling_frequency"), w, 6);
    setItems(coFreq_, toList(samplingFrequencyItems()));
    coLang_ = combo("coLang", QStringLiteral("language_code"), w, 3);
    setItems(coLang_, toList(languageItems()));
    coLang_->setMaxVisibleItems(20);

    wType_ = labelled(QStringLiteral("type"), coEntryType_, w);
    wMainPID_ = labelled(QStringLiteral("mPID"), heMainPID_, w);
    coClipPID_ = new QComboBox(w);
    coClipPID_->setObjectName(QStringLiteral("coClipPID"));
    coClipPID_->setToolTip(QStringLiteral("The streams of this kind in the PlayItem's clip"));
    wMainPID_->layout()->addWidget(coClipPID_);
    wSubPath_ = labelled(QStringLiteral("SPid"), ieSubPath_, w);
    wSubClip_ = labelled(QStringLiteral("sCid"), ieSubClip_, w);
    wSubPID_ = labelled(QStringLiteral("sPID"), heSubPID_, w);
    wVideo_ = row({coVideo_, coResol_, coFrmRate_, coDynRange_, coColour_}, w);
    wAudio_ = row({coAudio_, coAuType_, coFreq_}, w);
    wLang_ = labelled(QStringLiteral("lang"), coLang_, w);

    auto* r1 = new QHBoxLayout;
    r1->setSpacing(6);
    for (QWidget* e : {wType_, wMainPID_, wSubPath_, wSubClip_, wSubPID_}) r1->addWidget(e);
    r1->addStretch(1);
    auto* r2 = new QHBoxLayout;
    r2->setSpacing(6);
    for (QWidget* e : {wVideo_, wAudio_, wLang_}) r2->addWidget(e);
    r2->addStretch(1);
    l->addLayout(r1);
    l->addLayout(r2);
    // The editors keep their room while hidden, so the grid above does not jump.
    w->setFixedHeight(2 * coEntryType_->sizeHint().height() + 3);
    return w;
}

void PlayItemView::connectControls() {
    connect(sgPLitem_, &StringGrid::choiceChanged, this, [this] {
        const int r = sgPLitem_->currentRow();
        if (!quiet_ && loaded() && r >= 0 && r < sgPLitem_->dataRows() && r != item_) selectPlayItem(r);
    });
    connect(sgPLitem_, &EditGrid::cellTyped, this, &PlayItemView::cellTyped);
    connect(sgPLitem_, &EditGrid::rowActivated, this, [this](int r, int) {
        const auto& items = doc_.model().playlist.PlayList.PlayItems;
        if (loaded() && r >= 0 && static_cast<std::size_t>(r) < items.size())
            emit clipRequested(qs(items[static_cast<std::size_t>(r)].Clip_Information_file_name));
    });
    connect(sgPIangles_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        const TPlayItem* p = item();
        if (p && index.row() >= 0 && static_cast<std::size_t>(index.row()) < p->multi_clip.angles.size())
            emit clipRequested(
                qs(p->multi_clip.angles[static_cast<std::size_t>(index.row())].Clip_Information_file_name));
    });
    connect(sgSTN_, &QTableWidget::currentCellChanged, this, [this](int r, int c) {
        if (!quiet_ && loaded() && r >= 0 && c >= 0 && c < static_cast<int>(kStreamKindCount))
            selectKind(static_cast<StreamKind>(c));
    });
    connect(sgStreamEntry_, &StringGrid::choiceChanged, this, [this] {
        const int r = sgStreamEntry_->currentRow();
        if (!quiet_ && loaded() && r >= 0 && r < sgStreamEntry_->dataRows() && r != stream_) selectStream(r);
    });
    connect(bbInsSTN_, &QToolButton::clicked, this, &PlayItemView::bbInsSTNClick);
    connect(bbDelSTN_, &QToolButton::clicked, this, &PlayItemView::bbDelSTNClick);

    connect(coEntryType_, &QComboBox::activated, this, [this](int i) {
        if (i >= 0)
            storeField(StreamField::EntryType, static_cast<std::uint32_t>(i),
                       QStringLiteral("Change stream entry type"), "type");
    });
    // The id and PID fields store their value when they are left; Enter leaves them.
    const auto onLeave = [this](QLineEdit* e, StreamField field, const QString& name, const char* key,
                                std::function<std::optional<std::uint32_t>()> value) {
        connect(e, &QLineEdit::editingFinished, this, [=, this] {
            if (e->isModified()) {
                e->setModified(false);
                if (const auto v = value()) storeField(field, *v, name, key);
            }
            showEditors();
        });
        connect(e, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    };
    // Another folder may hold other clips of the same names.
    connect(&doc_, &Document::reloaded, this, [this] { clipStreams_.clear(); });
    connect(coClipPID_, &QComboBox::activated, this, [this](int i) {
        if (i >= 0)
            storeField(StreamField::MainPID, coClipPID_->itemData(i).toUInt(), QStringLiteral("Change main PID"),
                       "mpid");
    });
    onLeave(heMainPID_, StreamField::MainPID, QStringLiteral("Change main PID"), "mpid",
            [this] { return std::optional<std::uint32_t>(heMainPID_->value()); });
    onLeave(heSubPID_, StreamField::SubPID, QStringLiteral("Change sub PID"), "spid",
            [this] { return std::optional<std::uint32_t>(heSubPID_->value()); });
    // An id past 255 is refused, not cut: the box shows the stored one again.
    const auto id = [this](TIntEdit* e, const char* what) {
        return [this, e, what]() -> std::optional<std::uint32_t> {
            const std::int64_t v = e->value();
            if (v >= 0 && v <= 0xFF) return static_cast<std::uint32_t>(v);
            log_.erslog(std::string("The ") + what + " is 0 to 255.");
            return std::nullopt;
        };
    };
    onLeave(ieSubPath_, StreamField::SubPathId, QStringLiteral("Change SubPath id"), "subpath",
            id(ieSubPath_, "SubPath id"));
    onLeave(ieSubClip_, StreamField::SubClipEntryId, QStringLiteral("Change subclip entry id"), "subclip",
            id(ieSubClip_, "subclip entry id"));

    connect(coVideo_, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && static_cast<std::size_t>(i) < videoCodingChoices().size())
            storeField(StreamField::CodingType, videoCodingChoices()[static_cast<std::size_t>(i)].code,
                       QStringLiteral("Change video coding"), "coding");
    });
    connect(coAudio_, &QComboBox::activated, this, [this](int i) {
        if (i >= 0 && static_cast<std::size_t>(i) < audioCodingChoices().size())
            storeField(StreamField::CodingType, audioCodingChoices()[static_cast<std::size_t>(i)].code,
                       QStringLiteral("Change audio coding"), "coding");
    });
    const auto indexList = [this](QComboBox* box, StreamField field, const QString& name, const char* key) {
        connect(box, &QComboBox::activated, this, [=, this](int i) {
            if (i >= 0) storeField(field, static_cast<std::uint32_t>(i), name, key);
        });
    };
    indexList(coResol_, StreamField::VideoFormat, QStringLiteral("Change video format"), "format");
    indexList(coFrmRate_, StreamField::FrameRate, QStringLiteral("Change frame rate"), "rate");
    indexList(coDynRange_, StreamField::DynamicRange, QStringLiteral("Change dynamic range"), "dynamic range");
    indexList(coColour_, StreamField::ColourSpace, QStringLiteral("Change colour space"), "colour space");
    indexList(coAuType_, StreamField::PresentationType, QStringLiteral("Change audio presentation type"),
              "presentation");
    indexList(coFreq_, StreamField::SamplingFrequency, QStringLiteral("Change sampling frequency"), "frequency");
    connect(coLang_, &QComboBox::activated, this, [this](int i) {
        if (i < 0 || static_cast<std::size_t>(i) >= languageItems().size()) return;
        const std::string code = languageItems()[static_cast<std::size_t>(i)];
        editStream(QStringLiteral("Change language"), "language", [&](TStreamItem& s) {
            setStreamLanguage(s, code);
            return true;
        });
    });
}

bool PlayItemView::loaded() const { return doc_.model().playlistLoaded; }

const TPlayItem* PlayItemView::item() const {
    const auto& items = doc_.model().playlist.PlayList.PlayItems;
    if (!loaded() || item_ < 0 || static_cast<std::size_t>(item_) >= items.size()) return nullptr;
    return &items[static_cast<std::size_t>(item_)];
}

std::optional<std::size_t> PlayItemView::selectedItem() const {
    return item() ? std::optional<std::size_t>(static_cast<std::size_t>(item_)) : std::nullopt;
}

std::optional<std::size_t> PlayItemView::selectedStream() const {
    const TPlayItem* p = item();
    if (!p || stream_ < 0 || static_cast<std::size_t>(stream_) >= streamCount(p->STN_table, kind_)) return std::nullopt;
    return static_cast<std::size_t>(stream_);
}

void PlayItemView::reset() {
    item_ = -1;
    stream_ = -1;
    quiet_ = true;
    sgPLitem_->resetGrid();
    sgPIangles_->resetGrid();
    sgStreamEntry_->resetGrid();
    sgSTN_->setDataRows(1);
    for (int c = 0; c < 7; ++c) sgSTN_->setCell(0, c, QString());
    // The grid has no row-number column: its first column is a count like the others.
    if (QTableWidgetItem* first = sgSTN_->item(0, 0)) first->setBackground(QBrush());
    quiet_ = false;
    anglePanel_->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{sgPLitem_, sgSTN_, sgStreamEntry_, bbInsSTN_, bbDelSTN_})
        w->setEnabled(false);
    showEditors();
    emit playItemShown(-1);
}

void PlayItemView::fill() {
    reset();
    if (!loaded()) return;
    for (QWidget* w : std::initializer_list<QWidget*>{sgPLitem_, sgSTN_, sgStreamEntry_}) w->setEnabled(true);
    kind_ = StreamKind::PrimaryVideo;
    redrawItems();
    if (!doc_.model().playlist.PlayList.PlayItems.empty()) selectPlayItem(0);
}

void PlayItemView::redrawItems() {
    const auto& items = doc_.model().playlist.PlayList.PlayItems;
    const int n = static_cast<int>(items.size());
    quiet_ = true;
    sgPLitem_->setDataRows(n);
    for (int r = 0; r < n; ++r) {
        const auto cells = playItemRow(items[static_cast<std::size_t>(r)], static_cast<std::size_t>(r));
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) sgPLitem_->setCell(r, c, qs(cells[c]));
    }
    sgPLitem_->updateEditFlags();
    quiet_ = false;
}

void PlayItemView::refresh() {
    if (!loaded()) {
        reset();
        return;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{sgPLitem_, sgSTN_, sgStreamEntry_}) w->setEnabled(true);
    redrawItems();
    const int n = sgPLitem_->dataRows();
    if (n == 0) {
        item_ = -1;
        showItem();
        return;
    }
    item_ = std::clamp(item_, 0, n - 1);
    if (sgPLitem_->currentRow() != item_) {
        quiet_ = true;
        sgPLitem_->setCurrentCell(item_, std::max(sgPLitem_->currentColumn(), 1));
        quiet_ = false;
    }
    showItem();
}

void PlayItemView::selectPlayItem(int i) {
    const auto& items = doc_.model().playlist.PlayList.PlayItems;
    if (!loaded() || i < 0 || static_cast<std::size_t>(i) >= items.size()) return;
    const bool other = i != item_;
    item_ = i;
    if (sgPLitem_->currentRow() != i) {
        quiet_ = true;
        if (sgPLitem_->editMode())
            sgPLitem_->setCurrentCell(i, std::max(sgPLitem_->currentColumn(), 1));
        else
            sgPLitem_->selectRange(i, i);
        quiet_ = false;
    }
    if (other) stream_ = 0;
    showItem();
}

void PlayItemView::showItem() {
    const TPlayItem* p = item();
    // The angle grid is shown only for a multi-angle PlayItem.
    const auto angles = p ? angleRows(*p) : std::vector<std::array<std::string, 4>>{};
    quiet_ = true;
    sgPIangles_->setDataRows(static_cast<int>(angles.size()));
    for (int r = 0; r < static_cast<int>(angles.size()); ++r)
        for (int c = 0; c < 4; ++c)
            sgPIangles_->setCell(r, c, qs(angles[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
    quiet_ = false;
    anglePanel_->setVisible(p && p->is_multi_angle && !angles.empty());

    const auto counts = p ? stnCountRow(p->STN_table) : std::array<std::string, 7>{};
    quiet_ = true;
    for (int c = 0; c < 7; ++c) sgSTN_->setCell(0, c, qs(counts[static_cast<std::size_t>(c)]));
    const int kindColumn = static_cast<int>(kind_);
    if (p && (sgSTN_->currentRow() != 0 || sgSTN_->currentColumn() != kindColumn))
        sgSTN_->setCurrentCell(0, kindColumn);
    if (!p) sgSTN_->clearSelection();
    quiet_ = false;
    showStreams();
    emit playItemShown(p ? item_ : -1);
}

void PlayItemView::selectKind(StreamKind kind) {
    if (kind == kind_ && item()) {
        return;
    }
    kind_ = kind;
    stream_ = 0;
    showItem();
}

void PlayItemView::showStreams() {
    const TPlayItem* p = item();
    const std::size_t n = p ? streamCount(p->STN_table, kind_) : 0;
    quiet_ = true;
    sgStreamEntry_->setDataRows(static_cast<int>(n));
    for (std::size_t r = 0; r < n; ++r) {
        const auto cells = streamRow(p->STN_table, kind_, r);
        for (int c = 0; c < static_cast<int>(cells.size()); ++c)
            sgStreamEntry_->setCell(static_cast<int>(r), c, qs(cells[static_cast<std::size_t>(c)]));
    }
    if (n == 0) {
        stream_ = -1;
        sgStreamEntry_->clearSelection();
    } else {
        stream_ = std::clamp(stream_, 0, static_cast<int>(n) - 1);
        if (sgStreamEntry_->currentRow() != stream_ || sgStreamEntry_->selectedItems().isEmpty())
            sgStreamEntry_->selectRange(stream_, stream_);
    }
    quiet_ = false;
    bbInsSTN_->setEnabled(p && canInsertStream(p->STN_table, kind_));
    bbDelSTN_->setEnabled(p && canDeleteStream(p->STN_table, kind_));
    showEditors();
}

void PlayItemView::selectStream(int row) {
    const TPlayItem* p = item();
    if (!p || row < 0 || static_cast<std::size_t>(row) >= streamCount(p->STN_table, kind_)) return;
    stream_ = row;
    if (sgStreamEntry_->currentRow() != row) {
        quiet_ = true;
        sgStreamEntry_->selectRange(row, row);
        quiet_ = false;
    }
    showEditors();
}

void PlayItemView::showEditors() {
    const TPlayItem* p = item();
    const auto row = selectedStream();
    if (!p || !row) {
        for (QWidget* w : {wType_, wMainPID_, wSubPath_, wSubClip_, wSubPID_, wVideo_, wAudio_, wLang_}) w->hide();
        return;
    }
    const TStreamItem& s = streamAt(p->STN_table, kind_, *row);
    const TStreamEntry& e = s.stream_entry;
    const TStreamAttributes& a = s.stream_attributes;
    const StreamEditors show = streamEditors(kind_, e.type);
    wType_->show();
    wMainPID_->setVisible(show.mainPID);
    wSubPath_->setVisible(show.subPathId);
    wSubClip_->setVisible(show.subClipEntryId);
    wSubPID_->setVisible(show.subPID);
    wVideo_->setVisible(show.videoLists);
    wAudio_->setVisible(show.audioLists);
    wLang_->setVisible(show.language);

    setIndex(coEntryType_, e.type);
    if (const auto hint = entryTypeHint(e.type)) coEntryType_->setToolTip(qs(*hint));
    showText(heMainPID_, QStringLiteral("%1").arg(e.ref_to_stream_PID_of_mainClip, 4, 16, QLatin1Char('0')).toUpper());
    fillClipPids();
    showText(heSubPID_, QStringLiteral("%1").arg(e.ref_to_stream_PID_of_subClip, 4, 16, QLatin1Char('0')).toUpper());
    showText(ieSubPath_, QString::number(e.ref_to_SubPath_id));
    showText(ieSubClip_, QString::number(e.ref_to_subClip_entry_id));

    const auto video = codingChoiceIndex(videoCodingChoices(), a.stream_coding_type);
    setIndex(coVideo_, video ? static_cast<int>(*video) : -1);
    if (video) coVideo_->setToolTip(qs(videoCodingChoices()[*video].hint));
    setIndex(coResol_, a.video_format);
    setIndex(coFrmRate_, a.frame_rate);
    // HEVC streams of Ultra HD discs also carry their dynamic range and colour space.
    const bool hevc = isHevcCodingType(a.stream_coding_type);
    coDynRange_->setVisible(hevc);
    coColour_->setVisible(hevc);
    setIndex(coDynRange_, a.dynamic_range_type);
    setIndex(coColour_, a.color_space);
    const auto audio = codingChoiceIndex(audioCodingChoices(), a.stream_coding_type);
    setIndex(coAudio_, audio ? static_cast<int>(*audio) : -1);
    if (audio) coAudio_->setToolTip(qs(audioCodingChoices()[*audio].hint));
    setIndex(coAuType_, a.audio_presentation_type);
    if (const auto hint = presentationTypeHint(a.audio_presentation_type)) coAuType_->setToolTip(qs(*hint));
    setIndex(coFreq_, a.sampling_frequency);
    const auto lang = languageIndex(a.language_code);
    setIndex(coLang_, lang ? static_cast<int>(*lang) : -1);
}

void PlayItemView::editStream(const QString& name, const char* field, const std::function<bool(TStreamItem&)>& edit) {
    const auto row = selectedStream();
    if (!row) return;
    const auto i = static_cast<std::size_t>(item_);
    const StreamKind kind = kind_;
    doc_.apply(
        pl::kPart, name,
        [&](Workspace& ws) { return edit(streamAt(ws.playlist.PlayList.PlayItems.at(i).STN_table, kind, *row)); },
        QStringLiteral("mpls/item/%1/stream/%2/%3/%4")
            .arg(i)
            .arg(static_cast<int>(kind))
            .arg(*row)
            .arg(QLatin1String(field)));
}

void PlayItemView::storeField(StreamField field, std::uint32_t value, const QString& name, const char* key) {
    const TPlayItem* p = item();
    const auto row = selectedStream();
    if (p && row && (field == StreamField::MainPID || field == StreamField::SubPID)) {
        // A stream the kind already plays, or one the clip does not have, is refused.
        if (const auto refusal = streamPidRefusal(p->STN_table, kind_, *row, field, static_cast<std::uint16_t>(value),
                                                  clipStreams(), p->Clip_Information_file_name)) {
            log_.erslog(*refusal + ".");
            showEditors();
            return;
        }
    }
    editStream(name, key, [&](TStreamItem& s) { return setStreamField(s, field, value); });
    showEditors();
}

const std::vector<ClipStream>* PlayItemView::clipStreams() const {
    const TPlayItem* p = item();
    if (!p) return nullptr;
    const std::string name = p->Clip_Information_file_name;
    auto it = clipStreams_.find(name);
    if (it == clipStreams_.end()) {
        std::optional<std::vector<ClipStream>> streams;
        try {
            const std::string file = doc_.model().paths().clipInfo(name);
            const TCLPI clip = readClipInfo(readDatabaseFile(file), name + doc_.model().names().clipExt);
            streams.emplace();
            for (const TProgram_sequences& ps : clip.ProgramInfo.program_sequences)
                for (const TProgramStream& ps2 : ps.streams)
                    streams->push_back({ps2.stream_PID, ps2.stream_coding_type, ps2.audio_presentation_type,
                                        ps2.sampling_frequency, ps2.language_code});
        } catch (const std::exception&) {
            // No clip to ask: only duplicates are refused.
        }
        it = clipStreams_.emplace(name, std::move(streams)).first;
    }
    return it->second ? &*it->second : nullptr;
}

void PlayItemView::fillClipPids() {
    const QSignalBlocker block(coClipPID_);
    coClipPID_->clear();
    const auto* clip = clipStreams();
    coClipPID_->setEnabled(clip != nullptr);
    if (!clip) return;
    for (const ClipStream& c : clipStreamsOfKind(*clip, kind_)) {
        QString text = QStringLiteral("%1  %2")
                           .arg(c.pid, 4, 16, QLatin1Char('0'))
                           .toUpper()
                           .arg(QString::fromStdString(codingTypeName(c.codingType)));
        if (!c.language_code.empty()) text += QStringLiteral("  ") + QString::fromStdString(c.language_code);
        coClipPID_->addItem(text, QVariant(static_cast<uint>(c.pid)));
    }
    const TPlayItem* p = item();
    const auto row = selectedStream();
    if (p && row)
        coClipPID_->setCurrentIndex(coClipPID_->findData(QVariant(
            static_cast<uint>(streamAt(p->STN_table, kind_, *row).stream_entry.ref_to_stream_PID_of_mainClip))));
}

void PlayItemView::bbInsSTNClick() {
    const TPlayItem* p = item();
    if (!p || !canInsertStream(p->STN_table, kind_)) return;
    const auto i = static_cast<std::size_t>(item_);
    const StreamKind kind = kind_;
    const auto after = selectedStream();
    // The new stream plays the clip's next stream of the kind that no stream plays yet.
    const std::vector<ClipStream>* clip = clipStreams();
    const auto inserted = doc_.applyPlacing(pl::kPart, QStringLiteral("Insert stream"), [&](Workspace& ws) {
        return insertStream(ws.playlist, i, kind, after, clip);
    });
    if (!inserted) {
        if (clip && kind != StreamKind::IG)
            log_.erslog("Clip " + p->Clip_Information_file_name + " has no other " + std::string(streamKindName(kind)) +
                        " stream to add.");
        else
            log_.erslog("No room for another stream in this PlayItem.");
        return;
    }
    selectStream(static_cast<int>(*inserted));
}

void PlayItemView::bbDelSTNClick() {
    const TPlayItem* p = item();
    const auto row = selectedStream();
    if (!p || !row || !canDeleteStream(p->STN_table, kind_)) return;
    const auto i = static_cast<std::size_t>(item_);
    const StreamKind kind = kind_;
    const auto select = doc_.applyPlacing(pl::kPart, QStringLiteral("Delete stream"),
                                          [&](Workspace& ws) { return deleteStream(ws.playlist, i, kind, *row); });
    if (select) selectStream(static_cast<int>(*select));
}

void PlayItemView::cellTyped(int row, int column, const QString& text) {
    const auto& items = doc_.model().playlist.PlayList.PlayItems;
    if (!loaded() || row < 0 || static_cast<std::size_t>(row) >= items.size()) return;
    const auto r = static_cast<std::size_t>(row);
    const std::string typed = text.toStdString();
    const auto col = static_cast<PlayItemColumn>(column);
    QString name;
    switch (col) {
    case PlayItemColumn::File: name = QStringLiteral("Change clip name"); break;
    case PlayItemColumn::In: name = QStringLiteral("Change IN time"); break;
    case PlayItemColumn::Out: name = QStringLiteral("Change OUT time"); break;
    case PlayItemColumn::UO1:
    case PlayItemColumn::UO2: name = QStringLiteral("Change PlayItem UO mask"); break;
    default: return;
    }
    InTimeCascade cascade;
    if (col == PlayItemColumn::In) {
        const auto in = parseTypedTime(typed);
        if (in) {
            // Each question is asked on its own; the answers apply to the whole playlist.
            const InTimeCascade questions = inTimeQuestions(doc_.model().playlist, r, *in);
            const auto answer = [this](const char* q) { return ask ? ask(QString::fromLatin1(q)) : false; };
            if (questions.out) cascade.out = answer(kAskUpdateOut);
            if (questions.subPlayItems) cascade.subPlayItems = answer(kAskUpdateSubPlayItems);
            if (questions.marks) cascade.marks = answer(kAskUpdateMarks);
        }
    }
    bool taken = false;
    doc_.apply(pl::kPart, name, [&](Workspace& ws) {
        taken = editPlayItemCell(ws.playlist, r, col, typed, cascade);
        return taken;
    });
    if (!taken) {
        const bool time = col == PlayItemColumn::In || col == PlayItemColumn::Out;
        const bool uo = col == PlayItemColumn::UO1 || col == PlayItemColumn::UO2;
        log_.erslog(time ? "Not taken: a time is typed as hh:mm:ss.mmm, at most 26:30:43.717."
                    : uo ? "Not taken: a UO mask has eight hexadecimal digits."
                         : "Not taken: a clip name has five characters.");
    }
}

}  // namespace navora::ui
