// The movie source opens local files only, by their names as they stand: no FFmpeg protocol, no
// image-sequence pattern, nothing that is not a regular file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "media/movie_source.h"
#include "tests/media/movie_test_support.h"

namespace {

namespace fs = std::filesystem;

// Runs each test inside a fresh folder, so names like "data:x.mkv" can be given relative, as a user
// would have them in a playlist.
class MovieFileNames : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = fs::temp_directory_path().string() + "/tq_movie_names_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    previous_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    MovieClose();
    fs::current_path(previous_);
    fs::remove_all(folder_);
  }
  void CopyClip(const char* clip, const std::string& name) { fs::copy_file(ClipPath(clip), folder_ / name); }

  fs::path folder_;
  fs::path previous_;
};

// The open of `name` fails with the one line that says so.
void ExpectOpenFails(const std::string& name) {
  OpenedMovie movie = OpenCapturing(name);
  EXPECT_EQ(movie.result, -1) << name;
  EXPECT_EQ(movie.output, "Failed to open file " + name + "!\n");
}

TEST_F(MovieFileNames, ProtocolLookingNamesAreFileNames) {
  CopyClip("count_h264.mkv", "data:x.mkv");
  OpenedMovie movie = OpenCapturing("data:x.mkv");
  EXPECT_EQ(movie.result, 0) << movie.output;
  EXPECT_EQ(movie.width, 200);

  // The pieces exist, the file of that name does not: the concat protocol must not join them.
  CopyClip("count_h264.mkv", "a.mkv");
  CopyClip("count_mpeg2.mpg", "b.mpg");
  ExpectOpenFails("concat:a.mkv|b.mpg");

  CopyClip("count_mpeg4.avi", "concat:a.mkv|b.mpg");
  movie = OpenCapturing("concat:a.mkv|b.mpg");
  EXPECT_EQ(movie.result, 0) << movie.output;
}

TEST_F(MovieFileNames, PercentIsNotAnImageSequencePattern) {
  // pattern1.bmp (32x32) is what "pattern%d.bmp" would name as a sequence; the file itself is 64x48.
  OpenedMovie movie = OpenCapturing(ClipPath("pattern%d.bmp"));
  ASSERT_EQ(movie.result, 0) << movie.output;
  EXPECT_EQ(movie.width, 64);
  EXPECT_EQ(movie.height, 48);

  CopyClip("count_mpeg2.mpg", "take1.mpg");
  ExpectOpenFails("take%d.mpg");
}

TEST_F(MovieFileNames, FoldersAndFifosFailWithoutWaiting) {
  fs::create_directory("folder.avi");
  ExpectOpenFails("folder.avi");
  // Opening a FIFO for reading would block until a writer came; the open must fail at once instead.
  ASSERT_EQ(mkfifo("pipe.mkv", 0600), 0);
  ExpectOpenFails("pipe.mkv");
}

}  // namespace
