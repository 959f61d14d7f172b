// CTQRenderer::LoadShaders: compiles the user's decoder and encoder files into the two pixel shaders.
#include <cstring>

#include "common/error_line.h"
#include "renderer/com_release.h"
#include "renderer/d3d9/d3dx9.h"
#include "renderer/renderer.h"

// Keeps at most kShaderNameMax bytes of `name`, zero-filling the rest of the buffer. Copies through a
// local buffer so that passing a renderer's own stored name back in is safe.
void CTQRenderer::StoreShaderName(char* buffer, const char* name) {
  char copy[kShaderNameBuffer];
  memset(copy, 0, sizeof(copy));
  memcpy(copy, name, strnlen(name, kShaderNameMax));
  memcpy(buffer, copy, sizeof(copy));
}

int CTQRenderer::LoadShaders(const char* decoderFile, const char* encoderFile) {
  if (device_ == nullptr) {
    return 1;
  }
  if (decoderFile != nullptr) {
    StoreShaderName(decoder_file_, decoderFile);
  }
  if (encoderFile != nullptr) {
    StoreShaderName(encoder_file_, encoderFile);
  }
  ReleasePixelShaders();

  const char* files[2] = {decoder_file_, encoder_file_};
  IDirect3DPixelShader9** shaders[2] = {&decoder_shader_, &encoder_shader_};
  for (int i = 0; i < 2; ++i) {
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* messages = nullptr;
    HRESULT hr = D3DXCompileShaderFromFileA(files[i], nullptr, nullptr, "main", "ps_3_0", 0, &code, &messages,
                                            nullptr);
    if (hr < 0) {
      WriteErrorLine("Error compiling pixel shader! hr=0x%x", static_cast<unsigned>(hr));
    } else {
      hr = device_->CreatePixelShader(static_cast<const DWORD*>(code->GetBufferPointer()), shaders[i]);
      if (hr < 0) {
        *shaders[i] = nullptr;
        WriteErrorLine("Error creating pixel shader: hr=0x%x\n", static_cast<unsigned>(hr));
      }
    }
    ReleaseAndClear(code);
    ReleaseAndClear(messages);
    if (hr < 0) {
      Shutdown();
      return 1;
    }
  }
  return 0;
}
