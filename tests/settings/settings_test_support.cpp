#include "tests/settings/settings_test_support.h"

#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

void ScratchDirTest::SetUp() {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  previous_dir_ = cwd;
  std::string pattern = (std::filesystem::temp_directory_path() / "tq-settings-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
  ASSERT_EQ(chdir(dir_.c_str()), 0);
}

void ScratchDirTest::TearDown() {
  EXPECT_EQ(chdir(previous_dir_.c_str()), 0);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ListDir(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  std::string joined;
  for (const std::string& name : names) joined += name + " ";
  return joined;
}

SettingsRecord Snapshot(const SettingsRecord& record) {
  SettingsRecord copy;
  memcpy(&copy, &record, sizeof copy);
  return copy;
}

bool SameRecord(const SettingsRecord& a, const SettingsRecord& b) {
  return memcmp(&a, &b, sizeof(SettingsRecord)) == 0;
}

bool IsZeroRecord(const SettingsRecord& record) {
  static const SettingsRecord zero{};
  return SameRecord(record, zero);
}
