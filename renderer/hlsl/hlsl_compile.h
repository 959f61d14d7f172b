// The shader compiler's one entry, as the compile process (and the command-line tool through it) runs
// it: a compile job (names, decoded source, macro lines, entry point, profile) and an include look-up
// in; a reply out: the status (an HRESULT), the compiler's errors and warnings, and on success the
// translated shader (GLSL 4.10 and its register map, hlsl_translated_shader_wire.h) as bytes.
#pragma once

#include "renderer/hlsl/hlsl_compile_messages.h"
#include "renderer/hlsl/hlsl_compile_process.h"

// Profiles: vs_2_0, vs_2_a, vs_3_0 (vertex) and ps_2_0, ps_2_a, ps_2_b, ps_3_0 (pixel), all compiled with
// the shader model 3 rules. False for any other name.
bool HlslProfileStage(const std::string& profile, bool* vertexStage);

void CompileHlsl(const HlslCompileJob& job, CTQHlslIncludeSource* includes, HlslCompileReply* reply);
