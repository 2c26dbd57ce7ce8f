#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

// An empty folder of the running test's own below the system's temporary folder, named after
// `prefix`, the process and the test; what an earlier run left there is gone.
inline std::filesystem::path freshTestFolder(const std::string& prefix) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        (prefix + "-" + std::to_string(::getpid()) + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    return dir;
}
