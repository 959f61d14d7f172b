// Movies damaged on purpose, derived at test time from the generated clips: cut short at many offsets,
// bytes flipped in the headers, sizes in the headers made absurd. Each must either fail the open with one of the source's lines and leave it closed, or
// open at a sane size and play: reading, looping and copying without touching memory outside the
// buffers (AddressSanitizer watches) and without hanging (the test's time limit bounds it).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "media/movie_source.h"
#include "tests/media/movie_test_support.h"

namespace {

constexpr int kReadSteps = 60;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string WriteDamaged(const std::string& name, const std::string& bytes) {
  const std::string dir = ClipPath("damaged");
  mkdir(dir.c_str(), 0755);
  const std::string path = dir + "/" + name;
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// The lines a failed open may end with, one per reason.
bool SaysWhyItFailed(const std::string& output, const std::string& path) {
  const std::string reasons[] = {"Failed to open file " + path + "!\n",
                                 "Failed to pull stream information from file " + path + "\n",
                                 "Did not find a video stream in file " + path + "\n",
                                 "Failed to enumerate a proper decoder for file " + path + "\n",
                                 "Picture size ",
                                 "Failed to open the codec for file " + path + "\n",
                                 "Error: buffer sizes of zero are not allowed\n"};
  for (const std::string& reason : reasons) {
    if (output.find(reason) != std::string::npos) return true;
  }
  return false;
}

// Opens the damaged file and checks that it fails cleanly or plays; returns whether it opened.
bool OpensCleanlyOrFails(const std::string& path) {
  OpenedMovie movie = OpenCapturing(path);
  if (movie.result != 0) {
    EXPECT_EQ(movie.result, -1);
    EXPECT_TRUE(SaysWhyItFailed(movie.output, path)) << path << " printed:\n" << movie.output;
    EXPECT_EQ(movie.width, -100) << path << ": outputs are left alone on failure";
    EXPECT_EQ(MovieReadFrame(0), 0);
    EXPECT_EQ(CopyPicture(2, 2, 8), std::vector<uint8_t>(16, kUntouched)) << path << ": closed, copies nothing";
    return false;
  }
  EXPECT_NE(movie.output.find("[FFMpeg] Buffer size "), std::string::npos) << movie.output;
  const bool sane = movie.width > 0 && movie.height > 0 && movie.width <= 16384 && movie.height <= 16384;
  EXPECT_TRUE(sane) << path << " opened at " << movie.width << "x" << movie.height;
  if (!sane) {
    MovieClose();
    return true;
  }
  for (int step = 0; step < kReadSteps; ++step) {
    EXPECT_EQ(MovieReadFrame(0), 0);
    // Exactly the picture's size: a copy of more rows or wider rows is caught by AddressSanitizer.
    if (step % 10 == 9) CopyPicture(movie.width, movie.height, movie.width * 4);
  }
  MovieClose();
  return true;
}

class DamagedMovies : public MovieTest, public testing::WithParamInterface<const char*> {
 protected:
  std::string Original() { return ReadBytes(ClipPath(GetParam())); }
  std::string Name(const std::string& what) { return what + "_" + GetParam(); }
};

TEST_P(DamagedMovies, CutShortAtManyOffsets) {
  const std::string whole = Original();
  ASSERT_GT(whole.size(), 1024u);
  std::vector<size_t> lengths = {1, 4, 12, 32, 64, 100, 188, 256, 512, 1024, 2048};
  for (int part = 1; part < 16; ++part) lengths.push_back(whole.size() * part / 16);
  lengths.push_back(whole.size() - 1);
  int opened = 0;
  for (size_t length : lengths) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    opened += OpensCleanlyOrFails(WriteDamaged(Name("cut"), whole.substr(0, length)));
  }
  EXPECT_GT(opened, 0) << "most of a movie still plays what it has";
}

TEST_P(DamagedMovies, FlippedHeaderBytes) {
  const std::string whole = Original();
  for (size_t offset = 0; offset < 1024 && offset < whole.size(); offset += 13) {
    SCOPED_TRACE("flipped at " + std::to_string(offset));
    std::string damaged = whole;
    damaged[offset] = static_cast<char>(~damaged[offset]);
    OpensCleanlyOrFails(WriteDamaged(Name("flip"), damaged));
  }
  // Scattered damage through the whole file: the pictures are read and decoded from damaged data.
  std::string scattered = whole;
  for (size_t offset = scattered.size() / 8; offset < scattered.size(); offset += 97) scattered[offset] ^= 0x5A;
  OpensCleanlyOrFails(WriteDamaged(Name("scattered"), scattered));
}

INSTANTIATE_TEST_SUITE_P(Clips, DamagedMovies,
                         testing::Values("count_h264.mkv", "count_mpeg2.mpg", "count_mpeg4.avi", "count_wmv2.wmv"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

// The picture size fields of an AVI file (main header and stream format, little-endian 32-bit) set to
// values no movie has.
TEST(DamagedMovie, AbsurdSizesInTheHeaders) {
  const std::string whole = ReadBytes(ClipPath("count_mpeg4.avi"));
  const uint32_t sizes[] = {0, 1, 16385, 65535, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
  for (uint32_t size : sizes) {
    for (uint32_t original : {200u, 120u}) {
      SCOPED_TRACE(std::to_string(original) + " -> " + std::to_string(size));
      std::string damaged = whole;
      const std::string from(reinterpret_cast<const char*>(&original), 4);
      const std::string to(reinterpret_cast<const char*>(&size), 4);
      int replaced = 0;
      for (size_t at = damaged.find(from); at != std::string::npos && at < 4096; at = damaged.find(from, at + 4)) {
        damaged.replace(at, 4, to);
        ++replaced;
      }
      ASSERT_GE(replaced, 2) << "the size is in the main header and in the stream format";
      OpensCleanlyOrFails(WriteDamaged("absurd_size.avi", damaged));
    }
  }
}

}  // namespace
