#pragma once
// The register panel of the bottom bar: a PSR number with its value and a
// GPR number with its value. Leaving a value box stores it into the register.

#include "nav/machine.h"

#include <QWidget>

#include <vector>

namespace navora::ui {

class THexEdit;
class TIntEdit;

class RegPanel : public QWidget {
    Q_OBJECT
public:
    explicit RegPanel(NavMachine& machine, QWidget* parent = nullptr);

    TIntEdit* iePSR() const { return iePSR_; }
    THexEdit* hePSRval() const { return hePSRval_; }
    TIntEdit* ieGPR() const { return ieGPR_; }
    THexEdit* heGPRval() const { return heGPRval_; }

    // The register numbers the boxes show.
    int psr() const { return psr_; }
    int gpr() const { return gpr_; }

public slots:
    // Shows the values of the chosen registers again.
    void showValues();
    // Puts a register's number into its number box and shows its value.
    void showRegister(const navora::RegisterRef& ref);
    // The registers the last run changed: their value boxes are highlighted
    // while they are shown, until the next run or a reset.
    void markChanged(const std::vector<navora::RegisterRef>& changed);
    bool highlighted(navora::RegisterKind kind) const;
    void iePSRExit();
    void ieGPRExit();
    void hePSRvalExit();
    void heGPRvalExit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    NavMachine& machine_;
    std::vector<navora::RegisterRef> changed_;
    int psr_ = 0;
    int gpr_ = 0;
    TIntEdit* iePSR_;
    THexEdit* hePSRval_;
    TIntEdit* ieGPR_;
    THexEdit* heGPRval_;
};

}  // namespace navora::ui
