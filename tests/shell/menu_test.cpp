// The menu bar of a real main window: initial marks and greying from the settings, the toggles and the
// channel choice (field first, then the marks), full screen following the setting, Exit, and identifiers
// without an action.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "player/movie_player.h"
#include "settings/settings.h"
#include "shell/window.h"

namespace {

bool Checked(UINT id) { return (GetMenuState(g_window.GetMenuHandle(), id, MF_BYCOMMAND) & MF_CHECKED) != 0; }
bool Greyed(UINT id) { return (GetMenuState(g_window.GetMenuHandle(), id, MF_BYCOMMAND) & MF_GRAYED) != 0; }

// The identifiers that act; every other one must change nothing.
const UINT kActing[] = {40006, 40013, 40014, 40015, 40016, 40027, 40028, 40029, 40030, 40035, 40041,
                        40062, 40067, 40077, 40078, 40089, 40100, 40142, 40147, 40148, 40149};

class MenuTest : public testing::Test {
 protected:
  void SetUp() override {
    g_settings.Reset();
    g_settings.StoreRefreshRate(30.0f);
    g_settings.show_channel = CHANNEL_BOTH;
    CreateWindow();
  }
  void TearDown() override { g_window.Destroy(); }
  void CreateWindow() { ASSERT_EQ(0, g_window.Create(L"TQ2", 640, 400)); }
  static void Choose(UINT id) { SendMessageW(g_window.GetHandle(), WM_COMMAND, id, 0); }
};

TEST_F(MenuTest, InitialMarksFollowTheSettings) {
  g_settings.show_channel = CHANNEL_RIGHT;
  g_settings.invert_channels = 1;
  g_settings.temporal_interleave = 1;
  g_settings.fullscreen = 0;
  g_settings.content_count = 9;
  g_settings.encoder_count = 8;
  g_settings.decoder_count = 12;
  g_window.Destroy();
  CreateWindow();

  EXPECT_FALSE(Checked(40027));
  EXPECT_TRUE(Checked(40028));
  EXPECT_FALSE(Checked(40029));
  EXPECT_EQ(CHANNEL_RIGHT, g_settings.show_channel);
  EXPECT_TRUE(Checked(40077));
  EXPECT_TRUE(Checked(40078));
  EXPECT_FALSE(Checked(40062));
  // File > Open items of lists with 9 entries or more are greyed.
  EXPECT_TRUE(Greyed(40100));
  EXPECT_FALSE(Greyed(40148));
  EXPECT_TRUE(Greyed(40149));
  // Marks the settings do not touch keep the resource's state.
  EXPECT_TRUE(Checked(40075));
  EXPECT_TRUE(Checked(40109));

  // The main loop's arrow-key step, with no arrow held, shows both eyes again; the marks stay.
  g_window.PollChannelKeys();
  EXPECT_EQ(CHANNEL_BOTH, g_settings.show_channel);
  EXPECT_TRUE(Checked(40028));
  EXPECT_FALSE(Checked(40029));
}

TEST_F(MenuTest, ChannelChoiceWritesTheFieldAndMovesTheMark) {
  Choose(40027);
  EXPECT_EQ(CHANNEL_LEFT, g_settings.show_channel);
  EXPECT_TRUE(Checked(40027));
  EXPECT_FALSE(Checked(40028));
  EXPECT_FALSE(Checked(40029));
  Choose(40029);
  EXPECT_EQ(CHANNEL_BOTH, g_settings.show_channel);
  EXPECT_FALSE(Checked(40027));
  EXPECT_TRUE(Checked(40029));
}

TEST_F(MenuTest, TogglesFlipTheirFieldAndMark) {
  Choose(40077);
  EXPECT_EQ(1, g_settings.invert_channels);
  EXPECT_TRUE(Checked(40077));
  Choose(40077);
  EXPECT_EQ(0, g_settings.invert_channels);
  EXPECT_FALSE(Checked(40077));

  // A value other than 0 and 1 (a hand-edited script) counts as on: the toggle turns it off.
  g_settings.temporal_interleave = 7;
  Choose(40078);
  EXPECT_EQ(0, g_settings.temporal_interleave);
  EXPECT_FALSE(Checked(40078));
}

TEST_F(MenuTest, FullscreenFollowsTheSettingNotTheWindow) {
  // Set on in a settings window while the window is still framed: the command turns it off.
  g_settings.fullscreen = 1;
  Choose(40062);
  EXPECT_EQ(0, g_settings.fullscreen);
  EXPECT_FALSE(Checked(40062));
  EXPECT_EQ(0, g_window.IsFullscreen());
  // The second choice makes it full screen.
  Choose(40062);
  EXPECT_EQ(1, g_settings.fullscreen);
  EXPECT_TRUE(Checked(40062));
  EXPECT_EQ(1, g_window.IsFullscreen());
}

TEST_F(MenuTest, ExitEndsTheMainLoop) {
  Choose(40006);
  int result = 0;
  for (int pass = 0; pass < 10000 && result == 0; ++pass) result = g_window.PumpMessages();
  EXPECT_EQ(3, result);
}

TEST_F(MenuTest, IdentifiersWithoutAnActionChangeNothing) {
  std::vector<UINT> ids = {0, 1, 101, 39999, 40000, 40150, 40200, 65535};
  for (UINT id = 40000; id <= 40149; ++id) ids.push_back(id);

  CTQSettings before;
  memcpy(static_cast<void*>(&before), &g_settings, sizeof(CTQSettings));
  std::vector<UINT> states;
  for (UINT id = 40000; id <= 40150; ++id)
    states.push_back(GetMenuState(g_window.GetMenuHandle(), id, MF_BYCOMMAND));

  for (UINT id : ids) {
    if (std::find(std::begin(kActing), std::end(kActing), id) != std::end(kActing)) continue;
    EXPECT_EQ(0, SendMessageW(g_window.GetHandle(), WM_COMMAND, id, 0)) << id;
  }
  EXPECT_EQ(0,
            memcmp(static_cast<const void*>(&before), static_cast<const void*>(&g_settings), sizeof(CTQSettings)));
  for (UINT id = 40000; id <= 40150; ++id) {
    EXPECT_EQ(states[id - 40000], GetMenuState(g_window.GetMenuHandle(), id, MF_BYCOMMAND)) << id;
  }
}

}  // namespace
