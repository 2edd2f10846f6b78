// Runs the view tests on the offscreen platform with the settings store and
// the temporary folder moved into a scratch folder, so that no run touches
// the user's own settings or temporary files.

#include "uitests.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::random_device rd;
    const fs::path scratch = fs::temp_directory_path() / ("navora-uitest-" + std::to_string(rd()));
    fs::create_directories(scratch / "config");
    fs::create_directories(scratch / "tmp");
    fs::create_directories(scratch / "runtime");
    fs::permissions(scratch / "runtime", fs::perms::owner_all);
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((scratch / "config").string()));
    qputenv("TMPDIR", QByteArray::fromStdString((scratch / "tmp").string()));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((scratch / "runtime").string()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((scratch / "config").string()));

    int failures = 0;
    {
        WidgetsTest widgets;
        failures += QTest::qExec(&widgets, argc, argv);
        SettingsTest settings;
        failures += QTest::qExec(&settings, argc, argv);
        MainWindowTest window;
        failures += QTest::qExec(&window, argc, argv);
        BdmvViewsTest bdmv;
        failures += QTest::qExec(&bdmv, argc, argv);
        UndoTest undo;
        failures += QTest::qExec(&undo, argc, argv);
        MenuViewsTest menu;
        failures += QTest::qExec(&menu, argc, argv);
        MenuPreviewTest preview;
        failures += QTest::qExec(&preview, argc, argv);
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return failures == 0 ? 0 : 1;
}
