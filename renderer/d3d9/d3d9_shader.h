// Vertex and pixel shader objects: SPIR-V from D3DXCompileShader, translated to GLSL 4.10 and compiled
// into a GL shader object when created.
#pragma once

#include "renderer/d3d9/d3d9_object.h"
#include "renderer/hlsl/shader_translation.h"

class CTQD3DDevice;

// What both shader kinds carry.
struct D3D9ShaderCode {
  unsigned long long id = 0;
  unsigned glShader = 0;
  TranslatedShader translated;
  // Float registers the shader reads: the flattened array and every plain constant.
  UINT registersUsed = 0;
};

// Length in words of shader code that ends with D3DSIO_END; 0 when the code is not such a SPIR-V module.
size_t D3D9ShaderCodeWords(const DWORD* code);

// Translates and compiles; needs the device's context current.
HRESULT D3D9CompileShaderCode(const DWORD* code, bool pixelShader, D3D9ShaderCode* out);

class CTQD3DVertexShader final : public CTQD3DObject<IDirect3DVertexShader9> {
 public:
  static HRESULT Create(CTQD3DDevice* device, const DWORD* code, CTQD3DVertexShader** shader);
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  const D3D9ShaderCode& Code() const { return code_; }

 private:
  CTQD3DVertexShader() = default;
  ~CTQD3DVertexShader() override = default;
  void Destroy() override;
  CTQD3DDevice* device_ = nullptr;
  D3D9ShaderCode code_;
};

class CTQD3DPixelShader final : public CTQD3DObject<IDirect3DPixelShader9> {
 public:
  static HRESULT Create(CTQD3DDevice* device, const DWORD* code, CTQD3DPixelShader** shader);
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  const D3D9ShaderCode& Code() const { return code_; }

 private:
  CTQD3DPixelShader() = default;
  ~CTQD3DPixelShader() override = default;
  void Destroy() override;
  CTQD3DDevice* device_ = nullptr;
  D3D9ShaderCode code_;
};
