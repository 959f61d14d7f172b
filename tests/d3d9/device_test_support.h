// A device without a window (it presents into an offscreen picture of the back buffer's size), with
// shaders compiled from HLSL through D3DXCompileShader, as the renderer does it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "renderer/d3d9/d3dx9.h"

// The renderer's vertex shader: clip-space positions through the matrix in c4..c7, TEXCOORD0 unchanged.
inline const char* kQuadVertexShader = R"(
float4x4 modelViewProj : register(c4);
struct VS_INPUT { float4 inPosition : POSITION; float2 inTexCoord : TEXCOORD0; };
struct VS_OUTPUT { float4 outPosition : POSITION; float2 outTexCoord0 : TEXCOORD0; };
VS_OUTPUT main(VS_INPUT input) {
  VS_OUTPUT output;
  output.outPosition = mul(modelViewProj, input.inPosition);
  output.outTexCoord0 = input.inTexCoord;
  return output;
}
)";

// Copies sampler s0 to COLOR0.
inline const char* kCopyPixelShader = R"(
sampler2D source : register(s0);
float4 main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(source, uv); }
)";

struct QuadVertex {
  float x, y, z, u, v;
};
inline const QuadVertex kQuad[4] = {
    {-1.0f, 1.0f, 0.0f, 0.0f, 0.0f},
    {1.0f, 1.0f, 0.0f, 1.0f, 0.0f},
    {-1.0f, -1.0f, 0.0f, 0.0f, 1.0f},
    {1.0f, -1.0f, 0.0f, 1.0f, 1.0f},
};

// Equal pixel lists, or where the first difference is.
inline ::testing::AssertionResult SamePixels(const std::vector<uint32_t>& actual,
                                             const std::vector<uint32_t>& expected, UINT width) {
  if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "sizes differ";
  for (size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] != expected[i]) {
      char text[96];
      snprintf(text, sizeof(text), "at %u,%u: 0x%08x instead of 0x%08x", static_cast<unsigned>(i % width),
               static_cast<unsigned>(i / width), actual[i], expected[i]);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

// pixel(x, y) for every pixel of a width x height picture, top row first.
inline std::vector<uint32_t> PixelsOf(UINT width, UINT height, const std::function<uint32_t(UINT, UINT)>& pixel) {
  std::vector<uint32_t> pixels;
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) pixels.push_back(pixel(x, y));
  }
  return pixels;
}

// The pixels of a lockable surface as 0xAARRGGBB, top row first.
inline std::vector<uint32_t> ReadSurfacePixels(IDirect3DSurface9* surface, UINT width, UINT height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  D3DLOCKED_RECT locked = {};
  EXPECT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  for (UINT y = 0; y < height; ++y) {
    memcpy(&pixels[static_cast<size_t>(y) * width], static_cast<BYTE*>(locked.pBits) + y * locked.Pitch,
           width * 4);
  }
  surface->UnlockRect();
  return pixels;
}

// The code of a compile, or none when it failed (its messages then make the test fail).
inline std::vector<DWORD> CodeOfCompile(HRESULT hr, ID3DXBuffer* code, ID3DXBuffer* messages) {
  if (messages) {
    if (FAILED(hr)) ADD_FAILURE() << static_cast<const char*>(messages->GetBufferPointer());
    messages->Release();
  }
  std::vector<DWORD> words;
  if (SUCCEEDED(hr) && code) {
    const DWORD* begin = static_cast<const DWORD*>(code->GetBufferPointer());
    words.assign(begin, begin + code->GetBufferSize() / sizeof(DWORD));
  }
  if (code) code->Release();
  return words;
}

// The code of HLSL source text compiled for `profile` by D3DXCompileShader.
inline std::vector<DWORD> ShaderCode(const char* source, const char* profile) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* messages = nullptr;
  const HRESULT hr = D3DXCompileShader(source, static_cast<UINT>(strlen(source)), nullptr, nullptr, "main",
                                       profile, 0, &code, &messages, nullptr);
  return CodeOfCompile(hr, code, messages);
}

class DeviceTest : public ::testing::Test {
 protected:
  static constexpr UINT kBackWidth = 64;
  static constexpr UINT kBackHeight = 48;

  void SetUp() override {
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = kBackWidth;
    parameters.BackBufferHeight = kBackHeight;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                 D3DCREATE_MULTITHREADED | D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                 &device_),
              D3D_OK);
    ASSERT_EQ(device_->GetRenderTarget(0, &back_buffer_), D3D_OK);
    const std::vector<DWORD> vertexCode = ShaderCode(kQuadVertexShader, "vs_3_0");
    ASSERT_FALSE(vertexCode.empty());
    ASSERT_EQ(device_->CreateVertexShader(vertexCode.data(), &vertex_shader_), D3D_OK);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    device_->SetVertexShaderConstantF(4, identity, 4);
    device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    for (DWORD s = 0; s < 2; ++s) {
      device_->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
      device_->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    }
  }

  void TearDown() override {
    if (device_) {
      for (DWORD stage = 0; stage < 16; ++stage) device_->SetTexture(stage, nullptr);
      device_->SetRenderTarget(0, back_buffer_);
      device_->SetRenderTarget(1, nullptr);
      device_->SetPixelShader(nullptr);
    }
    for (auto object = owned_.rbegin(); object != owned_.rend(); ++object) (*object)->Release();
    // Released in this order, each must be free of references.
    for (IUnknown* object : std::initializer_list<IUnknown*>{vertex_shader_, back_buffer_, device_, d3d_}) {
      EXPECT_TRUE(object == nullptr || object->Release() == 0u);
    }
  }

  // `object`, released at the end of the test once nothing is bound to the device any more.
  template <typename T>
  T* Owned(T* object) {
    if (object) owned_.push_back(object);
    return object;
  }

  IDirect3DPixelShader9* CompilePixelShader(const char* source) {
    return CreatePixelShader(ShaderCode(source, "ps_3_0"));
  }

  IDirect3DPixelShader9* CreatePixelShader(const std::vector<DWORD>& code) {
    IDirect3DPixelShader9* shader = nullptr;
    if (!code.empty()) {
      EXPECT_EQ(device_->CreatePixelShader(code.data(), &shader), D3D_OK);
    }
    return shader;
  }

  // A dynamic A8R8G8B8 texture filled with pixel(x, y) as 0xAARRGGBB.
  IDirect3DTexture9* MakeTexture(UINT width, UINT height, const std::function<uint32_t(UINT, UINT)>& pixel) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(width, height, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                     &texture, nullptr),
              D3D_OK);
    if (!texture) return nullptr;
    Fill(texture, width, height, pixel);
    return texture;
  }

  void Fill(IDirect3DTexture9* texture, UINT width, UINT height,
            const std::function<uint32_t(UINT, UINT)>& pixel) {
    D3DLOCKED_RECT locked = {};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < height; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < width; ++x) row[x] = pixel(x, y);
    }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  }

  IDirect3DTexture9* MakeTarget(UINT width, UINT height) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device_->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                     &texture, nullptr),
              D3D_OK);
    return texture;
  }

  // The surface of a new render target texture; both are owned by the test (see Owned).
  IDirect3DSurface9* MakeTargetSurface(UINT width, UINT height, IDirect3DTexture9** texture = nullptr) {
    IDirect3DTexture9* target = Owned(MakeTarget(width, height));
    IDirect3DSurface9* surface = nullptr;
    if (target) target->GetSurfaceLevel(0, &surface);
    if (texture) *texture = target;
    return Owned(surface);
  }

  // The pixels of a render target or, with none, what the (offscreen) window shows: 0xAARRGGBB, top row first.
  std::vector<uint32_t> ReadTarget(IDirect3DSurface9* target) {
    D3DSURFACE_DESC desc = {};
    desc.Width = kBackWidth;
    desc.Height = kBackHeight;
    desc.Format = D3DFMT_A8R8G8B8;
    if (target) target->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    EXPECT_EQ(device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy,
                                                   nullptr),
              D3D_OK);
    std::vector<uint32_t> pixels;
    if (!copy) return pixels;
    EXPECT_EQ(target ? device_->GetRenderTargetData(target, copy) : device_->GetFrontBufferData(0, copy), D3D_OK);
    pixels = ReadSurfacePixels(copy, desc.Width, desc.Height);
    copy->Release();
    return pixels;
  }
  std::vector<uint32_t> ReadFront() { return ReadTarget(nullptr); }

  void DrawQuad() {
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, kQuad, sizeof(QuadVertex)), D3D_OK);
  }

  // One scene that draws `texture` through `pixelShader` over the whole of `target`.
  void DrawTextureInto(IDirect3DSurface9* target, IDirect3DPixelShader9* pixelShader, IDirect3DTexture9* texture) {
    device_->BeginScene();
    device_->SetRenderTarget(0, target);
    device_->SetVertexShader(vertex_shader_);
    device_->SetPixelShader(pixelShader);
    device_->SetTexture(0, texture);
    DrawQuad();
    device_->EndScene();
  }

  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  IDirect3DSurface9* back_buffer_ = nullptr;
  IDirect3DVertexShader9* vertex_shader_ = nullptr;
  std::vector<IUnknown*> owned_;
};
