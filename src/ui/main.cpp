// navora: the Qt editor.

#include "ui/settings.h"
#include "ui/tfmain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Navora"));
    QApplication::setOrganizationName(QLatin1String(navora::ui::kSettingsOrganisation));
    navora::ui::TfMain w;
    w.formActivate(QApplication::arguments().mid(1));
    w.show();
    return QApplication::exec();
}
