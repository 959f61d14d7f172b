#include "renderer/hlsl/hlsl_compile_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "renderer/hlsl/hlsl_wire.h"

extern char** environ;

namespace {

// How long a child may take to exit by itself once its input is closed, before it is killed.
constexpr int kExitGraceMs = 500;
// How long a child whose output ended may take to end (a crashing one may be writing a core file), before
// it is killed.
constexpr int kReapGraceMs = 2000;

void CloseFd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

// A pipe whose ends are not standard input, output or error (which a program started with those closed
// would get), so that moving them there in the child cannot overwrite one with the other.
bool PipeAboveStandard(int ends[2]) {
  int made[2];
  if (pipe2(made, O_CLOEXEC) != 0) return false;
  for (int i = 0; i < 2; ++i) {
    ends[i] = made[i] > STDERR_FILENO ? made[i] : fcntl(made[i], F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  }
  for (int i = 0; i < 2; ++i) {
    if (made[i] <= STDERR_FILENO) close(made[i]);
  }
  if (ends[0] >= 0 && ends[1] >= 0) return true;
  for (int i = 0; i < 2; ++i) {
    if (ends[i] >= 0) close(ends[i]);
  }
  return false;
}

std::string DescribeExit(int status) {
  if (WIFSIGNALED(status)) {
    const char* name = strsignal(WTERMSIG(status));
    return std::string("it ended on signal ") + std::to_string(WTERMSIG(status)) +
           (name ? std::string(", ") + name : "");
  }
  if (WIFEXITED(status)) return "it exited with status " + std::to_string(WEXITSTATUS(status));
  return "it ended";
}

// Spawns `executable --serve` with its standard input and output on the two pipes. Only the pipe ends
// reach the child: every other descriptor of the player is closed in it.
bool Spawn(const std::string& executable, int childInput, int childOutput, pid_t* pid, std::string* reason) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_adddup2(&actions, childInput, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, childOutput, STDOUT_FILENO);
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  // The calling thread may block signals or the player may ignore some; the child starts clean.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGCHLD);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::string serve = "--serve";
  char* argv[] = {const_cast<char*>(executable.c_str()), &serve[0], nullptr};
  int rc = posix_spawn(pid, executable.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) *reason = strerror(rc);
  return rc == 0;
}

}  // namespace

void CTQHlslCompileProcess::Initialize(const std::string& executable) {
  Shutdown();
  std::lock_guard<std::mutex> lock(mutex_);
  executable_ = executable;
  start_failures_ = 0;
}

void CTQHlslCompileProcess::SetTimeLimitMs(int milliseconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  time_limit_ms_ = milliseconds;
}

pid_t CTQHlslCompileProcess::ChildId() {
  std::lock_guard<std::mutex> lock(mutex_);
  return child_;
}

int CTQHlslCompileProcess::StoppedCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopped_;
}

void CTQHlslCompileProcess::Shutdown() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (child_ > 0) {
    // Closing its input tells the child to exit; its output closing says it did.
    CloseFd(&to_child_);
    std::string ignored;
    while (ReadWireFrame(from_child_, MonotonicMilliseconds() + kExitGraceMs, &ignored) == kWireOk) {
    }
  }
  StopLocked();
}

void CTQHlslCompileProcess::StopLocked() {
  CloseFd(&to_child_);
  CloseFd(&from_child_);
  if (child_ > 0) {
    kill(child_, SIGKILL);
    while (waitpid(child_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  child_ = -1;
}

std::string CTQHlslCompileProcess::ReapLocked() {
  CloseFd(&to_child_);
  const int64_t deadline = MonotonicMilliseconds() + kReapGraceMs;
  for (;;) {
    int status = 0;
    pid_t rc = waitpid(child_, &status, WNOHANG);
    if (rc == child_) {
      child_ = -1;
      return DescribeExit(status);
    }
    if (rc < 0 && errno != EINTR) {
      child_ = -1;  // no longer ours to wait for
      return "it ended";
    }
    if (MonotonicMilliseconds() >= deadline) return "its output broke off and it was killed";
    usleep(2000);
  }
}

bool CTQHlslCompileProcess::ChildAliveLocked() {
  if (child_ <= 0) return false;
  int status = 0;
  pid_t rc = waitpid(child_, &status, WNOHANG);
  if (rc == 0) return true;
  child_ = -1;  // reaped (or no longer ours)
  StopLocked();
  return false;
}

bool CTQHlslCompileProcess::StartLocked(std::string* reason) {
  int toChild[2], fromChild[2];
  if (!PipeAboveStandard(toChild)) {
    *reason = strerror(errno);
    return false;
  }
  if (!PipeAboveStandard(fromChild)) {
    *reason = strerror(errno);
    close(toChild[0]);
    close(toChild[1]);
    return false;
  }
  pid_t pid = -1;
  bool spawned = Spawn(executable_, toChild[0], fromChild[1], &pid, reason);
  close(toChild[0]);
  close(fromChild[1]);
  to_child_ = toChild[1];
  from_child_ = fromChild[0];
  if (!spawned) {
    StopLocked();
    return false;
  }
  child_ = pid;
  std::string payload;
  uint32_t version = 0;
  WireStatus status = ReadWireFrame(from_child_, MonotonicMilliseconds() + time_limit_ms_, &payload);
  if (status == kWireOk && DecodeReady(payload, &version) && version == kHlslProtocolVersion) return true;
  if (status == kWireTimeout) {
    *reason = "it did not report ready within " + std::to_string(time_limit_ms_) + " ms";
  } else if (status == kWireOk) {
    *reason = "it does not speak this protocol version";
  } else {
    *reason = ReapLocked();
  }
  StopLocked();
  return false;
}

CTQHlslCompileProcess::Outcome CTQHlslCompileProcess::EnsureChildLocked(HlslCompileReply* reply) {
  if (ChildAliveLocked()) return kAnswered;
  reply->status = 0;
  reply->code.clear();
  if (executable_.empty()) {
    reply->log = "error: the shader compiler was not set up\n";
    return kUnavailable;
  }
  if (start_failures_ >= kMaxHlslStartFailures) {
    reply->log = "error: the shader compiler (" + executable_ + ") failed to start " +
                 std::to_string(start_failures_) + " times in a row and is not started again\n";
    return kUnavailable;
  }
  std::string reason;
  if (StartLocked(&reason)) {
    start_failures_ = 0;
    return kAnswered;
  }
  ++start_failures_;
  reply->log = "error: the shader compiler (" + executable_ + ") could not be started: " + reason + "\n";
  return kUnavailable;
}

CTQHlslCompileProcess::Outcome CTQHlslCompileProcess::StoppedLocked(const std::string& name,
                                                                    const std::string& why,
                                                                    HlslCompileReply* reply) {
  StopLocked();
  ++stopped_;
  reply->status = 0;
  reply->code.clear();
  reply->log = "error: the shader compiler stopped while compiling " + name + " (" + why + ")\n";
  return kStopped;
}

CTQHlslCompileProcess::Outcome CTQHlslCompileProcess::RunLocked(const std::string& frame, const std::string& name,
                                                                CTQHlslIncludeResolver* includes,
                                                                HlslCompileReply* reply) {
  Outcome ready = EnsureChildLocked(reply);
  if (ready != kAnswered) return ready;
  if (!WriteWireFrame(to_child_, frame)) return StoppedLocked(name, "it closed its input", reply);
  int64_t left = time_limit_ms_;
  for (;;) {
    std::string payload;
    const int64_t started = MonotonicMilliseconds();
    WireStatus status = ReadWireFrame(from_child_, started + left, &payload);
    left -= MonotonicMilliseconds() - started;
    if (status == kWireTimeout) {
      char limit[32];
      snprintf(limit, sizeof(limit), "no answer within %.1f s", time_limit_ms_ / 1000.0);
      return StoppedLocked(name, limit, reply);
    }
    if (status != kWireOk) return StoppedLocked(name, ReapLocked(), reply);
    if (HlslMessageKindOf(payload) == kHlslInclude) {
      HlslIncludeQuery query;
      if (!DecodeIncludeQuery(payload, &query))
        return StoppedLocked(name, "its include request does not parse", reply);
      HlslIncludeAnswer answer;
      if (includes) {
        answer = includes->Resolve(query);
      } else {
        answer.text = "no include look-up was given";
      }
      if (!WriteWireFrame(to_child_, EncodeIncludeAnswer(answer))) {
        return StoppedLocked(name, "it closed its input", reply);
      }
      continue;
    }
    if (!DecodeCompileReply(payload, reply)) return StoppedLocked(name, "its reply does not parse", reply);
    return kAnswered;
  }
}

CTQHlslCompileProcess::Outcome CTQHlslCompileProcess::Compile(const HlslCompileJob& job,
                                                              CTQHlslIncludeResolver* includes,
                                                              HlslCompileReply* reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  return RunLocked(EncodeCompileJob(job), job.mainName.empty() ? "memory" : job.mainName, includes, reply);
}

CTQHlslCompileProcess::Outcome CTQHlslCompileProcess::SendTestFault(HlslTestFault fault, const std::string& name,
                                                                    HlslCompileReply* reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  return RunLocked(EncodeTestFault(fault), name, nullptr, reply);
}
