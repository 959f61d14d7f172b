// The program's main-loop pass on the real window, renderer and player: the status texts while content is
// loaded, none while nothing is, and a ratio of 0.00 for a zero height.
#include <gtest/gtest.h>

#include <string>

#include "player/movie_player.h"
#include "renderer/renderer.h"
#include "settings/settings.h"
#include "shell/main_loop.h"
#include "shell/window.h"
#include "tests/common/main_window_support.h"

namespace {

std::string Media(const char* name) { return std::string(TQ_PLAYER_MEDIA) + "/" + name; }
std::string Shader(const char* name) { return std::string(TQ_SHADER_DIR) + "/" + name; }

std::wstring StatusText(int slot) { return StatusTextOf(g_window, slot); }

// The ordinary ratios and 0 x 0 show in the status texts of the pass below.
TEST(AspectRatio, IsWidthOverHeightAndZeroForNoHeight) {
  EXPECT_DOUBLE_EQ(0.0, AspectRatio(1920, 0));
  EXPECT_DOUBLE_EQ(4294967295.0, AspectRatio(0xFFFFFFFFu, 1));
}

// One test, because the player's loaded flag never goes back to 0 in a process.
TEST(MainLoopPass, StatusTextsFollowTheLoadedContent) {
  g_settings.Reset();
  g_settings.StoreRefreshRate(100.0f);
  g_settings.show_channel = CHANNEL_BOTH;
  ASSERT_EQ(0, g_window.Create(L"TQ2", 640, 400));
  ASSERT_EQ(0, g_renderer.Initialize(g_window.GetHandle(), 640, 360, Shader("decoders/mono.hlsl").c_str(),
                                     Shader("encoders/mono.hlsl").c_str(), 0));
  ASSERT_EQ(S_OK, g_player.Initialize());

  // Nothing loaded: slots 0 to 2 stay empty.
  for (int pass = 0; pass < 5; ++pass) ASSERT_TRUE(RunMainLoopPass());
  EXPECT_EQ(L"", StatusText(0));
  EXPECT_EQ(L"", StatusText(1));
  EXPECT_EQ(L"", StatusText(2));

  // An image that does not load still counts as loaded, with no content size yet: 0.00, not nan.
  EXPECT_EQ(S_OK, g_player.Open(Media("broken.png").c_str()));
  ASSERT_TRUE(RunMainLoopPass());
  EXPECT_EQ(L"  Timecode: 00:00:0", StatusText(0));
  EXPECT_EQ(L"  Window: 640x400p30 (1.60)", StatusText(1));
  EXPECT_EQ(L"  Content: 0x0p30 (0.00)", StatusText(2));

  // A movie: every pass while playing counts one.
  ASSERT_EQ(S_OK, g_player.Open(Media("first.mkv").c_str()));
  uint32_t before = g_renderer.GetFrameCount();
  for (int pass = 0; pass < 3; ++pass) ASSERT_TRUE(RunMainLoopPass());
  EXPECT_EQ(L"  Timecode: 00:00:" + std::to_wstring(before + 3), StatusText(0));
  EXPECT_EQ(L"  Content: 320x180p30 (1.78)", StatusText(2));

  // Exit: the pass that takes WM_QUIT still runs in full, the next one ends the loop.
  PostQuitMessage(0);
  int passes = 0;
  while (RunMainLoopPass() && passes < 10000) ++passes;
  EXPECT_FALSE(RunMainLoopPass());

  g_player.Shutdown();
  g_renderer.Shutdown();
  g_window.Destroy();
}

}  // namespace
