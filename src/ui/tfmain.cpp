#include "ui/tfmain.h"

#include <QTabWidget>

namespace navora::ui {

TfMain::TfMain(QWidget* parent) : QMainWindow(parent) {
    tabs_ = new QTabWidget(this);
    setCentralWidget(tabs_);
    setWindowTitle(QString::fromStdString(mainWindowTitle("")));
}

}  // namespace navora::ui
