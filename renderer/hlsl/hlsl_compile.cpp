#include "renderer/hlsl/hlsl_compile.h"

#include <vector>

#include "renderer/hlsl/hlsl_compiler.h"
#include "renderer/hlsl/hlsl_translated_shader_wire.h"
#include "renderer/hlsl/shader_translation.h"

bool HlslProfileStage(const std::string& profile, bool* vertexStage) {
  static const char* const kVertex[] = {"vs_2_0", "vs_2_a", "vs_3_0"};
  static const char* const kPixel[] = {"ps_2_0", "ps_2_a", "ps_2_b", "ps_3_0"};
  for (const char* name : kVertex) {
    if (profile == name) return *vertexStage = true;
  }
  for (const char* name : kPixel) {
    if (profile == name) {
      *vertexStage = false;
      return true;
    }
  }
  return false;
}

void CompileHlsl(const HlslCompileJob& job, CTQHlslIncludeSource* includes, HlslCompileReply* reply) {
  reply->code.clear();
  reply->log.clear();
  HlslCompileInput input;
  if (!HlslProfileStage(job.profile, &input.vertexStage)) {
    reply->status = E_INVALIDARG;
    reply->log = job.mainName + ": error: unsupported profile '" + job.profile + "'\n";
    return;
  }
  input.mainName = job.mainName;
  input.text = job.text;
  input.defines = job.defines;
  input.includes = includes;
  input.entryPoint = job.entryPoint;
  input.profile = job.profile;
  std::vector<uint32_t> spirv;
  HRESULT hr = CompileHlslToSpirv(input, &spirv, &reply->log);
  if (SUCCEEDED(hr)) {
    TranslatedShader translated;
    std::string translationLog;
    hr = TranslateSpirvToGlsl(spirv.data(), spirv.size(), &translated, &translationLog);
    if (SUCCEEDED(hr)) {
      reply->code = EncodeTranslatedShader(translated);
    } else {
      reply->log += job.mainName + ": " + translationLog + "\n";
    }
  }
  reply->status = hr;
}
