// The tool windows and the compile process end to end: the real tandemix driven from its menu bar with
// real keys and clicks. The Stereo Decoder Viewer switches the decoder live (the picture changes) and the
// Stereoscopic Settings window the lateral separation (the picture shifts). The shaders compile in a
// child process (tandemix-hlslc); the player itself loads neither glslang nor SPIRV-Cross. The child,
// killed with SIGKILL, is replaced at the next encoder switch in the Stereo Encoder Viewer, and an encoder
// that crashes glslang fails to compile while the player runs on. Every change is in the settings.ini
// written back when Escape ends the program.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/e2e_player_support.h"

namespace {

const std::string kCrasher = std::string(TQ_SOURCE_DIR) + "/tests/d3d9/shaders/glslang_crash.hlsl";

// The mono encoder shows the left eye of pair.png (left view red, right view blue): through the mono
// decoder the whole pair, through the side-by-side decoder the red view alone, stretched. The half
// side-by-side encoder puts the right eye (blue) in the right half.
const std::string kSettings =
    "window_width = 1000;\nwindow_height = 600;\nfullscreen = no;\nshow_channel = CHANNEL_BOTH;\n"
    "proscenium = 0.00;\nseparation = 0.00;\n"
    "decoder += \"shaders/decoders/mono.hlsl\";\n"
    "decoder += \"shaders/decoders/side-by-side-left-first.hlsl\";\n"
    "default_encoder = 0;\ndefault_decoder = 0;\nrefresh_rate = 30.00;\n"
    "renderer_width = 640;\nrenderer_height = 180;\ncontent += \"pair.png\";\ndefault_content = 0;\n"
    "encoder += \"shaders/encoders/mono.hlsl\";\n"
    "encoder += \"shaders/encoders/side-by-side-half.hlsl\";\nencoder += \"" +
    kCrasher + "\";\n";

// Waits up to 10 s for the screen pixel at (x, y) to become `expected`.
bool PixelBecomes(int x, int y, Rgb expected) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (ScreenPixel(x, y) == expected) return true;
    SleepMs(100);
  }
  return false;
}

// The height of a list row, measured on the screen: the run of pixels of the first row's background
// from the top of a list, taken in the cell's left padding where no text is drawn.
int RowHeight(int x, int top, Rgb background) {
  int height = 0;
  while (height < 60 && ScreenPixel(x, top + height) == background) ++height;
  return height;
}

// Moves the pointer away from the tool windows, onto the main window that keys go to next.
void PointAt(int x, int y) {
  CommandLine("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y));
}

// The live (not yet reaped) tandemix-hlslc child of `parent`, or 0.
pid_t CompileChild(pid_t parent) {
  return atoi(CommandLine("pgrep -P " + std::to_string(parent) + " -x -r R,S,D tandemix-hlslc").c_str());
}

// Double-clicks the name cell of `row` (row 0 is the header) in the shown viewer titled `title`.
void DoubleClickViewerRow(const std::string& title, int row) {
  const WindowGeometry viewer = WaitForWindowTitled(title);
  ASSERT_NE(0, viewer.width) << "no " << title << " shows";
  const int height = RowHeight(viewer.x + 32, viewer.y, Rgb{100, 100, 100});
  ASSERT_GE(height, 8) << "no header row in " << title;
  ClickAt(viewer.x + 80, viewer.y + row * height + height / 2, 2, 60);
}

TEST(ToolWindowsEndToEnd, ViewersSettingsAndTheCompileChildWorkLiveAndAreSaved) {
  PlayerSession player("ToolWindows");
  ASSERT_TRUE(player.Launch(kSettings)) << player.Output();
  const WindowGeometry main = player.Geometry();
  const int probe_x = main.x + main.width * 7 / 8;
  const int probe_y = main.y + main.height / 2;
  const int edge_x = main.x + main.width - 8;
  const Rgb red{255, 0, 0}, blue{0, 0, 255}, black{0, 0, 0};
  EXPECT_TRUE(PixelBecomes(probe_x, probe_y, blue)) << "mono decoder: " << Text(ScreenPixel(probe_x, probe_y));

  const std::string maps = ReadFile("/proc/" + std::to_string(player.Pid()) + "/maps");
  for (const char* library : {"glslang", "spirv-cross", "SPIRV"}) {
    EXPECT_EQ(std::string::npos, maps.find(library)) << "the player's own process has " << library << " loaded";
  }

  // Stereoscopy > Decoder Viewer... (the second item from the end); row 2 is the second decoder.
  player.Key("alt+s Up Up Return");
  ASSERT_NO_FATAL_FAILURE(DoubleClickViewerRow("Stereo Decoder Viewer", 2));
  EXPECT_TRUE(PixelBecomes(probe_x, probe_y, red))
      << "side-by-side decoder after the double click: " << Text(ScreenPixel(probe_x, probe_y));

  // Stereoscopy > Settings..., lateral separation (row 7) to 20 %: the left eye moves left by a
  // tenth of the picture, leaving black at the right edge.
  EXPECT_TRUE(PixelBecomes(edge_x, probe_y, red)) << "right edge before the separation";
  PointAt(main.x + 60, probe_y);
  player.Key("alt+s s");
  const WindowGeometry settings = WaitForWindowTitled("Stereoscopic Settings");
  ASSERT_NE(0, settings.width) << "Stereoscopy > Settings... opened no window";
  const int row = RowHeight(settings.x + 2, settings.y, Rgb{230, 230, 230});
  ASSERT_GE(row, 8) << "no grey first row in the settings window";
  ClickAt(settings.x + 170, settings.y + 7 * row + row / 2);
  SleepMs(500);
  PressKeys("ctrl+a 2 0 Return");
  EXPECT_TRUE(PixelBecomes(edge_x, probe_y, black))
      << "right edge after a separation of 20: " << Text(ScreenPixel(edge_x, probe_y));

  // The compile child killed; Stereoscopy > Encoder Viewer... (third item from the end), row 2: the
  // half side-by-side encoder, compiled by a new child, shows the blue right eye at the probe.
  const pid_t child = CompileChild(player.Pid());
  ASSERT_GT(child, 0) << "no tandemix-hlslc child runs";
  kill(child, SIGKILL);
  for (int attempt = 0; attempt < 50 && CompileChild(player.Pid()) == child; ++attempt) SleepMs(100);
  PointAt(main.x + 60, probe_y);
  player.Key("alt+s Up Up Up Return");
  ASSERT_NO_FATAL_FAILURE(DoubleClickViewerRow("Stereo Encoder Viewer", 2));
  EXPECT_TRUE(PixelBecomes(probe_x, probe_y, blue))
      << "half side-by-side encoder after the compile child was killed: " << Text(ScreenPixel(probe_x, probe_y));
  const pid_t new_child = CompileChild(player.Pid());
  EXPECT_GT(new_child, 0) << "no new compile child runs after the switch";
  EXPECT_NE(child, new_child);

  // Row 3: the encoder that crashes glslang. The compile fails with the compile process's message (the
  // picture goes, as after any failed compile) and the player stays.
  ASSERT_NO_FATAL_FAILURE(DoubleClickViewerRow("Stereo Encoder Viewer", 3));
  const std::string stopped = "the shader compiler stopped while compiling " + kCrasher;
  for (int attempt = 0; attempt < 100 && player.Output().find(stopped) == std::string::npos; ++attempt) {
    SleepMs(100);
  }
  EXPECT_NE(std::string::npos, player.Output().find(stopped)) << player.Output();
  EXPECT_TRUE(player.Running()) << "the player ended after the crashing encoder";

  // Escape in the main window ends the program, which writes its settings back.
  PointAt(main.x + 60, probe_y);
  player.Key("Escape");
  EXPECT_EQ(0, player.WaitForExit(10));
  const std::string saved = player.SavedSettings();
  EXPECT_NE(std::string::npos, saved.find("\nseparation = 0.20;\n")) << saved;
  EXPECT_NE(std::string::npos, saved.find("\ndefault_decoder = 1;\n")) << saved;
  EXPECT_NE(std::string::npos, saved.find("\ndefault_encoder = 2;\n")) << saved;
}

}  // namespace
