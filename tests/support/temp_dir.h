#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/file_io.h"

// A fresh folder per test, made with a unique name (the test's name and a
// unique ending) under TEST_TMPDIR or the system's temporary folder, and
// removed afterwards. Two runs of the suite at once never share or remove each
// other's folders.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const char* root = std::getenv("TEST_TMPDIR");
    const std::filesystem::path base =
        root && *root ? std::filesystem::path(root) : std::filesystem::temp_directory_path();
    const std::string made = MakeTemporaryFolder(
        std::string(info->test_suite_name()) + "." + info->name() + ".", base.string());
    ASSERT_FALSE(made.empty()) << "cannot make a folder under " << base;
    dir_ = made;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  size_t FileCount() const {
    return std::distance(std::filesystem::directory_iterator(dir_),
                         std::filesystem::directory_iterator());
  }

  std::filesystem::path dir_;
};
