// Runs the view tests on the offscreen platform with the settings store and
// the temporary folder moved into a scratch folder, so that no run touches
// the user's own settings or temporary files.

#include "playlist_test.h"
#include "cliptab_test.h"
#include "uitests.h"

#include <QApplication>

#include <cstdio>
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
    fs::create_directories(scratch / "data");
    fs::create_directories(scratch / "tmp");
    fs::create_directories(scratch / "runtime");
    fs::permissions(scratch / "runtime", fs::perms::owner_all);
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((scratch / "config").string()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((scratch / "data").string()));
    qputenv("TMPDIR", QByteArray::fromStdString((scratch / "tmp").string()));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((scratch / "runtime").string()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);

    // NAVORA_UITEST=ClassName runs that test class only (its functions as the arguments say).
    const QByteArray only = qgetenv("NAVORA_UITEST");
    int failures = 0;
    bool ranOnly = false;
    const auto run = [&](QObject&& test) {
        if (!only.isEmpty() && only != test.metaObject()->className()) return;
        ranOnly = true;
        failures += QTest::qExec(&test, argc, argv);
    };
    run(WidgetsTest());
    run(SettingsTest());
    run(MainWindowTest());
    run(BdmvViewsTest());
    run(CliEditViewsTest());
    run(UndoTest());
    run(HistoryTest());
    run(SoundBdjoTest());
    run(PlaylistViewsTest());
    run(ClipTabTest());
    run(ExtDatTest());
    run(OptionsTest());
    run(GridClickTest());
    run(FirstUserTest());
    run(MenuViewsTest());
    run(MenuPreviewTest());
    run(UhdViewsTest());
    if (!only.isEmpty() && !ranOnly) {
        std::fprintf(stderr, "NAVORA_UITEST names no test class: %s\n", only.constData());
        ++failures;
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return failures == 0 ? 0 : 1;
}
