#include "ui/app/regpanel.h"

#include "ui/widgets/widgets.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>

#include <algorithm>

namespace navora::ui {

namespace {

TIntEdit* numberBox(const char* name, int digits, const QString& hint, QWidget* parent) {
    auto* e = new TIntEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setToolTip(hint);
    e->setMaxLength(digits);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(digits + 1, QLatin1Char('0'))) + 10);
    return e;
}

THexEdit* valueBox(const char* name, const QString& hint, QWidget* parent) {
    auto* e = new THexEdit(8, parent);
    e->setObjectName(QLatin1String(name));
    e->setToolTip(hint);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDDDD")) + 10);
    return e;
}

}  // namespace

RegPanel::RegPanel(NavMachine& machine, QWidget* parent) : QWidget(parent), machine_(machine) {
    iePSR_ = numberBox("iePSR", 3, QStringLiteral("PSR number (0..127)"), this);
    hePSRval_ = valueBox("hePSRval", QStringLiteral("PSR value"), this);
    ieGPR_ = numberBox("ieGPR", 4, QStringLiteral("GPR number (0..4095)"), this);
    heGPRval_ = valueBox("heGPRval", QStringLiteral("GPR value"), this);

    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(3);
    auto* psr = new QLabel(QStringLiteral("PSR"), this);
    psr->setBuddy(iePSR_);
    auto* gpr = new QLabel(QStringLiteral("GPR"), this);
    gpr->setBuddy(ieGPR_);
    l->addWidget(psr);
    l->addWidget(iePSR_);
    l->addWidget(hePSRval_);
    l->addSpacing(6);
    l->addWidget(gpr);
    l->addWidget(ieGPR_);
    l->addWidget(heGPRval_);

    for (QWidget* w : std::initializer_list<QWidget*>{iePSR_, hePSRval_, ieGPR_, heGPRval_})
        w->installEventFilter(this);
    showValues();
}

void RegPanel::showValues() {
    iePSR_->setText(QStringLiteral("%1").arg(psr_, 3, 10, QLatin1Char('0')));
    ieGPR_->setText(QStringLiteral("%1").arg(gpr_, 4, 10, QLatin1Char('0')));
    hePSRval_->setValue(machine_.psr(static_cast<unsigned>(psr_)));
    heGPRval_->setValue(machine_.gpr(static_cast<unsigned>(gpr_)));
    // A value the last run changed stands out: dark text on yellow, under a
    // dark palette too. A palette, not a style sheet: a style sheet would
    // also drop the window's font from the box.
    const auto mark = [](QLineEdit* box, bool on) {
        if (!on) {
            box->setPalette(QPalette());  // the panel's own colours again
            return;
        }
        QPalette p = box->palette();
        p.setColor(QPalette::Base, QColor(0xFF, 0xE0, 0x60));
        p.setColor(QPalette::Text, Qt::black);
        box->setPalette(p);
    };
    mark(hePSRval_, highlighted(RegisterKind::PSR));
    mark(heGPRval_, highlighted(RegisterKind::GPR));
}

void RegPanel::markChanged(const std::vector<RegisterRef>& changed) {
    changed_ = changed;
    showValues();
}

bool RegPanel::highlighted(RegisterKind kind) const {
    const unsigned shown = static_cast<unsigned>(kind == RegisterKind::PSR ? psr_ : gpr_);
    return std::find(changed_.begin(), changed_.end(), RegisterRef{kind, shown}) != changed_.end();
}

void RegPanel::showRegister(const RegisterRef& ref) {
    if (ref.kind == RegisterKind::PSR)
        psr_ = static_cast<int>(ref.number % kPsrCount);
    else
        gpr_ = static_cast<int>(ref.number % kGprCount);
    showValues();
}

void RegPanel::iePSRExit() {
    const auto n = iePSR_->value();
    // A number out of range resets the box to 0.
    psr_ = n >= 0 && n < kPsrCount ? static_cast<int>(n) : 0;
    showValues();
}

void RegPanel::ieGPRExit() {
    const auto n = ieGPR_->value();
    gpr_ = n >= 0 && n < kGprCount ? static_cast<int>(n) : 0;
    showValues();
}

void RegPanel::hePSRvalExit() {
    // Only a typed value is stored: a box passed through may show a value a run has changed since.
    if (!hePSRval_->isModified()) return;
    machine_.setPsr(static_cast<unsigned>(psr_), hePSRval_->value());
    showValues();
}

void RegPanel::heGPRvalExit() {
    if (!heGPRval_->isModified()) return;
    machine_.setGpr(static_cast<unsigned>(gpr_), heGPRval_->value());
    showValues();
}

bool RegPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == iePSR_) iePSRExit();
        else if (watched == ieGPR_) ieGPRExit();
        else if (watched == hePSRval_) hePSRvalExit();
        else if (watched == heGPRval_) heGPRvalExit();
    } else if (event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            // Enter moves between a number box and its value box (leaving stores).
            QWidget* next = watched == iePSR_      ? static_cast<QWidget*>(hePSRval_)
                            : watched == hePSRval_ ? static_cast<QWidget*>(iePSR_)
                            : watched == ieGPR_    ? static_cast<QWidget*>(heGPRval_)
                                                   : static_cast<QWidget*>(ieGPR_);
            next->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace navora::ui
