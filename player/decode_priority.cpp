#include "player/decode_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace {

// Lower than the renderer's threads, but not so low that other work on a busy machine starves the
// decoding thread. Measured on two cores with the software renderer at 320 Hz: 10 still converted close to
// three pictures per main-loop pass and cost the renderer about a tenth of its passes; 15 converts about
// two per pass and gets the most new pictures onto the screen; 19 gets fewer there, and leaves nothing to
// spare for a busy machine.
constexpr int kSurplusPicturesNice = 15;
constexpr int kLowestPriorityNice = 19;
constexpr uint32_t kAssumedScreenRate = 60;

id_t CallingThread() { return static_cast<id_t>(syscall(SYS_gettid)); }

// PRIO_PROCESS with a thread id sets that one thread on Linux.
bool SetThreadNice(id_t thread, int nice) {
  return setpriority(PRIO_PROCESS, thread, std::min(nice, kLowestPriorityNice)) == 0;
}

// A thread id that left the process may be another process's thread by now: never touch that one.
bool IsThreadOfThisProcess(int thread) {
  return thread > 0 && access(("/proc/self/task/" + std::to_string(thread)).c_str(), F_OK) == 0;
}

}  // namespace

int DecodeNiceIncrement(float refresh_rate, uint32_t screen_rate) {
  const uint32_t screen = screen_rate != 0 ? screen_rate : kAssumedScreenRate;
  return refresh_rate > static_cast<float>(screen) ? kSurplusPicturesNice : 0;
}

CTQDecodePriority::CTQDecodePriority() : started_(false), start_nice_(0), applied_(0), raise_refused_(false) {}

CTQDecodePriority::~CTQDecodePriority() {}

void CTQDecodePriority::Follow(float refresh_rate, uint32_t screen_rate, const std::vector<int>& workers) {
  if (!started_) {
    // getpriority may return -1 as a value: errno tells it from a failure.
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, CallingThread());
    start_nice_ = errno == 0 ? nice : 0;
    started_ = true;
  }
  const int wanted = DecodeNiceIncrement(refresh_rate, screen_rate);
  const bool level_kept = wanted == applied_ || (wanted < applied_ && raise_refused_);
  if (level_kept && workers == workers_) return;
  if (!level_kept) {
    if (SetThreadNice(CallingThread(), start_nice_ + wanted)) {
      applied_ = wanted;
    } else if (wanted < applied_) {
      raise_refused_ = true;
    }
  }
  // The workers take the level the calling thread is at; one that cannot be raised stays lower.
  for (int worker : workers) {
    if (IsThreadOfThisProcess(worker)) SetThreadNice(static_cast<id_t>(worker), start_nice_ + applied_);
  }
  workers_ = workers;
}
