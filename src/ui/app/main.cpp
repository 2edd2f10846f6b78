// navora: the Qt editor.

#include "ui/app/settings.h"
#include "ui/app/tfmain.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "Usage: navora [FOLDER]\n"
    "\n"
    "Opens the Navora editor for the navigation and presentation structures of a\n"
    "Blu-ray BDMV folder. FOLDER is a BDMV folder, the folder above it or a file\n"
    "inside it (index.bdmv, MovieObject.bdmv, ...); without it the folder of the\n"
    "last run is read when \"Auto Read\" is on.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this text and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are accepted as well. The command\n"
    "line tool navora-cli works on the same files without a window.\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered before the application object exists, so that they work
    // without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("navora %s\n", NAVORA_VERSION_TEXT);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Navora"));
    QApplication::setOrganizationName(QLatin1String(navora::ui::kSettingsOrganisation));
    QGuiApplication::setDesktopFileName(QStringLiteral("navora"));
    navora::ui::TfMain w;
    w.formActivate(QApplication::arguments().mid(1));
    w.show();
    return QApplication::exec();
}
