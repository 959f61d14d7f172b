// File classification by extension, and the frame period derived from the refresh rate.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "player/media_kinds.h"
#include "player/movie_player.h"

TEST(ClassifyFile, RecognisesTheTableExtensions) {
  EXPECT_EQ(ClassifyFile("clip.avi"), MEDIA_MOVIE);
  EXPECT_EQ(ClassifyFile("dir/clip.mkv"), MEDIA_MOVIE);
  EXPECT_EQ(ClassifyFile("a.b.wmv"), MEDIA_MOVIE);
  EXPECT_EQ(ClassifyFile("picture.png"), MEDIA_IMAGE);
  EXPECT_EQ(ClassifyFile("picture.tga"), MEDIA_IMAGE);
  EXPECT_EQ(ClassifyFile("picture.jpg"), MEDIA_IMAGE);
}

TEST(ClassifyFile, ComparesOverTheShorterLength) {
  EXPECT_EQ(ClassifyFile("clip.mp"), MEDIA_MOVIE);    // beginning of "mpeg"
  EXPECT_EQ(ClassifyFile("clip.avi2"), MEDIA_MOVIE);  // begins with "avi"
  EXPECT_EQ(ClassifyFile("clip.m"), MEDIA_MOVIE);     // beginning of "mpeg", the first "m" row
  EXPECT_EQ(ClassifyFile("picture.jpeg"), MEDIA_NONE);
  EXPECT_EQ(ClassifyFile("clip.mp4"), MEDIA_NONE);
}

TEST(ClassifyFile, IsCaseSensitive) {
  EXPECT_EQ(ClassifyFile("CLIP.AVI"), MEDIA_NONE);
  EXPECT_EQ(ClassifyFile("picture.JPG"), MEDIA_NONE);
  EXPECT_EQ(ClassifyFile("picture.Png"), MEDIA_NONE);
}

TEST(ClassifyFile, NamesWithoutAUsableDot) {
  EXPECT_EQ(ClassifyFile(nullptr), MEDIA_NONE);
  EXPECT_EQ(ClassifyFile(""), MEDIA_NONE);
  EXPECT_EQ(ClassifyFile("README"), MEDIA_NONE);
  EXPECT_EQ(ClassifyFile("clip."), MEDIA_NONE);
  EXPECT_EQ(ClassifyFile("."), MEDIA_NONE);
  EXPECT_EQ(ClassifyFile("archive.tar"), MEDIA_NONE);
  // A trailing dot does not count; the dot before it does.
  EXPECT_EQ(ClassifyFile("clip.avi."), MEDIA_MOVIE);
}

TEST(ClassifyFile, OnlyTheLastDotCountsEvenInAFolderName) {
  // The text after the folder's dot is the extension: "d/clip" begins with no table entry ...
  EXPECT_EQ(ClassifyFile("movies.d/clip"), MEDIA_NONE);
  // ... while "avi/clip" begins with "avi".
  EXPECT_EQ(ClassifyFile("old.avi/clip"), MEDIA_MOVIE);
  EXPECT_EQ(ClassifyFile("pictures.png/readme"), MEDIA_IMAGE);
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
