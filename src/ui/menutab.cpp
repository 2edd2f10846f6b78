#include "ui/menutab.h"

#include "core/errors.h"
#include "core/fileio.h"
#include "core/filenames.h"
#include "core/log.h"
#include "ig/load.h"
#include "ig/mux.h"
#include "ig/save.h"
#include "ui/document.h"
#include "ui/menuobjects.h"
#include "ui/menupages.h"
#include "ui/runcontroller.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

namespace navora::ui {

namespace {

const QStringList kVideoSizes = {QStringLiteral("1920x1080"), QStringLiteral("1280x720"), QStringLiteral("720x576"),
                                 QStringLiteral("720x480")};
const QStringList kFrameRates = {QStringLiteral("-"),     QStringLiteral("23.97"), QStringLiteral("24"),
                                 QStringLiteral("25"),    QStringLiteral("29.97"), QStringLiteral("-"),
                                 QStringLiteral("50"),    QStringLiteral("59.94")};

// Keeps a box from taking the user's input: it shows what the menu says.
class DisplayOnly : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseButtonRelease:
            case QEvent::KeyPress:
            case QEvent::Wheel:
                return true;
            default:
                return false;
        }
    }
};

QGroupBox* group(const QString& title, const char* name, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    auto* l = new QGridLayout(g);
    l->setContentsMargins(6, 2, 6, 4);
    l->setHorizontalSpacing(6);
    l->setVerticalSpacing(1);
    return g;
}

// A caption above its field in column `column` of a group's grid.
void addField(QGroupBox* g, int column, const QString& caption, QWidget* field) {
    auto* l = static_cast<QGridLayout*>(g->layout());
    auto* label = new QLabel(caption, g);
    label->setBuddy(field);
    l->addWidget(label, 0, column);
    l->addWidget(field, 1, column);
}

QLineEdit* displayBox(const char* name, const QString& hint, const QString& sample, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setToolTip(hint);
    e->setReadOnly(true);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(sample) + 16);
    return e;
}

}  // namespace

MenuTab::MenuTab(Document& doc, RunController& run, Log& log, QWidget* parent)
    : TabPage(parent), dialogs(MenuDialogs::standard(this)), doc_(doc), run_(run), log_(log) {
    pages_ = new MenuPagesView(doc_, this);
    objects_ = new MenuObjectsView(doc_, log_, cache_, dialogs, this);
    objects_->softwareName = [this] {
        const Workspace& ws = doc_.model();
        return mainWindowTitle(ws.folderRead ? ws.disc : std::string());
    };
    QWidget* header = buildHeader();

    subTabs_ = new QTabWidget(this);
    subTabs_->setObjectName(QStringLiteral("tsMenu"));
    subTabs_->addTab(pages_, QStringLiteral("Pages"));
    subTabs_->addTab(objects_, QStringLiteral("Objects"));

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(2, 2, 2, 2);
    l->setSpacing(2);
    l->addWidget(header);
    l->addWidget(subTabs_, 1);

    connect(cbPage_, &QComboBox::activated, this, &MenuTab::cbPageChange);
    connect(pages_, &MenuPagesView::pageChosen, this, [this](int page) {
        const QSignalBlocker block(cbPage_);
        cbPage_->setCurrentIndex(page);
        emit pageChosen(page);
    });
    connect(pages_, &MenuPagesView::bogChosen, this, &MenuTab::bogChosen);
    connect(pages_, &MenuPagesView::buttonChosen, this, &MenuTab::buttonChosen);
    connect(&doc_, &Document::menuChanged, this, &MenuTab::refresh);
    refresh();
}

QWidget* MenuTab::buildHeader() {
    auto* header = new QWidget(this);
    auto* hl = new QHBoxLayout(header);
    hl->setContentsMargins(0, 0, 0, 0);
    hl->setSpacing(4);

    auto* displayOnly = new DisplayOnly(this);
    gInfo_ = group(QStringLiteral("IG stream information"), "gIGinfo", header);
    cbVideoSize_ = new QComboBox(gInfo_);
    cbVideoSize_->setObjectName(QStringLiteral("cbVideoSize"));
    cbVideoSize_->setToolTip(QStringLiteral("Video size"));
    cbVideoSize_->installEventFilter(displayOnly);
    cbVideoSize_->setFocusPolicy(Qt::NoFocus);
    cbFrameRate_ = new QComboBox(gInfo_);
    cbFrameRate_->setObjectName(QStringLiteral("cbFrameRate"));
    cbFrameRate_->setToolTip(QStringLiteral("Frame rate"));
    cbFrameRate_->addItems(kFrameRates);
    cbFrameRate_->installEventFilter(displayOnly);
    cbFrameRate_->setFocusPolicy(Qt::NoFocus);
    eUserTimeout_ = displayBox("eUTO", QStringLiteral("User timeout"), QStringLiteral("00:00:00"), gInfo_);
    eInTime_ = displayBox("eINtime", QStringLiteral("IN_time"), QStringLiteral("00:00:00.000"), gInfo_);
    addField(gInfo_, 0, QStringLiteral("Video size"), cbVideoSize_);
    addField(gInfo_, 1, QStringLiteral("Frame rate"), cbFrameRate_);
    addField(gInfo_, 2, QStringLiteral("User timeout"), eUserTimeout_);
    addField(gInfo_, 3, QStringLiteral("IN_time"), eInTime_);

    gPage_ = group(QStringLiteral("Menu page"), "gPage", header);
    cbPage_ = new QComboBox(gPage_);
    cbPage_->setObjectName(QStringLiteral("cbPage"));
    cbPage_->setToolTip(QStringLiteral("Page"));
    cbPage_->setMinimumContentsLength(3);
    lPageCount_ = new QLabel(gPage_);
    lPageCount_->setObjectName(QStringLiteral("lPageCount"));
    auto* pageRow = new QWidget(gPage_);
    auto* pl = new QHBoxLayout(pageRow);
    pl->setContentsMargins(0, 0, 0, 0);
    pl->addWidget(cbPage_);
    pl->addWidget(lPageCount_);
    addField(gPage_, 0, QStringLiteral("&Page"), pageRow);
    static_cast<QLabel*>(static_cast<QGridLayout*>(gPage_->layout())->itemAtPosition(0, 0)->widget())
        ->setBuddy(cbPage_);

    gObjPal_ = group(QStringLiteral("Objects and palettes"), "gObjPal", header);
    auto* objectRow = new QWidget(gObjPal_);
    auto* ol = new QHBoxLayout(objectRow);
    ol->setContentsMargins(0, 0, 0, 0);
    ol->addWidget(objects_->cbObjects());
    ol->addWidget(objects_->lObjCount());
    addField(gObjPal_, 0, QStringLiteral("Object"), objectRow);
    addField(gObjPal_, 1, QStringLiteral("Palette"), objects_->cbPalettes());
    static_cast<QGridLayout*>(gObjPal_->layout())->addWidget(objects_->cbPalOnly(), 1, 2);

    hl->addWidget(gInfo_);
    hl->addWidget(gPage_);
    hl->addWidget(gObjPal_);
    hl->addStretch(1);
    return header;
}

const TIGSc& MenuTab::menu() const { return doc_.model().menu.igs; }

bool MenuTab::canWrite() const { return doc_.model().menu.loaded && !menu().pages.empty(); }

BottomBar MenuTab::bottomBar() const {
    BottomBar b;
    b.save = true;
    b.saveEnabled = canWrite();
    b.saveHint = QStringLiteral("Save the IGS menu (*.mnu)");
    b.load = true;
    b.mux = true;
    b.execute = true;
    b.buttonChooser = true;
    b.navigate = true;
    b.registers = true;
    return b;
}

void MenuTab::activated() {
    if (cbPage_->isEnabled()) cbPage_->setFocus();
}

void MenuTab::showInfo() {
    const TIGSc& m = menu();
    const bool on = doc_.model().menu.loaded;
    {
        const QSignalBlocker block(cbVideoSize_);
        cbVideoSize_->clear();
        cbVideoSize_->addItems(kVideoSizes);
        int size = -1;
        if (m.video_width == 1920) size = 0;
        if (m.video_width == 1280) size = 1;
        if (m.video_height == 576) size = 2;
        if (m.video_height == 480) size = 3;
        // A size the list does not hold is shown as it is rather than as none.
        if (on && size < 0) {
            cbVideoSize_->addItem(QStringLiteral("%1x%2").arg(m.video_width).arg(m.video_height));
            size = static_cast<int>(kVideoSizes.size());
        }
        cbVideoSize_->setCurrentIndex(on ? size : -1);
    }
    {
        const QSignalBlocker block(cbFrameRate_);
        cbFrameRate_->setCurrentIndex(on && m.frame_rate_id < kFrameRates.size() ? m.frame_rate_id : -1);
    }
    eUserTimeout_->setText(on ? QString::fromStdString(igDurationText(m.user_time_out_duration)) : QString());
    eInTime_->setText(on ? QString::fromStdString(igTimeText(m.in_time)) : QString());
    lPageCount_->setText(on ? QStringLiteral("(%1)").arg(m.pages.size()) : QString());
    gInfo_->setEnabled(on);
    gPage_->setEnabled(on);
    gObjPal_->setEnabled(on && !m.objects.empty() && !m.palettes.empty());
    cbPage_->setEnabled(on && !m.pages.empty());
}

void MenuTab::fillPageSelector() {
    const TIGSc& m = menu();
    const QSignalBlocker block(cbPage_);
    const int was = cbPage_->currentIndex();
    cbPage_->clear();
    for (const TPage& p : m.pages) cbPage_->addItem(QString::number(p.page_id));
    const auto page = pages_->selectedPage();
    cbPage_->setCurrentIndex(page ? *page : std::min(was, cbPage_->count() - 1));
}

void MenuTab::MenuOn() {
    run_.resetRegisters();
    objects_->fill();
    pages_->fill();
    fillPageSelector();
    showInfo();
    emit menuLoaded();
    emit bottomBarChanged();
}

void MenuTab::refresh() {
    objects_->refresh();
    pages_->refresh();
    fillPageSelector();
    showInfo();
    emit bottomBarChanged();
}

void MenuTab::cbPageChange(int index) { pages_->showPage(index); }

void MenuTab::bLoadMenuClick() {
    if (!dialogs.openFile) return;
    const QString path = dialogs.openFile(QStringLiteral("Load Menu"), dialogs.startPath(QLatin1String(kDefaultMenuFile)),
                                          {QStringLiteral("Menu (*.mnu)")});
    if (!path.isEmpty()) loadMenuFile(path);
}

void MenuTab::loadMenuFile(const QString& path) {
    const std::string file = QFileInfo(path).fileName().toStdString();
    log_.log("Reading [bl]" + file + "[/bl]");
    MenuLoadReport report;
    TIGSc loaded;
    try {
        const Bytes data = readDatabaseFile(path.toStdString(), kMaxMenuFileSize);
        // A file that does not even start with a record header is no menu: it replaces nothing.
        if (data.size() < 2 || data[0] != 'I' || data[1] != 'G')
            throw FormatError(path.toStdString(), 0, "not a menu: a .mnu file starts with the record header \"IG\"");
        loaded = loadMNU(data, path.toStdString(), &report, &log_);
    } catch (const std::exception& e) {
        // Nothing is taken from a file that cannot be read: the menu held before stays.
        log_.erlog(e.what());
        return;
    }
    WorkspaceMenu& held = doc_.workspace().menu;
    held.igs = std::move(loaded);
    held.loaded = true;
    cache_.clear();
    doc_.replaced(Document::Part::Menu);
    MenuOn();

    // What the loader met is said in the log, and the first problem stays in the status bar.
    std::string problem;
    if (report.formatError) {
        problem = "File format error";
        log_.log("[re]File format error[/re] at offset " + std::to_string(report.formatErrorOffset) +
                 ": no \"IG\" record header; the menu holds what came before.");
    }
    if (report.unknownSegments > 0) {
        if (problem.empty()) problem = "Unknow segment!";
        log_.log("[re]" + std::to_string(report.unknownSegments) + " unknown segment(s)[/re] skipped.");
    }
    if (!report.icsFound) {
        if (problem.empty()) problem = "No interactive composition (ICS) found";
        log_.log("[re]No interactive composition (ICS) found:[/re] the menu has no pages.");
    }
    if (problem.empty())
        log_.slogR();
    else
        log_.erslog(problem);
}

bool MenuTab::save() {
    if (!canWrite()) return false;
    log_.dlog0("Saving IGS menu...");
    log_.slog("Preparing data", 1);
    QString selected = QStringLiteral("Menu (*.mnu)");
    QString path = dialogs.saveFile ? dialogs.saveFile(QStringLiteral("Save Menu"),
                                                       dialogs.startPath(QLatin1String(kDefaultMenuFile)), {selected},
                                                       &selected)
                                    : QString();
    if (path.isEmpty()) {
        log_.slogR();
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".mnu");
    const std::string file = QFileInfo(path).fileName().toStdString();
    try {
        // The writer fills in what it wrote (segments, data lengths); the held menu stays as edited.
        TIGSc written = menu();
        const Bytes data = saveIGS(written, IgsForm::Mnu, &log_);
        saveAtomic(path.toStdString(), data);
    } catch (const std::exception& e) {
        log_.erlog("Cannot save " + file + ": " + e.what());
        return false;
    }
    doc_.markSaved(Document::Part::Menu);
    log_.dlog(file + " saved.");
    return true;
}

void MenuTab::bMuxClick() {
    if (!canWrite()) return;
    log_.dlog0("Muxing menu...");
    const std::string ext = doc_.model().names().streamExt;  // ".m2ts", or ".MTS" with 8.3 names
    const QString bare = QString::fromStdString(ext.substr(1));
    QString selected = QStringLiteral("%1 (*.%1)").arg(bare);
    QString path = dialogs.saveFile ? dialogs.saveFile(QStringLiteral("Mux Menu"),
                                                       dialogs.startPath(QStringLiteral("mymenu")), {selected},
                                                       &selected)
                                    : QString();
    if (path.isEmpty()) {
        log_.slogR();
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) path += QString::fromStdString(ext);
    const std::string file = QFileInfo(path).fileName().toStdString();
    MuxReport report;
    try {
        TIGSc written = menu();
        const Bytes pes = saveIGS(written, IgsForm::Pes, &log_);
        const Bytes ts = muxPES(pes, &report, &log_);
        saveAtomic(path.toStdString(), ts);
    } catch (const std::exception& e) {
        log_.erlog("Cannot write " + file + ": " + e.what());
        return;
    }
    // After "Mux error" the file is written as far as the data went; the error stays shown.
    if (!report.muxError) log_.dlog(file + " saved.");
}

}  // namespace navora::ui
