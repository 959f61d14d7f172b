// The main window end to end: the start-up failures of the window and the renderer, the windowed
// start centred with its menu bar and status bar drawn, and the settings.ini written back after
// Escape ends the program.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/e2e_player_support.h"

namespace {

std::string Replaced(std::string text, const std::string& line, const std::string& replacement) {
  const size_t at = text.find(line);
  if (at != std::string::npos) text.replace(at, line.size(), replacement);
  return text;
}

std::string LastLine(const std::string& text) {
  std::string trimmed = text;
  while (!trimmed.empty() && trimmed.back() == '\n') trimmed.pop_back();
  const size_t start = trimmed.rfind('\n');
  return start == std::string::npos ? trimmed : trimmed.substr(start + 1);
}

// The lines of a settings file with the values of settings the run does not pin cut off, so the
// order of every setting and the values that matter are compared at once.
std::string Skeleton(const std::string& settings) {
  static const char* const kPinned[] = {"window_",  "fullscreen",   "show_channel", "encoder ",
                                        "decoder ", "refresh_rate", "renderer_",    "content "};
  std::istringstream lines(settings);
  std::string line, skeleton;
  while (std::getline(lines, line)) {
    bool pinned = false;
    for (const char* prefix : kPinned) pinned = pinned || line.rfind(prefix, 0) == 0;
    if (line.find(" = ") != std::string::npos && !pinned) line = line.substr(0, line.find(' '));
    skeleton += line + "\n";
  }
  return skeleton;
}

// A start-up step that fails prints its one terminal error line last, leaves settings.ini as it was
// and ends with exit code 0.
void ExpectStartupFailure(PlayerSession& player, const std::string& settings, const std::string& message) {
  player.WriteSettings(settings);
  ASSERT_TRUE(player.Start());
  EXPECT_EQ(0, player.WaitForExit(60));
  EXPECT_EQ("[TQ] Error: " + message, LastLine(player.Output())) << player.Output();
  EXPECT_EQ(settings, player.SavedSettings());
}

bool Dark(Rgb c) { return c.r + c.g + c.b < 30; }

TEST(WindowEndToEnd, FailedStartupStepsEndWithTheirErrorLineAndLeaveTheSettingsAlone) {
  PlayerSession player("StartupFailures");
  const std::string settings = PlayerSettings({"stereo.png"}, 0);
  {
    SCOPED_TRACE("window width 0");
    ExpectStartupFailure(player, Replaced(settings, "window_width = 640;", "window_width = 0;"),
                         "Failed to initialize primary window (terminal failure)");
    EXPECT_EQ("[TQ] Error: Failed to initialize primary window (terminal failure)\n", player.Output());
  }
  {
    SCOPED_TRACE("decoder that does not compile");
    std::ofstream(player.Folder() + "/broken.hlsl") << "float4 main() : COLOR0 { return undefined_name; }\n";
    ExpectStartupFailure(player,
                         Replaced(settings, "shaders/decoders/side-by-side-left-first.hlsl", "broken.hlsl"),
                         "Failed to initialize renderer (terminal failure)");
  }
}

TEST(WindowEndToEnd, WindowedStartIsCentredAndEscapeWritesTheSettingsBack) {
  PlayerSession player("WindowedStart");
  player.WriteSettings(
      Replaced(PlayerSettings({"stereo.png"}, 0), "show_channel = CHANNEL_BOTH;", "show_channel = CHANNEL_LEFT;"));
  ASSERT_TRUE(player.Start());
  ASSERT_TRUE(player.WaitForWindow()) << player.Output();

  // Centred on the 1920 x 1080 screen: (1920 - 640) / 2, (1080 - 400) / 2.
  const WindowGeometry g = player.Geometry();
  EXPECT_EQ(640, g.x);
  EXPECT_EQ(340, g.y);
  EXPECT_EQ(640, g.width);
  EXPECT_EQ(400, g.height);
  // The menu bar at the top and the status bar at the bottom are drawn light.
  const Screenshot window = player.ShootWindow();
  EXPECT_FALSE(Dark(window.At(40, 5))) << "no menu bar at the top of the window";
  EXPECT_FALSE(Dark(window.At(g.width / 2, g.height - 10))) << "no status bar at the bottom of the window";

  player.Key("Escape");
  EXPECT_EQ(0, player.WaitForExit(60));
  // The eye shown is not kept from one run to the next; the rest is written back in its order.
  EXPECT_EQ(Skeleton("//\n// Vantor Script\n//\n\n" + PlayerSettings({"stereo.png"}, 0)),
            Skeleton(player.SavedSettings()));
}

}  // namespace
