// When the decoding thread cannot be started: Initialize reports it and fails, and Open of a movie fails
// at once instead of waiting for a status that no thread will ever report. Thread creation is made to
// fail for real by capping the address space below what a thread stack needs, in a fresh child process
// (a process that already ran threads may hand a cached stack to the next one).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "player/movie_player.h"

namespace {

// Virtual memory of this process in bytes, from /proc/self/status.
long long VirtualMemoryBytes() {
  FILE* status = fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long long kilobytes = -1;
  while (fgets(line, sizeof(line), status) != nullptr) {
    if (strncmp(line, "VmSize:", 7) == 0) kilobytes = atoll(line + 7);
  }
  fclose(status);
  return kilobytes * 1024;
}

// Runs in the child: exits 0 only when every expectation holds, naming the first one that fails.
void StartWithoutThreads(const char* movie) {
  auto require = [](bool holds, const char* fault, int code) {
    if (holds) return;
    fprintf(stderr, "%s\n", fault);
    exit(code);
  };
  long long used = VirtualMemoryBytes();
  require(used > 0, "no VmSize", 2);
  // Room for small allocations, none for a thread stack of several megabytes.
  rlimit cap = {static_cast<rlim_t>(used + 1024 * 1024), static_cast<rlim_t>(used + 1024 * 1024)};
  setrlimit(RLIMIT_AS, &cap);

  require(g_player.Initialize() == E_FAIL, "Initialize succeeded", 3);
  require(g_player.Shutdown() == E_FAIL, "Shutdown found a thread", 4);
  require(g_player.Open(movie) == E_FAIL, "Open succeeded", 5);
  require(!g_player.IsLoaded() && !g_player.IsPlaying(), "player claims content", 6);
  fflush(stdout);
  fprintf(stderr, "failed cleanly\n");
  exit(0);
}

TEST(PlayerWithoutThreads, InitializeAndOpenFailAtOnceWithOneLineEach) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  std::string movie = std::string(TQ_PLAYER_MEDIA) + "/second.avi";
  // The child's standard output goes to a file that this process reads back.
  std::string log = std::string(TQ_PLAYER_MEDIA) + "/spawn_failure.txt";
  EXPECT_EXIT(
      {
        if (freopen(log.c_str(), "w", stdout) == nullptr) exit(7);
        StartWithoutThreads(movie.c_str());
      },
      testing::ExitedWithCode(0), "failed cleanly");
  FILE* file = fopen(log.c_str(), "r");
  ASSERT_NE(nullptr, file);
  char text[512] = {};
  fread(text, 1, sizeof(text) - 1, file);
  fclose(file);
  EXPECT_STREQ(
      "[TQ] Error: Error spawning video decoding thread.\n\n"
      "[TQ] Error: Error spawning video decoding thread.\n\n",
      text);
}

}  // namespace
