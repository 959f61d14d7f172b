#include "renderer/hlsl/hlslc_serve.h"

#include <cstdlib>
#include <deque>
#include <map>
#include <string>

#include <unistd.h>

#include "renderer/hlsl/hlsl_compile.h"
#include "renderer/hlsl/hlsl_compile_messages.h"
#include "renderer/hlsl/hlsl_include_source.h"
#include "renderer/hlsl/hlsl_translated_shader_wire.h"
#include "renderer/hlsl/hlsl_wire.h"

namespace {

// Include look-up over the pipes: each #include goes to the player, which resolves it by its own rules
// (relative to the including file, or through the caller's include handler) and sends the text back.
// The child itself opens no file.
class CTQPlayerIncludes : public CTQHlslIncludeSource {
 public:
  CTQPlayerIncludes(int input, int output, const std::string& mainName)
      : input_(input), output_(output), main_name_(mainName) {}

  bool Open(bool system, const char* name, const void* parent, const void** data, uint32_t* bytes) override {
    HlslIncludeQuery query;
    query.name = name;
    query.system = system;
    auto includer = names_.find(parent);
    query.includerName = includer != names_.end() ? includer->second : main_name_;
    std::string payload;
    HlslIncludeAnswer answer;
    if (!WriteWireFrame(output_, EncodeIncludeQuery(query)) || ReadWireFrame(input_, -1, &payload) != kWireOk ||
        !DecodeIncludeAnswer(payload, &answer)) {
      // The player is gone or broken: nothing more can be compiled.
      _exit(1);
    }
    if (!answer.found) {
      failure_ = answer.text;
      return false;
    }
    texts_.push_back(std::move(answer.text));
    *data = texts_.back().data();
    *bytes = static_cast<uint32_t>(texts_.back().size());
    names_[*data] = answer.resolvedName;
    return true;
  }
  void Close(const void*) override {}
  std::string ResolvedName(const void* data) override {
    auto found = names_.find(data);
    return found != names_.end() ? found->second : std::string();
  }
  std::string FailureReason() override { return failure_; }

 private:
  int input_;
  int output_;
  std::string main_name_;
  std::deque<std::string> texts_;  // stable addresses for the compile's length
  std::map<const void*, std::string> names_;
  std::string failure_;
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
    CTQPlayerIncludes includes(input, output, job.mainName.empty() ? "memory" : job.mainName);
    HlslCompileRequest request = CompileRequestOf(job);
    request.includes = &includes;
    HlslCompileResult result = CompileHlsl(request);
    HlslCompileReply reply;
    reply.status = result.status;
    reply.log = result.messages;
    if (HlslSucceeded(result.status)) reply.code = EncodeTranslatedShader(result.shader);
    if (!WriteWireFrame(output, EncodeCompileReply(reply))) return 1;
  }
}
