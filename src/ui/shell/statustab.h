#pragma once
// The Status tab: the message log with "Clear", and room for the register
// buttons of the navigation machine.

#include "ui/app/tabpage.h"

class QHBoxLayout;
class QPushButton;
class QTextEdit;

namespace navora::ui {

class StatusTab : public TabPage {
    Q_OBJECT
public:
    explicit StatusTab(QWidget* parent = nullptr);

    // The register panel.
    BottomBar bottomBar() const override {
        BottomBar b;
        b.registers = true;
        return b;
    }

    QTextEdit* reMessage() const { return reMessage_; }
    QPushButton* bClear() const { return bClear_; }
    // Beside "Clear": the register buttons are added here.
    QHBoxLayout* buttonLayout() const { return buttons_; }
    // The register dumps and the register reset of the navigation machine.
    QPushButton* bPSRs() const { return bPSRs_; }
    QPushButton* bGPRs() const { return bGPRs_; }
    QPushButton* bResetRegs() const { return bResetRegs_; }

    // The log's font: Tahoma 9 point, DejaVu Sans where Tahoma is missing.
    static QFont logFont();

private:
    QTextEdit* reMessage_;
    QPushButton* bClear_;
    QPushButton* bPSRs_;
    QPushButton* bGPRs_;
    QPushButton* bResetRegs_;
    QHBoxLayout* buttons_;
};

}  // namespace navora::ui
