// The decoding thread's priority: lowered only while its pictures come faster than the screen refreshes,
// on a real thread of this process.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cmath>
#include <thread>

#include "player/decode_priority.h"
#include "tests/player/thread_nice.h"

namespace {

TEST(DecodePriority, OnlyRatesAboveTheScreenRateAreLowered) {
  EXPECT_EQ(0, DecodeNiceIncrement(25.0f, 60));
  EXPECT_EQ(0, DecodeNiceIncrement(60.0f, 60));
  EXPECT_EQ(0, DecodeNiceIncrement(120.0f, 144));
  EXPECT_GT(DecodeNiceIncrement(60.5f, 60), 0);
  EXPECT_GT(DecodeNiceIncrement(320.0f, 60), 0);
  // An unknown screen rate counts as 60 Hz.
  EXPECT_EQ(0, DecodeNiceIncrement(60.0f, 0));
  EXPECT_GT(DecodeNiceIncrement(61.0f, 0), 0);
  // Rates a hand-edited script may hold: the thread keeps its priority.
  EXPECT_EQ(0, DecodeNiceIncrement(std::nanf(""), 60));
  EXPECT_EQ(0, DecodeNiceIncrement(-320.0f, 60));
}

TEST(DecodePriority, FollowsTheRateOnTheCallingThreadOnly) {
  const int main_nice = ThreadNiceValue(static_cast<int>(syscall(SYS_gettid)));
  int lowered = 0, restored = 0, raise_allowed = 0;
  std::thread decoding([&] {
    const int tid = static_cast<int>(syscall(SYS_gettid));
    const int start = ThreadNiceValue(tid);
    CTQDecodePriority priority;
    priority.Follow(320.0f, 60);
    priority.Follow(320.0f, 60);  // asked again: no change
    lowered = ThreadNiceValue(tid) - start;
    // Raising back is allowed to root and to a nice limit that reaches the starting value.
    rlimit limit = {};
    getrlimit(RLIMIT_NICE, &limit);
    raise_allowed = geteuid() == 0 || 20 - start <= static_cast<int>(limit.rlim_cur);
    priority.Follow(25.0f, 60);
    restored = ThreadNiceValue(tid) - start;
  });
  decoding.join();
  EXPECT_EQ(DecodeNiceIncrement(320.0f, 60), lowered);
  EXPECT_EQ(raise_allowed ? 0 : lowered, restored);
  EXPECT_EQ(main_nice, ThreadNiceValue(static_cast<int>(syscall(SYS_gettid))));
}

}  // namespace
