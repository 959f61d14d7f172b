// The real tandemix binary on a side-by-side clip, seen through the demo's shaders (side-by-side decoder,
// red-cyan Dubois encoder): the clip's left eye is white and its right eye black, so the flat part of the
// picture is red with both eyes shown, white with the left eye alone, black with the right eye alone and
// cyan with the eyes swapped. Driven by real X key presses; checked on screenshots, the exit code,
// standard output and the settings.ini written back.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/e2e/e2e_player_support.h"

namespace {

bool IsRed(Rgb c) { return c.r > 150 && c.g < 90 && c.b < 90; }
bool IsWhite(Rgb c) { return c.r > 170 && c.g > 170 && c.b > 170; }
bool IsBlack(Rgb c) { return c.r < 60 && c.g < 60 && c.b < 60; }
bool IsCyan(Rgb c) { return c.r < 90 && c.g > 150 && c.b > 150; }

// Whether the picture stays the same for a second, once a command has had time to take effect.
bool PictureStill(const PlayerSession& session) {
  SleepMs(1500);
  Screenshot first = session.ShootWindow();
  SleepMs(1000);
  return !first.Empty() && session.ShootWindow().SameAs(first);
}

using PlayerEndToEnd = PlayerTest;

TEST_F(PlayerEndToEnd, ClipPlaysPausesAndShowsOneEyeWhileAnArrowIsHeld) {
  PlayerSession& player = session_;
  ASSERT_TRUE(player.Launch(PlayerSettings({"stereo.mkv", "stereo.png"}, 0))) << player.Output();
  EXPECT_TRUE(CentreBecomes(player, IsRed)) << Text(player.PictureCentre());
  EXPECT_TRUE(PictureChanges(player));

  player.Key("space");
  EXPECT_TRUE(PictureStill(player));
  player.Key("space");
  EXPECT_TRUE(PictureChanges(player));

  player.KeyDown("Left");
  EXPECT_TRUE(CentreBecomes(player, IsWhite)) << Text(player.PictureCentre());
  player.KeyUp("Left");
  EXPECT_TRUE(CentreBecomes(player, IsRed)) << Text(player.PictureCentre());
  player.KeyDown("Right");
  EXPECT_TRUE(CentreBecomes(player, IsBlack)) << Text(player.PictureCentre());
  player.KeyUp("Right");
  EXPECT_TRUE(CentreBecomes(player, IsRed)) << Text(player.PictureCentre());

  // Standard output is a file: the line is there while the player still runs.
  EXPECT_TRUE(player.Running());
  EXPECT_NE(std::string::npos, player.Output().find("Format: 0, width: 640, height: 180\n")) << player.Output();
  player.Key("Escape");
  EXPECT_EQ(0, player.WaitForExit(60));
  std::string saved = player.SavedSettings();
  EXPECT_NE(std::string::npos, saved.find("show_channel = CHANNEL_BOTH;")) << saved;
  EXPECT_NE(std::string::npos, saved.find("content += \"stereo.mkv\";")) << saved;
}

TEST_F(PlayerEndToEnd, MenuCommands) {
  PlayerSession& player = session_;
  ASSERT_TRUE(player.Launch(PlayerSettings({"stereo.mkv"}, 0))) << player.Output();
  ASSERT_TRUE(CentreBecomes(player, IsRed)) << Text(player.PictureCentre());
  WindowGeometry framed = player.Geometry();

  // View > Fullscreen: the picture fills the screen, down to its bottom edge.
  player.Key("alt+v f");
  SleepMs(1500);
  EXPECT_TRUE(CentreBecomes(player, IsRed, true)) << Text(player.PictureCentre(true));
  Screenshot screen = ShootScreen(0, 0, 1920, 1080);
  EXPECT_TRUE(IsRed(screen.MeanAround(1900, 1070, 3))) << Text(screen.MeanAround(1900, 1070, 3));

  // Escape leaves full screen, back to the framed window, and the program runs on.
  player.Key("Escape");
  SleepMs(1500);
  WindowGeometry back = player.Geometry();
  EXPECT_EQ(framed.width, back.width);
  EXPECT_EQ(framed.height, back.height);
  EXPECT_TRUE(player.Running());
  EXPECT_TRUE(CentreBecomes(player, IsRed)) << Text(player.PictureCentre());

  // Movie > Stop holds the picture (Play, Pause, Stop are the first three items); Movie > Play resumes.
  player.Key("alt+m Down Down Return");
  EXPECT_TRUE(PictureStill(player));
  player.Key("alt+m Return");
  EXPECT_TRUE(PictureChanges(player));

  // Help > About: a message box of its own, closed by its OK button.
  player.Key("alt+h Return");
  SleepMs(1000);
  EXPECT_TRUE(player.WindowShown("About Tandemix"));
  std::string box = CommandLine("xdotool search --onlyvisible --name '^About Tandemix$'");
  CommandLine("xdotool windowfocus --sync " + box + " key Return");
  SleepMs(1000);
  EXPECT_FALSE(player.WindowShown("About Tandemix"));

  // Stereoscopy > Swap Channels: the right eye's black goes to the left eye: cyan.
  player.Key("alt+s Return");
  EXPECT_TRUE(CentreBecomes(player, IsCyan)) << Text(player.PictureCentre());

  // File > Exit (the last item) ends the program normally: the settings are written back.
  player.Key("alt+f Up Return");
  EXPECT_EQ(0, player.WaitForExit(60));
  std::string saved = player.SavedSettings();
  EXPECT_NE(std::string::npos, saved.find("invert_channels = yes;")) << saved;
  EXPECT_NE(std::string::npos, saved.find("fullscreen = no;")) << saved;
  EXPECT_NE(std::string::npos, saved.find("window_width = 640;")) << saved;
}

TEST_F(PlayerEndToEnd, BadActiveEntryIsReportedAndThePlayerRunsOn) {
  PlayerSession& player = session_;
  ASSERT_TRUE(player.Launch(PlayerSettings({"broken.avi", "stereo.png"}, 0))) << player.Output();
  EXPECT_TRUE(player.Running());
  // Nothing is drawn: the window keeps its black background.
  EXPECT_TRUE(IsBlack(player.PictureCentre())) << Text(player.PictureCentre());
  player.Key("space");  // nothing loaded: nothing to play
  EXPECT_TRUE(player.Running());
  // The error line reaches the output file at once, not when the player ends.
  EXPECT_NE(std::string::npos, player.Output().find("[TQ] Error: Failed to load content\n")) << player.Output();
  player.Key("Escape");
  EXPECT_EQ(0, player.WaitForExit(60));
  EXPECT_NE(std::string::npos, player.SavedSettings().find("content += \"broken.avi\";"));
}

TEST_F(PlayerEndToEnd, AThousandSecondFramePeriodHoldsUpNeitherEscapeNorExit) {
  // 1000 / 0.001 ms after every picture: only the first picture or two ever arrive.
  std::string settings = PlayerSettings({"stereo.mkv"}, 0);
  settings.replace(settings.find("refresh_rate = 30.00;"), 21, "refresh_rate = 0.001;");
  PlayerSession& player = session_;
  ASSERT_TRUE(player.Launch(settings)) << player.Output();
  player.Key("space");  // pausing waits for the frame period to end, but the window answers
  player.Key("Escape");
  EXPECT_EQ(0, player.WaitForExit(60));
  EXPECT_NE(std::string::npos, player.SavedSettings().find("refresh_rate = 0.001;")) << player.SavedSettings();
}

TEST_F(PlayerEndToEnd, ASlowEncoderHoldsUpNeitherTheWindowNorEscape) {
  // Within the shader model's limits (loops of fewer than 256 rounds, some 25000 instructions run), but
  // 6000 texture reads per pixel: on a software renderer each frame takes seconds to draw.
  const std::string slow =
      "sampler2D eyes : register(s0);\n"
      "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n"
      "  float4 sum = 0;\n"
      "  [loop] for (int i = 0; i < 40; i++)\n"
      "    [loop] for (int j = 0; j < 150; j++) sum += tex2D(eyes, uv + (i * 150 + j) * 0.000004);\n"
      "  return sum / 6000;\n"
      "}\n";
  PlayerSession& player = session_;
  std::ofstream(player.Folder() + "/slow.hlsl") << slow;
  std::string settings = PlayerSettings({"stereo.mkv"}, 0);
  const std::string shipped = "shaders/encoders/anaglyph-red-cyan-dubois.hlsl";
  settings.replace(settings.find(shipped), shipped.size(), "slow.hlsl");
  ASSERT_TRUE(player.Launch(settings)) << player.Output();
  // Frames are being drawn now, slowly. The main loop takes one key a pass: were each pass to wait for a
  // frame to be drawn, these seven keys would take seven frames; the end waits for one at most.
  player.Key("space space space space space space Escape");
  EXPECT_EQ(0, player.WaitForExit(10)) << "Escape did not end the program within 10 s";
  // The shader compiled and ran: a failed compile would have shut the renderer down and left nothing slow.
  EXPECT_EQ(std::string::npos, player.Output().find("[TQ] Error")) << player.Output();
  const std::string saved = player.SavedSettings();
  EXPECT_NE(settings, saved);
  EXPECT_NE(std::string::npos, saved.find("encoder += \"slow.hlsl\";")) << saved;
}

}  // namespace
