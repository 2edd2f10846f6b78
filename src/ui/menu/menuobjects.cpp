#include "ui/menu/menuobjects.h"

#include "core/errors.h"
#include "core/fileio.h"
#include "core/log.h"
#include "ig/edit.h"
#include "ig/export.h"
#include "ig/objects.h"
#include "ig/png.h"
#include "ig/rle.h"
#include "ig/structure.h"
#include "ui/menu/menudialogs.h"
#include "ui/menu/menuimage.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

namespace {

// An object image or palette file is small; anything larger is no such file.
constexpr std::uint64_t kMaxImageFile = 64ull << 20;

QString hex(std::size_t v, int digits) {
    return QStringLiteral("%1").arg(static_cast<qulonglong>(v), digits, 16, QLatin1Char('0')).toUpper();
}

QToolButton* textButton(const QString& text, const char* name, const QString& hint, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

void alignRight(StringGrid* grid, int row, int columns) {
    for (int c = 1; c < columns; ++c)
        if (QTableWidgetItem* it = grid->item(row, c)) it->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

// Sets a combo box's entries, keeping its signals quiet.
void setItems(QComboBox* box, const QStringList& items) {
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(items);
}

}  // namespace

// ---------------------------------------------------------------------------

ObjectPicture::ObjectPicture(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ObjectPicture::setImage(const QImage& image) {
    image_ = image;
    resize(image_.isNull() ? QSize(1, 1) : image_.size());
    updateGeometry();
    update();
}

void ObjectPicture::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

void ObjectPicture::mouseMoveEvent(QMouseEvent* e) {
    emit hovered(e->position().toPoint());
    QWidget::mouseMoveEvent(e);
}

void ObjectPicture::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) emit doubleClicked(e->position().toPoint());
    QWidget::mouseDoubleClickEvent(e);
}

// ---------------------------------------------------------------------------

MenuObjectsView::MenuObjectsView(Document& doc, Log& log, TObjectCache& cache, MenuDialogs& dialogs,
                                 QWidget* parent)
    : QWidget(parent), doc_(doc), log_(log), cache_(cache), dialogs_(dialogs) {
    buildGrids();

    picture_ = new ObjectPicture;
    picture_->setObjectName(QStringLiteral("iObject"));
    pictureArea_ = new QScrollArea(this);
    pictureArea_->setObjectName(QStringLiteral("sbObject"));
    pictureArea_->setWidget(picture_);
    pictureArea_->setWidgetResizable(false);
    pictureArea_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    bbLoadIGObj_ = textButton(QStringLiteral("Load image..."), "bbLoadIGObj", QStringLiteral("Load object image"), this);
    bbSaveIGObj_ = textButton(QStringLiteral("Save image..."), "bbSaveIGObj", QStringLiteral("Save object image"), this);
    bbSavePale_ = textButton(QStringLiteral("Save palette..."), "bbSavePale", QStringLiteral("Save palette"), this);
    cbReplaceObject_ = new QCheckBox(QStringLiteral("Replace the selected object"), this);
    cbReplaceObject_->setObjectName(QStringLiteral("cbReplaceObject"));
    cbReplacePalette_ = new QCheckBox(QStringLiteral("Replace the selected palette"), this);
    cbReplacePalette_->setObjectName(QStringLiteral("cbReplacePalette"));

    cbObjects_ = new QComboBox(this);
    cbObjects_->setObjectName(QStringLiteral("cbObjects"));
    cbObjects_->setMinimumContentsLength(4);
    cbPalettes_ = new QComboBox(this);
    cbPalettes_->setObjectName(QStringLiteral("cbPalettes"));
    cbPalettes_->setMinimumContentsLength(2);
    lObjCount_ = new QLabel(this);
    lObjCount_->setObjectName(QStringLiteral("lObjCount"));
    cbPalOnly_ = new QCheckBox(QStringLiteral("View palette only"), this);
    cbPalOnly_->setObjectName(QStringLiteral("cbPalOnly"));

    // The import with its two choices on one line, the exports on the other.
    auto* import = new QHBoxLayout;
    import->setSpacing(6);
    import->addWidget(bbLoadIGObj_);
    import->addWidget(cbReplaceObject_);
    import->addWidget(cbReplacePalette_);
    import->addStretch(1);
    auto* exports = new QHBoxLayout;
    exports->setSpacing(6);
    exports->addWidget(bbSaveIGObj_);
    exports->addWidget(bbSavePale_);
    exports->addStretch(1);

    auto* right = new QWidget(this);
    auto* rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->setSpacing(2);
    rl->addLayout(import);
    rl->addLayout(exports);
    rl->addWidget(pictureArea_, 1);

    auto* grids = new QSplitter(Qt::Vertical, this);
    grids->setChildrenCollapsible(false);
    grids->addWidget(sgObjects_);
    grids->addWidget(sgPalettes_);
    grids->setStretchFactor(0, 3);
    grids->setStretchFactor(1, 2);
    grids->setMinimumWidth(320);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("splitterObjects"));
    split->setChildrenCollapsible(false);
    split->addWidget(grids);
    split->addWidget(right);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(2, 2, 2, 2);
    l->addWidget(split);

    connect(sgObjects_, &StringGrid::choiceChanged, this, &MenuObjectsView::sgObjectsClick);
    connect(sgPalettes_, &StringGrid::choiceChanged, this, &MenuObjectsView::sgPalettesClick);
    connect(cbObjects_, &QComboBox::activated, this, &MenuObjectsView::cbObjectsChange);
    connect(cbPalettes_, &QComboBox::activated, this, &MenuObjectsView::cbPalettesChange);
    connect(cbPalOnly_, &QCheckBox::clicked, this, &MenuObjectsView::cbPalOnlyClick);
    connect(bbLoadIGObj_, &QToolButton::clicked, this, &MenuObjectsView::bbLoadIGObjClick);
    connect(bbSaveIGObj_, &QToolButton::clicked, this, &MenuObjectsView::bbSaveIGObjClick);
    connect(bbSavePale_, &QToolButton::clicked, this, &MenuObjectsView::bbSavePaleClick);
    connect(picture_, &ObjectPicture::hovered, this, &MenuObjectsView::pictureHovered);
    connect(picture_, &ObjectPicture::doubleClicked, this, &MenuObjectsView::pictureDoubleClicked);
    // Shift+Delete acts on a block of rows.
    sgObjects_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    sgPalettes_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    sgObjects_->installEventFilter(this);
    sgPalettes_->installEventFilter(this);
    reset();
}

void MenuObjectsView::buildGrids() {
    sgObjects_ = new StringGrid(this);
    sgObjects_->setObjectName(QStringLiteral("sgObjects"));
    sgObjects_->setToolTip(QStringLiteral("Objects"));
    sgObjects_->rowNumberText = [this](int row) {
        const auto& objects = menu().objects;
        const auto r = static_cast<std::size_t>(row);
        return r < objects.size() ? hex(objects[r].object_id, 4) : QString();
    };
    sgObjects_->setTitles({QStringLiteral("   id"), QStringLiteral("width"), QStringLiteral("height"),
                           QStringLiteral("referenced")});
    sgObjects_->horizontalHeader()->setStretchLastSection(true);
    sgObjects_->setColumnWidth(0, 48);
    sgObjects_->setColumnWidth(1, 50);
    sgObjects_->setColumnWidth(2, 50);

    sgPalettes_ = new StringGrid(this);
    sgPalettes_->setObjectName(QStringLiteral("sgPalettes"));
    sgPalettes_->setToolTip(QStringLiteral("Palettes"));
    sgPalettes_->rowNumberText = [](int row) { return hex(static_cast<std::size_t>(row), 2); };
    sgPalettes_->setTitles({QStringLiteral(" id"), QStringLiteral("refer.")});
    sgPalettes_->horizontalHeader()->setStretchLastSection(true);
    sgPalettes_->setColumnWidth(0, 48);
}

const TIGSc& MenuObjectsView::menu() const { return doc_.model().menu.igs; }
TIGSc& MenuObjectsView::menuForPictures() { return doc_.workspace().menu.igs; }
bool MenuObjectsView::loaded() const { return doc_.model().menu.loaded; }

QColor MenuObjectsView::background() const {
    const QColor c = objectBackground ? objectBackground() : QColor();
    return c.isValid() ? c : QColor(192, 192, 192);
}

std::optional<std::size_t> MenuObjectsView::selectedObject() const {
    const int i = cbObjects_->currentIndex();
    if (i < 0 || static_cast<std::size_t>(i) >= menu().objects.size()) return std::nullopt;
    return static_cast<std::size_t>(i);
}

std::optional<std::size_t> MenuObjectsView::selectedPalette() const {
    const int i = cbPalettes_->currentIndex();
    if (i < 0 || static_cast<std::size_t>(i) >= menu().palettes.size()) return std::nullopt;
    return static_cast<std::size_t>(i);
}

void MenuObjectsView::reset() {
    quiet_ = true;
    sgObjects_->resetGrid();
    sgPalettes_->resetGrid();
    setItems(cbObjects_, {});
    setItems(cbPalettes_, {});
    quiet_ = false;
    lObjCount_->clear();
    picture_->setImage({});
    shownObject_.reset();
    shownPalette_.reset();
    enableControls();
}

void MenuObjectsView::drawObjectRows() {
    const TIGSc& m = menu();
    const int n = static_cast<int>(m.objects.size());
    sgObjects_->setDataRows(n);
    for (int r = 0; r < n; ++r) {
        const TIGobject& obj = m.objects[static_cast<std::size_t>(r)];
        sgObjects_->setCell(r, 1, QString::number(obj.width));
        sgObjects_->setCell(r, 2, QString::number(obj.height));
        sgObjects_->setCell(r, 3, QString::fromStdString(getobjref(m, static_cast<std::size_t>(r))));
        alignRight(sgObjects_, r, 4);
    }
}

void MenuObjectsView::drawPaletteRows() {
    const TIGSc& m = menu();
    const int n = static_cast<int>(m.palettes.size());
    sgPalettes_->setDataRows(n);
    for (int r = 0; r < n; ++r) {
        sgPalettes_->setCell(r, 1, QString::fromStdString(getpalref(m, static_cast<std::size_t>(r))));
        alignRight(sgPalettes_, r, 2);
    }
}

void MenuObjectsView::redrawLists() {
    // Rows that go move the grids' current rows: that is no choice of the user's.
    quiet_ = true;
    drawObjectRows();
    drawPaletteRows();
    fillSelectors();
    quiet_ = false;
}

void MenuObjectsView::fillSelectors() {
    const TIGSc& m = menu();
    QStringList objects;
    for (std::size_t o = 0; o < m.objects.size(); ++o) objects << hex(o, 4);
    QStringList palettes;
    for (const TIGpalette& p : m.palettes) palettes << hex(p.palette_id, 2);
    setItems(cbObjects_, objects);
    setItems(cbPalettes_, palettes);
    const QString objectCount = QStringLiteral("%1 objects").arg(m.objects.size());
    lObjCount_->setText(loaded() ? objectCount : QString());
    cbObjects_->setToolTip(objectCount);
    cbPalettes_->setToolTip(QStringLiteral("%1 palettes").arg(m.palettes.size()));
}

void MenuObjectsView::enableControls() {
    const TIGSc& m = menu();
    const bool on = loaded();
    const bool objects = on && !m.objects.empty();
    const bool palettes = on && !m.palettes.empty();
    sgObjects_->setEnabled(on);
    sgPalettes_->setEnabled(on);
    cbObjects_->setEnabled(objects);
    cbPalettes_->setEnabled(palettes);
    cbPalOnly_->setEnabled(on);
    bbLoadIGObj_->setEnabled(on);
    bbSaveIGObj_->setEnabled(objects);
    bbSavePale_->setEnabled(palettes);
    // Each replace choice is offered only while there is something to replace.
    if (!objects) cbReplaceObject_->setChecked(false);
    if (!palettes) cbReplacePalette_->setChecked(false);
    cbReplaceObject_->setEnabled(objects);
    cbReplacePalette_->setEnabled(palettes);
}

void MenuObjectsView::clearReplaceChoices() {
    cbReplaceObject_->setChecked(false);
    cbReplacePalette_->setChecked(false);
}

void MenuObjectsView::selectQuietly(std::optional<std::size_t> o, std::optional<std::size_t> p) {
    quiet_ = true;
    if (o) {
        cbObjects_->setCurrentIndex(static_cast<int>(*o));
        sgObjects_->selectRange(static_cast<int>(*o), static_cast<int>(*o));
        sgObjects_->setToolTip(QStringLiteral("Objects\nRef: ") + QString::fromStdString(getobjref(menu(), *o)));
    }
    if (p) {
        cbPalettes_->setCurrentIndex(static_cast<int>(*p));
        sgPalettes_->selectRange(static_cast<int>(*p), static_cast<int>(*p));
        const QString ref = QString::fromStdString(getpalref(menu(), *p)).trimmed();
        sgPalettes_->setToolTip(ref.isEmpty() ? QStringLiteral("Palettes") : QStringLiteral("Palettes\nRef: ") + ref);
    }
    quiet_ = false;
}

void MenuObjectsView::fill() {
    shownObject_.reset();
    shownPalette_.reset();
    redrawLists();
    enableControls();
    clearReplaceChoices();
    const TIGSc& m = menu();
    selectQuietly(m.objects.empty() ? std::nullopt : std::optional<std::size_t>(0),
                  m.palettes.empty() ? std::nullopt : std::optional<std::size_t>(0));
    showSelected(false);
}

void MenuObjectsView::refresh() {
    if (!loaded()) {
        reset();
        return;
    }
    const TIGSc& m = menu();
    const auto clamp = [](std::optional<std::size_t> v, std::size_t n) -> std::optional<std::size_t> {
        if (n == 0) return std::nullopt;
        return std::min(v.value_or(0), n - 1);
    };
    const auto o = clamp(shownObject_ ? shownObject_ : selectedObject(), m.objects.size());
    const auto p = clamp(shownPalette_ ? shownPalette_ : selectedPalette(), m.palettes.size());
    redrawLists();
    enableControls();
    selectQuietly(o, p);
    showSelected(false);
}

void MenuObjectsView::showSelected(bool report) {
    const auto o = selectedObject();
    const auto p = selectedPalette().value_or(0);
    if (o || cbPalOnly_->isChecked())
        show(o.value_or(0), p, report);
    else
        picture_->setImage({});
}

void MenuObjectsView::showObject(std::size_t o, std::size_t p) {
    const TIGSc& m = menu();
    if (o >= m.objects.size() && !cbPalOnly_->isChecked()) return;
    selectQuietly(o < m.objects.size() ? std::optional<std::size_t>(o) : std::nullopt,
                  p < m.palettes.size() ? std::optional<std::size_t>(p) : std::nullopt);
    show(o, p, true);
}

void MenuObjectsView::show(std::size_t o, std::size_t p, bool report) {
    const TIGSc& m = menu();
    shownObject_ = o < m.objects.size() ? std::optional<std::size_t>(o) : std::nullopt;
    shownPalette_ = p < m.palettes.size() ? std::optional<std::size_t>(p) : std::nullopt;
    pictureArea_->setStyleSheet({});
    QPalette area = pictureArea_->palette();
    area.setColor(QPalette::Window, background());
    pictureArea_->setPalette(area);
    pictureArea_->setBackgroundRole(QPalette::Window);
    if (cbPalOnly_->isChecked()) {
        picture_->setImage(shownPalette_ ? paletteChart(m.palettes[p], background()) : QImage());
        if (report) log_.slog(paletteCaption(static_cast<int>(p)).toStdString(), 1);
        emit objectShown(-1, static_cast<int>(p));
        return;
    }
    if (!shownObject_) {
        picture_->setImage({});
        return;
    }
    const TIGobject& obj = m.objects[o];
    if (!obj.defined() || obj.width == 0 || obj.height == 0) {
        picture_->setImage({});
        return;
    }
    const bool decode = !cache_.holds(m, o, p);
    if (decode && report) {
        log_.slog("Decoding RLE pixel data and build bitmaps...", 0);
        log_.slog("", 1);
    }
    const auto pic = cache_.Obj2Pic(menuForPictures(), o, p);
    if (decode && report) log_.slogR();
    picture_->setImage(pic ? onBackground(*pic, background()) : QImage());
    if (report) {
        const QLocale locale;
        const QString text =
            QStringLiteral("Size: %1x%2,  Object: %3,  Palette: %4,  RLE pixel data: %5 (%6)")
                .arg(obj.width)
                .arg(obj.height)
                .arg(hex(obj.object_id, 4), hex(p, 2))
                .arg(locale.toString(static_cast<qulonglong>(obj.object_data_length)),
                     locale.toString(static_cast<qulonglong>(std::size_t{obj.width} * obj.height)));
        log_.slog(text.toStdString(), 1);
    }
    emit objectShown(static_cast<int>(o), static_cast<int>(p));
}

void MenuObjectsView::sgObjectsClick() {
    if (quiet_) return;
    const auto r = sgObjects_->selectedRange();
    if (!r) return;
    const auto o = static_cast<std::size_t>(r->first);
    // A click reports twice, the first time before its selection is made.
    if (o == shownObject_ && static_cast<int>(o) == cbObjects_->currentIndex()) return;
    const TIGSc& m = menu();
    if (o >= m.objects.size()) return;
    std::optional<std::size_t> p = selectedPalette();
    if (const auto used = paletteForObject(m, o); used && *used < m.palettes.size()) p = *used;
    selectQuietly(o, p);
    show(o, p.value_or(0), true);
}

void MenuObjectsView::sgPalettesClick() {
    if (quiet_) return;
    const auto r = sgPalettes_->selectedRange();
    if (!r) return;
    const auto p = static_cast<std::size_t>(r->first);
    if (p == shownPalette_ && static_cast<int>(p) == cbPalettes_->currentIndex()) return;
    if (p >= menu().palettes.size()) return;
    selectQuietly(std::nullopt, p);
    const auto o = selectedObject();
    if (o || cbPalOnly_->isChecked()) show(o.value_or(0), p, true);
}

void MenuObjectsView::cbObjectsChange(int index) {
    if (index < 0) return;
    const auto o = static_cast<std::size_t>(index);
    selectQuietly(o, std::nullopt);
    show(o, selectedPalette().value_or(0), true);
}

void MenuObjectsView::cbPalettesChange(int index) {
    if (index < 0) return;
    const auto p = static_cast<std::size_t>(index);
    selectQuietly(std::nullopt, p);
    const auto o = selectedObject();
    if (o || cbPalOnly_->isChecked()) show(o.value_or(0), p, true);
}

void MenuObjectsView::cbPalOnlyClick() {
    if (!loaded()) return;
    showSelected(true);
}

void MenuObjectsView::pictureHovered(QPoint at) {
    if (!cbPalOnly_->isChecked() || !shownPalette_) {
        picture_->unsetCursor();
        return;
    }
    const std::size_t p = *shownPalette_;
    const TIGpalette& palette = menu().palettes[p];
    const auto entry = paletteChartEntry(at);
    if (entry && paletteEntryExists(palette, *entry)) {
        picture_->setCursor(Qt::PointingHandCursor);
        log_.slog(paletteReadout(static_cast<int>(p), *entry, palette.colours[static_cast<std::size_t>(*entry)])
                      .toStdString(),
                  1);
    } else {
        picture_->unsetCursor();
        log_.slog(paletteCaption(static_cast<int>(p)).toStdString(), 1);
    }
}

void MenuObjectsView::pictureDoubleClicked(QPoint at) {
    // A double click on an entry of the palette chart changes its colour.
    if (!cbPalOnly_->isChecked() || !shownPalette_ || !dialogs_.colour) return;
    const auto entry = paletteChartEntry(at);
    if (!entry) return;
    const std::size_t p = *shownPalette_;
    const TRGBA old = menu().palettes[p].colours[static_cast<std::size_t>(*entry)];
    const QColor chosen = dialogs_.colour(
        QStringLiteral("Palette %1, entry %2").arg(hex(p, 2), hex(static_cast<std::size_t>(*entry), 2)),
        QColor(old.R, old.G, old.B, old.T));
    if (!chosen.isValid()) return;
    // The entry keeps the chosen colour as the stream carries it (Y, Cr, Cb), and
    // shows what those give back, so that the view shows what a save writes.
    const TYCrCb value = rgb2ycrcb(static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
                                   static_cast<std::uint8_t>(chosen.blue()));
    const auto T = static_cast<std::uint8_t>(chosen.alpha());
    const auto e = static_cast<std::uint8_t>(*entry);
    doc_.apply(Document::Part::Menu, QStringLiteral("Change palette entry"), [&](Workspace& ws) {
        if (p >= ws.menu.igs.palettes.size()) return false;
        setPaletteEntryYCrCb(ws.menu.igs.palettes[p], e, value, T);
        return true;
    });
    pictureHovered(at);
}

void MenuObjectsView::bbLoadIGObjClick() {
    if (!loaded()) return;
    const bool replaceObject = cbReplaceObject_->isEnabled() && cbReplaceObject_->isChecked();
    const bool replacePalette = cbReplacePalette_->isEnabled() && cbReplacePalette_->isChecked();
    const QString title = QString(replaceObject ? QStringLiteral("Replace object, ") : QStringLiteral("Insert object, ")) +
                          (replacePalette ? QStringLiteral("replace palette") : QStringLiteral("insert palette"));
    const QString folder = dialogs_.workFolder ? dialogs_.workFolder() : QString();
    const QString path = dialogs_.openFile ? dialogs_.openFile(title, folder, {QStringLiteral("PNG (*.png)")}) : QString();
    if (!path.isEmpty()) {
        const std::optional<std::size_t> object = replaceObject ? selectedObject() : std::nullopt;
        const std::optional<std::size_t> palette = replacePalette ? selectedPalette() : std::nullopt;
        try {
            const IndexedPng png = readIndexedPng(readDatabaseFile(path.toStdString(), kMaxImageFile),
                                                  path.toStdString());
            ImportedImage at;
            doc_.apply(Document::Part::Menu, QStringLiteral("Load object image"), [&](Workspace& ws) {
                at = importObjectImage(ws.menu.igs, png, object, palette);
                return true;
            });
            selectQuietly(at.object, at.palette);
            show(at.object, at.palette, true);
        } catch (const UnsupportedImageError& e) {
            log_.erslog(e.what());
        } catch (const std::exception& e) {
            log_.erlog(e.what());
        }
    }
    // Whatever happened, both choices start cleared again.
    enableControls();
    clearReplaceChoices();
}

void MenuObjectsView::bbSaveIGObjClick() {
    const auto r = sgObjects_->selectedRange();
    if (!r || !dialogs_.saveFile) return;
    const auto o = static_cast<std::size_t>(r->first);
    const std::size_t p = selectedPalette().value_or(0);
    const QString name = QString::fromStdString(objectImageName(o, p)) + QStringLiteral(".png");
    QString selected = QStringLiteral("PNG (*.png)");
    QString path = dialogs_.saveFile(QStringLiteral("Save image"), dialogs_.startPath(name), {selected}, &selected);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
    try {
        const Bytes png = objectImagePng(menuForPictures(), o, p, softwareName ? softwareName() : std::string());
        saveAtomic(path.toStdString(), png);
        log_.dlog(QFileInfo(path).fileName().toStdString() + " saved.");
    } catch (const std::exception& e) {
        log_.erlog(e.what());
    }
}

void MenuObjectsView::bbSavePaleClick() {
    const auto p = selectedPalette();
    if (!p || !dialogs_.saveFile) return;
    const QStringList filters = {QStringLiteral("Scenarist Designer (*.pxml)"),
                                 QStringLiteral("Adobe ACT (colors only) (*.act)")};
    QString selected = filters.front();
    QString path = dialogs_.saveFile(QStringLiteral("Save palette"),
                                     dialogs_.startPath(QString::fromStdString(paletteFileName(*p))), filters,
                                     &selected);
    if (path.isEmpty()) return;
    // The file's extension says the format; a name without a known one gets
    // the chosen filter's format, so that no save ends in an empty file.
    QString extension = QFileInfo(path).suffix().toLower();
    if (extension != QLatin1String("pxml") && extension != QLatin1String("act")) {
        extension = filterExtension(selected);
        if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + extension;
    }
    try {
        saveAtomic(path.toStdString(),
                   paletteFile(menu().palettes[*p], QStringLiteral(".%1").arg(extension).toStdString()));
        log_.dlog(QFileInfo(path).fileName().toStdString() + " saved.");
    } catch (const std::exception& e) {
        log_.erlog(e.what());
    }
}

bool MenuObjectsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sgObjects_ && event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Insert && k->modifiers() == Qt::NoModifier) {
            bbLoadIGObjClick();
            return true;
        }
    }
    if ((watched == sgObjects_ || watched == sgPalettes_) && event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Delete && k->modifiers() == Qt::ShiftModifier) {
            deleteSelected(watched == sgObjects_);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MenuObjectsView::deleteSelected(bool objects) {
    StringGrid* grid = objects ? sgObjects_ : sgPalettes_;
    const auto rows = grid->selectedRange();
    const TIGSc& m = menu();
    const std::size_t count = objects ? m.objects.size() : m.palettes.size();
    if (!rows || count == 0 || static_cast<std::size_t>(rows->second) >= count) return;
    const auto first = static_cast<std::size_t>(rows->first), last = static_cast<std::size_t>(rows->second);
    DeleteResult result;
    doc_.apply(Document::Part::Menu, objects ? QStringLiteral("Delete objects") : QStringLiteral("Delete palettes"),
               [&](Workspace& ws) {
                   result = objects ? DelIGobj(ws.menu.igs, first, last) : DelPale(ws.menu.igs, first, last);
                   return result.done;
               });
    if (!result.done) {
        // Something still uses them: nothing changed.
        log_.erslog(result.refusal);
        return;
    }
    // The row just before the deleted ones is chosen (the first when none is).
    const int row = first == 0 ? 0 : static_cast<int>(first) - 1;
    const std::size_t left = objects ? menu().objects.size() : menu().palettes.size();
    if (left == 0) {
        grid->setFocus();
        return;
    }
    grid->selectRange(row, row);
    grid->setFocus();
}

}  // namespace navora::ui
