// navora: the Qt editor.

#include "ui/tfmain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Navora");
    navora::ui::TfMain w;
    w.show();
    return QApplication::exec();
}
