#include "ui/shell/statustab.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace navora::ui {

QFont StatusTab::logFont() {
    QFont f(QStringLiteral("Tahoma"), 9);
    f.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    f.setWeight(QFont::Normal);
    return f;
}

StatusTab::StatusTab(QWidget* parent) : TabPage(parent) {
    reMessage_ = new QTextEdit(this);
    reMessage_->setObjectName(QStringLiteral("reMessage"));
    reMessage_->setReadOnly(true);
    reMessage_->setLineWrapMode(QTextEdit::NoWrap);
    reMessage_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reMessage_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reMessage_->setFont(logFont());
    reMessage_->document()->setDefaultFont(logFont());
    reMessage_->setUndoRedoEnabled(false);

    bClear_ = new QPushButton(QStringLiteral("Clear"), this);
    bClear_->setObjectName(QStringLiteral("bClear"));
    auto button = [this](const QString& caption, const char* name, const QString& hint) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        return b;
    };
    bPSRs_ = button(QStringLiteral("PS&Rs"), "bPSRs", QStringLiteral("Log the player status registers"));
    bGPRs_ = button(QStringLiteral("&GPRs"), "bGPRs", QStringLiteral("Log the general purpose registers"));
    bResetRegs_ = button(QStringLiteral("Re&set Regs"), "bResetRegs", QStringLiteral("Reset the registers"));
    buttons_ = new QHBoxLayout;
    buttons_->addWidget(bClear_);
    buttons_->addStretch(1);
    buttons_->addWidget(bPSRs_);
    buttons_->addWidget(bGPRs_);
    buttons_->addWidget(bResetRegs_);

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(4, 4, 4, 4);
    l->addWidget(reMessage_, 1);
    l->addLayout(buttons_);
}

}  // namespace navora::ui
