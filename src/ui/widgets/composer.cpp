#include "ui/widgets/composer.h"

#include "core/log.h"
#include "nav/decode.h"
#include "ui/widgets/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

#include <limits>

namespace navora::ui {

namespace {

void setItems(QComboBox* box, const QStringList& items, int index) {
    const QSignalBlocker block(box);
    if (box->count() != items.size() || [&] {
            for (int i = 0; i < items.size(); ++i)
                if (box->itemText(i) != items[i]) return true;
            return false;
        }()) {
        box->clear();
        box->addItems(items);
    }
    box->setCurrentIndex(index >= 0 && index < items.size() ? index : -1);
}

// Enter in a box of the composer stores the box and gives the grid the focus.
class EnterFilter : public QObject {
public:
    EnterFilter(Composer* composer, std::function<void(QObject*)> store)
        : QObject(composer), composer_(composer), store_(std::move(store)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* k = static_cast<QKeyEvent*>(event);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                store_(watched);
                emit composer_->enterPressed();
                return true;
            }
        }
        return false;
    }

private:
    Composer* composer_;
    std::function<void(QObject*)> store_;
};

}  // namespace

Composer::Composer(QWidget* parent) : QWidget(parent) {
    auto combo = [this](const char* name, const QString& hint) {
        auto* c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->setToolTip(hint);
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        return c;
    };
    cbCmdGrp_ = combo("cbCmdGrp", QStringLiteral("Command Group"));
    cbCmdSGrp_ = combo("cbCmdSGrp", QStringLiteral("Command Sub-Group"));
    cbCmd_ = combo("cbCmd", QStringLiteral("Command Option"));
    cbCmdGrp_->setMinimumContentsLength(7);
    cbCmdSGrp_->setMinimumContentsLength(8);
    cbCmd_->setMinimumContentsLength(12);
    cbCmdGrp_->addItems(toList(groupNames()));
    cbCmdGrp_->setCurrentIndex(-1);

    auto hex = [this](const char* name, const QString& hint) {
        auto* h = new THexEdit(8, this);
        h->setObjectName(QLatin1String(name));
        h->setToolTip(hint);
        h->setFixedWidth(h->fontMetrics().horizontalAdvance(QStringLiteral("DDDDDDDD")) + 12);
        return h;
    };
    heOCH_ = hex("heOCH", QStringLiteral("Opcode"));
    heDEH_ = hex("heDEH", QStringLiteral("Destination"));
    heSOH_ = hex("heSOH", QStringLiteral("Source"));

    cbOP1on_ = new QCheckBox(QStringLiteral("Dst"), this);
    cbOP1on_->setObjectName(QStringLiteral("cbOP1on"));
    cbOP2on_ = new QCheckBox(QStringLiteral("Src"), this);
    cbOP2on_->setObjectName(QStringLiteral("cbOP2on"));
    cbOP1_ = combo("cbOP1", QStringLiteral("Destination Type"));
    cbOp2_ = combo("cbOp2", QStringLiteral("Source Type"));
    for (QComboBox* c : {cbOP1_, cbOp2_}) {
        c->addItems(toList(operandTypeNames()));
        c->setMinimumContentsLength(4);
    }
    auto dec = [this](const char* name, const QString& hint) {
        auto* e = new TIntEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setToolTip(hint);
        e->setMaxLength(10);
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("4294967295")) + 12);
        return e;
    };
    ieOp1_ = dec("ieOp1", QStringLiteral("Destination"));
    ieOp2_ = dec("ieOp2", QStringLiteral("Source"));

    // Row 0: what the command is; row 1: its operands; row 2: its three
    // words in hexadecimal.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 2, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->addWidget(cbCmdGrp_, 0, 0, 1, 2);
    grid->addWidget(cbCmdSGrp_, 0, 2);
    grid->addWidget(cbCmd_, 0, 3, 1, 3);
    grid->addWidget(cbOP1on_, 1, 0);
    grid->addWidget(cbOP1_, 1, 1);
    grid->addWidget(ieOp1_, 1, 2);
    grid->addWidget(cbOP2on_, 1, 3);
    grid->addWidget(cbOp2_, 1, 4);
    grid->addWidget(ieOp2_, 1, 5);
    auto* words = new QHBoxLayout;
    words->setSpacing(4);
    auto* hexLabel = new QLabel(QStringLiteral("Hex"), this);
    hexLabel->setBuddy(heOCH_);
    words->addWidget(hexLabel);
    words->addWidget(heOCH_);
    words->addWidget(heDEH_);
    words->addWidget(heSOH_);
    words->addStretch(1);
    grid->addLayout(words, 2, 0, 1, 6);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(5, 1);

    connect(cbCmdGrp_, &QComboBox::activated, this, &Composer::cbCmdGrpChange);
    connect(cbCmdSGrp_, &QComboBox::activated, this, &Composer::cbCmdSGrpChange);
    connect(cbCmd_, &QComboBox::activated, this, &Composer::cbCmdChange);
    connect(cbOP1on_, &QCheckBox::clicked, this, &Composer::cbOP1onClick);
    connect(cbOP2on_, &QCheckBox::clicked, this, &Composer::cbOP2onClick);
    connect(cbOP1_, &QComboBox::activated, this, &Composer::cbOP1Change);
    connect(cbOp2_, &QComboBox::activated, this, &Composer::cbOp2Change);
    connect(heOCH_, &QLineEdit::editingFinished, this, &Composer::eOCHExit);
    connect(heDEH_, &QLineEdit::editingFinished, this, &Composer::eDEHExit);
    connect(heSOH_, &QLineEdit::editingFinished, this, &Composer::eSOHExit);
    connect(ieOp1_, &QLineEdit::editingFinished, this, &Composer::ieOp1Exit);
    connect(ieOp2_, &QLineEdit::editingFinished, this, &Composer::ieOp2Exit);

    auto* enter = new EnterFilter(this, [this](QObject* box) {
        if (box == heOCH_) eOCHExit();
        else if (box == heDEH_) eDEHExit();
        else if (box == heSOH_) eSOHExit();
        else if (box == ieOp1_) ieOp1Exit();
        else if (box == ieOp2_) ieOp2Exit();
    });
    for (QWidget* w : std::initializer_list<QWidget*>{cbCmdGrp_, cbCmdSGrp_, cbCmd_, heOCH_, heDEH_, heSOH_, cbOP1on_,
                                                      cbOP2on_, cbOP1_, cbOp2_, ieOp1_, ieOp2_})
        w->installEventFilter(enter);

    clearCommand();
}

void Composer::setListsEnabled(bool on) {
    listsEnabled_ = on;
    for (QComboBox* c : {cbCmdGrp_, cbCmdSGrp_, cbCmd_}) c->setEnabled(on);
}

void Composer::clearCommand() {
    has_ = false;
    current_ = TCommand{};
    hint_ = QStringLiteral("Navigation commands");
    setItems(cbCmdGrp_, toList(groupNames()), -1);
    setItems(cbCmdSGrp_, {}, -1);
    setItems(cbCmd_, {}, -1);
    for (THexEdit* h : {heOCH_, heDEH_, heSOH_}) {
        h->setValue(0);
        h->setEnabled(false);
    }
    for (QCheckBox* c : {cbOP1on_, cbOP2on_}) {
        const QSignalBlocker block(c);
        c->setChecked(false);
        c->setEnabled(false);
    }
    for (QComboBox* c : {cbOP1_, cbOp2_}) {
        const QSignalBlocker block(c);
        c->setCurrentIndex(0);
        c->setEnabled(false);
    }
    for (TIntEdit* e : {ieOp1_, ieOp2_}) {
        e->setValue(0);
        e->setEnabled(false);
    }
}

void Composer::showCommand(const TCommand& c) {
    has_ = true;
    current_ = c;
    const ComposerState st = composerState(c);
    setItems(cbCmdGrp_, toList(groupNames()), static_cast<int>(st.group));
    setItems(cbCmdSGrp_, toList(st.subGroupNames), static_cast<int>(st.subGroup));
    setItems(cbCmd_, toList(st.optionNames), static_cast<int>(st.option));
    heOCH_->setValue(st.opcode);
    heDEH_->setValue(st.op1.word);
    heSOH_->setValue(st.op2.word);
    for (THexEdit* h : {heOCH_, heDEH_, heSOH_}) h->setEnabled(true);
    cbOP1on_->setEnabled(true);
    cbOP2on_->setEnabled(true);
    setOperandBoxes(1, st.op1);
    setOperandBoxes(2, st.op2);
    hint_ = QString::fromStdString(st.gridHint);
}

void Composer::setOperandBoxes(int operand, const ComposerOperand& op) {
    QCheckBox* on = operand == 1 ? cbOP1on_ : cbOP2on_;
    QComboBox* type = operand == 1 ? cbOP1_ : cbOp2_;
    TIntEdit* value = operand == 1 ? ieOp1_ : ieOp2_;
    {
        const QSignalBlocker b1(on);
        const QSignalBlocker b2(type);
        on->setChecked(op.enabled);
        type->setCurrentIndex(static_cast<int>(op.type));
    }
    value->setValue(op.value);
    type->setEnabled(op.enabled);
    value->setEnabled(op.enabled);
}

void Composer::edit(const TCommand& c) {
    if (!has_) return;
    current_ = c;
    emit commandEdited(c);
}

void Composer::cbCmdGrpChange(int index) {
    if (!has_ || index < 0) return;
    TCommand c = current_;
    c.w[0] = composeGroup(c.w[0], static_cast<unsigned>(index));
    edit(c);
}

void Composer::cbCmdSGrpChange(int index) {
    if (!has_ || index < 0) return;
    TCommand c = current_;
    c.w[0] = composeSubGroup(c.w[0], static_cast<unsigned>(index));
    edit(c);
}

void Composer::cbCmdChange(int index) {
    if (!has_ || index < 0) return;
    TCommand c = current_;
    c.w[0] = composeOption(c.w[0], static_cast<unsigned>(index));
    edit(c);
}

void Composer::cbOP1onClick(bool on) {
    if (!has_) return;
    TCommand c = current_;
    c.w[0] = composeOperandOn(c.w[0], 1, on);
    edit(c);
}

void Composer::cbOP2onClick(bool on) {
    if (!has_) return;
    TCommand c = current_;
    c.w[0] = composeOperandOn(c.w[0], 2, on);
    edit(c);
}

void Composer::cbOP1Change(int index) {
    if (!has_ || index < 0) return;
    TCommand c = current_;
    composeOperandType(c, 1, static_cast<OperandType>(index));
    edit(c);
}

void Composer::cbOp2Change(int index) {
    if (!has_ || index < 0) return;
    TCommand c = current_;
    composeOperandType(c, 2, static_cast<OperandType>(index));
    edit(c);
}

void Composer::eOCHExit() {
    // Only a typed value is stored: passing through the box changes nothing.
    if (!has_ || !heOCH_->isModified()) return;
    heOCH_->setModified(false);
    TCommand c = current_;
    composeWord(c, 0, heOCH_->value());
    edit(c);
}

void Composer::eDEHExit() {
    // Only a typed value is stored: passing through the box changes nothing.
    if (!has_ || !heDEH_->isModified()) return;
    heDEH_->setModified(false);
    TCommand c = current_;
    composeWord(c, 1, heDEH_->value());
    edit(c);
}

void Composer::eSOHExit() {
    // Only a typed value is stored: passing through the box changes nothing.
    if (!has_ || !heSOH_->isModified()) return;
    heSOH_->setModified(false);
    TCommand c = current_;
    composeWord(c, 2, heSOH_->value());
    edit(c);
}

void Composer::ieOp1Exit() { operandValueExit(1); }

void Composer::ieOp2Exit() { operandValueExit(2); }

void Composer::operandValueExit(int operand) {
    TIntEdit* box = operand == 1 ? ieOp1_ : ieOp2_;
    const QComboBox* type = operand == 1 ? cbOP1_ : cbOp2_;
    if (!has_ || !box->isEnabled() || !box->isModified()) return;
    box->setModified(false);
    const auto t = static_cast<OperandType>(type->currentIndex());
    // A value the field cannot hold is refused, not cut (2^32 would become 0).
    const QString text = box->text().trimmed();
    bool number = false;
    const qlonglong typed = text.toLongLong(&number);
    // Digits beyond 64 bits fit no field either.
    const long long value = number ? typed : text.isEmpty() ? 0 : std::numeric_limits<long long>::max();
    if (const auto refusal = operandValueRefusal(current_, operand, value, t)) {
        mainLog().erslog(*refusal);
        setOperandBoxes(operand, operand == 1 ? composerState(current_).op1 : composerState(current_).op2);
        return;
    }
    TCommand c = current_;
    composeValue(c, operand, static_cast<std::uint32_t>(value), t);
    edit(c);
}

}  // namespace navora::ui
