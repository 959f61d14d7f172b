#include "tests/settings/settings_test_support.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

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

bool PathExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::symlink_status(path, ignored).type() !=
         std::filesystem::file_type::not_found;
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

bool UseDecimalCommaLocale(const std::string& dir) {
  if (setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) return true;
  std::string locales = dir + "/locales";
  std::string command = "localedef -i de_DE -f UTF-8 '" + locales + "/de_DE.UTF-8' >/dev/null 2>&1";
  std::filesystem::create_directories(locales);
  // localedef also exits non-zero for mere warnings; whether the locale can be used is what counts.
  (void)system(command.c_str());
  setenv("LOCPATH", locales.c_str(), 1);
  return setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}
