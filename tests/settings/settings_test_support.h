// Shared helpers of the settings tests: a fresh working directory per test, small file helpers and
// a whole-store comparison.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "settings/settings.h"
#include "tests/common/locale_support.h"

// Runs each test in its own new, empty working directory, removed again afterwards.
class ScratchDirTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string dir_;

 private:
  std::string previous_dir_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
// The names of the entries in dir, sorted, without "." and "..".
std::string ListDir(const std::string& dir);

// A byte copy of the store's fields, padding included, for comparing before and after.
SettingsRecord Snapshot(const SettingsRecord& record);
// True when both stores hold the same bytes in every field.
bool SameRecord(const SettingsRecord& a, const SettingsRecord& b);
bool IsZeroRecord(const SettingsRecord& record);
