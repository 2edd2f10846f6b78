#include "ui/menu/menupageview.h"

#include "preview/views.h"
#include "ui/menu/menupreview.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace navora::ui {

int virtualKeyCode(const QKeyEvent& e) {
    const int k = e.key();
    const bool keypad = e.modifiers().testFlag(Qt::KeypadModifier);
    if (keypad && k >= Qt::Key_0 && k <= Qt::Key_9) return 96 + (k - Qt::Key_0);
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    struct Code {
        int key;
        int code;
    };
    static constexpr Code kCodes[] = {
        {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},        {Qt::Key_Backtab, 9},     {Qt::Key_Clear, 12},
        {Qt::Key_Return, 13},   {Qt::Key_Enter, 13},     {Qt::Key_Shift, 16},      {Qt::Key_Control, 17},
        {Qt::Key_Alt, 18},      {Qt::Key_Pause, 19},     {Qt::Key_CapsLock, 20},   {Qt::Key_Escape, 27},
        {Qt::Key_Space, 32},    {Qt::Key_PageUp, 33},    {Qt::Key_PageDown, 34},   {Qt::Key_End, 35},
        {Qt::Key_Home, 36},     {Qt::Key_Left, 37},      {Qt::Key_Up, 38},         {Qt::Key_Right, 39},
        {Qt::Key_Down, 40},     {Qt::Key_Print, 44},     {Qt::Key_Insert, 45},     {Qt::Key_Delete, 46},
        {Qt::Key_Meta, 91},     {Qt::Key_Menu, 93},      {Qt::Key_NumLock, 144},   {Qt::Key_ScrollLock, 145},
        {Qt::Key_Semicolon, 186}, {Qt::Key_Equal, 187},  {Qt::Key_Comma, 188},     {Qt::Key_Minus, 189},
        {Qt::Key_Period, 190},  {Qt::Key_Slash, 191},    {Qt::Key_QuoteLeft, 192}, {Qt::Key_BracketLeft, 219},
        {Qt::Key_Backslash, 220}, {Qt::Key_BracketRight, 221}, {Qt::Key_Apostrophe, 222},
    };
    if (keypad) {
        switch (k) {
            case Qt::Key_Asterisk: return 106;
            case Qt::Key_Plus: return 107;
            case Qt::Key_Minus: return 109;
            case Qt::Key_Period: return 110;
            case Qt::Key_Slash: return 111;
            default: break;
        }
    }
    for (const Code& c : kCodes)
        if (c.key == k) return c.code;
    return 0;
}

class PageCanvas : public QWidget {
public:
    PageCanvas(MenuPageView& view, MenuPreview& preview) : QWidget(nullptr), view_(view), preview_(preview) {
        setObjectName(QStringLiteral("iFullpage"));
        setMouseTracking(true);
        setFocusPolicy(Qt::ClickFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        const RgbaImage& pic = preview_.emulator().picture();
        const QRect shown = view_.shownRect();
        p.fillRect(e->rect(), view_.fit_ ? QColor(Qt::black) : view_.area_);
        const QImage image = pictureImage(pic);
        if (image.isNull()) return;
        if (shown.size() == image.size()) {
            p.drawImage(shown.topLeft(), image);
        } else {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(shown, image);
        }
    }
    void keyPressEvent(QKeyEvent* e) override {
        // The page takes its keys: the arrows do not scroll the area under it.
        if (const int code = virtualKeyCode(*e)) {
            emit view_.keyPressed(code);
            e->accept();
            return;
        }
        QWidget::keyPressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (const auto at = page(e)) preview_.emulator().mouseMove(at->x(), at->y());
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return;
        if (const auto at = page(e)) preview_.emulator().mouseDown(at->x(), at->y());
    }

private:
    std::optional<QPoint> page(QMouseEvent* e) const {
        if (view_.active && !view_.active()) return std::nullopt;
        return view_.toPage(e->position().toPoint());
    }

    MenuPageView& view_;
    MenuPreview& preview_;
};

MenuPageView::MenuPageView(MenuPreview& preview, QWidget* parent) : QScrollArea(parent), preview_(preview) {
    setObjectName(QStringLiteral("sbFullpage"));
    canvas_ = new PageCanvas(*this, preview_);
    setWidget(canvas_);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(&preview_, &MenuPreview::pictureUpdated, this, [this](const QRect& r) {
        const QRect shown = shownRect();
        const RgbaImage& pic = preview_.emulator().picture();
        if (pic.width != shown.width() || pic.height != shown.height() || r.isEmpty()) {
            canvas_->update();
            return;
        }
        canvas_->update(r.translated(shown.topLeft()));
    });
    connect(&preview_, &MenuPreview::repaintRequested, this, [this] {
        applyMode();
        canvas_->repaint();
    });
    connect(&preview_, &MenuPreview::handCursor, this,
            [this](bool hand) { canvas_->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor); });
    applyMode();
}

QWidget* MenuPageView::canvas() const { return canvas_; }

void MenuPageView::setFit(bool fit) {
    if (fit == fit_) return;
    fit_ = fit;
    applyMode();
}

void MenuPageView::setAreaColour(const QColor& colour) {
    area_ = colour;
    canvas_->update();
}

void MenuPageView::applyMode() {
    const RgbaImage& pic = preview_.emulator().picture();
    if (fit_) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWidgetResizable(true);
    } else {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setWidgetResizable(false);
        canvas_->resize(std::max(pic.width, 1), std::max(pic.height, 1));
    }
    canvas_->update();
}

void MenuPageView::resizeEvent(QResizeEvent* e) {
    QScrollArea::resizeEvent(e);
    if (fit_) canvas_->update();
}

QRect MenuPageView::shownRect() const {
    const RgbaImage& pic = preview_.emulator().picture();
    if (!fit_) return {0, 0, pic.width, pic.height};
    // The canvas is the area's inside: the area is two pixels larger.
    const PixelRect r = fitGeometry(canvas_->width() + 2, canvas_->height() + 2, pic.width, pic.height);
    return {r.x - 1, r.y - 1, r.width, r.height};
}

std::optional<QPoint> MenuPageView::toPage(const QPoint& pos) const {
    const QRect shown = shownRect();
    if (!shown.contains(pos)) return std::nullopt;
    const RgbaImage& pic = preview_.emulator().picture();
    const PixelRect r{shown.x(), shown.y(), shown.width(), shown.height()};
    const PagePoint p = viewToPage(pos.x() - shown.x(), pos.y() - shown.y(), r, pic.width, pic.height);
    return QPoint(p.x, p.y);
}

}  // namespace navora::ui
