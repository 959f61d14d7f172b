// Opening, reading, copying, looping and closing real clips of each movie codec the player lists.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "media/movie_source.h"
#include "tests/media/movie_test_support.h"

namespace {

constexpr int kYuv420p = 0;  // FFmpeg's number for planar YUV 4:2:0
constexpr int kYuv444p = 5;
constexpr int kCountingPictures = 30;

class MovieSourceCodecs : public MovieTest, public testing::WithParamInterface<const char*> {};

TEST_P(MovieSourceCodecs, OpensAtNativeSizeAndCopiesIntoWiderRows) {
  std::string path = ClipPath(GetParam());
  OpenedMovie movie = OpenCapturing(path);
  ASSERT_EQ(movie.result, 0) << movie.output;
  EXPECT_EQ(movie.pixel_format, kYuv420p);
  EXPECT_EQ(movie.width, 200);
  EXPECT_EQ(movie.height, 120);
  EXPECT_NE(movie.output.find("Detected video stream at index 0 in file " + path + "\n"), std::string::npos);
  EXPECT_NE(movie.output.find("[FFMpeg] Buffer size 96000 requested\n"), std::string::npos);

  const int pitch = 200 * 4 + 96;
  std::vector<uint8_t> pixels;
  EXPECT_EQ(FirstPictureNumber(200, 120, pitch, &pixels), 0)
      << "the first picture delivered is the first of the file";
  EXPECT_TRUE(IsFlatPicture(pixels, 200, 120, pitch));
  for (int y = 0; y < 120; ++y)
    for (int x = 200 * 4; x < pitch; ++x)
      ASSERT_EQ(pixels[y * pitch + x], kUntouched) << "padding of row " << y << " was written";
}

// Two passes through the file: every picture once per pass, in order, and the second pass starts again
// from the first picture (the pictures the decoder still holds at the end are not lost).
TEST_P(MovieSourceCodecs, LoopsThroughEveryPictureInOrder) {
  ASSERT_EQ(OpenCapturing(ClipPath(GetParam())).result, 0);
  std::vector<int> seen;
  for (int step = 0; step < 1000 && seen.size() < 2 * kCountingPictures; ++step) {
    MovieReadFrame(0);
    int number = PictureNumber(CopyPicture(200, 120, 200 * 4));
    if (number >= 0 && (seen.empty() || seen.back() != number)) seen.push_back(number);
  }
  std::vector<int> expected;
  for (int pass = 0; pass < 2; ++pass)
    for (int n = 0; n < kCountingPictures; ++n) expected.push_back(n);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(MovieConvertedPictureCount(), 2 * kCountingPictures) << "no picture converted twice or unseen";
}

INSTANTIATE_TEST_SUITE_P(Clips, MovieSourceCodecs,
                         testing::Values("count_h264.mkv", "count_mpeg2.mpg", "count_mpeg4.avi", "count_wmv2.wmv"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

// The kind of flat picture a pixel (BGRA) shows, as the clips of changing pictures tell them apart.
std::string KindOf(const uint8_t* bgra) {
  if (bgra[2] > 192 && bgra[1] < 64) return "red";
  if (bgra[1] > 96 && bgra[2] < 64) return "green";
  if (bgra[0] > 192 && bgra[2] < 64) return "blue";
  if (bgra[0] > 16 && bgra[0] < 64) return "dark";
  return bgra[0] > 192 ? "bright" : "";
}

using MovieSource = MovieTest;

TEST_F(MovieSource, TakesTheFirstVideoStreamAfterSound) {
  std::string path = ClipPath("audio_first.mkv");
  OpenedMovie movie = OpenCapturing(path);
  ASSERT_EQ(movie.result, 0) << movie.output;
  EXPECT_NE(movie.output.find("Detected video stream at index 1 in file " + path + "\n"), std::string::npos)
      << movie.output;
  EXPECT_EQ(movie.pixel_format, kYuv444p);
  EXPECT_EQ(movie.width, 160);
  EXPECT_EQ(movie.height, 90);
  EXPECT_GT(PictureChanges(160, 90, 200), 10);
}

TEST_F(MovieSource, FailedOpensSayWhyAndLeaveTheSourceClosed) {
  const std::pair<std::string, std::string> cases[] = {
      // the file, and the line its open prints
      {"audio_only.mkv", "Did not find a video stream in file %\n"},
      {"no_such_movie.avi", "Failed to open file %!\n"},
      {"empty.avi", "Failed to open file %!\n"},
      {"text.avi", "Failed to open file %!\n"},
      {"too_wide.mkv", "Picture size 20000x16 of file % is too large"},
  };
  for (const auto& [file, pattern] : cases) {
    const std::string path = ClipPath(file);
    std::string line = pattern;
    line.replace(line.find('%'), 1, path);
    OpenedMovie movie = OpenCapturing(path);
    EXPECT_EQ(movie.result, -1) << path;
    EXPECT_NE(movie.output.find(line), std::string::npos) << path << " printed:\n" << movie.output;
    EXPECT_EQ(movie.width, -100) << "outputs are left alone on failure";
    std::vector<uint8_t> pixels = CopyPicture(4, 4, 16);
    EXPECT_EQ(pixels, std::vector<uint8_t>(64, kUntouched)) << "a closed source copies nothing";
    EXPECT_EQ(MovieReadFrame(0), 0);
    EXPECT_EQ(MovieClose(), 0) << "closing after a failed open is safe";
  }
}

TEST_F(MovieSource, TruncatedMovieLoopsOverWhatItHas) {
  OpenedMovie movie = OpenCapturing(ClipPath("truncated.mkv"));
  ASSERT_EQ(movie.result, 0) << movie.output;
  EXPECT_GT(PictureChanges(320, 240, 400), 25) << "about 25 pictures a pass, and more than one pass in 400 steps";
}

// Streams whose pictures change size and format midway (change.mpg: dark 4:2:0, then bright 4:2:2 of
// another size; grow.mpg: small red, far larger green, tiny blue): every picture arrives flat at the size
// the open reported, copied into a buffer of exactly that size (AddressSanitizer watches), and each kind
// of picture shows.
TEST_F(MovieSource, PicturesThatChangeSizeAndFormatArriveAtTheOpenedSize) {
  const std::tuple<const char*, int, int, std::set<std::string>> clips[] = {
      {"change.mpg", 200, 120, {"dark", "bright"}}, {"grow.mpg", 64, 48, {"red", "green", "blue"}}};
  for (const auto& [name, width, height, kinds] : clips) {
    SCOPED_TRACE(name);
    OpenedMovie movie = OpenCapturing(ClipPath(name));
    ASSERT_EQ(movie.result, 0) << movie.output;
    ASSERT_EQ(std::make_pair(movie.width, movie.height), std::make_pair(width, height));
    std::set<std::string> seen;
    for (int step = 0; step < 300; ++step) {
      MovieReadFrame(0);
      const std::vector<uint8_t> pixels = CopyPicture(width, height, width * 4);
      ASSERT_TRUE(IsFlatPicture(pixels, width, height, width * 4)) << "step " << step;
      seen.insert(KindOf(pixels.data()));
    }
    for (const std::string& kind : kinds) EXPECT_EQ(seen.count(kind), 1u) << "no " << kind << " picture showed";
  }
}

TEST_F(MovieSource, WithoutAScaleContextTheOpenReportsAndNothingIsConverted) {
  OpenedMovie movie = OpenCapturing(ClipPath("unscalable.nut"));
  EXPECT_EQ(movie.result, 0);
  EXPECT_NE(movie.output.find("[FFMpeg] Buffer size 12288 requested\nError getting scale context!\n"),
            std::string::npos)
      << movie.output;
  EXPECT_EQ(movie.width, 64);
  EXPECT_EQ(movie.height, 48);
  for (int step = 0; step < 30; ++step) MovieReadFrame(0);
  EXPECT_EQ(MovieConvertedPictureCount(), 0);
  std::vector<uint8_t> pixels = CopyPicture(64, 48, 64 * 4);
  EXPECT_TRUE(IsFlatPicture(pixels, 64, 48, 64 * 4));
  EXPECT_EQ(pixels[0], 0) << "still the opaque black of the open";

  // Passes that show nothing are paced by the delay at each rewind instead of spinning over the file.
  auto start = std::chrono::steady_clock::now();
  for (int step = 0; step < 15; ++step) MovieReadFrame(40);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
}

// Opening over an open movie replaces it; closing may be repeated.
TEST_F(MovieSource, CloseIsSafeToRepeatAndOpeningOverAMovieReplacesIt) {
  ASSERT_EQ(OpenCapturing(ClipPath("count_h264.mkv")).result, 0);
  MovieReadFrame(0);
  OpenedMovie second = OpenCapturing(ClipPath("audio_first.mkv"));
  ASSERT_EQ(second.result, 0);
  EXPECT_EQ(second.width, 160);
  for (int step = 0; step < 20; ++step) MovieReadFrame(0);
  EXPECT_EQ(MovieClose(), 0);
  EXPECT_EQ(MovieClose(), 0);
  EXPECT_EQ(MovieReadFrame(0), 0);
  EXPECT_EQ(MovieConvertedPictureCount(), 0);
}

TEST_F(MovieSource, CopyRefusesAPitchNarrowerThanARow) {
  ASSERT_EQ(OpenCapturing(ClipPath("count_mpeg2.mpg")).result, 0);
  for (int step = 0; step < 10; ++step) MovieReadFrame(0);
  std::vector<uint8_t> pixels(200 * 4 * 120, kUntouched);
  MovieCopyFrame(pixels.data(), 200 * 4 - 4);
  MovieCopyFrame(nullptr, 200 * 4);
  EXPECT_EQ(pixels, std::vector<uint8_t>(200 * 4 * 120, kUntouched));
}

}  // namespace
