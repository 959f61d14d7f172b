#include "renderer/shader_warmup.h"

#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "renderer/com_release.h"
#include "renderer/d3d9/d3dx9.h"
#include "renderer/renderer.h"
#include "renderer/vertex_shader.h"

namespace {

std::thread g_warmUp;

void Discard(ID3DXBuffer* code, ID3DXBuffer* messages) {
  ReleaseAndClear(code);
  ReleaseAndClear(messages);
}

// The same calls as CTQRenderer::Initialize and CTQRenderer::LoadShaders make, so that the compiler sees
// the same sources.
void CompileAll(std::string decoderFile, std::string encoderFile) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* messages = nullptr;
  D3DXCompileShader(kVertexShaderSource, static_cast<UINT>(strlen(kVertexShaderSource)), nullptr, nullptr, "main",
                    "vs_3_0", 0, &code, &messages, nullptr);
  Discard(code, messages);
  for (const std::string& file : {decoderFile, encoderFile}) {
    if (file.empty()) continue;
    code = nullptr;
    messages = nullptr;
    D3DXCompileShaderFromFileA(file.c_str(), nullptr, nullptr, "main", "ps_3_0", 0, &code, &messages, nullptr);
    Discard(code, messages);
  }
}

// The name as the renderer stores it: at most kShaderNameMax bytes.
std::string StoredName(const char* file) {
  return file == nullptr ? std::string() : std::string(file, strnlen(file, kShaderNameMax));
}

}  // namespace

void StartShaderWarmUp(const char* decoderFile, const char* encoderFile) {
  FinishShaderWarmUp();
  try {
    g_warmUp = std::thread(CompileAll, StoredName(decoderFile), StoredName(encoderFile));
  } catch (const std::system_error&) {
    // No thread: the renderer compiles everything itself, as it would anyway.
  }
}

void FinishShaderWarmUp() {
  if (g_warmUp.joinable()) g_warmUp.join();
}
