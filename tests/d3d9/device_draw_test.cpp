// Drawing through the device the way the stereo pipeline does: HLSL compiled by D3DXCompileShader, a
// decoder pass into two render targets and an encoder pass into the back buffer, read back as pixels.
#include "tests/d3d9/device_test_support.h"

namespace {

uint32_t Checker(UINT x, UINT y) { return ((x + y) & 1) ? 0xFF000000u : 0xFFFFFFFFu; }

// Every texel distinct, so that an offset or a flip of one texel shows.
uint32_t Distinct(UINT x, UINT y) { return 0xFF000000u | (x * 16u) << 16 | (y * 16u) << 8 | ((x ^ y) & 0xFFu); }

}  // namespace

TEST_F(DeviceTest, ConstantsPersistAcrossDrawsAndShaderChanges) {
  // c9 is set before the first draw only; the second draw, with another shader, still reads it.
  IDirect3DPixelShader9* first = CompilePixelShader(R"(
float4 c9v : register(c9);
float4 main(float2 uv : TEXCOORD0) : COLOR0 { return c9v / 255.0; })");
  IDirect3DPixelShader9* second = CompilePixelShader(R"(
float4 c8v : register(c8);
float4 c9v : register(c9);
float4 main(float2 uv : TEXCOORD0) : COLOR0 { return float4(c9v.x, c8v.x, c9v.y, 255.0) / 255.0; })");
  ASSERT_NE(Owned(first), nullptr);
  ASSERT_NE(Owned(second), nullptr);
  IDirect3DSurface9* surface = MakeTargetSurface(4, 4);

  const float c9[4] = {10, 20, 30, 40};
  const float c8[4] = {50, 0, 0, 0};
  device_->BeginScene();
  device_->SetRenderTarget(0, surface);
  device_->SetVertexShader(vertex_shader_);
  device_->SetPixelShaderConstantF(9, c9, 1);
  device_->SetPixelShader(first);
  DrawQuad();
  EXPECT_EQ(ReadTarget(surface)[0], 0x280A141Eu);

  device_->SetPixelShaderConstantF(8, c8, 1);
  device_->SetPixelShader(second);
  DrawQuad();
  device_->EndScene();
  EXPECT_EQ(ReadTarget(surface)[5], 0xFF0A3214u);

  float readBack[4] = {};
  device_->GetPixelShaderConstantF(9, readBack, 1);
  EXPECT_EQ(readBack[3], 40.0f);
  EXPECT_EQ(device_->SetPixelShaderConstantF(223, c9, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetVertexShaderConstantF(255, c9, 1), D3D_OK);
}

TEST_F(DeviceTest, TopLeftTexelStaysTopLeftThroughEveryPathWithPointSampling) {
  // Source texture -> render target -> back buffer -> window, each a texel-for-texel copy: a 1-pixel
  // checkerboard and distinct texels survive only when orientation and sampling are exact.
  IDirect3DPixelShader9* copy = Owned(CompilePixelShader(kCopyPixelShader));
  ASSERT_NE(copy, nullptr);
  for (auto pattern : {&Checker, &Distinct}) {
    IDirect3DTexture9* middle = nullptr;
    IDirect3DSurface9* middleSurface = MakeTargetSurface(kBackWidth, kBackHeight, &middle);
    DrawTextureInto(middleSurface, copy, Owned(MakeTexture(kBackWidth, kBackHeight, pattern)));
    DrawTextureInto(back_buffer_, copy, middle);
    device_->SetTexture(0, nullptr);

    const std::vector<uint32_t> expected = PixelsOf(kBackWidth, kBackHeight, pattern);
    EXPECT_TRUE(SamePixels(ReadTarget(middleSurface), expected, kBackWidth));
    std::vector<uint32_t> back = ReadTarget(back_buffer_);
    for (uint32_t& pixel : back) pixel |= 0xFF000000u;  // the back buffer is X8R8G8B8
    EXPECT_TRUE(SamePixels(back, expected, kBackWidth));
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_TRUE(SamePixels(ReadFront(), expected, kBackWidth));
  }
}

TEST_F(DeviceTest, PresentFillsExactlyTheDestinationRectangle) {
  DrawTextureInto(back_buffer_, Owned(CompilePixelShader(kCopyPixelShader)),
                  Owned(MakeTexture(4, 4, [](UINT, UINT) { return 0xFF20C040u; })));
  const RECT dest = {8, 4, 40, 36};
  ASSERT_EQ(device_->Present(nullptr, &dest, nullptr, nullptr), D3D_OK);
  EXPECT_TRUE(SamePixels(ReadFront(),
                         PixelsOf(kBackWidth, kBackHeight,
                                  [&](LONG x, LONG y) {
                                    const bool inside = x >= dest.left && x < dest.right && y >= dest.top &&
                                                        y < dest.bottom;
                                    return inside ? 0xFF20C040u : 0xFF000000u;
                                  }),
                         kBackWidth));
}
