#pragma once
// The command composer beside the movie object command grid: builds the
// selected command from its group, sub-group and option and its two
// operands, or takes its three words in hexadecimal.

#include "core/command.h"
#include "nav/edit.h"

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace navora::ui {

class THexEdit;
class TIntEdit;

class Composer : public QWidget {
    Q_OBJECT
public:
    explicit Composer(QWidget* parent = nullptr);

    // Shows a command in the boxes (no command: the boxes are emptied and
    // only the three lists stay enabled, as after a read).
    void showCommand(const TCommand& c);
    void clearCommand();
    const TCommand& command() const { return current_; }
    // The grid hint for the shown command.
    QString gridHint() const { return hint_; }

    // The three lists are enabled once a movie object file was read.
    void setListsEnabled(bool on);

    QComboBox* cbCmdGrp() const { return cbCmdGrp_; }
    QComboBox* cbCmdSGrp() const { return cbCmdSGrp_; }
    QComboBox* cbCmd() const { return cbCmd_; }
    THexEdit* heOCH() const { return heOCH_; }
    THexEdit* heDEH() const { return heDEH_; }
    THexEdit* heSOH() const { return heSOH_; }
    QCheckBox* cbOP1on() const { return cbOP1on_; }
    QCheckBox* cbOP2on() const { return cbOP2on_; }
    QComboBox* cbOP1() const { return cbOP1_; }
    QComboBox* cbOp2() const { return cbOp2_; }
    TIntEdit* ieOp1() const { return ieOp1_; }
    TIntEdit* ieOp2() const { return ieOp2_; }

signals:
    // A box changed the command; the owner stores it and shows it again.
    void commandEdited(const navora::TCommand& c);
    // Enter in a box: the focus goes back to the grid.
    void enterPressed();

public slots:
    void cbCmdGrpChange(int index);
    void cbCmdSGrpChange(int index);
    void cbCmdChange(int index);
    void cbOP1onClick(bool on);
    void cbOP2onClick(bool on);
    void cbOP1Change(int index);
    void cbOp2Change(int index);
    void eOCHExit();
    void eDEHExit();
    void eSOHExit();
    void ieOp1Exit();
    void ieOp2Exit();

private:
    // Stores a typed operand value that fits its field; refuses the others in the status bar.
    void operandValueExit(int operand);
    void edit(const TCommand& c);
    void setOperandBoxes(int operand, const ComposerOperand& op);

    TCommand current_;
    bool has_ = false;
    bool listsEnabled_ = false;
    QString hint_;

    QComboBox* cbCmdGrp_;
    QComboBox* cbCmdSGrp_;
    QComboBox* cbCmd_;
    THexEdit* heOCH_;
    THexEdit* heDEH_;
    THexEdit* heSOH_;
    QCheckBox* cbOP1on_;
    QCheckBox* cbOP2on_;
    QComboBox* cbOP1_;
    QComboBox* cbOp2_;
    TIntEdit* ieOp1_;
    TIntEdit* ieOp2_;
};

}  // namespace navora::ui
