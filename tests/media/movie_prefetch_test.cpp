// Reading a movie's stream information ahead (start-up does it while the window is made): the open that
// takes the result behaves and prints as a plain open, and a result that does not fit is not used.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "media/movie_prefetch.h"
#include "media/movie_source.h"
#include "tests/media/movie_test_support.h"

namespace {

class MoviePrefetchTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(testing::TempDir()) / ("tq_prefetch_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    MovieClose();
    DropMoviePrefetch();
    std::filesystem::remove_all(dir_);
  }

  // A copy of a generated clip under a name of this test's own.
  std::string Copy(const std::string& clip, const std::string& name) {
    std::string path = (dir_ / name).string();
    std::filesystem::copy_file(ClipPath(clip), path, std::filesystem::copy_options::overwrite_existing);
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(MoviePrefetchTest, TheOpenThatTakesItPrintsAndPlaysAsAPlainOpen) {
  const std::string path = ClipPath("count_h264.mkv");
  OpenedMovie plain = OpenCapturing(path);
  ASSERT_EQ(plain.result, 0) << plain.output;
  MovieClose();

  MoviePrefetch(path.c_str());
  OpenedMovie prefetched = OpenCapturing(path);
  ASSERT_EQ(prefetched.result, 0) << prefetched.output;
  EXPECT_EQ(prefetched.output, plain.output);
  EXPECT_EQ(prefetched.pixel_format, plain.pixel_format);
  EXPECT_EQ(prefetched.width, 200);
  EXPECT_EQ(prefetched.height, 120);
  EXPECT_EQ(FirstPictureNumber(200, 120, 200 * 4), 0);
  EXPECT_EQ(TakePrefetchedMovie(path.c_str()), nullptr) << "a prefetch is used once";
}

TEST_F(MoviePrefetchTest, AnotherFileOrAFailedPrefetchIsReadAsIfNoneWasMade) {
  const std::string h264 = ClipPath("count_h264.mkv");
  const std::string audio_first = ClipPath("audio_first.mkv");
  MoviePrefetch(h264.c_str());
  OpenedMovie other = OpenCapturing(audio_first);
  ASSERT_EQ(other.result, 0) << other.output;
  EXPECT_NE(other.output.find("Detected video stream at index 1 in file " + audio_first), std::string::npos);
  EXPECT_EQ(TakePrefetchedMovie(h264.c_str()), nullptr) << "the unused prefetch was dropped";

  for (const std::string& path : {ClipPath("no_such_movie.avi"), ClipPath("text.avi")}) {
    MoviePrefetch(path.c_str());
    OpenedMovie failed = OpenCapturing(path);
    EXPECT_EQ(failed.result, -1);
    EXPECT_NE(failed.output.find("Failed to open file " + path + "!\n"), std::string::npos) << failed.output;
  }
  // Dropping twice, and with nothing to drop, is harmless; a null path starts nothing.
  MoviePrefetch(h264.c_str());
  DropMoviePrefetch();
  DropMoviePrefetch();
  MoviePrefetch(nullptr);
  EXPECT_EQ(TakePrefetchedMovie(h264.c_str()), nullptr);
}

TEST_F(MoviePrefetchTest, AFileReplacedAfterThePrefetchIsReadAgain) {
  const std::string path = Copy("count_h264.mkv", "movie.mkv");
  const std::string replacement = Copy("audio_first.mkv", "replacement.mkv");
  MoviePrefetch(path.c_str());
  std::filesystem::rename(replacement, path);
  OpenedMovie movie = OpenCapturing(path);
  ASSERT_EQ(movie.result, 0) << movie.output;
  EXPECT_NE(movie.output.find("Detected video stream at index 1 in file " + path), std::string::npos)
      << movie.output;
  EXPECT_EQ(movie.width, 160);
  EXPECT_EQ(movie.height, 90);
}

// FFmpeg's lines from the prefetch thread wait for the open that takes the result; other threads' lines
// are not held back meanwhile.
TEST_F(MoviePrefetchTest, FFmpegLinesOfThePrefetchComeOutWhenItIsTaken) {
  // The first picture's data overwritten: the decoder complains while the stream information is read.
  const std::string path = Copy("count_h264.mkv", "damaged.mkv");
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(900);
    file << std::string(400, 'Z');
  }
  testing::internal::CaptureStderr();
  MoviePrefetch(path.c_str());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  fprintf(stderr, "marker\n");
  OpenedMovie movie = OpenCapturing(path);
  std::string errors = testing::internal::GetCapturedStderr();
  ASSERT_EQ(movie.result, 0) << movie.output;
  EXPECT_EQ(errors.rfind("marker\n", 0), 0u) << "nothing came out before the open:\n" << errors;
  EXPECT_NE(errors.find("Invalid NAL unit size"), std::string::npos) << errors;
}

}  // namespace
