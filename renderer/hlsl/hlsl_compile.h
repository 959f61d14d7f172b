// The shader compiler's one entry: a Direct3D 9 HLSL source (vs_2_0 .. vs_3_0, ps_2_0 .. ps_3_0) in, the
// GLSL 4.10 the device compiles out, with its register map (shader_translation.h) and the SPIR-V module
// it was translated from. Request and result are plain data, so that the compile can run here or in a
// process of its own.
//
// Results: kHlslOk; kHlslFailed when the source does not compile or uses what shader model 3 does not
// have (messages say why, "file:line: error: ..."); kHlslInvalidData when the source cannot be read or
// is not shader text; kHlslInvalidCall for an unknown profile, a missing entry point name or an invalid
// macro name; kHlslOutOfMemory when no compiler thread can be started. Warnings come in the messages
// also on success.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_include_source.h"
#include "renderer/hlsl/hlsl_status.h"
#include "renderer/hlsl/shader_translation.h"

struct HlslDefine {
  std::string name;        // an identifier, optionally with a parameter list
  std::string definition;  // line breaks become spaces
};

struct HlslCompileRequest {
  bool fromFile = false;  // true: compile the file named `sourceFile`; false: the text `source`
  std::string sourceFile;
  std::string source;      // the text in memory, in any encoding the source reader takes
  std::string sourceName;  // names the text in memory in messages and to the include source ("memory"
                           // when empty); the compile process names a file's text that it was handed
  std::vector<HlslDefine> defines;
  std::string entryPoint;
  std::string profile;
  CTQHlslIncludeSource* includes = nullptr;  // null: included files are read from disk
};

struct HlslCompileResult {
  HlslStatus status = kHlslFailed;
  std::string messages;         // the compiler's errors and warnings, one "...\n" line each
  std::vector<uint32_t> spirv;  // the module, on success
  TranslatedShader shader;      // its GLSL and register map, on success
};

HlslCompileResult CompileHlsl(const HlslCompileRequest& request);

// True for a profile the compiler takes, with *vertexStage telling the stage.
bool HlslStageOfProfile(const char* profile, bool* vertexStage);
