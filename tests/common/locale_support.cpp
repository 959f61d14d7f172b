#include "tests/common/locale_support.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>

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
