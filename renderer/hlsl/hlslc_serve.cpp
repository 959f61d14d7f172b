#include "renderer/hlsl/hlslc_serve.h"

#include <cstdlib>
#include <string>

#include <unistd.h>

#include "renderer/hlsl/hlsl_compile_messages.h"
#include "renderer/hlsl/hlsl_wire.h"
#include "renderer/hlsl/hlsl_compile.h"

namespace {

// Include look-up over the pipes: each request goes to the player, which resolves it by its own rules
// (relative to the including file, or through the caller's include handler) and sends the text back.
class CTQPlayerIncludes : public CTQHlslIncludeSource {
 public:
  CTQPlayerIncludes(int input, int output) : input_(input), output_(output) {}

  HlslIncludeAnswer Open(const HlslIncludeQuery& query) override {
    std::string payload;
    HlslIncludeAnswer answer;
    if (!WriteWireFrame(output_, EncodeIncludeQuery(query)) || ReadWireFrame(input_, -1, &payload) != kWireOk ||
        !DecodeIncludeAnswer(payload, &answer)) {
      // The player is gone or broken: nothing more can be compiled.
      _exit(1);
    }
    return answer;
  }

 private:
  int input_;
  int output_;
};

void RunTestFault(HlslTestFault fault, int output) {
  if (fault == kHlslFaultAbort) abort();
  if (fault == kHlslFaultHang) {
    for (;;) pause();
  }
  // A frame that claims to be a result and holds a field longer than the frame.
  std::string payload(1, static_cast<char>(kHlslResult));
  payload += std::string("\0\0\0\0\xff\xff\xff\x0f", 8);
  std::string frame = std::string(1, static_cast<char>(payload.size())) + std::string(3, '\0') + payload;
  WriteWireFrame(output, frame);
}

}  // namespace

int ServeHlslCompiles(int input, int output) {
  if (!WriteWireFrame(output, EncodeReady())) return 1;
  CTQPlayerIncludes includes(input, output);
  for (;;) {
    std::string payload;
    WireStatus status = ReadWireFrame(input, -1, &payload);
    if (status == kWireClosed) return 0;
    if (status != kWireOk) return 1;
    HlslTestFault fault;
    if (DecodeTestFault(payload, &fault)) {
      RunTestFault(fault, output);
      continue;
    }
    HlslCompileJob job;
    if (!DecodeCompileJob(payload, &job)) return 1;
    HlslCompileReply reply;
    CompileHlsl(job, &includes, &reply);
    if (!WriteWireFrame(output, EncodeCompileReply(reply))) return 1;
  }
}
