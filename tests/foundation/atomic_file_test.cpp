// Files written whole or not at all: a write that fails part-way (file size limit, full device)
// leaves the earlier file as it was and no temporary file behind, and reports the OS error.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/atomic_file.h"
#include "foundation/exception.h"
#include "foundation/file_size_limit.h"

namespace fs = std::filesystem;

namespace omni::foundation {
namespace {

using test::FileSizeLimit;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("omni-atomic-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }
    fs::path folder_;
};

TEST_F(AtomicFileTest, FailedWriteLeavesTheOldFileAndNoTemporary) {
    const fs::path target = folder_ / "page.png";
    writeFileAtomically(target, "old");
    ::chmod(target.c_str(), 0640);
    {
        FileSizeLimit limit(1000);
        try {
            writeFileAtomically(target, std::string(5000, 'x'));
            FAIL() << "the write beyond the limit succeeded";
        } catch (const SystemException& e) {
            EXPECT_EQ(e.errorCode(), EFBIG);
            EXPECT_NE(e.text().find(u"page.png"), std::u16string::npos);
        }
    }
    EXPECT_EQ(contentOf(target), "old");
    EXPECT_EQ(entries(), 1u);

    writeFileAtomically(target, "new");  // and a good write replaces it, keeping its mode
    EXPECT_EQ(contentOf(target), "new");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(AtomicFileTest, UncommittedFileIsDiscarded) {
    const fs::path target = folder_ / "log.txt";
    {
        AtomicFile file(target);
        file.write("half");
    }
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(entries(), 0u);
}

TEST_F(AtomicFileTest, LinksAreFollowedAndDevicesWrittenInPlace) {
    const fs::path real = folder_ / "real.svg";
    writeFileAtomically(real, "old");
    fs::create_symlink("real.svg", folder_ / "link.svg");
    writeFileAtomically(folder_ / "link.svg", "new");
    EXPECT_TRUE(fs::is_symlink(folder_ / "link.svg"));
    EXPECT_EQ(contentOf(real), "new");

    fs::create_symlink("/dev/full", folder_ / "full.pdf");
    try {
        writeFileAtomically(folder_ / "full.pdf", "anything");
        FAIL() << "a write to a full device succeeded";
    } catch (const SystemException& e) {
        EXPECT_EQ(e.errorCode(), ENOSPC);
    }
    EXPECT_TRUE(fs::is_symlink(folder_ / "full.pdf"));

    // A named pipe nobody reads: refused at once rather than waited on.
    ASSERT_EQ(::mkfifo((folder_ / "pipe.emf").c_str(), 0600), 0);
    try {
        writeFileAtomically(folder_ / "pipe.emf", "anything");
        FAIL() << "a pipe without a reader was written";
    } catch (const SystemException& e) {
        EXPECT_EQ(e.errorCode(), ENXIO);
    }
    EXPECT_EQ(entries(), 4u);  // real.svg, the two links, the pipe: nothing left over
}

}  // namespace
}  // namespace omni::foundation
