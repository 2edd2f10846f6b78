#include "ui/shell/bottombar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace navora::ui {

namespace {

QFrame* panel(const QString& name, QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    auto* l = new QHBoxLayout(f);
    l->setContentsMargins(0, 0, 0, 0);
    // The panels keep their controls together; the spare width goes before Cancel.
    f->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    return f;
}

QPushButton* button(const QString& caption, const char* name, const QString& hint, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    if (!hint.isEmpty()) b->setToolTip(hint);
    // The buttons may narrow to their captions: with the execution, navigation
    // and register panels of the Menu tab the bar is full at the least width.
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QString(caption).remove(QLatin1Char('&'))) + 24);
    return b;
}

}  // namespace

BottomBarView::BottomBarView(QWidget* parent) : QWidget(parent) {
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);
    auto* l = new QHBoxLayout;
    l->setSpacing(4);
    second_ = new QHBoxLayout;
    second_->setSpacing(4);
    rows->addLayout(l);
    rows->addLayout(second_);
    row_ = l;

    bSave_ = button(QStringLiteral("&Save"), "bSave", {}, this);
    bFind_ = button(QStringLiteral("Find"), "bFind", {}, this);
    bFind_->setEnabled(false);
    bLoad_ = button(QStringLiteral("&Load"), "bLoadMenu", QStringLiteral("Load an IGS menu (*.mnu)"), this);
    bMux_ = button(QStringLiteral("M&ux"), "bMux", QStringLiteral("Mux the IGS menu to a .m2ts"), this);
    pExecute_ = panel(QStringLiteral("pExecute"), this);
    pNavigate_ = panel(QStringLiteral("pNavigate"), this);
    pRegisters_ = panel(QStringLiteral("pRegisters"), this);

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(true);
    progressBar_->setStyleSheet(QStringLiteral(
        "QProgressBar { font-weight: bold; text-align: center; border: 1px solid gray; }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #ffff00, stop:1 #ff0000); }"));
    progressBar_->hide();

    bCancel_ = button(QStringLiteral("Cancel"), "bCancel", {}, this);
    bCancel_->setEnabled(false);

    l->addWidget(bSave_);
    l->addWidget(bFind_);
    l->addWidget(bLoad_);
    l->addWidget(bMux_);
    l->addWidget(pExecute_);
    l->addWidget(pNavigate_);
    l->addWidget(pRegisters_);
    l->addWidget(progressBar_, 1);
    l->addStretch(1);
    l->addWidget(bCancel_);
    second_->addStretch(1);
}

int BottomBarView::oneRowWidth() const {
    // What the layout gives each shown control at the least: its set minimum
    // width, or its own least size.
    int width = 0, shown = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{bSave_, bFind_, bLoad_, bMux_, pExecute_, pNavigate_,
                                                      pRegisters_, progressBar_, bCancel_}) {
        if (w->isHidden()) continue;
        width += w->minimumWidth() > 0 ? w->minimumWidth() : w->minimumSizeHint().width();
        ++shown;
    }
    return width + row_->spacing() * shown;
}

void BottomBarView::arrange() {
    // The register panel takes a second row when the Menu tab's panels do
    // not fit side by side (at the least window width they do not): squeezed
    // into one row they would overlap.
    const bool wrap = !pRegisters_->isHidden() && oneRowWidth() > width();
    if (wrap == (second_->indexOf(pRegisters_) >= 0)) return;
    if (wrap) {
        row_->removeWidget(pRegisters_);
        second_->insertWidget(0, pRegisters_);
    } else {
        second_->removeWidget(pRegisters_);
        row_->insertWidget(row_->indexOf(progressBar_), pRegisters_);
    }
}

void BottomBarView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    arrange();
}

QHBoxLayout* BottomBarView::navigateLayout() const { return static_cast<QHBoxLayout*>(pNavigate_->layout()); }

void BottomBarView::showBar(const BottomBar& bar) {
    shown_ = bar;
    bSave_->setVisible(bar.save);
    bFind_->setVisible(bar.find);
    bLoad_->setVisible(bar.load);
    bMux_->setVisible(bar.mux);
    showEnabled(bar);
    setProgressShown(progressShown_);
}

void BottomBarView::showEnabled(const BottomBar& bar) {
    shown_.saveEnabled = bar.saveEnabled;
    shown_.saveHint = bar.saveHint;
    bSave_->setEnabled(bar.saveEnabled);
    bSave_->setToolTip(bar.saveHint);
    bMux_->setEnabled(bar.saveEnabled);
}

void BottomBarView::setProgressShown(bool shown) {
    progressShown_ = shown;
    pExecute_->setVisible(shown_.execute && !shown);
    pNavigate_->setVisible(shown_.navigate && !shown);
    pRegisters_->setVisible(shown_.registers && !shown);
    arrange();
}

}  // namespace navora::ui
