// The program under a decimal-comma locale in its environment: Qt takes the C library's locale from the
// environment when it starts, yet the status texts keep the decimal point. A process of its own, since
// the locale is taken once, when the windowing layer first starts Qt.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings/settings.h"
#include "shell/window.h"
#include "tests/common/locale_support.h"
#include "tests/common/main_window_support.h"

namespace {

TEST(ProcessLocale, StatusTextsKeepTheDecimalPointUnderADecimalCommaEnvironment) {
  char folder[] = "/tmp/tq-shell-locale-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  ASSERT_TRUE(UseDecimalCommaLocale(folder));  // makes the locale available (LOCPATH) if need be
  setlocale(LC_ALL, "C");
  setenv("LC_ALL", "de_DE.UTF-8", 1);

  g_settings.Reset();
  ASSERT_EQ(0, g_window.Create(L"TQ2", 640, 480));  // starts Qt, which reads the environment
  g_window.SetStatusText(2, L"  Content: %ix%ip30 (%.2f)", 1920, 1080, 1920.0 / 1080.0);
  EXPECT_EQ(L"  Content: 1920x1080p30 (1.78)", StatusTextOf(g_window, 2));
  // Only the numbers are held to the "C" locale; characters keep the user's encoding.
  EXPECT_EQ(std::string("de_DE.UTF-8"), setlocale(LC_CTYPE, nullptr));

  g_window.Destroy();
  std::filesystem::remove_all(folder);
}

}  // namespace
