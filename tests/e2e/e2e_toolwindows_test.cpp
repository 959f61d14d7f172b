// The tool windows end to end: the real tandemix driven from its menu bar with real keys and clicks.
// The Stereo Decoder Viewer switches the decoder live (the picture changes), the Stereoscopic
// Settings window changes the lateral separation live (the picture shifts), and both changes are in
// the settings.ini written back at the end.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_player_support.h"

namespace {

// The mono encoder shows the left eye of pair.png (left view red, right view blue): through the mono
// decoder the whole pair, through the side-by-side decoder the red view alone, stretched.
const char kSettings[] =
    "window_width = 1000;\nwindow_height = 600;\nfullscreen = no;\nshow_channel = CHANNEL_BOTH;\n"
    "proscenium = 0.00;\nseparation = 0.00;\n"
    "encoder += \"shaders/encoders/mono.hlsl\";\n"
    "decoder += \"shaders/decoders/mono.hlsl\";\n"
    "decoder += \"shaders/decoders/side-by-side-left-first.hlsl\";\n"
    "default_encoder = 0;\ndefault_decoder = 0;\nrefresh_rate = 30.00;\n"
    "renderer_width = 640;\nrenderer_height = 180;\ncontent += \"pair.png\";\ndefault_content = 0;\n";

std::string Text(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

bool Same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

// Waits up to 10 s for the screen pixel at (x, y) to become `expected`.
bool PixelBecomes(int x, int y, Rgb expected) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (Same(ScreenPixel(x, y), expected)) return true;
    SleepMs(100);
  }
  return false;
}

// The height of a list row, measured on the screen: the run of pixels of the first row's background
// from the top of a list, taken in the cell's left padding where no text is drawn.
int RowHeight(int x, int top, Rgb background) {
  int height = 0;
  while (height < 60 && Same(ScreenPixel(x, top + height), background)) ++height;
  return height;
}

// Moves the pointer away from the tool windows, onto the main window that keys go to next.
void PointAt(int x, int y) {
  CommandLine("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y));
}

TEST(ToolWindowsEndToEnd, ViewerSwitchesTheDecoderAndSettingsShiftTheEyesLiveAndBothAreSaved) {
  PlayerSession player("ToolWindows");
  player.WriteSettings(kSettings);
  ASSERT_TRUE(player.Start());
  ASSERT_TRUE(player.WaitForWindow()) << player.Output();
  const WindowGeometry main = player.Geometry();
  const int probe_x = main.x + main.width * 7 / 8;
  const int probe_y = main.y + main.height / 2;
  const int edge_x = main.x + main.width - 8;
  const Rgb red{255, 0, 0}, blue{0, 0, 255}, black{0, 0, 0};
  EXPECT_TRUE(PixelBecomes(probe_x, probe_y, blue)) << "mono decoder: " << Text(ScreenPixel(probe_x, probe_y));

  // Stereoscopy > Decoder Viewer... (the second item from the end); row 2 is the second decoder.
  player.Key("alt+s Up Up Return");
  const WindowGeometry viewer = WaitForWindowTitled("Stereo Decoder Viewer");
  ASSERT_NE(0, viewer.width) << "Stereoscopy > Decoder Viewer... opened no viewer";
  int row = RowHeight(viewer.x + 32, viewer.y, Rgb{100, 100, 100});
  ASSERT_GE(row, 8) << "no header row in the viewer";
  ClickAt(viewer.x + 80, viewer.y + 2 * row + row / 2, 2, 60);
  EXPECT_TRUE(PixelBecomes(probe_x, probe_y, red))
      << "side-by-side decoder after the double click: " << Text(ScreenPixel(probe_x, probe_y));
  EXPECT_TRUE(Same(Rgb{160, 230, 160}, ScreenPixel(viewer.x + 32, viewer.y + 2 * row + row / 2)))
      << "the activated decoder's row is not green";
  EXPECT_TRUE(Same(Rgb{255, 255, 255}, ScreenPixel(viewer.x + 32, viewer.y + row + row / 2)))
      << "the decoder that was active before is still green";

  // Stereoscopy > Settings..., lateral separation (row 7) to 20 %: the left eye moves left by a
  // tenth of the picture, leaving black at the right edge.
  EXPECT_TRUE(PixelBecomes(edge_x, probe_y, red)) << "right edge before the separation";
  PointAt(main.x + 60, probe_y);
  player.Key("alt+s s");
  const WindowGeometry settings = WaitForWindowTitled("Stereoscopic Settings");
  ASSERT_NE(0, settings.width) << "Stereoscopy > Settings... opened no window";
  row = RowHeight(settings.x + 2, settings.y, Rgb{230, 230, 230});
  ASSERT_GE(row, 8) << "no grey first row in the settings window";
  ClickAt(settings.x + 170, settings.y + 7 * row + row / 2);
  SleepMs(500);
  PressKeys("ctrl+a 2 0 Return");
  EXPECT_TRUE(PixelBecomes(edge_x, probe_y, black))
      << "right edge after a separation of 20: " << Text(ScreenPixel(edge_x, probe_y));

  // Escape in the main window ends the program, which writes its settings back.
  PointAt(main.x + 60, probe_y);
  player.Key("Escape");
  EXPECT_EQ(0, player.WaitForExit(10));
  const std::string saved = player.SavedSettings();
  EXPECT_NE(std::string::npos, saved.find("\nseparation = 0.20;\n")) << saved;
  EXPECT_NE(std::string::npos, saved.find("\ndefault_decoder = 1;\n")) << saved;
}

}  // namespace
