#pragma once
// The main window: owns the models and composes the tabs.

#include "core/workspace.h"

#include <QMainWindow>

class QTabWidget;

namespace navora::ui {

class TfMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfMain(QWidget* parent = nullptr);

    Workspace& workspace() { return ws_; }

private:
    Workspace ws_;
    QTabWidget* tabs_ = nullptr;
};

}  // namespace navora::ui
