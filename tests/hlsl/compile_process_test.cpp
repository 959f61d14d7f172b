// The player's side of the compile process against the real tandemix-hlslc: a child that aborts, hangs,
// answers garbage, is killed while idle or cannot be started is a failed compile (or none at all), never
// the end of this process, and the next compile of a good shader succeeds in a new child.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "renderer/hlsl/hlsl_compile_process.h"
#include "renderer/hlsl/hlsl_translated_shader_wire.h"

namespace {

const char kGoodShader[] =
    "sampler2D src : register(s0);\n"
    "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(src, uv); }\n";

HlslCompileJob Job(const std::string& name, const std::string& text) {
  HlslCompileJob job;
  job.mainName = name;
  job.text = text;
  job.entryPoint = "main";
  job.profile = "ps_3_0";
  return job;
}

// A process that ended and was reaped is gone from the process table.
bool Gone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

class CompileProcess : public ::testing::Test {
 protected:
  void SetUp() override { process_.Initialize(TQ_HLSLC); }
  void TearDown() override { process_.Shutdown(); }

  // Compiles the good shader: answered, and the code is a pixel shader.
  void ExpectGoodCompile() {
    HlslCompileReply reply;
    ASSERT_EQ(process_.Compile(Job("good.hlsl", kGoodShader), nullptr, &reply), CTQHlslCompileProcess::kAnswered)
        << reply.log;
    ASSERT_EQ(reply.status, 0) << reply.log;
    TranslatedShader shader;
    ASSERT_TRUE(DecodeTranslatedShader(reply.code, &shader));
    EXPECT_TRUE(shader.isPixelShader);
  }

  CTQHlslCompileProcess process_;
};

TEST_F(CompileProcess, AChildThatAbortsHangsOrAnswersGarbageIsAFailedCompileAndTheNextOneWorks) {
  struct Case {
    HlslTestFault fault;
    std::string why;
  };
  const Case cases[] = {
      {kHlslFaultAbort, "(it ended on signal 6"},
      {kHlslFaultHang, "(no answer within 0.5 s)"},
      {kHlslFaultGarbage, "(its reply does not parse)"},
  };
  process_.SetTimeLimitMs(500);
  int stopped = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ExpectGoodCompile();
    const pid_t child = process_.ChildId();
    ASSERT_GT(child, 0);
    HlslCompileReply reply;
    EXPECT_EQ(process_.SendTestFault(c.fault, "dir/enc.hlsl", &reply), CTQHlslCompileProcess::kStopped);
    EXPECT_EQ(reply.log.rfind("error: the shader compiler stopped while compiling dir/enc.hlsl " + c.why, 0), 0u)
        << reply.log;
    EXPECT_TRUE(reply.code.empty());
    EXPECT_EQ(process_.StoppedCount(), ++stopped);
    // The old child is killed (when it still ran) and reaped; a new one does the next compile.
    EXPECT_TRUE(Gone(child));
    ExpectGoodCompile();
    EXPECT_NE(process_.ChildId(), child);
  }
}

TEST_F(CompileProcess, AChildKilledWhileIdleIsReplacedWithoutAFailedCompile) {
  ExpectGoodCompile();
  const pid_t child = process_.ChildId();
  ASSERT_EQ(kill(child, SIGKILL), 0);
  // Wait until the kernel has ended it (it stays a zombie until the next compile reaps it).
  siginfo_t info{};
  ASSERT_EQ(waitid(P_PID, child, &info, WEXITED | WNOWAIT), 0);
  ExpectGoodCompile();
  EXPECT_EQ(process_.StoppedCount(), 0);
  EXPECT_TRUE(Gone(child));
}

// An executable that counts its starts in a file and exits at once, as a broken compiler would.
class FailingCompiler : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) / ("tq_failing_hlslc_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    script_ = (dir_ / "hlslc.sh").string();
    std::ofstream(script_) << "#!/bin/sh\necho started >> '" << (dir_ / "starts").string() << "'\nexit 3\n";
    chmod(script_.c_str(), 0755);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
  std::string script_;
};

TEST_F(FailingCompiler, IsStartedAFewTimesAndThenNoMore) {
  CTQHlslCompileProcess process;
  process.Initialize(script_);
  HlslCompileReply reply;
  for (int i = 0; i < kMaxHlslStartFailures; ++i) {
    ASSERT_EQ(process.Compile(Job("e.hlsl", kGoodShader), nullptr, &reply), CTQHlslCompileProcess::kUnavailable);
    EXPECT_NE(reply.log.find("could not be started: it exited with status 3"), std::string::npos) << reply.log;
  }
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(process.Compile(Job("e.hlsl", kGoodShader), nullptr, &reply), CTQHlslCompileProcess::kUnavailable);
  }
  EXPECT_NE(reply.log.find("failed to start 3 times in a row and is not started again"), std::string::npos)
      << reply.log;
  EXPECT_EQ(std::filesystem::file_size(dir_ / "starts"), 8u * kMaxHlslStartFailures);  // "started\n" a start
  process.Shutdown();

  process.Initialize((dir_ / "missing").string());
  ASSERT_EQ(process.Compile(Job("e.hlsl", kGoodShader), nullptr, &reply), CTQHlslCompileProcess::kUnavailable);
  EXPECT_NE(reply.log.find("could not be started: No such file or directory"), std::string::npos) << reply.log;
}

}  // namespace
