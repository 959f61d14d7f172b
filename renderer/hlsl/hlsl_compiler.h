// HLSL source -> SPIR-V through glslang's HLSL front end in DX9-compatible mode: preprocess (with the
// includes), check nesting, apply the Direct3D 9 bridges (hlsl_dx9_bridges.h), parse, link, generate
// SPIR-V and give `fmod` / `%` HLSL's sign (hlsl_spirv_modulo.h). glslang runs on a thread of its own
// with a large stack; results are cached by the bridged source text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "renderer/d3d9/d3dx9_shader.h"

struct HlslCompileInput {
  std::string mainName;       // the file name, or "memory" for a source given in memory
  std::string mainDirectory;  // where the main source's includes are looked up
  std::string text;           // decoded main source
  std::string defines;        // "#define NAME VALUE" lines
  ID3DXInclude* includeHandler = nullptr;
  std::string entryPoint;
  bool vertexStage = false;
};

// S_OK with the module in *spirv, or E_FAIL (E_OUTOFMEMORY when no compiler thread can be started).
// *log receives the compiler's errors and warnings in both cases.
HRESULT CompileHlslToSpirv(const HlslCompileInput& input, std::vector<uint32_t>* spirv, std::string* log);
