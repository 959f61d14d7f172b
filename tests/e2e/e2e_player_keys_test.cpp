// Random key sequences on the real tandemix binary: menu mnemonics, arrows, Escape, Space, menu items
// chosen with Return (only items that open no modal window), and tool windows opened and closed.
// Whatever state a sequence leaves, Escape presses end the program normally: exit code 0 and the
// settings written back. One press is needed per menu level still open, one to leave the menu bar
// and one to end, so at most three unless a submenu is open.
// The seeds are fixed; every seed that ever failed stays in the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/e2e/e2e_player_support.h"

namespace {

// Keys pressed on their own. Space may choose the highlighted item of an open menu, so a modal window
// can open: it is closed again before the next key, as a user would close it.
const std::vector<std::string> kSingleKeys = {
    "alt+f", "alt+e", "alt+v", "alt+s", "alt+m", "alt+t", "alt+a",  "alt+w",  "alt+h",
    "alt+x", "alt",   "Up",    "Down",  "Left",  "Right", "Escape", "Escape", "space",
};

// Menu items chosen with Return. The menus are opened by mnemonics that no open menu takes for one of
// its own items, so each path reaches the same item from any state; none opens a modal window.
const std::vector<std::string> kMenuItems = {
    "alt+m Return",            // Movie > Play
    "alt+m Down Return",       // Movie > Pause
    "alt+m Down Down Return",  // Movie > Stop
    "alt+v Return",            // View > Fullscreen
    "alt+v Up Return",         // View > Settings... (a tool window)
    "alt+m Up Return",         // Movie > Settings... (a tool window)
    "alt+m Up Up Return",      // Movie > Local Playlist Viewer... (a tool window)
};

const std::vector<std::string> kToolWindows = {"General Settings", "Movie Player Settings", "Playlist Viewer"};
const std::vector<std::string> kModalWindows = {"About Tandemix", "Open Media File", "Open Encoder Shader",
                                                "Open Decoder Shader"};

// The sequence of a seed: a tool-window close is written "close:<title>".
std::vector<std::string> Sequence(uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> steps;
  const int length = 6 + static_cast<int>(random() % 6);
  for (int i = 0; i < length; ++i) {
    const uint32_t kind = random() % 10;
    if (kind < 6) {
      steps.push_back(kSingleKeys[random() % kSingleKeys.size()]);
    } else if (kind < 9) {
      steps.push_back(kMenuItems[random() % kMenuItems.size()]);
    } else {
      steps.push_back("close:" + kToolWindows[random() % kToolWindows.size()]);
    }
  }
  return steps;
}

std::string Describe(const std::vector<std::string>& steps) {
  std::string text;
  for (const std::string& step : steps) text += "[" + step + "] ";
  return text;
}

// Runs the steps on a fresh player, then presses Escape until it ends (within the allowed count).
void RunAndEndWithEscape(const std::string& name, const std::vector<std::string>& steps) {
  SCOPED_TRACE(Describe(steps));
  PlayerSession player(name);
  const std::string settings = PlayerSettings({"stereo.mkv"}, 0);
  ASSERT_TRUE(player.Launch(settings)) << player.Output();

  for (const std::string& step : steps) {
    if (!player.Running()) break;  // File > Exit chosen with Space: a normal end too
    if (step.compare(0, 6, "close:") == 0) {
      player.CloseWindow(step.substr(6));
    } else {
      player.Key(step);
    }
    SleepMs(300);
    for (const std::string& modal : kModalWindows) {
      if (player.WindowShown(modal)) {
        player.CloseWindow(modal);
        SleepMs(300);
      }
    }
  }

  const int allowed = std::max(3, 2 + player.OpenMenus());
  int pressed = 0;
  while (player.Running() && pressed < allowed) {
    player.Key("Escape");
    ++pressed;
    for (int wait = 0; wait < 10 && player.Running(); ++wait) SleepMs(100);
  }
  EXPECT_FALSE(player.Running()) << "still running after " << pressed << " Escape presses";
  EXPECT_EQ(0, player.WaitForExit(30));
  const std::string saved = player.SavedSettings();
  EXPECT_NE(settings, saved) << "settings.ini was not written back";
  EXPECT_NE(std::string::npos, saved.find("content += \"stereo.mkv\";")) << saved;
}

TEST(PlayerKeys, EscapeEndsTheProgramAfterTwoMenusWereOpenedAndLeft) {
  RunAndEndWithEscape("keys-two-menus", {"alt+f", "Escape", "alt+v", "Escape"});
}

TEST(PlayerKeys, EscapeEndsTheProgramAfterRandomKeySequences) {
  // Seeds 12, 31, 32, 37, 41, 42, 44 and 52 left Escape dead before the menu bar gave the keyboard back
  // (found among seeds 1 to 60; the others passed then too).
  const std::vector<uint32_t> seeds = {1, 2, 3, 12, 31, 32, 37, 41, 42, 44, 52};
  for (uint32_t seed : seeds) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RunAndEndWithEscape("keys-seed-" + std::to_string(seed), Sequence(seed));
  }
}

}  // namespace
