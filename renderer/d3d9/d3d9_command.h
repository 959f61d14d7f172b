// Commands of one frame, recorded with a copy of the state they need and executed later (at Present, or
// earlier when something must see their result). Recording first lets Present recognise a frame that is
// the same as the one before and skip drawing it again.
#pragma once

#include <vector>

#include "renderer/d3d9/d3d9.h"

class CTQD3DTexture;
class CTQD3DVertexShader;
class CTQD3DPixelShader;

// Render states that the layer carries out.
struct D3D9RenderStates {
  DWORD zEnable;
  DWORD zWriteEnable;
  DWORD zFunc;
  DWORD cullMode;
  DWORD alphaBlendEnable;
  DWORD srcBlend;
  DWORD destBlend;
  DWORD blendOp;
  DWORD colorWriteEnable;
  DWORD scissorTestEnable;
};

// Sampler states that the layer carries out, per stage.
struct D3D9SamplerStates {
  DWORD addressU;
  DWORD addressV;
  DWORD borderColor;
  DWORD magFilter;
  DWORD minFilter;
  DWORD mipFilter;
};

struct D3D9Command {
  enum Kind { kClear, kDraw } kind = kClear;
  CTQD3DTexture* targets[2] = {nullptr, nullptr};  // each holds a reference

  // kClear
  DWORD clearFlags = 0;
  D3DCOLOR clearColor = 0;
  float clearZ = 1.0f;
  DWORD clearStencil = 0;
  std::vector<D3DRECT> clearRects;

  // kDraw
  CTQD3DVertexShader* vertexShader = nullptr;      // holds a reference
  CTQD3DPixelShader* pixelShader = nullptr;        // holds a reference
  CTQD3DTexture* textures[D3D_MAX_SAMPLERS] = {};  // units the pixel shader samples; each holds a reference
  D3D9SamplerStates samplers[D3D_MAX_SAMPLERS] = {};
  D3D9RenderStates renderStates = {};
  std::vector<float> vertexConstants;  // registers c0.. the vertex shader reads
  std::vector<float> pixelConstants;
  DWORD fvf = 0;
  D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLELIST;
  UINT vertexCount = 0;
  UINT stride = 0;
  std::vector<BYTE> vertices;
};

// Bytes of one vertex of a flexible vertex format this layer can feed; 0 when it cannot.
UINT D3D9FvfVertexSize(DWORD fvf);
