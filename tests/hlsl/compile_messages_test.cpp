// The compile process's messages and framing: what the player and the child send each other must come
// back field for field, and anything cut short, padded, mislabelled or oversized must be refused without
// reading past what was received.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "renderer/hlsl/hlsl_compile_messages.h"
#include "renderer/hlsl/hlsl_wire.h"
#include "renderer/hlsl/hlslc_messages.h"

namespace {

// The payload of a frame (without its length).
std::string PayloadOf(const std::string& frame) { return frame.substr(4); }

const std::string kBinary("a\0b\xff\n", 5);

TEST(CompileMessages, EveryMessageComesBackFieldForField) {
  HlslCompileJob job{"dir/enc.hlsl",
                     "float4 main() : COLOR { return 0; }" + kBinary,
                     {{"A", "1"}, {"F(x)", ""}},
                     "main",
                     "ps_3_0"};
  HlslCompileJob job2;
  ASSERT_TRUE(DecodeCompileJob(PayloadOf(EncodeCompileJob(job)), &job2));
  EXPECT_EQ(std::tie(job2.mainName, job2.text, job2.entryPoint, job2.profile),
            std::tie(job.mainName, job.text, job.entryPoint, job.profile));
  ASSERT_EQ(job2.defines.size(), 2u);
  EXPECT_EQ(job2.defines[1].name, "F(x)");
  EXPECT_EQ(job2.defines[0].definition, "1");

  HlslIncludeQuery query{"common.hlsli", true, "dir/enc.hlsl"};
  HlslIncludeQuery query2;
  ASSERT_TRUE(DecodeIncludeQuery(PayloadOf(EncodeIncludeQuery(query)), &query2));
  EXPECT_EQ(std::tie(query2.name, query2.system, query2.includerName),
            std::tie(query.name, query.system, query.includerName));

  HlslIncludeAnswer answer{true, "dir/common.hlsli", kBinary};
  HlslIncludeAnswer answer2;
  ASSERT_TRUE(DecodeIncludeAnswer(PayloadOf(EncodeIncludeAnswer(answer)), &answer2));
  EXPECT_EQ(std::tie(answer2.found, answer2.resolvedName, answer2.text),
            std::tie(answer.found, answer.resolvedName, answer.text));

  HlslCompileReply reply{static_cast<int32_t>(0x80004005), "memory:1: error: x\n", kBinary};
  HlslCompileReply reply2;
  ASSERT_TRUE(DecodeCompileReply(PayloadOf(EncodeCompileReply(reply)), &reply2));
  EXPECT_EQ(std::tie(reply2.status, reply2.log, reply2.code), std::tie(reply.status, reply.log, reply.code));

  uint32_t version = 0;
  ASSERT_TRUE(DecodeReady(PayloadOf(EncodeReady()), &version));
  EXPECT_EQ(version, kHlslProtocolVersion);
  HlslTestFault fault;
  ASSERT_TRUE(DecodeTestFault(PayloadOf(EncodeTestFault(kHlslFaultHang)), &fault));
  EXPECT_EQ(fault, kHlslFaultHang);
}

TEST(CompileMessages, DamagedPayloadsAreRefused) {
  HlslCompileReply reply{0, "log", "code"};
  const std::string payload = PayloadOf(EncodeCompileReply(reply));
  HlslCompileReply out;
  // Every cut, and one byte too many.
  for (size_t size = 0; size < payload.size(); ++size) {
    EXPECT_FALSE(DecodeCompileReply(payload.substr(0, size), &out)) << size;
  }
  EXPECT_FALSE(DecodeCompileReply(payload + "x", &out));
  // A string length that runs past the end of the payload, whatever its size.
  for (uint32_t claimed : {5u, 0x7fffffffu, 0xffffffffu}) {
    std::string bad = payload;
    for (int i = 0; i < 4; ++i) bad[5 + i] = static_cast<char>((claimed >> (8 * i)) & 0xff);
    EXPECT_FALSE(DecodeCompileReply(bad, &out)) << claimed;
  }
  // A message of another kind, a flag that is neither 0 nor 1, an unknown test fault.
  EXPECT_FALSE(DecodeCompileReply(PayloadOf(EncodeReady()), &out));
  std::string query = PayloadOf(EncodeIncludeQuery({"a", false, "b"}));
  query[1 + 4 + 1] = 2;
  HlslIncludeQuery parsed;
  EXPECT_FALSE(DecodeIncludeQuery(query, &parsed));
  std::string fault = PayloadOf(EncodeTestFault(kHlslFaultAbort));
  fault[1] = 9;
  HlslTestFault parsedFault;
  EXPECT_FALSE(DecodeTestFault(fault, &parsedFault));
}

class WirePipe : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(pipe2(fds_, O_CLOEXEC), 0); }
  void TearDown() override {
    for (int fd : fds_) {
      if (fd >= 0) close(fd);
    }
  }
  // Writes `bytes` to the pipe, then reads one frame into payload_.
  WireStatus WriteThenRead(const std::string& bytes, int64_t waitMs = 2000) {
    EXPECT_EQ(bytes.empty() ? 0 : write(fds_[1], bytes.data(), bytes.size()), (ssize_t)bytes.size());
    return ReadWireFrame(fds_[0], MonotonicMilliseconds() + waitMs, &payload_);
  }
  int fds_[2] = {-1, -1};
  std::string payload_;
};

// Also: a writer that stops mid-frame leaves a broken frame, and one that stops between frames a closed pipe.
TEST_F(WirePipe, FramesArriveWholeAndBrokenOnesAreTold) {
  ASSERT_TRUE(WriteWireFrame(fds_[1], EncodeReady()));
  ASSERT_EQ(WriteThenRead(""), kWireOk);
  EXPECT_EQ(payload_, PayloadOf(EncodeReady()));

  // Nothing written: the deadline ends the wait.
  EXPECT_EQ(WriteThenRead("", 50), kWireTimeout);
  // A frame whose length says more than the limit is refused before anything is allocated; an empty
  // frame is broken too.
  EXPECT_EQ(WriteThenRead(std::string("\xff\xff\xff\x7f", 4)), kWireBroken);
  EXPECT_EQ(WriteThenRead(std::string(4, '\0')), kWireBroken);

  const std::string frame = EncodeReady();
  EXPECT_EQ(WriteThenRead(frame + frame.substr(0, 6)), kWireOk);
  close(fds_[1]);
  fds_[1] = -1;
  EXPECT_EQ(WriteThenRead(""), kWireBroken);
  EXPECT_EQ(WriteThenRead(""), kWireClosed);
}

TEST_F(WirePipe, WritingToAReaderThatWentAwayFailsWithoutEndingTheProcess) {
  close(fds_[0]);
  fds_[0] = -1;
  // With the default action SIGPIPE would end this test program.
  ASSERT_EQ(signal(SIGPIPE, SIG_DFL), SIG_DFL);
  EXPECT_FALSE(WriteWireFrame(fds_[1], EncodeReady()));
  sigset_t pending;
  sigpending(&pending);
  EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
}

TEST(HlslcMessages, CompilerLinesTakeTheEditorForm) {
  const std::string log =
      "ERROR: enc.hlsl:4: 'x' : undeclared identifier \n"
      "WARNING: inc/common.hlsli:12: 'foo' : unused\n"
      "enc.hlsl(4): error at column 11, HLSL parsing failed.\n"
      "ERROR: 1 compilation errors.  No code generated.\n"
      "enc.hlsl:7: error: '[' is not closed\n"
      "enc.hlsl: error: entry point 'main' not found\n"
      "error: the shader compiler stopped while compiling enc.hlsl (it ended on signal 6)\n"
      "ERROR: Linking fragment stage: Missing entry point\n";
  EXPECT_EQ(FormatHlslcMessages(log, "enc.hlsl"),
            "enc.hlsl(4): error: 'x' : undeclared identifier\n"
            "inc/common.hlsli(12): warning: 'foo' : unused\n"
            "enc.hlsl(4,11): error: HLSL parsing failed.\n"
            "enc.hlsl(7): error: '[' is not closed\n"
            "enc.hlsl: error: entry point 'main' not found\n"
            "enc.hlsl: error: the shader compiler stopped while compiling enc.hlsl (it ended on signal 6)\n"
            "enc.hlsl: error: Linking fragment stage: Missing entry point\n");
}

}  // namespace
