#include "ui/menu/menuheader.h"

#include "core/errors.h"
#include "core/log.h"
#include "ig/load.h"
#include "ig/structure.h"
#include "ui/app/document.h"
#include "ui/menu/menuobjects.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

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

MenuHeader::MenuHeader(Document& doc, Log& log, MenuObjectsView& objects, QWidget* parent)
    : QWidget(parent), doc_(doc), log_(log) {
    QWidget* header = this;
    auto* hl = new QVBoxLayout(header);
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
    eUserTimeout_ = displayBox("eUTO", QStringLiteral("User timeout"), QStringLiteral("0:00:00.000"), gInfo_);
    // The user time-out is the one field of the group the user types: "h:mm:ss",
    // with decimals for a time-out that is not a whole number of seconds.
    eUserTimeout_->setReadOnly(false);
    eUserTimeout_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,2}(:[0-9]{0,2}){0,2}(\\.[0-9]{0,3})?")), eUserTimeout_));
    connect(eUserTimeout_, &QLineEdit::editingFinished, this, &MenuHeader::eUTOExit);
    connect(eUserTimeout_, &QLineEdit::returnPressed, this, [this] { cbPage_->setFocus(); });
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

    gPageHeader_ = group(QStringLiteral("Page header"), "gPageHeader", header);
    const auto hexBox = [this](const char* name, int digits, const QString& hint) {
        auto* e = new THexEdit(digits, gPageHeader_);
        e->setObjectName(QLatin1String(name));
        e->setToolTip(hint);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 10);
        return e;
    };
    heDefSelButt_ = hexBox("heDefSelButt", 4, QStringLiteral("Default Selected Button"));
    heDefActButt_ = hexBox("heDefActButt", 4, QStringLiteral("Default Activated Button"));
    hePalette_ = hexBox("hePalette", 2, QStringLiteral("Palette"));
    heUO1_ = hexBox("heUO1", 8, QStringLiteral("User Operation Mask 1"));
    heUO2_ = hexBox("heUO2", 8, QStringLiteral("User Operation Mask 2"));
    ieFramerate_ = new TIntEdit(gPageHeader_);
    ieFramerate_->setObjectName(QStringLiteral("ieFramerate"));
    ieFramerate_->setToolTip(QStringLiteral("Animation Frame Rate Code (divider)"));
    ieFramerate_->setFixedWidth(ieFramerate_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 10);
    lPageCounts_ = new QLabel(gPageHeader_);
    lPageCounts_->setObjectName(QStringLiteral("lPageCounts"));
    lPageCounts_->setToolTip(QStringLiteral("Number of Button Overlap Groups; Number of In effects windows / effects; "
                                            "Number of Out effects windows / effects"));
    // One line: each caption left of its box.
    auto* phl = static_cast<QGridLayout*>(gPageHeader_->layout());
    const auto put = [this, phl](int column, const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, gPageHeader_);
        label->setBuddy(field);
        phl->addWidget(label, 0, 2 * column);
        phl->addWidget(field, 0, 2 * column + 1);
    };
    put(0, QStringLiteral("Def. sel."), heDefSelButt_);
    put(1, QStringLiteral("Def. act."), heDefActButt_);
    put(2, QStringLiteral("Palette"), hePalette_);
    put(3, QStringLiteral("UO mask 1"), heUO1_);
    put(4, QStringLiteral("UO mask 2"), heUO2_);
    put(5, QStringLiteral("Anim."), ieFramerate_);
    put(6, QStringLiteral("BOGs, in, out:"), lPageCounts_);
    // Each box is stored on leaving it; Enter moves on as the fields are filled in order.
    const auto onExit = [this](QLineEdit* box, QWidget* next, void (MenuHeader::*store)()) {
        connect(box, &QLineEdit::editingFinished, this, store);
        connect(box, &QLineEdit::returnPressed, this, [next] {
            if (next) next->setFocus();
        });
    };
    onExit(heDefSelButt_, heDefActButt_, &MenuHeader::heDefSelButtExit);
    onExit(heDefActButt_, hePalette_, &MenuHeader::heDefActButtExit);
    onExit(hePalette_, cbPage_, &MenuHeader::hePaletteExit);
    onExit(heUO1_, heUO2_, &MenuHeader::heUO1Exit);
    onExit(heUO2_, ieFramerate_, &MenuHeader::heUO2Exit);
    onExit(ieFramerate_, heDefSelButt_, &MenuHeader::ieFramerateExit);

    gObjPal_ = group(QStringLiteral("Objects and palettes"), "gObjPal", header);
    auto* objectRow = new QWidget(gObjPal_);
    auto* ol = new QHBoxLayout(objectRow);
    ol->setContentsMargins(0, 0, 0, 0);
    ol->addWidget(objects.cbObjects());
    ol->addWidget(objects.lObjCount());
    addField(gObjPal_, 0, QStringLiteral("Object"), objectRow);
    addField(gObjPal_, 1, QStringLiteral("Palette"), objects.cbPalettes());
    static_cast<QGridLayout*>(gObjPal_->layout())->addWidget(objects.cbPalOnly(), 1, 2);

    // The page header takes a line of its own: its boxes need the width.
    auto* top = new QWidget(header);
    auto* tl = new QHBoxLayout(top);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->setSpacing(4);
    tl->addWidget(gInfo_);
    tl->addWidget(gPage_);
    tl->addWidget(gObjPal_);
    tl->addStretch(1);
    auto* second = new QWidget(header);
    auto* sl = new QHBoxLayout(second);
    sl->setContentsMargins(0, 0, 0, 0);
    sl->addWidget(gPageHeader_);
    sl->addStretch(1);
    hl->addWidget(top);
    hl->addWidget(second);
    connect(cbPage_, &QComboBox::activated, this, &MenuHeader::pageActivated);
}

const TIGSc& MenuHeader::menu() const { return doc_.model().menu.igs; }

void MenuHeader::showPage(int index) {
    const QSignalBlocker block(cbPage_);
    cbPage_->setCurrentIndex(index);
}

void MenuHeader::showInfo() {
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
    eUserTimeout_->setText(on ? QString::fromStdString(userTimeOutText(m.user_time_out_duration)) : QString());
    eInTime_->setText(on ? QString::fromStdString(igTimeText(m.in_time)) : QString());
    lPageCount_->setText(on ? QStringLiteral("(%1)").arg(m.pages.size()) : QString());
    gInfo_->setEnabled(on);
    gPage_->setEnabled(on);
    gObjPal_->setEnabled(on && !m.objects.empty() && !m.palettes.empty());
    cbPage_->setEnabled(on && !m.pages.empty());
}

const TPage* MenuHeader::shownPage() const {
    const int p = cbPage_->currentIndex();
    const TIGSc& m = menu();
    return doc_.model().menu.loaded && p >= 0 && static_cast<std::size_t>(p) < m.pages.size()
               ? &m.pages[static_cast<std::size_t>(p)]
               : nullptr;
}

void MenuHeader::showPageHeader() {
    const TPage* p = shownPage();
    gPageHeader_->setEnabled(p != nullptr);
    if (!p) {
        for (QLineEdit* e : {static_cast<QLineEdit*>(heDefSelButt_), static_cast<QLineEdit*>(heDefActButt_),
                             static_cast<QLineEdit*>(hePalette_), static_cast<QLineEdit*>(heUO1_),
                             static_cast<QLineEdit*>(heUO2_), static_cast<QLineEdit*>(ieFramerate_)})
            e->clear();
        lPageCounts_->clear();
        return;
    }
    heDefSelButt_->setValue(p->default_selected_button_id_ref);
    heDefActButt_->setValue(p->default_activated_button_id_ref);
    hePalette_->setValue(p->palette_id_ref);
    heUO1_->setValue(p->UO_mask_high);
    heUO2_->setText(QString::number(p->UO_mask_low, 16).toUpper());
    ieFramerate_->setValue(p->animation_frame_rate_code);
    const auto& in = p->effects[InEffects];
    const auto& out = p->effects[OutEffects];
    lPageCounts_->setText(QStringLiteral("%1   %2/%3   %4/%5")
                              .arg(p->BOGs.size())
                              .arg(in.number_of_windows)
                              .arg(in.effects.size())
                              .arg(out.number_of_windows)
                              .arg(out.effects.size()));
}

void MenuHeader::editPage(const QString& name, const std::function<bool(TIGSc&, std::size_t)>& edit) {
    const int p = cbPage_->currentIndex();
    if (!shownPage()) return;
    const auto page = static_cast<std::size_t>(p);
    // Each value left in a box is a step of its own.
    doc_.apply(Document::Part::Menu, name, [&](Workspace& ws) { return edit(ws.menu.igs, page); });
    // A refused value shows the stored one again.
    showPageHeader();
}

void MenuHeader::heDefSelButtExit() {
    const auto v = static_cast<std::uint16_t>(heDefSelButt_->value());
    editPage(QStringLiteral("Default Selected Button"),
             [v](TIGSc& m, std::size_t p) { return setDefaultSelectedButton(m, p, v); });
    warnReferences(doc_, log_, cbPage_->currentIndex());
}

void MenuHeader::heDefActButtExit() {
    const auto v = static_cast<std::uint16_t>(heDefActButt_->value());
    editPage(QStringLiteral("Default Activated Button"),
             [v](TIGSc& m, std::size_t p) { return setDefaultActivatedButton(m, p, v); });
    warnReferences(doc_, log_, cbPage_->currentIndex());
}

void warnReferences(const Document& doc, Log& log, int page) {
    if (page < 0 || !doc.model().menu.loaded) return;
    const auto faults = menuReferenceFaults(doc.model().menu.igs, static_cast<std::size_t>(page));
    if (faults.empty()) return;
    std::string text = faults.front();
    if (faults.size() > 1) text += " (and " + std::to_string(faults.size() - 1) + " more)";
    log.erslog(text);
}

void MenuHeader::hePaletteExit() {
    const std::uint32_t v = hePalette_->value();
    editPage(QStringLiteral("Page palette"),
             [v](TIGSc& m, std::size_t p) { return setPagePalette(m, p, v); });
}

void MenuHeader::heUO1Exit() {
    const std::uint32_t v = heUO1_->value();
    editPage(QStringLiteral("User Operation Mask 1"),
             [v](TIGSc& m, std::size_t p) { return setUOMaskHigh(m, p, v); });
}

void MenuHeader::heUO2Exit() {
    const std::uint32_t v = heUO2_->value();
    editPage(QStringLiteral("User Operation Mask 2"),
             [v](TIGSc& m, std::size_t p) { return setUOMaskLow(m, p, v); });
}

void MenuHeader::ieFramerateExit() {
    const std::int64_t v = ieFramerate_->value();
    if (v < 0 || v > 0xFF) {
        showPageHeader();
        return;
    }
    editPage(QStringLiteral("Animation Frame Rate Code"),
             [v](TIGSc& m, std::size_t p) { return setAnimationFrameRateCode(m, p, static_cast<std::uint8_t>(v)); });
}

void MenuHeader::eUTOExit() {
    // Only a typed time is stored: passing through the box changes nothing.
    if (!doc_.model().menu.loaded || !eUserTimeout_->isModified()) return;
    eUserTimeout_->setModified(false);
    const std::string text = eUserTimeout_->text().toStdString();
    try {
        parseUserTimeOut(text);
    } catch (const InvalidTimeError& e) {
        log_.erslog(errorText(e));
        showInfo();
        return;
    }
    // Each value left in the box is a step of its own.
    doc_.apply(Document::Part::Menu, QStringLiteral("User timeout"),
               [&](Workspace& ws) { return setUserTimeOut(ws.menu.igs, text); });
    showInfo();
}

void MenuHeader::fillPageSelector(std::optional<int> selected) {
    const TIGSc& m = menu();
    const QSignalBlocker block(cbPage_);
    const int was = cbPage_->currentIndex();
    cbPage_->clear();
    for (const TPage& p : m.pages) cbPage_->addItem(QString::number(p.page_id));
    cbPage_->setCurrentIndex(selected ? *selected : std::min(was, cbPage_->count() - 1));
}

}  // namespace navora::ui
