#include "ui/shell/bottombar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

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
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(4);

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
}

}  // namespace navora::ui
