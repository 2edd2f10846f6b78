#include "ui/menu/menueffects.h"

#include "ig/structure.h"
#include "preview/views.h"
#include "ui/menu/menupreview.h"
#include "ui/widgets/widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace navora::ui {

namespace {

// The largest cropping value the boxes take (a stored value may be larger).
constexpr int kCropMax = 1919;

// The effect view: the renderer's effect picture fitted into the widget.
class EffectCanvas : public QWidget {
public:
    EffectCanvas(MenuPreview& preview, QWidget* parent) : QWidget(parent), preview_(preview) {
        setObjectName(QStringLiteral("iEffect"));
        setMinimumSize(240, 135);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        const RgbaImage& pic = preview_.renderer().effectView();
        const QImage image = pictureImage(pic);
        if (image.isNull()) return;
        const PixelRect r = fitGeometry(width(), height(), pic.width, pic.height);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(r.x, r.y, r.width, r.height), image);
    }

private:
    MenuPreview& preview_;
};

QWidget* titled(const QString& title, QWidget* grid, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(1);
    l->addWidget(new QLabel(title, w));
    l->addWidget(grid, 1);
    return w;
}

template <std::size_t N>
void fillGrid(StringGrid* g, const std::vector<std::array<std::string, N>>& rows, bool firstIsNumber) {
    // The row numbers come from the rows themselves (window ids, "001", ...).
    if (firstIsNumber)
        g->rowNumberText = [rows](int row) {
            return row >= 0 && static_cast<std::size_t>(row) < rows.size()
                       ? QString::fromStdString(rows[static_cast<std::size_t>(row)][0])
                       : QString();
        };
    g->setDataRows(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = firstIsNumber ? 1 : 0; c < N; ++c)
            g->setCell(static_cast<int>(r), static_cast<int>(firstIsNumber ? c : c + 1),
                       QString::fromStdString(rows[r][c]));
    g->resizeColumnsToContents();
    g->setEnabled(!rows.empty());
}

}  // namespace

MenuEffectsView::MenuEffectsView(Document& doc, MenuPreview& preview, QWidget* parent)
    : QWidget(parent), doc_(doc), preview_(preview) {
    rbIn_ = new QRadioButton(QStringLiteral("InEffects"), this);
    rbIn_->setObjectName(QStringLiteral("rbInEffects"));
    rbOut_ = new QRadioButton(QStringLiteral("OutEffects"), this);
    rbOut_->setObjectName(QStringLiteral("rbOutEffects"));
    rbIn_->setChecked(true);
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(rbIn_, InEffects);
    kinds->addButton(rbOut_, OutEffects);
    auto* rg = new QGroupBox(QStringLiteral("Effects"), this);
    rg->setObjectName(QStringLiteral("rgEffects"));
    auto* rl = new QHBoxLayout(rg);
    rl->setContentsMargins(6, 2, 6, 2);
    rl->addWidget(rbIn_);
    rl->addWidget(rbOut_);

    sgWindows_ = new StringGrid(this);
    sgWindows_->setObjectName(QStringLiteral("sgEffWindows"));
    sgWindows_->setTitles({QStringLiteral("id"), QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("width"),
                           QStringLiteral("height")});
    sgEffects_ = new StringGrid(this);
    sgEffects_->setObjectName(QStringLiteral("sgEffEffects"));
    sgEffects_->setTitles({QStringLiteral("   "), QStringLiteral("duration"), QStringLiteral("palette"), QStringLiteral("c.obj.")});
    sgCompObjects_ = new StringGrid(this);
    sgCompObjects_->setObjectName(QStringLiteral("sgEffCompObjects"));
    sgCompObjects_->setTitles({QStringLiteral("   "), QStringLiteral("object"), QStringLiteral("window"), QStringLiteral("X pos."),
                               QStringLiteral("Y pos.")});
    for (StringGrid* g : {sgWindows_, sgEffects_, sgCompObjects_}) g->setEditTriggers(QAbstractItemView::NoEditTriggers);

    cbCropped_ = new QCheckBox(QStringLiteral("cropped"), this);
    cbCropped_->setObjectName(QStringLiteral("cbCropped"));
    cbCropped_->setAttribute(Qt::WA_TransparentForMouseEvents);
    cbCropped_->setFocusPolicy(Qt::NoFocus);
    auto* cropBoxes = new QGroupBox(QStringLiteral("Cropping"), this);
    auto* cl = new QGridLayout(cropBoxes);
    cl->setContentsMargins(6, 2, 6, 2);
    cl->addWidget(cbCropped_, 0, 0, 1, 2);
    const char* names[4] = {"neCropX", "neCropY", "neCropW", "neCropH"};
    const char* hints[4] = {"Object cropping horizontal position", "Object cropping vertical position",
                            "Object cropping width", "Object cropping height"};
    const char* captions[4] = {"X", "Y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QSpinBox(cropBoxes);
        b->setObjectName(QLatin1String(names[i]));
        b->setToolTip(QLatin1String(hints[i]));
        b->setRange(0, kCropMax);
        b->setKeyboardTracking(false);
        cl->addWidget(new QLabel(QLatin1String(captions[i]), cropBoxes), 1 + i, 0);
        cl->addWidget(b, 1 + i, 1);
        crop_[static_cast<std::size_t>(i)] = b;
        connect(b, &QSpinBox::editingFinished, this, [this, i] { cropExit(i); });
    }
    cl->setRowStretch(5, 1);

    view_ = new EffectCanvas(preview_, this);

    auto* left = new QWidget(this);
    auto* ll = new QVBoxLayout(left);
    ll->setContentsMargins(0, 0, 0, 0);
    ll->addWidget(rg);
    ll->addWidget(titled(QStringLiteral("Windows"), sgWindows_, left), 1);
    ll->addWidget(titled(QStringLiteral("Effects"), sgEffects_, left), 2);
    auto* mid = new QWidget(this);
    auto* ml = new QVBoxLayout(mid);
    ml->setContentsMargins(0, 0, 0, 0);
    ml->addWidget(titled(QStringLiteral("Composition Objects"), sgCompObjects_, mid), 1);
    ml->addWidget(cropBoxes);
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(2, 2, 2, 2);
    l->addWidget(left, 2);
    l->addWidget(mid, 2);
    l->addWidget(view_, 5);

    connect(kinds, &QButtonGroup::idClicked, this, &MenuEffectsView::showKind);
    connect(sgEffects_, &StringGrid::choiceChanged, this, &MenuEffectsView::effectClicked);
    connect(sgCompObjects_, &StringGrid::choiceChanged, this, &MenuEffectsView::compClicked);
    connect(&preview_, &MenuPreview::effectViewUpdated, view_, qOverload<>(&QWidget::update));
    showPage(-1);
}

const TIGSc& MenuEffectsView::menu() const { return doc_.model().menu.igs; }

const Teffectseq* MenuEffectsView::sequence() const {
    const TIGSc& m = menu();
    if (page_ < 0 || static_cast<std::size_t>(page_) >= m.pages.size()) return nullptr;
    return &m.pages[static_cast<std::size_t>(page_)].effects[static_cast<std::size_t>(kind_)];
}

void MenuEffectsView::showKind(int kind) {
    kind_ = kind == OutEffects ? OutEffects : InEffects;
    const QSignalBlocker a(rbIn_), b(rbOut_);
    (kind_ == InEffects ? rbIn_ : rbOut_)->setChecked(true);
    effect_ = -1;
    refresh();
}

void MenuEffectsView::showPage(int page) {
    page_ = page;
    effect_ = -1;
    comp_ = -1;
    refresh();
}

void MenuEffectsView::refresh() {
    const Teffectseq* s = sequence();
    const QSignalBlocker block(sgEffects_);
    quiet_ = true;
    fillGrid(sgWindows_, s ? effectWindowRows(*s) : std::vector<std::array<std::string, 5>>{}, true);
    fillGrid(sgEffects_, s ? effectRows(*s) : std::vector<std::array<std::string, 4>>{}, true);
    quiet_ = false;
    const int n = s ? static_cast<int>(s->effects.size()) : 0;
    if (effect_ >= n) effect_ = n - 1;
    if (effect_ < 0 && n > 0) effect_ = 0;
    if (effect_ >= 0) sgEffects_->selectRange(effect_, effect_);
    effectClicked();
}

void MenuEffectsView::effectClicked() {
    if (quiet_) return;
    const Teffectseq* s = sequence();
    if (const auto r = sgEffects_->selectedRange(); r && s && r->first >= 0 &&
                                                    static_cast<std::size_t>(r->first) < s->effects.size()) {
        if (effect_ != r->first) comp_ = -1;
        effect_ = r->first;
    } else {
        effect_ = -1;
    }
    const Teffect* e = s && effect_ >= 0 ? &s->effects[static_cast<std::size_t>(effect_)] : nullptr;
    {
        const QSignalBlocker block(sgCompObjects_);
        quiet_ = true;
        fillGrid(sgCompObjects_, e ? compositionObjectRows(*e) : std::vector<std::array<std::string, 5>>{}, true);
        quiet_ = false;
    }
    PageRenderer& r = preview_.renderer();
    r.clearEffectView();
    if (e)
        for (std::size_t i = 0; i < e->composition_objects.size(); ++i)
            r.EffPreview(*s, static_cast<std::size_t>(effect_), i);
    view_->update();
    const int n = e ? static_cast<int>(e->composition_objects.size()) : 0;
    if (comp_ >= n || comp_ < 0) comp_ = n > 0 ? 0 : -1;
    if (comp_ >= 0) {
        const QSignalBlocker block(sgCompObjects_);
        sgCompObjects_->selectRange(comp_, comp_);
    }
    drawComp();
}

void MenuEffectsView::compClicked() {
    if (quiet_) return;
    const auto r = sgCompObjects_->selectedRange();
    comp_ = r ? r->first : -1;
    drawComp();
}

void MenuEffectsView::drawComp() {
    const Teffectseq* s = sequence();
    const TCompObject* c = nullptr;
    if (s && effect_ >= 0 && comp_ >= 0) {
        const Teffect& e = s->effects[static_cast<std::size_t>(effect_)];
        if (static_cast<std::size_t>(comp_) < e.composition_objects.size())
            c = &e.composition_objects[static_cast<std::size_t>(comp_)];
    }
    const bool cropped = c && c->cropped();
    cbCropped_->setChecked(cropped);
    const int values[4] = {cropped ? c->cropping_horizontal_position : 0, cropped ? c->cropping_vertical_position : 0,
                           cropped ? c->cropping_width : 0, cropped ? c->cropping_height : 0};
    for (int i = 0; i < 4; ++i) {
        QSpinBox* b = crop_[static_cast<std::size_t>(i)];
        const QSignalBlocker block(b);
        // Typed values end at 1919, but a larger stored value is shown as it
        // is: a box clamping it would write the clamped value when left.
        b->setMaximum(std::max(kCropMax, values[i]));
        b->setValue(values[i]);
        b->setEnabled(cropped);
    }
}

void MenuEffectsView::cropExit(int field) {
    const Teffectseq* s = sequence();
    if (!s || effect_ < 0 || comp_ < 0 || !cbCropped_->isChecked()) return;
    const long long value = crop_[static_cast<std::size_t>(field)]->value();
    // Typed values end at 1919: above it the box holds the stored value (left
    // as it was) or a refused one, and shows the stored value again.
    if (value > kCropMax) {
        drawComp();
        return;
    }
    const std::size_t page = static_cast<std::size_t>(page_), effect = static_cast<std::size_t>(effect_),
                      comp = static_cast<std::size_t>(comp_);
    const auto kind = static_cast<EffectKind>(kind_);
    doc_.apply(Document::Part::Menu, QStringLiteral("Cropping"),
               [=](Workspace& ws) {
                   return setCropping(ws.menu.igs, page, kind, effect, comp, static_cast<CropField>(field), value);
               },
               QStringLiteral("menu/crop/%1/%2/%3/%4/%5").arg(page_).arg(kind_).arg(effect_).arg(comp_).arg(field));
}

}  // namespace navora::ui
