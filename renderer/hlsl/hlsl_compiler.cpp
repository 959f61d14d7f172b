#include "renderer/hlsl/hlsl_compiler.h"

#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <pthread.h>

#include <deque>
#include <functional>
#include <mutex>

#include "renderer/hlsl/hlsl_bracket_expressions.h"
#include "renderer/hlsl/hlsl_compile_cache.h"
#include "renderer/hlsl/hlsl_dx9_bridges.h"
#include "renderer/hlsl/hlsl_include_files.h"
#include "renderer/hlsl/hlsl_instruction_limits.h"
#include "renderer/hlsl/hlsl_nesting_limit.h"
#include "renderer/hlsl/hlsl_spirv_modulo.h"
#include "renderer/hlsl/hlsl_tokens.h"
#include "renderer/hlsl/shader_translation.h"

namespace {

// glslang recurses per nesting level (about 2 KB a level); with kMaxHlslNesting levels this leaves a
// wide margin. The memory is reserved, not touched, unless a shader really nests that deep.
constexpr size_t kCompilerStackBytes = 64u << 20;

const EShMessages kMessages = static_cast<EShMessages>(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl |
                                                       EShMsgHlslDX9Compatible);

// Hands glslang the included files from CTQHlslIncludes. Failures carry the reason as the header data,
// which glslang prints after "Could not process include directive".
class GlslangIncluder : public glslang::TShader::Includer {
 public:
  explicit GlslangIncluder(CTQHlslIncludes* includes) : includes_(includes) {}

  IncludeResult* includeLocal(const char* headerName, const char* includerName, size_t depth) override {
    return Include(headerName, false, includerName, depth);
  }
  IncludeResult* includeSystem(const char* headerName, const char* includerName, size_t depth) override {
    return Include(headerName, true, includerName, depth);
  }
  void releaseInclude(IncludeResult* result) override { delete result; }

 private:
  IncludeResult* Include(const char* headerName, bool system, const char* includerName, size_t depth) {
    std::string resolved, error;
    texts_.emplace_back();
    std::string& text = texts_.back();
    if (!includes_->Open(headerName, system, includerName ? includerName : "", depth, &resolved, &text, &error)) {
      text = error;
      return new IncludeResult("", text.data(), text.size(), nullptr);
    }
    return new IncludeResult(resolved, text.data(), text.size(), nullptr);
  }

  CTQHlslIncludes* includes_;
  std::deque<std::string> texts_;  // stable addresses until the shader is done
};

void SetEnvironment(glslang::TShader* shader, EShLanguage stage, const std::string& entryPoint) {
  shader->setEntryPoint(entryPoint.c_str());
  shader->setEnvInput(glslang::EShSourceHlsl, stage, glslang::EShClientVulkan, 100);
  shader->setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
  shader->setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
  shader->setEnvTargetHlslFunctionality1();  // UserSemantic strings on the interface variables
}

std::string TrimLog(const char* text) {
  std::string log = text ? text : "";
  while (!log.empty() && (log.back() == '\n' || log.back() == ' ')) log.pop_back();
  return log.empty() ? log : log + "\n";
}

// Runs `work` on a thread with a kCompilerStackBytes stack and waits for it.
bool RunOnLargeStack(const std::function<void()>& work) {
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return false;
  pthread_attr_setstacksize(&attr, kCompilerStackBytes);
  pthread_t thread;
  auto entry = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  int rc = pthread_create(&thread, &attr, entry, const_cast<std::function<void()>*>(&work));
  pthread_attr_destroy(&attr);
  if (rc != 0) return false;
  pthread_join(thread, nullptr);
  return true;
}

// 3. Parse, link, generate SPIR-V from the bridged source. *compileLog receives what the compiler said
// (kept with a cached module); *log receives it too, with the reason of a failure.
HlslStatus ParseAndGenerate(const HlslCompileInput& input, const std::string& bridged,
                            std::vector<uint32_t>* spirv, TranslatedShader* translated, std::string* compileLog,
                            std::string* log) {
  const EShLanguage stage = input.vertexStage ? EShLangVertex : EShLangFragment;
  const char* name = input.mainName.c_str();
  glslang::TShader shader(stage);
  const char* text = bridged.c_str();
  shader.setStringsWithLengthsAndNames(&text, nullptr, &name, 1);
  SetEnvironment(&shader, stage, input.entryPoint);
  shader.setAutoMapBindings(true);
  bool ok = shader.parse(GetDefaultResources(), 100, false, kMessages);
  *compileLog += TrimLog(shader.getInfoLog());
  if (!ok) {
    *log += *compileLog;
    return kHlslFailed;
  }
  glslang::TProgram program;
  program.addShader(&shader);
  ok = program.link(kMessages);
  std::string linkLog = TrimLog(program.getInfoLog());
  if (linkLog.find("Entry point not found") != std::string::npos) {
    *log += *compileLog + input.mainName + ": error: entry point '" + input.entryPoint + "' not found\n";
    return kHlslFailed;
  }
  *compileLog += linkLog;
  if (!ok || !program.mapIO()) {
    *log += *compileLog;
    return kHlslFailed;
  }
  std::string limitError;
  if (!CheckHlslInstructionLimits(CountHlslInstructions(*program.getIntermediate(stage)), input.profile,
                                  input.mainName, &limitError)) {
    *log += *compileLog + limitError + "\n";
    return kHlslFailed;
  }
  spv::SpvBuildLogger spvLogger;
  glslang::SpvOptions options;
  options.disableOptimizer = true;
  glslang::GlslangToSpv(*program.getIntermediate(stage), *spirv, &spvLogger, &options);
  std::string spvMessages = spvLogger.getAllMessages();
  if (spirv->empty() || !UseTruncatingModulo(spirv)) {
    *log += *compileLog + spvMessages + input.mainName + ": error: no SPIR-V was generated\n";
    return kHlslFailed;
  }
  // What the device cannot take (overlapping or out-of-range registers, unknown semantics...) the
  // Direct3D 9 compiler refuses already, so it fails here rather than later in Create*Shader.
  std::string translationLog;
  if (!HlslSucceeded(TranslateSpirvToGlsl(spirv->data(), spirv->size(), translated, &translationLog))) {
    *log += *compileLog;
    size_t start = 0;
    while (start < translationLog.size()) {
      size_t end = translationLog.find('\n', start);
      if (end == std::string::npos) end = translationLog.size();
      *log += input.mainName + ": " + translationLog.substr(start, end - start) + "\n";
      start = end + 1;
    }
    spirv->clear();
    return kHlslFailed;
  }
  *log += *compileLog;
  return kHlslOk;
}

HlslStatus Compile(const HlslCompileInput& input, std::vector<uint32_t>* spirv, TranslatedShader* translated,
                   std::string* log) {
  const EShLanguage stage = input.vertexStage ? EShLangVertex : EShLangFragment;
  const char* name = input.mainName.c_str();

  // 1. Preprocess: includes and macros, so the bridges and the nesting bound see what glslang parses.
  std::string preprocessed;
  {
    CTQHlslIncludes includes;
    includes.Initialize(input.mainName, input.mainDirectory, input.includeHandler);
    std::string error;
    if (!includes.CheckMacros(input.defines, "macros", &error) ||
        !includes.CheckMacros(input.text, input.mainName, &error)) {
      *log += error + "\n";
      return kHlslFailed;
    }
    GlslangIncluder includer(&includes);
    glslang::TShader shader(stage);
    const char* text = input.text.c_str();
    shader.setStringsWithLengthsAndNames(&text, nullptr, &name, 1);
    shader.setPreamble(input.defines.c_str());
    SetEnvironment(&shader, stage, input.entryPoint);
    bool ok = shader.preprocess(GetDefaultResources(), 100, ENoProfile, false, false, kMessages, &preprocessed,
                                includer);
    includes.Shutdown();
    *log += TrimLog(shader.getInfoLog());
    if (!ok) return kHlslFailed;
  }

  // 2. Bound the nesting, check what brackets hold, then bridge the Direct3D 9 constructs.
  HlslTokenList tokens = TokenizeHlsl(preprocessed, input.mainName);
  std::string error;
  if (!CheckHlslNesting(tokens, &error) || !CheckHlslBracketContents(tokens, &error)) {
    *log += error + "\n";
    return kHlslFailed;
  }
  std::string bridged, messages;
  bool bridgedOk = BridgeDx9Hlsl(preprocessed, tokens, input.vertexStage, input.entryPoint, &bridged, &messages);
  *log += messages;
  if (!bridgedOk) return kHlslFailed;

  std::string key = (input.vertexStage ? "vs\n" : "ps\n") + input.entryPoint + "\n" + bridged;
  std::string cachedLog;
  if (FindCompiledHlsl(key, spirv, translated, &cachedLog)) {
    *log += cachedLog;
    return kHlslOk;
  }
  std::string compileLog;
  HlslStatus hr = ParseAndGenerate(input, bridged, spirv, translated, &compileLog, log);
  if (HlslSucceeded(hr)) StoreCompiledHlsl(key, *spirv, *translated, compileLog);
  // Other threads waiting for this source go on, with the result or to compile it themselves.
  FinishCompilingHlsl(key);
  return hr;
}

}  // namespace

HlslStatus CompileHlslModule(const HlslCompileInput& input, std::vector<uint32_t>* spirv, TranslatedShader* shader,
                             std::string* log) {
  static std::once_flag initialized;
  std::call_once(initialized, [] { glslang::InitializeProcess(); });
  spirv->clear();
  *shader = TranslatedShader();
  HlslStatus hr = kHlslOutOfMemory;
  if (!RunOnLargeStack([&] { hr = Compile(input, spirv, shader, log); })) {
    *log += input.mainName + ": error: the compiler thread could not be started\n";
    return kHlslOutOfMemory;
  }
  return hr;
}
