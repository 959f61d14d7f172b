// File classification by extension, and the frame period derived from the refresh rate.
#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include "player/media_kinds.h"
#include "player/movie_player.h"

// The extension after the last dot is compared with the table over the shorter of the two lengths, case
// sensitive; a trailing dot does not count, the dot before it does; a folder's dot counts as any other.
TEST(ClassifyFile, ComparesTheLastExtensionWithTheTable) {
  for (const char* name :
       {"clip.avi", "dir/clip.mkv", "a.b.wmv", "clip.mp", "clip.avi2", "clip.m", "clip.avi.", "old.avi/clip"}) {
    EXPECT_EQ(ClassifyFile(name), MEDIA_MOVIE) << name;
  }
  for (const char* name : {"picture.png", "picture.tga", "picture.jpg", "pictures.png/readme"}) {
    EXPECT_EQ(ClassifyFile(name), MEDIA_IMAGE) << name;
  }
  for (const char* name : {"picture.jpeg", "clip.mp4", "CLIP.AVI", "picture.JPG", "picture.Png", "", "README",
                           "clip.", ".", "archive.tar", "movies.d/clip"}) {
    EXPECT_EQ(ClassifyFile(name), MEDIA_NONE) << name;
  }
  EXPECT_EQ(ClassifyFile(nullptr), MEDIA_NONE);
}

// The truncated milliseconds of one picture, bounded and never negative for hand-edited rates.
TEST(FramePeriod, IsTheTruncatedMillisecondsOfOnePicture) {
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN(),
                  kInfinity = std::numeric_limits<float>::infinity();
  constexpr int kLongest = std::numeric_limits<int>::max();
  // 0.001 is not exact in single precision: 1000 / 0.00100000005 = 999999.95 ms, truncated.
  const std::pair<float, int> rows[] = {{25.0f, 40},       {30.0f, 33},
                                        {4.0f, 250},       {2000.0f, 0},
                                        {0.001f, 999999},  {0.0f, 0},
                                        {-0.0f, 0},        {-30.0f, 0},
                                        {kNaN, 0},         {kInfinity, 0},
                                        {-kInfinity, 0},   {std::numeric_limits<float>::denorm_min(), kLongest},
                                        {1e-30f, kLongest}};
  for (const auto& [rate, period] : rows) EXPECT_EQ(FramePeriodMs(rate), period) << rate;
}
