// Vertex and pixel shader objects: the GLSL 4.10 that D3DXCompileShader's code carries, compiled into a GL
// shader object when created.
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

// Unpacks the translated shader and compiles it; needs the device's context current.
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
