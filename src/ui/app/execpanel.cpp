#include "ui/app/execpanel.h"

#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace navora::ui {

ExecPanel::ExecPanel(QWidget* parent) : QWidget(parent) {
    bStart_ = new QPushButton(QStringLiteral("Start"), this);
    bStart_->setObjectName(QStringLiteral("bStart"));
    bStart_->setToolTip(QStringLiteral("Execute the button commands"));
    bStart_->setEnabled(false);
    cbTrace_ = new QCheckBox(QStringLiteral("Trace"), this);
    cbTrace_->setObjectName(QStringLiteral("cbTrace"));
    cbTrace_->setToolTip(QStringLiteral("Trace (execute commands step by step)"));
    cbObject_ = new QComboBox(this);
    cbObject_->setObjectName(QStringLiteral("cbObject"));
    cbObject_->setToolTip(QStringLiteral("Movie object to execute"));
    cbObject_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbObject_->setMinimumContentsLength(4);
    cbButton_ = new QComboBox(this);
    cbButton_->setObjectName(QStringLiteral("cbButton"));
    cbButton_->setToolTip(QStringLiteral("Button to execute"));
    cbButton_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbButton_->setMinimumContentsLength(4);
    cbButton_->hide();
    ieProgramLine_ = new TIntEdit(this);
    ieProgramLine_->setObjectName(QStringLiteral("ieProgramLine"));
    ieProgramLine_->setToolTip(QStringLiteral("Command line"));
    ieProgramLine_->setMaxLength(4);
    ieProgramLine_->setFixedWidth(ieProgramLine_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 10);
    ieProgramLine_->installEventFilter(this);
    showProgramLine(0);
    auto* lineLabel = new QLabel(QStringLiteral("Line"), this);
    lineLabel->setBuddy(ieProgramLine_);

    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(4);
    l->addWidget(bStart_);
    l->addWidget(cbTrace_);
    l->addWidget(cbObject_);
    l->addWidget(cbButton_);
    l->addWidget(lineLabel);
    l->addWidget(ieProgramLine_);

    connect(cbObject_, &QComboBox::activated, this, &ExecPanel::objectChosen);
}

void ExecPanel::setObjectCount(int count) {
    const QSignalBlocker block(cbObject_);
    const int chosen = cbObject_->currentIndex();
    cbObject_->clear();
    for (int i = 0; i < count; ++i) cbObject_->addItem(QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')));
    cbObject_->setCurrentIndex(chosen < count ? chosen : -1);
}

void ExecPanel::selectObject(int object) {
    const QSignalBlocker block(cbObject_);
    cbObject_->setCurrentIndex(object >= 0 && object < cbObject_->count() ? object : -1);
}

void ExecPanel::showProgramLine(int line) {
    // A line past every program (where a cancelled trace leaves it) is no line: the box stays empty.
    if (line > kMaxProgramLine)
        ieProgramLine_->clear();
    else
        ieProgramLine_->setText(QStringLiteral("%1").arg(std::max(line, 0), 4, 10, QLatin1Char('0')));
    ieProgramLine_->setModified(false);
}

void ExecPanel::setMenuMode(bool menu) {
    cbObject_->setVisible(!menu);
    cbButton_->setVisible(menu);
}

void ExecPanel::setTraceInProgress(bool on) {
    QFont f = bStart_->font();
    f.setBold(on);
    bStart_->setFont(f);
}

bool ExecPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ieProgramLine_) {
        if (event->type() == QEvent::KeyPress) {
            const auto* k = static_cast<QKeyEvent*>(event);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                // Enter moves to Start, which takes the line as the box is left.
                bStart_->setFocus();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            const auto line = ieProgramLine_->value();
            const int clamped = static_cast<int>(std::clamp<std::int64_t>(line, 0, 0xFFFF));
            showProgramLine(clamped);
            emit programLineEntered(clamped);
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace navora::ui
