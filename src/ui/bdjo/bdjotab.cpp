#include "ui/bdjo/bdjotab.h"

#include "bdj/bdjo_text.h"
#include "core/log.h"
#include "ui/app/document.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace navora::ui {

namespace {

// Shown values on the window's face colour, not the white of a box that takes typing.
void lookReadOnly(QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    p.setColor(QPalette::AlternateBase, p.color(QPalette::Window));
    w->setPalette(p);
}

StringGrid* grid(const char* name, const TextGrid& empty, QWidget* parent) {
    auto* g = new StringGrid(parent);
    g->setObjectName(QLatin1String(name));
    lookReadOnly(g);
    g->setTitles(toList(empty.columns));
    g->horizontalHeader()->setStretchLastSection(true);
    g->setEnabled(false);
    return g;
}

// Fills a grid with the rows of t (or resets it to one empty row) and enables it by rule.
void showGrid(StringGrid* g, const TextGrid& t, bool enabled) {
    g->setDataRows(static_cast<int>(t.rows.size()));
    for (std::size_t r = 0; r < t.rows.size(); ++r)
        for (std::size_t c = 0; c < t.rows[r].size(); ++c)
            g->setCell(static_cast<int>(r), static_cast<int>(c), QString::fromStdString(t.rows[r][c]));
    g->resizeColumnsToContents();
    g->setEnabled(enabled);
}

// A check box that shows a flag of the file: it takes neither clicks nor keys.
QCheckBox* flagBox(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAttribute(Qt::WA_TransparentForMouseEvents);
    b->setFocusPolicy(Qt::NoFocus);
    // A click that reaches it all the same changes nothing: the box shows the file.
    QObject::connect(b, &QCheckBox::clicked, b, [b](bool on) {
        const QSignalBlocker block(b);
        b->setChecked(!on);
    });
    return b;
}

void setFlag(QCheckBox* box, bool on) {
    const QSignalBlocker block(box);
    box->setChecked(on);
}

QLineEdit* field(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setReadOnly(true);
    lookReadOnly(e);
    return e;
}

QGroupBox* group(const QString& title, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    return g;
}

}  // namespace

BdjoTab::BdjoTab(Document& doc, Log& log, QWidget* parent) : TabPage(parent), doc_(doc), log_(log) {
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("BD-J object:"), this);
    cbBDJO_ = new QComboBox(this);
    cbBDJO_->setObjectName(QStringLiteral("cbBDJO"));
    cbBDJO_->setToolTip(QStringLiteral("BD-J object"));
    cbBDJO_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbBDJO_->setMinimumContentsLength(6);
    label->setBuddy(cbBDJO_);
    bReadBDJO_ = new QPushButton(QStringLiteral("&Read"), this);
    bReadBDJO_->setObjectName(QStringLiteral("bReadBDJO"));
    lRefused_ = new QLabel(this);
    lRefused_->setObjectName(QStringLiteral("lBdjoRefused"));
    // Red that reads on a light and on a dark window.
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    lRefused_->setStyleSheet(dark ? QStringLiteral("QLabel { color: #ff7b7b; font-weight: bold; }")
                          : QStringLiteral("QLabel { color: #c00000; font-weight: bold; }"));
    lRefused_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lRefused_->setWordWrap(true);
    lRefused_->hide();
    row->addWidget(label);
    row->addWidget(cbBDJO_);
    row->addWidget(bReadBDJO_);
    auto* readOnly = new QLabel(QStringLiteral("Read only: BD-J objects are shown, not edited."), this);
    readOnly->setObjectName(QStringLiteral("lReadOnly"));
    row->addSpacing(8);
    row->addWidget(readOnly);
    row->addSpacing(8);
    row->addWidget(lRefused_, 1);
    row->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(buildTerminal());
    left->addWidget(buildCache(), 1);
    left->addWidget(buildAccessible(), 1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(left, 2);
    middle->addWidget(buildApplications(), 5);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildKeys(), 3);
    bottom->addWidget(buildFileAccess(), 2);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addLayout(row);
    outer->addLayout(middle, 1);
    outer->addLayout(bottom);

    connect(bReadBDJO_, &QPushButton::clicked, this, &BdjoTab::bReadBDJOClick);
    connect(cbBDJO_, &QComboBox::activated, this, &BdjoTab::cbBDJOChange);
    connect(sgAppManage_, &StringGrid::choiceChanged, this, [this] {
        const auto r = sgAppManage_->selectedRange();
        if (r && r->first != detailsOf_) sgAppManageClick();
    });
    connect(sgAccPLs_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& at) {
        if (at.row() < sgAccPLs_->dataRows()) emit playlistRequested(sgAccPLs_->cell(at.row(), 1));
    });
    connect(&doc_, &Document::reloaded, this, &BdjoTab::fillSelector);
    connect(&doc_, &Document::bdjObjectChanged, this, &BdjoTab::showObject);
    fillSelector();
    showObject();
}

QWidget* BdjoTab::buildTerminal() {
    QGroupBox* g = group(QStringLiteral("TerminalInfo"), this);
    auto* l = new QGridLayout(g);
    eDefaultFont_ = field("eDefaultFont", g);
    eHavi_ = field("eHavi", g);
    auto* font = new QLabel(QStringLiteral("Default font "), g);
    font->setBuddy(eDefaultFont_);
    auto* havi = new QLabel(QStringLiteral("Initial HAVi configuration id"), g);
    havi->setBuddy(eHavi_);
    cbMenuCallMask_ = flagBox(QStringLiteral("Menu call mask"), "cbMenuCallMask", g);
    cbTitleSearchMask_ = flagBox(QStringLiteral("Title search mask"), "cbTitleSearchMask", g);
    l->addWidget(font, 0, 0);
    l->addWidget(eDefaultFont_, 0, 1);
    l->addWidget(havi, 1, 0);
    l->addWidget(eHavi_, 1, 1);
    l->addWidget(cbMenuCallMask_, 2, 0);
    l->addWidget(cbTitleSearchMask_, 2, 1);
    return g;
}

QWidget* BdjoTab::buildCache() {
    QGroupBox* g = group(QStringLiteral("AppCacheInfo"), this);
    auto* l = new QVBoxLayout(g);
    sgCacheInfo_ = grid("sgCacheInfo", cacheInfoGrid({}), g);
    sgCacheInfo_->setToolTip(QStringLiteral("CacheInfo"));
    l->addWidget(sgCacheInfo_);
    return g;
}

QWidget* BdjoTab::buildAccessible() {
    QGroupBox* g = group(QStringLiteral("TableOfAccessiblePlayLists"), this);
    auto* l = new QVBoxLayout(g);
    auto* flags = new QHBoxLayout;
    cbAccessToAll_ = flagBox(QStringLiteral("Acces to all"), "cbAccessToAll", g);
    cbAutostartFirstPL_ = flagBox(QStringLiteral("Autostart first PL"), "cbAutostartFirstPL", g);
    flags->addWidget(cbAccessToAll_);
    flags->addWidget(cbAutostartFirstPL_);
    flags->addStretch();
    sgAccPLs_ = grid("sgAccPLs", accessiblePlayListsGrid({}), g);
    sgAccPLs_->setToolTip(QStringLiteral("Accessible PlayLists\nDouble-click: open the playlist"));
    l->addLayout(flags);
    l->addWidget(sgAccPLs_);
    return g;
}

QWidget* BdjoTab::buildApplications() {
    QGroupBox* g = group(QStringLiteral("ApplicationManagementTable"), this);
    auto* l = new QVBoxLayout(g);
    sgAppManage_ = grid("sgAppManage", applicationsGrid({}), g);
    sgAppManage_->horizontalHeader()->setStretchLastSection(false);
    const Tapplication none;
    sgProfiles_ = grid("sgProfiles", profilesGrid(none), g);
    sgNames_ = grid("sgNames", namesGrid(none), g);
    sgParameters_ = grid("sgParameters", parametersGrid(none), g);
    auto* details = new QHBoxLayout;
    const std::pair<const char*, StringGrid*> parts[] = {
        {"Profiles", sgProfiles_}, {"Names", sgNames_}, {"Parameters", sgParameters_}};
    for (const auto& [title, grid] : parts) {
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(QLatin1String(title), g));
        column->addWidget(grid, 1);
        details->addLayout(column, grid == sgProfiles_ ? 2 : 3);
    }
    // A disc has a few applications, each with a few names and parameters: even shares.
    l->addWidget(sgAppManage_, 1);
    l->addLayout(details, 1);
    return g;
}

QWidget* BdjoTab::buildKeys() {
    QGroupBox* g = group(QStringLiteral("KeyInterestTable"), this);
    auto* l = new QGridLayout(g);
    l->setVerticalSpacing(2);
    int i = 0;
    for (const KeySwitch& k : keySwitches()) {
        QCheckBox* b = flagBox(QLatin1String(k.caption), "cbKey", g);
        keyBoxes_.push_back(b);
        l->addWidget(b, i / 6, i % 6);
        ++i;
    }
    return g;
}

QWidget* BdjoTab::buildFileAccess() {
    QGroupBox* g = group(QStringLiteral("FileAccesInfo"), this);
    auto* l = new QHBoxLayout(g);
    eDirectoryPath_ = field("eDirectoryPath", g);
    auto* label = new QLabel(QStringLiteral("Directory Path:"), g);
    label->setBuddy(eDirectoryPath_);
    l->addWidget(label);
    l->addWidget(eDirectoryPath_, 1);
    return g;
}

BottomBar BdjoTab::bottomBar() const {
    BottomBar b;
    b.save = true;
    return b;
}

void BdjoTab::activated() {
    const bool wanted = readOnEntry_ || doc_.model().options.autoRead;
    readOnEntry_ = false;
    if (wanted && bReadBDJO_->isEnabled()) bReadBDJOClick();
}

bool BdjoTab::openObject(const QString& name) {
    const int i = cbBDJO_->findText(name);
    if (i < 0) return false;
    cbBDJO_->setCurrentIndex(i);
    readOnEntry_ = true;
    return true;
}

void BdjoTab::fillSelector() {
    const QStringList names = toList(doc_.model().bdjObjects);
    {
        const QSignalBlocker block(cbBDJO_);
        cbBDJO_->clear();
        cbBDJO_->addItems(names);
        cbBDJO_->setCurrentIndex(names.isEmpty() ? -1 : 0);
    }
    cbBDJO_->setEnabled(!names.isEmpty());
    bReadBDJO_->setEnabled(!names.isEmpty());
    readOnEntry_ = false;
}

void BdjoTab::bReadBDJOClick() {
    const QString name = cbBDJO_->currentText();
    if (name.isEmpty()) return;
    doc_.readBdjObject(name.toStdString(), log_);
    cbBDJO_->setFocus();
}

void BdjoTab::cbBDJOChange(int) {
    if (doc_.model().options.autoRead && bReadBDJO_->isEnabled()) bReadBDJOClick();
}

const TBDJO* BdjoTab::shown() const {
    const auto& o = doc_.bdjObject().object;
    return o ? &*o : nullptr;
}

void BdjoTab::showObject() {
    const BdjObjectState& state = doc_.bdjObject();
    const TBDJO empty;
    const TBDJO& b = state.object ? *state.object : empty;
    const bool refused = !state.object && !state.name.empty();
    lRefused_->setText(refused ? QString::fromStdString(state.name + ".bdjo not read: " + state.refusal) : QString());
    lRefused_->setVisible(refused);

    const bool read = state.object.has_value();
    eDefaultFont_->setText(read ? QString::fromStdString(b.terminal_info.default_font_file_name) : QString());
    eHavi_->setText(read ? QString::fromStdString(haviText(b.terminal_info)) : QString());
    setFlag(cbMenuCallMask_, b.terminal_info.menu_call_mask);
    setFlag(cbTitleSearchMask_, b.terminal_info.title_search_mask);
    setFlag(cbAccessToAll_, b.accessible_playlists.access_to_all_flag);
    setFlag(cbAutostartFirstPL_, b.accessible_playlists.autostart_first_PlayList_flag);
    for (std::size_t i = 0; i < keyBoxes_.size(); ++i)
        setFlag(keyBoxes_[i], hasKeyInterest(b.key_interest, keySwitches()[i].key));
    eDirectoryPath_->setText(QString::fromStdString(b.file_access_info.directory_path));

    const TextGrid cache = cacheInfoGrid(b);
    showGrid(sgCacheInfo_, cache, gridEnabled(cache));
    const TextGrid playlists = accessiblePlayListsGrid(b);
    showGrid(sgAccPLs_, playlists, gridEnabled(playlists));
    const TextGrid apps = applicationsGrid(b);
    detailsOf_ = -1;
    // Enabled whenever it has rows, one application too: a disabled grid cannot be
    // scrolled to the columns beyond its width (the class name is the last one).
    showGrid(sgAppManage_, apps, gridEnabled(apps));
    if (!apps.rows.empty()) sgAppManage_->selectRange(0, 0);
    sgAppManageClick();
}

void BdjoTab::sgAppManageClick() {
    static const std::vector<Tapplication> noApps;
    const TBDJO* b = shown();
    const auto& apps = b ? b->applications.applications : noApps;
    const auto r = sgAppManage_->selectedRange();
    const Tapplication none;
    const bool any = r && static_cast<std::size_t>(r->first) < apps.size();
    const Tapplication& a = any ? apps[static_cast<std::size_t>(r->first)] : none;
    detailsOf_ = any ? r->first : -1;
    const TextGrid profiles = profilesGrid(a);
    const TextGrid names = namesGrid(a);
    const TextGrid parameters = parametersGrid(a);
    showGrid(sgProfiles_, profiles, gridEnabled(profiles));
    showGrid(sgNames_, names, gridEnabled(names));
    showGrid(sgParameters_, parameters, gridEnabled(parameters));
}

}  // namespace navora::ui
