#include "ui/bdmv/indexview.h"

#include "nav/disasm.h"
#include "core/extdata.h"
#include "core/streamcoding.h"
#include "navdb/uhd.h"
#include "playlist/playlist_text.h"
#include "ui/widgets/gridkeys.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace navora::ui {

namespace {

constexpr int kContentProviderMax = 32;

QStringList toList(const std::vector<std::string>& items) {
    QStringList out;
    for (const std::string& s : items) out << QString::fromStdString(s);
    return out;
}

QComboBox* combo(const char* name, const QString& hint, QWidget* parent, int minChars = 4) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setToolTip(hint);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(minChars);
    c->setEnabled(false);
    return c;
}

QLabel* caption(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setEnabled(true);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 0.95);
    l->setFont(f);
    return l;
}

void setItems(QComboBox* box, const QStringList& items, int index = -1) {
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(index);
}

void setIndex(QComboBox* box, int index) {
    const QSignalBlocker block(box);
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

// The values the boxes list, in list order. A box shows a value by its
// name, so that access type 1 shows as "Permitted" and values without a
// name show no entry.
constexpr ObjectType kObjectTypes[] = {ObjectType::HDMV, ObjectType::BDJ};
constexpr AccessType kAccessTypes[] = {AccessType::Permitted, AccessType::Prohibited1, AccessType::Prohibited2};
constexpr PlaybackType kPlaybackTypes[] = {PlaybackType::Movie, PlaybackType::Interactive};

template <class T, std::size_t N>
QStringList itemsOf(const T (&values)[N], std::string (*name)(T)) {
    QStringList out;
    for (T v : values) out << QString::fromStdString(name(v));
    return out;
}

template <class T, std::size_t N>
std::optional<T> valueOf(const T (&values)[N], int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= N) return std::nullopt;
    return values[item];
}

template <class T>
void showValue(QComboBox* box, T value, std::string (*name)(T)) {
    const QString text = QString::fromStdString(name(value));
    setIndex(box, text.isEmpty() ? -1 : box->findText(text));
}

}  // namespace

IndexView::IndexView(Document& doc, Log& log, QWidget* parent) : QWidget(parent), doc_(doc), log_(log) {
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(3);
    l->addLayout(buildTitleGrid(), 1);
    l->addWidget(buildTitleBoxes());
    l->addWidget(buildEntryBoxes());
    l->addLayout(buildContentRow());
    connectControls();
    reset();
}

// The title grid with its count label and "+"/"-".
QLayout* IndexView::buildTitleGrid() {
    lTitleCount_ = new RotatedLabel(QString(), this);
    lTitleCount_->setObjectName(QStringLiteral("lTitleCount"));
    sgTitles_ = new StringGrid(this);
    sgTitles_->setObjectName(QStringLiteral("sgTitles"));
    sgTitles_->setToolTip(QStringLiteral("Titles\nIns: Insert title\nDel: Delete title(s)"));
    sgTitles_->rowNumberText = [](int row) { return QString::fromStdString(dec3(static_cast<std::size_t>(row) + 1)); };
    sgTitles_->setTitles(toList({titleColumns().begin(), titleColumns().end()}));
    sgTitles_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    {
        const QFontMetrics fm(sgTitles_->font());
        const auto fit = [&](const QString& text) { return fm.horizontalAdvance(text) + 12; };
        sgTitles_->setColumnWidth(0, fit(QStringLiteral("000")));
        sgTitles_->setColumnWidth(1, fit(QStringLiteral("object t.")));
        sgTitles_->setColumnWidth(2, fit(QStringLiteral("Prohibited2")));
        sgTitles_->setColumnWidth(3, fit(QStringLiteral("Interactive")));
    }
    sgTitles_->horizontalHeader()->setStretchLastSection(true);
    new InsertDeleteKeys(sgTitles_, [this] { bbTiinsClick(); }, [this] { bbTidelClick(); });
    bbTiins_ = smallButton(QStringLiteral("+"), "bbTiins", QStringLiteral("Insert title"), this);
    bbTidel_ = smallButton(QStringLiteral("-"), "bbTidel", QStringLiteral("Delete title"), this);
    auto* titleButtons = new QVBoxLayout;
    titleButtons->setSpacing(2);
    titleButtons->addWidget(bbTiins_);
    titleButtons->addWidget(bbTidel_);
    titleButtons->addStretch(1);
    auto* titles = new QHBoxLayout;
    titles->setSpacing(3);
    titles->addWidget(lTitleCount_);
    titles->addWidget(sgTitles_, 1);
    titles->addLayout(titleButtons);
    return titles;
}

// The chosen title's fields.
QWidget* IndexView::buildTitleBoxes() {
    auto* title = new QGroupBox(QStringLiteral("Title"), this);
    auto* tg = new QGridLayout(title);
    tg->setContentsMargins(4, 2, 4, 4);
    tg->setHorizontalSpacing(4);
    tg->setVerticalSpacing(1);
    cbTitleNo_ = combo("cbTitleNo", QStringLiteral("Title number"), title, 3);
    cbTitleOT_ = combo("cbTitleOT", QStringLiteral("Title object type"), title, 4);
    cbTitleAT_ = combo("cbTitleAT", QStringLiteral("Title acces type: Title Search  (User Operation) into this title"),
                       title, 9);
    cbTitlePBT_ = combo("cbTitlePBT", QStringLiteral("Title playback type"), title, 9);
    cbTitleOID_ = combo("cbTitleOID", QStringLiteral("Title object id"), title, 3);
    cbTitleFN_ = combo("cbTitleFN", QStringLiteral("BD-J object filename"), title, 5);
    setItems(cbTitleOT_, itemsOf(kObjectTypes, objectTypeName));
    setItems(cbTitleAT_, itemsOf(kAccessTypes, accessTypeName));
    setItems(cbTitlePBT_, itemsOf(kPlaybackTypes, playbackTypeName));
    tg->addWidget(caption(QStringLiteral("No."), title), 0, 0);
    tg->addWidget(caption(QStringLiteral("object t."), title), 0, 1);
    tg->addWidget(caption(QStringLiteral("title search"), title), 0, 2);
    tg->addWidget(cbTitleNo_, 1, 0);
    tg->addWidget(cbTitleOT_, 1, 1);
    tg->addWidget(cbTitleAT_, 1, 2);
    tg->addWidget(caption(QStringLiteral("object id"), title), 2, 0);
    tg->addWidget(caption(QStringLiteral("BD-J file"), title), 2, 1);
    tg->addWidget(caption(QStringLiteral("playback t."), title), 2, 2);
    tg->addWidget(cbTitleOID_, 3, 0);
    tg->addWidget(cbTitleFN_, 3, 1);
    tg->addWidget(cbTitlePBT_, 3, 2);
    tg->setColumnStretch(0, 2);
    tg->setColumnStretch(1, 3);
    tg->setColumnStretch(2, 4);
    return title;
}

// First Playback and Top Menu in one table: on, type, object, file, playback type.
QWidget* IndexView::buildEntryBoxes() {
    auto* entries = new QGroupBox(QStringLiteral("First Playback / Top Menu"), this);
    auto* eg = new QGridLayout(entries);
    eg->setContentsMargins(4, 2, 4, 4);
    eg->setHorizontalSpacing(3);
    eg->setVerticalSpacing(1);
    cbFPBon_ = new QCheckBox(QStringLiteral("First Play"), entries);
    cbFPBon_->setObjectName(QStringLiteral("cbFPBon"));
    cbFPBon_->setToolTip(QStringLiteral("First playback on/off"));
    cbFPBtype_ = combo("cbFPBtype", QStringLiteral("First playback object type"), entries, 3);
    cbFPBTitlePBtype_ = combo("cbFPBTitlePBtype", QStringLiteral("First playback playback type"), entries, 9);
    cbFPBObject_ = combo("cbFPBObject", QStringLiteral("First playback movie object"), entries, 2);
    cbFPBFile_ = combo("cbFPBFile", QStringLiteral("First playback BD-J object file"), entries, 4);
    cbTMon_ = new QCheckBox(QStringLiteral("Top Menu"), entries);
    cbTMon_->setObjectName(QStringLiteral("cbTMon"));
    cbTMon_->setToolTip(QStringLiteral("Top menu on/off"));
    cbTMtype_ = combo("cbTMtype", QStringLiteral("Top menu object type"), entries, 3);
    cbTMObject_ = combo("cbTMObject", QStringLiteral("Top menu movie object"), entries, 2);
    cbTMFile_ = combo("cbTMFile", QStringLiteral("Top menu BD-J object file"), entries, 4);
    for (QComboBox* c : {cbFPBtype_, cbTMtype_}) setItems(c, itemsOf(kObjectTypes, objectTypeName));
    setItems(cbFPBTitlePBtype_, itemsOf(kPlaybackTypes, playbackTypeName));
    const int interactive = cbFPBTitlePBtype_->fontMetrics().horizontalAdvance(QStringLiteral("Interactive"));
    cbFPBTitlePBtype_->setMinimumWidth(interactive + 26);
    for (QCheckBox* c : {cbFPBon_, cbTMon_}) c->setEnabled(false);
    eg->addWidget(caption(QStringLiteral("object t."), entries), 0, 1);
    eg->addWidget(caption(QStringLiteral("object"), entries), 0, 2);
    eg->addWidget(caption(QStringLiteral("BD-J file"), entries), 0, 3);
    eg->addWidget(caption(QStringLiteral("playback t."), entries), 0, 4);
    eg->addWidget(cbFPBon_, 1, 0);
    eg->addWidget(cbFPBtype_, 1, 1);
    eg->addWidget(cbFPBObject_, 1, 2);
    eg->addWidget(cbFPBFile_, 1, 3);
    eg->addWidget(cbFPBTitlePBtype_, 1, 4);
    eg->addWidget(cbTMon_, 2, 0);
    eg->addWidget(cbTMtype_, 2, 1);
    eg->addWidget(cbTMObject_, 2, 2);
    eg->addWidget(cbTMFile_, 2, 3);
    eg->setColumnStretch(1, 1);
    eg->setColumnStretch(2, 1);
    eg->setColumnStretch(3, 1);
    eg->setColumnStretch(4, 2);
    return entries;
}

// The content provider text and the ExtensionData caption.
QLayout* IndexView::buildContentRow() {
    eContent_ = new QLineEdit(this);
    eContent_->setObjectName(QStringLiteral("eContent"));
    eContent_->setMaxLength(kContentProviderMax);
    eContent_->setToolTip(QStringLiteral("Content provider user data"));
    eContent_->setEnabled(false);
    auto* contentLabel = new QLabel(QStringLiteral("Provider:"), this);
    contentLabel->setBuddy(eContent_);
    lIndexExtDat_ = new QLabel(QString::fromStdString(ExtDatCap({})), this);
    lIndexExtDat_->setObjectName(QStringLiteral("lIndexExtDat"));
    lIndexExtDat_->setToolTip(QStringLiteral("ExtensionData() of index.bdmv"));
    bIndExDatEdit_ = new QPushButton(QStringLiteral("Edit"), this);
    bIndExDatEdit_->setObjectName(QStringLiteral("bIndExDatEdit"));
    bIndExDatEdit_->setToolTip(QStringLiteral("Edit the ExtensionData() of index.bdmv"));
    bIndExDatEdit_->setEnabled(false);
    connect(bIndExDatEdit_, &QPushButton::clicked, this, &IndexView::extensionDataEditRequested);
    // Ultra HD discs: the initial dynamic range and the disc's HDR information.
    lUhdInfo_ = new QLabel(this);
    lUhdInfo_->setObjectName(QStringLiteral("lUhdInfo"));
    lUhdInfo_->setToolTip(QStringLiteral("Ultra HD disc information (ExtensionData 3.1 of index.bdmv)"));
    cbDynRange_ = new QComboBox(this);
    cbDynRange_->setObjectName(QStringLiteral("cbDynRange"));
    cbDynRange_->setToolTip(QStringLiteral("initial_dynamic_range_type of the Ultra HD disc"));
    setItems(cbDynRange_, toList(dynamicRangeItems()));
    lUhdInfo_->setVisible(false);
    cbDynRange_->setVisible(false);
    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(4);
    bottom->addWidget(contentLabel);
    bottom->addWidget(eContent_, 1);
    bottom->addSpacing(6);
    bottom->addWidget(lUhdInfo_);
    bottom->addWidget(cbDynRange_);
    bottom->addWidget(lIndexExtDat_);
    bottom->addWidget(bIndExDatEdit_);
    return bottom;
}

void IndexView::connectControls() {
    connect(sgTitles_, &StringGrid::choiceChanged, this, [this] {
        const auto range = sgTitles_->selectedRange();
        if (!quietSelect_ && range && range->first != cbTitleNo_->currentIndex()) sgTitlesClick();
    });
    connect(sgTitles_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& at) {
        // The click before it has shown the title; a BD-J title opens its object.
        const TTitle* t = chosenTitle();
        if (!t || at.row() != cbTitleNo_->currentIndex() || t->object_type == ObjectType::HDMV) return;
        const QString name = cbTitleFN_->currentIndex() >= 0 ? cbTitleFN_->currentText()
                                                             : QString::fromStdString(t->bdjo_file_name);
        emit bdjoRequested(name);
    });
    connect(bbTiins_, &QToolButton::clicked, this, &IndexView::bbTiinsClick);
    connect(bbTidel_, &QToolButton::clicked, this, &IndexView::bbTidelClick);
    connect(cbTitleNo_, &QComboBox::activated, this, &IndexView::cbTitleNoChange);
    connect(cbTitleOT_, &QComboBox::activated, this, &IndexView::cbTitleOTChange);
    connect(cbTitleAT_, &QComboBox::activated, this, &IndexView::cbTitleATChange);
    connect(cbTitlePBT_, &QComboBox::activated, this, &IndexView::cbTitlePBTChange);
    connect(cbTitleOID_, &QComboBox::activated, this, &IndexView::cbTitleOIDChange);
    connect(cbTitleFN_, &QComboBox::activated, this, &IndexView::cbTitleFNChange);
    connect(cbFPBon_, &QCheckBox::clicked, this, &IndexView::cbFPBonClick);
    connect(cbFPBtype_, &QComboBox::activated, this, &IndexView::cbFPBtypeChange);
    connect(cbFPBTitlePBtype_, &QComboBox::activated, this, &IndexView::cbFPBTitlePBtypeChange);
    connect(cbFPBObject_, &QComboBox::activated, this, &IndexView::cbFPBObjectChange);
    connect(cbTMon_, &QCheckBox::clicked, this, &IndexView::cbTMonClick);
    connect(cbTMtype_, &QComboBox::activated, this, &IndexView::cbTMtypeChange);
    connect(cbTMObject_, &QComboBox::activated, this, &IndexView::cbTMObjectChange);
    connect(eContent_, &QLineEdit::textEdited, this, &IndexView::eContentChange);
    connect(cbDynRange_, &QComboBox::activated, this, &IndexView::cbDynRangeChange);
    connect(&doc_, &Document::aboutToRead, this, &IndexView::reset);
    connect(&doc_, &Document::reloaded, this, &IndexView::fill);
    // The titles show movie object references: both files' edits redraw them.
    connect(&doc_, &Document::changed, this, [this](Document::Parts parts) {
        if (parts & (Document::Part::Index | Document::Part::MovieObjects)) refresh();
    });
}

IndexView::EntryBoxes IndexView::boxes(IndexEntryKind kind) const {
    if (kind == IndexEntryKind::FirstPlayback)
        return {cbFPBon_, cbFPBtype_, cbFPBTitlePBtype_, cbFPBObject_, cbFPBFile_};
    return {cbTMon_, cbTMtype_, nullptr, cbTMObject_, cbTMFile_};
}

std::optional<std::size_t> IndexView::selectedTitle() const {
    const int i = cbTitleNo_->currentIndex();
    if (!loaded_ || i < 0 || static_cast<std::size_t>(i) >= ws().index.indexes.titles.size()) return std::nullopt;
    return static_cast<std::size_t>(i);
}

const TTitle* IndexView::chosenTitle() const {
    const auto i = selectedTitle();
    return i ? &ws().index.indexes.titles[*i] : nullptr;
}

void IndexView::reset() {
    loaded_ = false;
    pendingOn_[0] = pendingOn_[1] = false;
    quietSelect_ = true;
    sgTitles_->resetGrid();
    quietSelect_ = false;
    for (QWidget* w :
         std::initializer_list<QWidget*>{sgTitles_, bbTiins_, bbTidel_, eContent_, cbFPBon_, cbTMon_, bIndExDatEdit_})
        w->setEnabled(false);
    for (QComboBox* c : {cbTitleNo_, cbTitleOID_, cbTitleFN_, cbFPBObject_, cbFPBFile_, cbTMObject_, cbTMFile_})
        setItems(c, {});
    for (QComboBox* c : {cbTitleOT_, cbTitleAT_, cbTitlePBT_, cbFPBtype_, cbFPBTitlePBtype_, cbTMtype_})
        setIndex(c, -1);
    for (QComboBox* c : {cbTitleNo_, cbTitleOT_, cbTitleAT_, cbTitlePBT_, cbTitleOID_, cbTitleFN_, cbFPBtype_,
                         cbFPBTitlePBtype_, cbFPBObject_, cbFPBFile_, cbTMtype_, cbTMObject_, cbTMFile_})
        c->setEnabled(false);
    for (QCheckBox* c : {cbFPBon_, cbTMon_}) {
        const QSignalBlocker block(c);
        c->setChecked(false);
    }
    {
        const QSignalBlocker block(eContent_);
        eContent_->clear();
    }
    lTitleCount_->setText(QString());
    lIndexExtDat_->setText(QString::fromStdString(ExtDatCap({})));
    bIndExDatEdit_->setEnabled(false);
    showUhd();
}

void IndexView::fill() {
    reset();
    const QStringList files = toList(ws().bdjObjects);
    for (QComboBox* c : {cbTitleFN_, cbFPBFile_, cbTMFile_}) setItems(c, files, files.isEmpty() ? -1 : 0);
    fillObjectLists();
    if (!ws().indexLoaded) return;
    loaded_ = true;
    {
        const QSignalBlocker block(eContent_);
        // The text is bytes of the file: Latin-1 keeps every byte as it is.
        eContent_->setText(QString::fromLatin1(ws().index.content_provider));
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{sgTitles_, bbTiins_, bbTidel_, eContent_, cbFPBon_, cbTMon_, bIndExDatEdit_})
        w->setEnabled(true);
    redrawTitles();
    showEntry(IndexEntryKind::FirstPlayback);
    showEntry(IndexEntryKind::TopMenu);
    lIndexExtDat_->setText(QString::fromStdString(ExtDatCap(ws().index.ext)));
    showUhd();
    updateCountLabel();
    enableTitleBoxes();
    showUhd();
}

void IndexView::fillObjectLists() {
    QStringList objects;
    const std::size_t n = ws().mobjLoaded ? ws().mobj.mobjs.objects.size() : 0;
    for (std::size_t i = 0; i < n; ++i) objects << QString::number(i);
    for (QComboBox* c : {cbTitleOID_, cbFPBObject_, cbTMObject_}) setItems(c, objects);
}

void IndexView::refresh() {
    // The object lists are refilled only when the number of objects changed:
    // an entry that is off keeps the choice of its list.
    const std::size_t objects = ws().mobjLoaded ? ws().mobj.mobjs.objects.size() : 0;
    if (static_cast<std::size_t>(cbTitleOID_->count()) != objects) fillObjectLists();
    if (!loaded_) return;
    const QString content = QString::fromLatin1(ws().index.content_provider);
    if (eContent_->text() != content) {
        const QSignalBlocker block(eContent_);
        eContent_->setText(content);
    }
    const auto range = sgTitles_->selectedRange();
    redrawTitles();
    const int n = sgTitles_->dataRows();
    if (n > 0 && range) {
        quietSelect_ = true;
        sgTitles_->selectRange(std::min(range->first, n - 1), std::min(range->second, n - 1));
        quietSelect_ = false;
    }
    if (const auto t = selectedTitle()) {
        showTitleFields(*t);
    } else {
        for (QComboBox* c : {cbTitleOT_, cbTitleAT_, cbTitlePBT_, cbTitleOID_}) setIndex(c, -1);
    }
    showEntry(IndexEntryKind::FirstPlayback);
    showEntry(IndexEntryKind::TopMenu);
    lIndexExtDat_->setText(QString::fromStdString(ExtDatCap(ws().index.ext)));
    updateCountLabel();
    enableTitleBoxes();
}

void IndexView::updateCountLabel() {
    const std::size_t objects = ws().mobjLoaded ? ws().mobj.mobjs.objects.size() : 0;
    lTitleCount_->setText(QString::fromStdString(BDMVlabels(ws().index, objects).titles));
}

void IndexView::indline(int i) {
    const auto& titles = ws().index.indexes.titles;
    if (i < 0 || static_cast<std::size_t>(i) >= titles.size()) return;
    const std::optional<std::size_t> objects =
        ws().mobjLoaded ? std::optional<std::size_t>(ws().mobj.mobjs.objects.size()) : std::nullopt;
    const auto cells = navora::indline(titles[static_cast<std::size_t>(i)], objects);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) sgTitles_->setCell(i, c, QString::fromStdString(cells[c]));
}

void IndexView::redrawTitles() {
    const int n = static_cast<int>(ws().index.indexes.titles.size());
    quietSelect_ = true;
    sgTitles_->setDataRows(n);
    quietSelect_ = false;
    for (int i = 0; i < n; ++i) indline(i);
    QStringList numbers;
    for (int i = 1; i <= n; ++i) numbers << QString::number(i);
    const int chosen = cbTitleNo_->currentIndex();
    setItems(cbTitleNo_, numbers, chosen < n ? chosen : n - 1);
}

void IndexView::enableTitleBoxes() {
    const bool any = loaded_ && !ws().index.indexes.titles.empty();
    cbTitleNo_->setEnabled(any);
    cbTitleAT_->setEnabled(any);
    cbTitlePBT_->setEnabled(any);
    cbTitleOT_->setEnabled(any && !ws().bdjObjects.empty());
    const TTitle* t = chosenTitle();
    const bool hdmv = t && t->object_type == ObjectType::HDMV;
    cbTitleOID_->setEnabled(any && t && hdmv);
    cbTitleFN_->setEnabled(any && t && !hdmv);
}

void IndexView::showTitleFields(std::size_t i) {
    const auto& titles = ws().index.indexes.titles;
    if (i >= titles.size()) return;
    const TTitle& t = titles[i];
    setIndex(cbTitleNo_, static_cast<int>(i));
    const bool hdmv = t.object_type == ObjectType::HDMV;
    showValue(cbTitleOT_, t.object_type, objectTypeName);
    showValue(cbTitleAT_, t.access_type, accessTypeName);
    showValue(cbTitlePBT_, t.playback_type, playbackTypeName);
    setIndex(cbTitleOID_, hdmv ? t.mobj_id_ref : -1);
    // A name the BD-J list lacks shows no entry rather than another title's file.
    if (!hdmv) setIndex(cbTitleFN_, cbTitleFN_->findText(QString::fromStdString(t.bdjo_file_name)));
    enableTitleBoxes();
}

void IndexView::selectTitle(int i) {
    if (!loaded_ || i < 0 || static_cast<std::size_t>(i) >= ws().index.indexes.titles.size()) return;
    quietSelect_ = true;
    sgTitles_->selectRange(i, i);
    quietSelect_ = false;
    sgTitlesClick();
}

void IndexView::sgTitlesClick() {
    const auto range = sgTitles_->selectedRange();
    const auto& titles = ws().index.indexes.titles;
    if (!loaded_ || !range || static_cast<std::size_t>(range->first) >= titles.size()) return;
    const auto i = static_cast<std::size_t>(range->first);
    showTitleFields(i);
    const TTitle& t = titles[i];
    if (t.object_type == ObjectType::HDMV && ws().mobjLoaded && t.mobj_id_ref < ws().mobj.mobjs.objects.size())
        emit showObject(t.mobj_id_ref);
}

void IndexView::cbTitleNoChange(int index) { selectTitle(index); }

void IndexView::bbTiinsClick() {
    if (!loaded_) return;
    const auto& titles = ws().index.indexes.titles;
    const auto range = sgTitles_->selectedRange();
    // The new title goes after the last selected one.
    const std::size_t pos = titles.empty() ? 0 : range ? static_cast<std::size_t>(range->second) + 1 : titles.size();
    const auto inserted = doc_.applyPlacing(Document::Part::Index, QStringLiteral("Insert title"),
                                            [&](Workspace& ws) { return insertTitle(ws.index, pos); });
    if (!inserted) {
        log_.erslog("No room for another title.");
        return;
    }
    selectTitle(static_cast<int>(*inserted));
}

void IndexView::bbTidelClick() {
    if (!loaded_ || ws().index.indexes.titles.empty()) return;
    const auto range = sgTitles_->selectedRange();
    if (!range) return;
    const auto select = doc_.applyPlacing(Document::Part::Index, QStringLiteral("Delete titles"), [&](Workspace& ws) {
        return deleteTitles(ws.index, static_cast<std::size_t>(range->first), static_cast<std::size_t>(range->second));
    });
    if (select && !ws().index.indexes.titles.empty()) selectTitle(static_cast<int>(*select));
}

void IndexView::editIndex(const QString& name, const QString& mergeKey, const std::function<void(TINDX&)>& edit) {
    doc_.apply(Document::Part::Index, name,
               [&](Workspace& ws) {
                   edit(ws.index);
                   return true;
               },
               mergeKey);
}

void IndexView::editTitle(const QString& name, const char* field, const std::function<void(TTitle&)>& edit) {
    const auto i = selectedTitle();
    if (!i) return;
    editIndex(name, QStringLiteral("index/title/%1/%2").arg(*i).arg(QLatin1String(field)),
              [&](TINDX& x) { edit(x.indexes.titles[*i]); });
}

void IndexView::cbTitleOTChange(int index) {
    const auto type = valueOf(kObjectTypes, index);
    if (!type) return;
    editTitle(QStringLiteral("Change title object type"), "object", [&](TTitle& t) { setTitleObjectType(t, *type); });
}

void IndexView::cbTitleATChange(int index) {
    const auto type = valueOf(kAccessTypes, index);
    if (!type) return;
    editTitle(QStringLiteral("Change title search"), "access", [&](TTitle& t) { setTitleAccessType(t, *type); });
}

void IndexView::cbTitlePBTChange(int index) {
    const auto type = valueOf(kPlaybackTypes, index);
    if (!type) return;
    editTitle(QStringLiteral("Change title playback type"), "playback",
              [&](TTitle& t) { setTitlePlaybackType(t, *type); });
}

void IndexView::cbTitleOIDChange(int index) {
    if (index < 0) return;
    editTitle(QStringLiteral("Change title object"), "mobj",
              [&](TTitle& t) { setTitleObject(t, static_cast<std::uint16_t>(index)); });
}

void IndexView::cbTitleFNChange(int index) {
    if (index < 0) return;
    const std::string name = cbTitleFN_->itemText(index).toStdString();
    editTitle(QStringLiteral("Change title BD-J object"), "bdjo", [&](TTitle& t) { setTitleBdjoName(t, name); });
}

// --- First Playback and Top Menu ----------------------------------------------

namespace {

QString entryName(IndexEntryKind kind) {
    return kind == IndexEntryKind::FirstPlayback ? QStringLiteral("First Playback") : QStringLiteral("Top Menu");
}

QString entryKey(IndexEntryKind kind, const char* field) {
    return QStringLiteral("index/%1/%2")
        .arg(kind == IndexEntryKind::FirstPlayback ? QLatin1String("fpb") : QLatin1String("tm"))
        .arg(QLatin1String(field));
}

}  // namespace

void IndexView::showEntry(IndexEntryKind kind) {
    const EntryBoxes b = boxes(kind);
    const TIndexEntry& e = indexEntry(ws().index, kind);
    bool& pending = pendingOn_[kind == IndexEntryKind::FirstPlayback ? 0 : 1];
    if (entryIsOn(e)) pending = false;
    {
        const QSignalBlocker block(b.on);
        b.on->setChecked(entryIsOn(e) || pending);
    }
    const bool hdmv = e.object_type == ObjectType::HDMV;
    showValue(b.type, e.object_type, objectTypeName);
    if (b.playbackType) showValue(b.playbackType, e.playback_type, playbackTypeName);
    // An entry that is off keeps the list's choice: switching it on again takes that object.
    if (hdmv && entryIsOn(e)) setIndex(b.object, e.mobj_id_ref);
    if (!hdmv && !e.bdjo_file_name.empty()) {
        // The entry's own file name is in its list even when the BDJO folder lacks it.
        const QString name = QString::fromStdString(e.bdjo_file_name);
        if (b.file->findText(name) < 0) {
            const QSignalBlocker block(b.file);
            b.file->addItem(name);
        }
        setIndex(b.file, b.file->findText(name));
    }
    entryEnableRule(kind);
}

void IndexView::entryEnableRule(IndexEntryKind kind) {
    const EntryBoxes b = boxes(kind);
    const TIndexEntry& e = indexEntry(ws().index, kind);
    const bool on = loaded_ && b.on->isChecked();
    b.on->setEnabled(loaded_);
    b.type->setEnabled(on && b.file->count() > 0);
    if (b.playbackType) b.playbackType->setEnabled(on);
    b.object->setEnabled(on && e.object_type == ObjectType::HDMV);
    b.file->setEnabled(on && e.object_type != ObjectType::HDMV);
}

void IndexView::entryOnClick(IndexEntryKind kind, bool on) {
    if (!loaded_) return;
    const EntryBoxes b = boxes(kind);
    const int chosen = b.object->currentIndex();
    // The box stays as clicked: an HDMV entry switched on before an object is
    // chosen has no reference yet, and its object list must open for the choice.
    pendingOn_[kind == IndexEntryKind::FirstPlayback ? 0 : 1] = on;
    const bool changed = doc_.apply(
        Document::Part::Index, entryName(kind) + (on ? QStringLiteral(" on") : QStringLiteral(" off")),
        [&](Workspace& ws) {
            setEntryOn(ws.index, kind, on,
                       chosen >= 0 ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(chosen)) : std::nullopt);
            return true;
        });
    if (!changed) showEntry(kind);
}

void IndexView::entryTypeChange(IndexEntryKind kind, int index) {
    const auto type = valueOf(kObjectTypes, index);
    if (!loaded_ || !type) return;
    editIndex(QStringLiteral("Change %1 type").arg(entryName(kind)), entryKey(kind, "type"),
              [&](TINDX& x) { setEntryType(x, kind, *type); });
}

void IndexView::entryObjectChange(IndexEntryKind kind, int index) {
    // An entry that is off keeps the reference "none".
    if (!loaded_ || index < 0 || !boxes(kind).on->isChecked()) return;
    editIndex(QStringLiteral("Change %1 object").arg(entryName(kind)), entryKey(kind, "object"),
              [&](TINDX& x) { setEntryObject(x, kind, static_cast<std::uint16_t>(index)); });
    if (indexEntry(ws().index, kind).object_type == ObjectType::HDMV) emit showObject(index);
}

void IndexView::cbFPBonClick(bool on) { entryOnClick(IndexEntryKind::FirstPlayback, on); }
void IndexView::cbFPBtypeChange(int index) { entryTypeChange(IndexEntryKind::FirstPlayback, index); }
void IndexView::cbFPBObjectChange(int index) { entryObjectChange(IndexEntryKind::FirstPlayback, index); }
void IndexView::cbTMonClick(bool on) { entryOnClick(IndexEntryKind::TopMenu, on); }
void IndexView::cbTMtypeChange(int index) { entryTypeChange(IndexEntryKind::TopMenu, index); }
void IndexView::cbTMObjectChange(int index) { entryObjectChange(IndexEntryKind::TopMenu, index); }

void IndexView::cbFPBTitlePBtypeChange(int index) {
    const auto type = valueOf(kPlaybackTypes, index);
    if (!loaded_ || !type) return;
    const IndexEntryKind kind = IndexEntryKind::FirstPlayback;
    editIndex(QStringLiteral("Change First Playback playback type"), entryKey(kind, "playback"),
              [&](TINDX& x) { setEntryPlaybackType(x, kind, *type); });
}

void IndexView::eContentChange(const QString& text) {
    if (!loaded_) return;
    // Typing into the box is one step.
    editIndex(QStringLiteral("Change content provider"), QStringLiteral("index/content"),
              [&](TINDX& x) { setContentProvider(x, text.toLatin1().toStdString()); });
}

}  // namespace navora::ui

namespace navora::ui {

void IndexView::showUhd() {
    const bool uhd = loaded_ && isUhd(ws().index);
    lUhdInfo_->setVisible(uhd);
    cbDynRange_->setVisible(uhd);
    cbDynRange_->setEnabled(uhd);
    if (!uhd) return;
    QString info = QStringLiteral("UHD");
    if (const auto u = uhdDiscInfo(ws().index)) {
        info += QStringLiteral(": ") + QString::fromStdString(hdrFlagsText(u->HDR_flags));
        if (u->HDR10plus_flag) info += QStringLiteral(", HDR10+");
        if (u->Dolby_Vision_flag) info += QStringLiteral(", Dolby Vision");
        if (u->exist_4k_flag) info += QStringLiteral(", 4K");
    }
    lUhdInfo_->setText(info);
    const int range = ws().index.app_info_flags.initial_dynamic_range_type;
    const QSignalBlocker block(cbDynRange_);
    cbDynRange_->setCurrentIndex(range < cbDynRange_->count() ? range : -1);  // no name: no choice shown
}

void IndexView::cbDynRangeChange(int i) {
    if (!loaded_ || i < 0) return;
    doc_.apply(Document::Part::Index, QStringLiteral("Change initial dynamic range"),
               [&](Workspace& ws) {
                   if (ws.index.app_info_flags.initial_dynamic_range_type == i) return false;
                   return setInitialDynamicRange(ws.index, static_cast<unsigned>(i));
               },
               QStringLiteral("index/dynamic range"));
}

}  // namespace navora::ui
