// The player on a real renderer (offscreen device) and real movies: the play/pause/quit handshake with
// the decoding thread, the upload of the converted picture, and the failures of Open.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "player/movie_player.h"
#include "renderer/renderer.h"
#include "settings/settings.h"
#include "tests/player/thread_nice.h"
#include "tests/renderer/renderer_test_support.h"

namespace {

std::string Media(const char* name) { return std::string(TQ_PLAYER_MEDIA) + "/" + name; }

// Polls `condition` for up to 20 s: the decoding thread answers within a pass, so only a fault waits
// the whole time.
template <typename Condition>
bool Eventually(Condition condition) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Grey level of the centre pixel of the left eye image (what the previous pass uploaded), or -1.
int CentreLevel() {
  if (g_renderer.GetEyeSurface(0) == nullptr) return -1;
  const Picture eye = ReadBack(g_renderer, g_renderer.GetEyeSurface(0));
  return eye.pixels.empty() ? -1 : static_cast<int>(Green(eye.At(eye.width / 2, eye.height / 2)));
}

// The content size the renderer was given, as "<w>x<h>".
std::string ContentSize() {
  return std::to_string(g_renderer.GetContentWidth()) + "x" + std::to_string(g_renderer.GetContentHeight());
}

std::string CapturedOutput() {
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

class PlayerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_settings.Reset();
    g_settings.StoreRefreshRate(100.0f);
    g_settings.show_channel = CHANNEL_BOTH;
    ASSERT_EQ(0, g_renderer.Initialize(nullptr, 320, 180, ShippedShader("decoders/mono.hlsl").c_str(),
                                       ShippedShader("encoders/mono.hlsl").c_str(), 0));
  }
  static void TearDownTestSuite() {
    g_player.Shutdown();
    g_renderer.Shutdown();
  }
  void SetUp() override {
    g_settings.StoreRefreshRate(100.0f);
    ASSERT_GE(g_player.Initialize(), 0);
  }
};

TEST_F(PlayerTest, PauseTakesEffectAtTheNextPassAndFreezesThePicture) {
  ASSERT_EQ(S_OK, g_player.Open(Media("counting.mkv").c_str()));
  // While playing, the picture drawn keeps changing.
  int first = -1;
  EXPECT_TRUE(Eventually([&] {
    g_player.Update();
    int level = CentreLevel();
    if (first < 0 && level > 0) first = level;
    return first > 0 && level > 0 && level != first;
  }));

  EXPECT_EQ(S_OK, g_player.Pause());
  EXPECT_TRUE(Eventually([] { return !g_player.IsPlaying(); }));
  uint32_t count = g_renderer.GetFrameCount();
  g_player.Update();
  int paused = CentreLevel();
  for (int pass = 0; pass < 20; ++pass) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    g_player.Update();
  }
  EXPECT_EQ(paused, CentreLevel());
  EXPECT_EQ(count, g_renderer.GetFrameCount());

  // Play resumes from the same movie, and the passes count again.
  EXPECT_EQ(S_OK, g_player.Play());
  EXPECT_TRUE(Eventually([] { return g_player.IsPlaying(); }));
  g_player.Update();
  EXPECT_EQ(count + 1, g_renderer.GetFrameCount());
}

// Each open plays at once, every pass uploads one picture, and a second movie opened while one plays
// takes its place.
TEST_F(PlayerTest, MovieOpenPlaysAtOnceAndASecondOneTakesItsPlace) {
  testing::internal::CaptureStdout();
  ASSERT_EQ(S_OK, g_player.Open(Media("first.mkv").c_str()));
  EXPECT_TRUE(g_player.IsPlaying());
  std::string output = CapturedOutput();
  EXPECT_NE(std::string::npos, output.find("Format: 0, width: 320, height: 180\n\n")) << output;
  EXPECT_TRUE(g_player.IsLoaded());
  EXPECT_EQ(MEDIA_MOVIE, g_player.GetKind());
  EXPECT_EQ("320x180", ContentSize());
  uint32_t before = g_renderer.GetFrameCount();
  for (int pass = 0; pass < 5; ++pass) EXPECT_EQ(S_OK, g_player.Update());
  EXPECT_EQ(before + 5, g_renderer.GetFrameCount());

  ASSERT_EQ(S_OK, g_player.Open(Media("second.avi").c_str()));
  EXPECT_TRUE(g_player.IsPlaying());
  EXPECT_EQ("160x96", std::to_string(g_player.GetWidth()) + "x" + std::to_string(g_player.GetHeight()));
  EXPECT_EQ("160x96", ContentSize());
  before = g_renderer.GetFrameCount();
  g_player.Update();
  EXPECT_EQ(before + 1, g_renderer.GetFrameCount());
}

TEST_F(PlayerTest, AnImageAfterAMovieLeavesTheMovieDecoding) {
  ASSERT_EQ(S_OK, g_player.Open(Media("first.mkv").c_str()));
  ASSERT_EQ(S_OK, g_player.Open(Media("still.png").c_str()));
  EXPECT_EQ(MEDIA_IMAGE, g_player.GetKind());
  EXPECT_TRUE(g_player.IsPlaying());
  EXPECT_EQ("200x100", ContentSize());

  // The image is drawn, and no movie picture is uploaded over it.
  uint32_t before = g_renderer.GetFrameCount();
  for (int pass = 0; pass < 3; ++pass) g_player.Update();
  EXPECT_EQ(before, g_renderer.GetFrameCount());
  EXPECT_EQ("200x100", ContentSize());

  // Play and Pause still reach the movie in the background.
  EXPECT_EQ(S_OK, g_player.Pause());
  EXPECT_TRUE(Eventually([] { return !g_player.IsPlaying(); }));
  EXPECT_EQ(S_OK, g_player.Play());
  EXPECT_TRUE(Eventually([] { return g_player.IsPlaying(); }));
}

TEST_F(PlayerTest, ShutdownTwiceAndNothingAfterIt) {
  ASSERT_EQ(S_OK, g_player.Open(Media("second.avi").c_str()));
  EXPECT_EQ(S_OK, g_player.Shutdown());
  EXPECT_EQ(STATUS_STOPPED, g_decoderStatus.load());
  EXPECT_EQ(0, g_player.GetWidth() | g_player.GetHeight());
  EXPECT_EQ(E_FAIL, g_player.Shutdown());
  uint32_t before = g_renderer.GetFrameCount();
  EXPECT_EQ(S_OK, g_player.Update());
  EXPECT_EQ(before, g_renderer.GetFrameCount());
  EXPECT_FALSE(g_player.IsPlaying());
}

TEST_F(PlayerTest, NothingLoadedRefusesPlayAndPause) {
  CTQMoviePlayer idle;
  int32_t command = g_playerCommand.load();
  EXPECT_EQ(E_FAIL, idle.Play());
  EXPECT_EQ(E_FAIL, idle.Pause());
  EXPECT_EQ(command, g_playerCommand.load());
  EXPECT_FALSE(idle.IsLoaded());
  EXPECT_EQ(E_FAIL, idle.Shutdown());
  EXPECT_EQ(S_OK, idle.Update());
}

TEST_F(PlayerTest, OpenFailuresAreReported) {
  EXPECT_EQ(E_FAIL, g_player.Open(nullptr));

  testing::internal::CaptureStdout();
  EXPECT_EQ(E_FAIL, g_player.Open("backup.tar"));
  std::string output = CapturedOutput();
  EXPECT_NE(std::string::npos, output.find("Unrecognized file format detected: backup.tar\n"));
  EXPECT_EQ(MEDIA_NONE, g_player.GetKind());

  // A file with a movie's name that is no movie leaves the size at 0, which no texture takes.
  testing::internal::CaptureStdout();
  EXPECT_EQ(E_FAIL, g_player.Open(Media("text.mkv").c_str()));
  EXPECT_EQ(E_FAIL, g_player.Open(Media("missing.avi").c_str()));
  output = CapturedOutput();
  EXPECT_NE(std::string::npos,
            output.find("[TQ] Error: Failed to pre-allocate gpu resources for movie playback!\n"))
      << output;
  EXPECT_EQ(MEDIA_MOVIE, g_player.GetKind());
  EXPECT_FALSE(g_player.IsPlaying());
}

// Pictures beyond the screen's refresh rate are not worth the renderer's time: the decoding thread runs
// lower then, and at its starting priority at or below the screen rate (a fresh thread per movie).
TEST_F(PlayerTest, TheDecodingThreadYieldsOnlyWhilePicturesOutpaceTheScreen) {
  const uint32_t screen = g_renderer.GetDisplayRefreshRate();
  const int normal = ThreadNiceValue(ThreadNamed("tq-decode"));
  g_settings.StoreRefreshRate(static_cast<float>(screen ? screen : 60) * 4.0f);
  ASSERT_EQ(S_OK, g_player.Open(Media("second.avi").c_str()));
  EXPECT_TRUE(Eventually([&] { return ThreadNiceValue(ThreadNamed("tq-decode")) > normal; }));
  g_settings.StoreRefreshRate(25.0f);
  ASSERT_EQ(S_OK, g_player.Open(Media("second.avi").c_str()));
  for (int pass = 0; pass < 20; ++pass) g_player.Update();
  EXPECT_EQ(normal, ThreadNiceValue(ThreadNamed("tq-decode")));
  EXPECT_EQ(S_OK, g_player.Shutdown());
}

}  // namespace
