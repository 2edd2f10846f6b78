#include "ui/tabpage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace navora::ui {

PendingTab::PendingTab(const QString& note, BarRule rule, QWidget* parent) : TabPage(parent), rule_(std::move(rule)) {
    auto* l = new QVBoxLayout(this);
    auto* label = new QLabel(note, this);
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    l->addWidget(label);
}

void PendingTab::setSelection(const QString& name) {
    selection_ = name;
    emit bottomBarChanged();
}

}  // namespace navora::ui
