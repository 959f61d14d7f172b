// File classification by extension, and the frame period derived from the refresh rate.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

TEST(FramePeriod, IsTheTruncatedMillisecondsOfOnePicture) {
  EXPECT_EQ(FramePeriodMs(25.0f), 40);
  EXPECT_EQ(FramePeriodMs(30.0f), 33);
  EXPECT_EQ(FramePeriodMs(320.0f), 3);
  EXPECT_EQ(FramePeriodMs(4.0f), 250);
  EXPECT_EQ(FramePeriodMs(2000.0f), 0);
  // 0.001 is not exact in single precision: 1000 / 0.00100000005 = 999999.95 ms, truncated.
  EXPECT_EQ(FramePeriodMs(0.001f), 999999);
}

TEST(FramePeriod, IsBoundedAndNeverNegativeForHandEditedRates) {
  EXPECT_EQ(FramePeriodMs(0.0f), 0);
  EXPECT_EQ(FramePeriodMs(-0.0f), 0);
  EXPECT_EQ(FramePeriodMs(-30.0f), 0);
  EXPECT_EQ(FramePeriodMs(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(FramePeriodMs(std::numeric_limits<float>::infinity()), 0);
  EXPECT_EQ(FramePeriodMs(-std::numeric_limits<float>::infinity()), 0);
  EXPECT_EQ(FramePeriodMs(std::numeric_limits<float>::denorm_min()), std::numeric_limits<int>::max());
  EXPECT_EQ(FramePeriodMs(1e-30f), std::numeric_limits<int>::max());
}
