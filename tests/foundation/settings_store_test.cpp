#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "foundation/exception.h"
#include "foundation/settings_store.h"
#include "foundation/test_folder.h"

namespace fs = std::filesystem;
using namespace omni;

namespace {

struct LayoutRecord {
    std::int32_t marker;
    std::int32_t maximized;
    std::int32_t width;
    std::int32_t height;
};
static_assert(sizeof(LayoutRecord) == 16);

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = test::freshTestFolder("settings");
        ::setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        ::chmod(home_.c_str(), 0700);
        fs::remove_all(home_);
    }
    fs::path home_;
};

}  // namespace

TEST_F(SettingsStore, FirstReadFindsNothingAndCreatesNothing) {
    LayoutRecord record{7, 7, 7, 7};
    EXPECT_FALSE(foundation::readSetting(foundation::kProgramSettingsKey, "MainWindow", record));
    EXPECT_EQ(record.marker, 7);  // untouched
    EXPECT_FALSE(fs::exists(home_));
}

TEST_F(SettingsStore, RecordRoundTripsOnlyAtItsExactSize) {
    LayoutRecord written{0, 1, 800, 600};
    foundation::writeSetting(foundation::kProgramSettingsKey, "MainWindow", written);
    LayoutRecord read{};
    ASSERT_TRUE(foundation::readSetting(foundation::kProgramSettingsKey, "MainWindow", read));
    EXPECT_EQ(read.width, 800);
    EXPECT_EQ(read.height, 600);

    char twelve[12] = {};
    EXPECT_FALSE(foundation::readSetting(foundation::kProgramSettingsKey, "MainWindow", twelve,
                                         sizeof twelve));
    char twenty[20] = {};
    EXPECT_FALSE(foundation::readSetting(foundation::kProgramSettingsKey, "MainWindow", twenty,
                                         sizeof twenty));
}

TEST_F(SettingsStore, ReplaceIsAtomicAndLeavesNoTemporaryFiles) {
    for (int i = 0; i < 50; ++i) {
        LayoutRecord r{0, 0, i, i};
        foundation::writeSetting(foundation::kProgramSettingsKey, "MainWindow", r);
    }
    LayoutRecord last{};
    ASSERT_TRUE(foundation::readSetting(foundation::kProgramSettingsKey, "MainWindow", last));
    EXPECT_EQ(last.width, 49);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(home_ / "Kestrel" / "OmniSetup")) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(SettingsStore, PortNamesWithSlashesStayInsideTheKey) {
    char record[28] = {28};
    foundation::writeSetting(foundation::kProgramSettingsKey, "/dev/ttyUSB0", record,
                             sizeof record);
    char back[28] = {};
    ASSERT_TRUE(foundation::readSetting(foundation::kProgramSettingsKey, "/dev/ttyUSB0", back,
                                        sizeof back));
    EXPECT_EQ(back[0], 28);
    EXPECT_FALSE(foundation::readSetting(foundation::kProgramSettingsKey, "/dev/ttyUSB1", back,
                                         sizeof back));
    // Names that are special as file names become records of their own, not hidden files or
    // the folders around the key.
    for (const char* name : {"..", ".", ".hidden"}) {
        record[1] = name[1];
        foundation::writeSetting(foundation::kProgramSettingsKey, name, record, sizeof record);
        ASSERT_TRUE(
            foundation::readSetting(foundation::kProgramSettingsKey, name, back, sizeof back))
            << name;
        EXPECT_EQ(back[1], name[1]) << name;
    }
    for (const auto& entry : fs::directory_iterator(home_ / "Kestrel" / "OmniSetup")) {
        EXPECT_EQ(entry.path().filename().string().find('/'), std::string::npos);
        EXPECT_NE(entry.path().filename().string(), ".hidden");
    }
}

TEST_F(SettingsStore, UncreatableKeyRaisesSystemExceptionWithTheOsError) {
    if (::geteuid() == 0) {
        // root ignores folder permissions: block the key with a plain file instead.
        fs::create_directories(home_);
        std::ofstream(home_ / "Kestrel") << "not a folder";
    } else {
        fs::create_directories(home_);
        ::chmod(home_.c_str(), 0500);
    }
    char record[4] = {};
    try {
        foundation::writeSetting(foundation::kProgramSettingsKey, "MainWindow", record,
                                 sizeof record);
        FAIL() << "expected foundation::SystemException";
    } catch (const foundation::SystemException& e) {
        EXPECT_NE(e.errorCode(), 0);
        EXPECT_EQ(e.caption(), u"SystemException");
        EXPECT_NE(e.text().find(u"Kestrel"), std::u16string::npos);  // names the folder
    }
    // Reading is not a failure: the owner keeps its defaults.
    EXPECT_FALSE(foundation::readSetting(foundation::kProgramSettingsKey, "MainWindow", record,
                                         sizeof record));
}

// What sits under a record's name may be anything but the record: none of it blocks a read or
// is taken for a record, and a write never goes through it.
TEST_F(SettingsStore, HostileEntriesInPlaceOfARecordNeitherBlockNorMislead) {
    const fs::path folder = home_ / "Kestrel" / "OmniSetup";
    fs::create_directories(folder);
    LayoutRecord record{7, 7, 7, 7};

    ASSERT_EQ(::mkfifo((folder / "MainWindow").c_str(), 0600), 0);  // no writer: open() would block
    EXPECT_FALSE(foundation::readSetting(foundation::kProgramSettingsKey, "MainWindow", record));
    EXPECT_THROW(foundation::writeSetting(foundation::kProgramSettingsKey, "MainWindow", record),
                 foundation::SystemException);
    EXPECT_TRUE(fs::is_fifo(folder / "MainWindow"));

    fs::create_directory(folder / "MainWindowBorder");
    EXPECT_FALSE(
        foundation::readSetting(foundation::kProgramSettingsKey, "MainWindowBorder", record));

    fs::create_symlink("CommandBox", folder / "CommandBox");  // a loop
    EXPECT_FALSE(foundation::readSetting(foundation::kProgramSettingsKey, "CommandBox", record));

    fs::create_symlink("/dev/zero", folder / "SerialLogProperty");  // endless
    EXPECT_FALSE(
        foundation::readSetting(foundation::kProgramSettingsKey, "SerialLogProperty", record));

    {
        std::ofstream huge(folder / "CodePageProperty", std::ios::binary);
        huge.seekp(1 << 30);
        huge.put('x');  // a sparse gigabyte
    }
    EXPECT_FALSE(
        foundation::readSetting(foundation::kProgramSettingsKey, "CodePageProperty", record));
    EXPECT_EQ(record.marker, 7);

    // A link to a real file (a shared dotfile folder) is a record like any other and stays a link.
    std::ofstream(home_ / "shared-record") << "0123456789abcdef";
    fs::create_symlink(home_ / "shared-record", folder / "Linked");
    ASSERT_TRUE(foundation::readSetting(foundation::kProgramSettingsKey, "Linked", record));
    foundation::writeSetting(foundation::kProgramSettingsKey, "Linked",
                             LayoutRecord{0, 0, 640, 480});
    EXPECT_TRUE(fs::is_symlink(folder / "Linked"));
    ASSERT_TRUE(foundation::readSetting(foundation::kProgramSettingsKey, "Linked", record));
    EXPECT_EQ(record.width, 640);
}

TEST_F(SettingsStore, TemporaryRecordsOfACrashedRunAreRemovedAtFirstUse) {
    const fs::path folder = home_ / "Kestrel" / "OmniSetup";
    fs::create_directories(folder);
    // pid 0x7FFFFFF0 is beyond any real pid, so no running process owns this file.
    const fs::path leftover = folder / ".omni-tmp-2147483632-0-MainWindow";
    std::ofstream(leftover) << "half a record";
    const fs::path mine = folder / (".omni-tmp-" + std::to_string(::getpid()) + "-99-MainWindow");
    std::ofstream(mine) << "being written";
    LayoutRecord record{};
    foundation::readSetting(foundation::kProgramSettingsKey, "MainWindow", record);
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_TRUE(fs::exists(mine));  // a running writer's file is left alone
}
