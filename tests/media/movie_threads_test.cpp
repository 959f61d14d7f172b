// The movie source between two threads, as the player drives it: the decoding thread reads and converts
// while the main thread copies, and the wait after a picture ends when the player quits. This suite also
// runs under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <set>
#include <thread>
#include <vector>

#include "media/movie_source.h"
#include "tests/media/movie_test_support.h"

namespace {

using MovieSourceThreads = MovieTest;

// Every copy the main thread makes while the decoding thread converts is one whole picture: the counting
// clip's pictures are flat, so a copy of a half-written picture would show two grey levels.
TEST_F(MovieSourceThreads, CopiesNeverSeeAHalfWrittenPicture) {
  ASSERT_EQ(OpenCapturing(ClipPath("count_h264.mkv")).result, 0);
  std::atomic<bool> done{false};
  std::thread decoder([&done] {
    for (int step = 0; step < 300; ++step) MovieReadFrame(0);
    done = true;
  });
  std::set<int> numbers;
  int torn = 0;
  std::vector<uint8_t> pixels(200 * 4 * 120);
  while (!done) {
    MovieCopyFrame(pixels.data(), 200 * 4);
    if (!IsFlatPicture(pixels, 200, 120, 200 * 4)) ++torn;
    numbers.insert(PictureNumber(pixels));
  }
  decoder.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(numbers.size(), 2u) << "the copies saw the pictures change";
}

// A tiny refresh rate means an endless wait after each picture; MovieAbortWait ends it, and the next
// open waits normally again.
TEST_F(MovieSourceThreads, AbortEndsTheWaitAndTheNextOpenWaitsAgain) {
  ASSERT_EQ(OpenCapturing(ClipPath("count_mpeg4.avi")).result, 0);
  std::atomic<int> steps{0};
  std::thread decoder([&steps] {
    for (int step = 0; step < 10; ++step) {
      MovieReadFrame(INT_MAX);
      ++steps;
    }
  });
  // The first picture comes within a few steps, and its wait holds the thread until the abort.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_LT(steps.load(), 10);
  MovieAbortWait();
  decoder.join();  // without the abort this would not return for weeks
  EXPECT_EQ(steps.load(), 10);

  ASSERT_EQ(OpenCapturing(ClipPath("count_mpeg4.avi")).result, 0);
  auto start = std::chrono::steady_clock::now();
  for (int step = 0; step < 5; ++step) MovieReadFrame(100);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100))
      << "the abort was left standing after the new open";
}

}  // namespace
