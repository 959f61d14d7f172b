// The refresh rate is the one setting that the decoding thread reads while the main thread may edit
// it; under ThreadSanitizer this shows whether that hand-over is a data race.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "settings/settings.h"
#include "settings/settings_edits.h"

namespace {

TEST(SettingsThreads, RefreshRateEditsReachAReadingThreadWhole) {
  g_settings.Reset();
  g_settings.StoreRefreshRate(30.0f);
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done.load()) {
      float rate = g_settings.LoadRefreshRate();
      if (rate != 30.0f && rate != 60.0f) torn.fetch_add(1);
    }
  });
  for (int i = 0; i < 20000; ++i) {
    ASSERT_EQ(ApplyEdit(L"refresh rate", (i & 1) ? L"30" : L"60"), 0);
  }
  done.store(true);
  reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(g_settings.LoadRefreshRate(), 30.0f);
}

}  // namespace
