// The start-up failures of the window and the renderer end to end: the error line printed last, the
// exit code, and settings.ini left as it was.
#include <gtest/gtest.h>

#include <fstream>
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

// A start-up step that fails prints its one terminal error line last, leaves settings.ini as it was
// and ends with exit code 0.
void ExpectStartupFailure(PlayerSession& player, const std::string& settings, const std::string& message) {
  player.WriteSettings(settings);
  ASSERT_TRUE(player.Start());
  EXPECT_EQ(0, player.WaitForExit(60));
  EXPECT_EQ("[TQ] Error: " + message, LastLine(player.Output())) << player.Output();
  EXPECT_EQ(settings, player.SavedSettings());
}

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

}  // namespace
