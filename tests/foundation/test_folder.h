// A scratch folder of the running GoogleTest case, for tests that build files of their own.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace omni::test {

// An empty folder "omni-<purpose>-<process>-<test>" in the temporary directory: a folder of its
// own for each test and each run, so that tests running side by side never share files.
inline std::filesystem::path freshTestFolder(const std::string& purpose) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("omni-" + purpose + "-" + std::to_string(::getpid()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    return folder;
}

}  // namespace omni::test
