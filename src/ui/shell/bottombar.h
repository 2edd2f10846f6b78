#pragma once
// The bottom bar of the main window: "&Save", "Find", "&Load", "M&ux", the
// execution, navigation and register panels, the progress bar and "Cancel".
// It shows what the active tab's BottomBar asks for; while the progress bar
// is up it keeps the place of the panels.

#include "ui/app/tabpage.h"

#include <QWidget>

class QFrame;
class QHBoxLayout;
class QProgressBar;
class QPushButton;

namespace navora::ui {

class BottomBarView : public QWidget {
    Q_OBJECT
public:
    explicit BottomBarView(QWidget* parent = nullptr);

    QPushButton* bSave() const { return bSave_; }
    QPushButton* bFind() const { return bFind_; }
    QPushButton* bLoad() const { return bLoad_; }
    QPushButton* bMux() const { return bMux_; }
    QPushButton* bCancel() const { return bCancel_; }
    QProgressBar* progressBar() const { return progressBar_; }
    QFrame* pExecute() const { return pExecute_; }
    QFrame* pNavigate() const { return pNavigate_; }
    QFrame* pRegisters() const { return pRegisters_; }
    QHBoxLayout* navigateLayout() const;

    // Shows the buttons and panels bar asks for.
    void showBar(const BottomBar& bar);
    // Only what may change while a tab is being activated: Save's and Mux's state.
    void showEnabled(const BottomBar& bar);
    // The progress bar came up (the panels make room) or went.
    void setProgressShown(bool shown);
    bool progressShown() const { return progressShown_; }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    // The width the shown controls need in one row.
    int oneRowWidth() const;
    // One row when it fits, else the register panel in a second row.
    void arrange();

    QHBoxLayout* row_;
    QHBoxLayout* second_;
    QPushButton* bSave_;
    QPushButton* bFind_;
    QPushButton* bLoad_;
    QPushButton* bMux_;
    QPushButton* bCancel_;
    QProgressBar* progressBar_;
    QFrame* pExecute_;
    QFrame* pNavigate_;
    QFrame* pRegisters_;
    BottomBar shown_;
    bool progressShown_ = false;
};

}  // namespace navora::ui
