// HLSL source -> SPIR-V -> GLSL through glslang's HLSL front end in DX9-compatible mode: preprocess (with the
// includes), check nesting, apply the Direct3D 9 bridges (hlsl_dx9_bridges.h), parse, link, generate
// SPIR-V, give `fmod` / `%` HLSL's sign (hlsl_spirv_modulo.h) and translate it to GLSL
// (shader_translation.h). Code that the shader model cannot hold is refused (hlsl_instruction_limits.h).
// glslang runs on a thread of its own
// with a large stack; results are cached by the bridged source text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_include_source.h"
#include "renderer/hlsl/hlsl_status.h"
#include "renderer/hlsl/shader_translation.h"

struct HlslCompileInput {
  std::string mainName;       // the file name, or "memory" for a source given in memory
  std::string mainDirectory;  // where the main source's includes are looked up
  std::string text;           // decoded main source
  std::string defines;        // "#define NAME VALUE" lines
  CTQHlslIncludeSource* includeHandler = nullptr;
  std::string entryPoint;
  std::string profile;  // named in the messages of the shader-model limits
  bool vertexStage = false;
};

// kHlslOk with the module in *spirv and its translation in *shader, or kHlslFailed (kHlslOutOfMemory
// when no compiler thread can be started).
// *log receives the compiler's errors and warnings in both cases.
HlslStatus CompileHlslModule(const HlslCompileInput& input, std::vector<uint32_t>* spirv, TranslatedShader* shader,
                             std::string* log);
