#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// A fresh folder per test, made with a unique name (the test's name and six
// random characters) under TEST_TMPDIR or the system's temporary folder, and
// removed afterwards. Two runs of the suite at once never share or remove each
// other's folders.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const char* root = std::getenv("TEST_TMPDIR");
    const std::filesystem::path base =
        root && *root ? std::filesystem::path(root) : std::filesystem::temp_directory_path();
    std::string pattern =
        (base / (std::string(info->test_suite_name()) + "." + info->name() + ".XXXXXX")).string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << "cannot make a folder under " << base;
    dir_ = pattern;
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
