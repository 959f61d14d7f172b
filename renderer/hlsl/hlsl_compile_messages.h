// The messages of the compile process, over the framing of hlsl_wire.h.
//
//   child  -> player   kReady      once at start: protocol version
//   player -> child    kCompile    one compile: source name and text, macros, entry point, profile
//   child  -> player   kInclude    an #include the compile needs (any number, each answered before the
//                                  child goes on): name, <> or "", the including file
//   player -> child    kIncludeText the answer: found or not, the resolved name and text or the reason
//   child  -> player   kResult     the end of the compile: status, compiler messages, compiled code
//   player -> child    kTestFault  test builds only exercise the player's side: the child aborts, hangs
//                                  or answers with a frame that does not parse
//
// Every read of a message checks its kind, its fields and that nothing follows them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_compile.h"

constexpr uint32_t kHlslProtocolVersion = 1;

enum HlslMessageKind : char {
  kHlslReady = 'R',
  kHlslCompile = 'C',
  kHlslInclude = 'I',
  kHlslIncludeText = 'T',
  kHlslResult = 'D',
  kHlslTestFault = 'F',
};

enum HlslTestFault : uint8_t { kHlslFaultAbort = 1, kHlslFaultHang = 2, kHlslFaultGarbage = 3 };

// The parts of an HlslCompileRequest (hlsl_compile.h) that cross the pipe: a file is read by the player
// and comes as its text, named after the file.
struct HlslCompileJob {
  std::string mainName;  // the file name, or empty for "memory"
  std::string text;      // the source: a file's decoded text, or the bytes given in memory
  std::vector<HlslDefine> defines;
  std::string entryPoint;
  std::string profile;  // vs_3_0, ps_3_0, ...
};

// The request that compiles `job`; its includes are left to the caller.
HlslCompileRequest CompileRequestOf(const HlslCompileJob& job);

struct HlslIncludeQuery {
  std::string name;          // as written in the #include
  bool system = false;       // <name> rather than "name"
  std::string includerName;  // the including file as resolved before, or the main source's name
};

struct HlslIncludeAnswer {
  bool found = false;
  std::string resolvedName;  // when found
  std::string text;          // the text when found, else the reason
};

struct HlslCompileReply {
  int32_t status = 0;  // an HRESULT
  std::string log;     // the compiler's errors and warnings
  std::string code;    // the compiled shader when the status is a success
};

std::string EncodeReady();
std::string EncodeCompileJob(const HlslCompileJob& job);
std::string EncodeIncludeQuery(const HlslIncludeQuery& query);
std::string EncodeIncludeAnswer(const HlslIncludeAnswer& answer);
std::string EncodeCompileReply(const HlslCompileReply& reply);
std::string EncodeTestFault(HlslTestFault fault);

// The kind of a payload, or 0 for an empty one.
char HlslMessageKindOf(const std::string& payload);

bool DecodeReady(const std::string& payload, uint32_t* version);
bool DecodeCompileJob(const std::string& payload, HlslCompileJob* job);
bool DecodeIncludeQuery(const std::string& payload, HlslIncludeQuery* query);
bool DecodeIncludeAnswer(const std::string& payload, HlslIncludeAnswer* answer);
bool DecodeCompileReply(const std::string& payload, HlslCompileReply* reply);
bool DecodeTestFault(const std::string& payload, HlslTestFault* fault);
