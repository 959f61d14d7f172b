// The player's side of the compile process: starts the compiler executable (tandemix-hlslc --serve) with
// posix_spawn, keeps it for later compiles, and runs each compile in it over two pipes, answering the
// child's include requests from the player's own include look-up.
//
// What cannot take the player down: a child that crashes, one that answers nothing within the time
// limit (it is killed and reaped), one whose reply does not parse. Each is a failed compile with the
// message "error: the shader compiler stopped while compiling FILE (...)", and the next compile starts a
// new child. A child that dies while idle is noticed and replaced before the next compile is sent. A
// child that cannot be started (missing executable, or it dies before saying it is ready) is tried
// kMaxHlslStartFailures times in a row at most; after that every compile fails at once with a message
// saying so, rather than starting processes in a loop.
//
// Thread-safe: compiles from several threads run one after the other.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>

#include "renderer/hlsl/hlsl_compile_messages.h"

constexpr int kDefaultHlslCompileTimeLimitMs = 10000;
constexpr int kMaxHlslStartFailures = 3;

// Answers the child's #include requests in the player's process.
class CTQHlslIncludeResolver {
 public:
  virtual HlslIncludeAnswer Resolve(const HlslIncludeQuery& query) = 0;

 protected:
  virtual ~CTQHlslIncludeResolver() = default;
};

class CTQHlslCompileProcess {
 public:
  enum Outcome {
    kAnswered,     // the child compiled it: *reply holds its status, messages and code
    kStopped,      // the child crashed, hung or sent garbage; *reply holds the failure message
    kUnavailable,  // no child could be started; *reply holds the reason
  };

  // Sets the executable; the child starts with the first compile.
  void Initialize(const std::string& executable);
  Outcome Compile(const HlslCompileJob& job, CTQHlslIncludeResolver* includes, HlslCompileReply* reply);
  // Ends the child (it exits when its input closes; killed when it does not) and reaps it. Safe to repeat.
  void Shutdown();

  // The time a compile may take in the child, without the time the player spends answering includes.
  void SetTimeLimitMs(int milliseconds);
  // The running child, or -1 (tests kill it).
  pid_t ChildId();
  // For tests of the player's side: the child aborts, hangs or answers garbage as the next "compile" of
  // `name`.
  Outcome SendTestFault(HlslTestFault fault, const std::string& name, HlslCompileReply* reply);
  // Children that crashed, hung or sent garbage so far.
  int StoppedCount();

  virtual ~CTQHlslCompileProcess() = default;

 private:
  bool StartLocked(std::string* reason);
  void StopLocked();
  bool ChildAliveLocked();
  // After the child's output ended: closes its input, waits a moment for it to end and reaps it; why it
  // ended. One that does not end is left to StopLocked, which kills it.
  std::string ReapLocked();
  Outcome EnsureChildLocked(HlslCompileReply* reply);
  Outcome RunLocked(const std::string& frame, const std::string& name, CTQHlslIncludeResolver* includes,
                    HlslCompileReply* reply);
  Outcome StoppedLocked(const std::string& name, const std::string& why, HlslCompileReply* reply);

  std::mutex mutex_;
  std::string executable_;
  pid_t child_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
  int time_limit_ms_ = kDefaultHlslCompileTimeLimitMs;
  int start_failures_ = 0;
  int stopped_ = 0;
};
