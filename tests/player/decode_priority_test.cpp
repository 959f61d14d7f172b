// The decoding thread's priority: lowered only while its pictures come faster than the screen refreshes,
// on a real thread of this process.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <future>
#include <thread>
#include <vector>

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

// FFmpeg's workers move with the decoding thread; a listed id that is not a thread of this process (here
// a child process's) is never touched.
TEST(DecodePriority, ListedWorkersOfThisProcessFollowTheDecodingThread) {
  const pid_t other = fork();
  if (other == 0) _exit(pause());
  ASSERT_GT(other, 0);
  const int other_nice = ThreadNiceValue(other);
  std::vector<int> nices;  // decoding thread and its two workers: before Follow, at 25 Hz, at 320 Hz
  std::thread decoding([&] {
    std::promise<void> finish;
    std::shared_future<void> finished = finish.get_future().share();
    std::atomic<int> ids[2] = {0, 0};
    std::vector<std::thread> workers;
    for (auto& id : ids)
      workers.emplace_back([&id, finished] {
        id = gettid();
        finished.wait();
      });
    while (ids[0] == 0 || ids[1] == 0) std::this_thread::yield();
    CTQDecodePriority priority;
    for (float rate : {0.0f, 25.0f, 320.0f}) {
      if (rate > 0.0f) priority.Follow(rate, 60, {ids[0], ids[1], other});
      for (int thread : {gettid(), ids[0].load(), ids[1].load()}) nices.push_back(ThreadNiceValue(thread));
    }
    finish.set_value();
    for (std::thread& worker : workers) worker.join();
  });
  decoding.join();
  EXPECT_EQ(other_nice, ThreadNiceValue(other));
  kill(other, SIGKILL);
  waitpid(other, nullptr, 0);
  const int start = nices[0], lowered = std::min(start + DecodeNiceIncrement(320.0f, 60), 19);
  EXPECT_EQ(std::vector<int>({start, start, start, start, start, start, lowered, lowered, lowered}), nices);
}

}  // namespace
