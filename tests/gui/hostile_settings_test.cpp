// The desktop program's start with a settings folder that is hostile or unusable: named pipes in
// place of every record (a blocking open would hang the start), oversized stored values, and a
// folder that cannot be created. The window comes up with its defaults each time.
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <filesystem>

#include <QApplication>
#include <QTest>

#include "app/gui/layout_records.h"
#include "app/gui/main_window.h"
#include "commands/gui/command_selector.h"
#include "foundation/settings_store.h"
#include "window_helpers.h"

using omni::app::MainWindow;

namespace {

class HostileSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void pipesInPlaceOfRecordsNeitherHangNorStopTheStart() {
        const std::string key = omni::test::freshKey("Hostile", "pipes");
        const std::filesystem::path folder = omni::foundation::settingsFolder(key);
        std::filesystem::create_directories(folder);
        for (const char* name : {"MainWindow", "MainWindowBorder", "CommandBox", "SerialPortSelect",
                                 "SerialLogProperty"}) {
            QCOMPARE(::mkfifo((folder / name).c_str(), 0600), 0);
        }
        const std::filesystem::path program =
            omni::foundation::settingsFolder(omni::foundation::kProgramSettingsKey);
        std::filesystem::create_directories(program);
        std::filesystem::remove(program / "CodePageProperty");
        QCOMPARE(::mkfifo((program / "CodePageProperty").c_str(), 0600), 0);

        MainWindow window(key);  // a blocking read would never return from here
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        std::filesystem::remove(program / "CodePageProperty");
    }

    void oversizedWindowRecordGivesTheDefaultSize() {
        const std::string key = omni::test::freshKey("Hostile", "huge");
        omni::app::MainWindowRecord record;
        record.width = INT_MAX;
        record.height = INT_MAX;
        omni::foundation::writeSetting(key, omni::app::kMainWindowValue, record);
        MainWindow window(key);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.width() <= 16384);
        QVERIFY(window.height() <= 16384);
    }

    void uncreatableSettingsFolderStillStarts() {
        // A plain file where the folder should be: nothing can be created under it.
        const std::string key = "Software\\Kestrel\\HostileFile\\OmniSetup";
        const std::filesystem::path blocker = omni::foundation::settingsFolder(key).parent_path();
        std::filesystem::remove_all(blocker);
        std::filesystem::create_directories(blocker.parent_path());
        std::FILE* file = std::fopen(blocker.c_str(), "w");
        QVERIFY(file);
        std::fclose(file);
        MainWindow window(key);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!std::filesystem::is_directory(omni::foundation::settingsFolder(key)));
        std::filesystem::remove(blocker);
    }
};

}  // namespace

QTEST_MAIN(HostileSettingsTest)
#include "hostile_settings_test.moc"
