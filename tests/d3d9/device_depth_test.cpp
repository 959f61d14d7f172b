// The depth buffer: clears of all of it are held back until a draw tests depth, and must still be what
// that draw, a later partial clear, or a draw into a smaller target finds.
#include "tests/d3d9/device_test_support.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;

// Writes the colour in c0.
const char* kColourShader = R"(
float4 colour : register(c0);
float4 main(float2 uv : TEXCOORD0) : COLOR0 { return colour; }
)";

class DepthTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    colour_ = Owned(CompilePixelShader(kColourShader));
    ASSERT_NE(colour_, nullptr);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  }

  // The full-target quad at depth z, in `colour`, with depth testing as given.
  void DrawAt(IDirect3DSurface9* target, float z, uint32_t colour, BOOL depthTest) {
    const QuadVertex quad[4] = {{-1, 1, z, 0, 0}, {1, 1, z, 1, 0}, {-1, -1, z, 0, 1}, {1, -1, z, 1, 1}};
    const float rgba[4] = {((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                           (colour & 0xFF) / 255.0f, 1.0f};
    device_->BeginScene();
    device_->SetRenderTarget(0, target);
    device_->SetRenderState(D3DRS_ZENABLE, depthTest);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, depthTest);
    device_->SetVertexShader(vertex_shader_);
    device_->SetPixelShader(colour_);
    device_->SetPixelShaderConstantF(0, rgba, 1);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(QuadVertex)), D3D_OK);
    device_->EndScene();
  }

  // Writes z into all of the depth buffer by drawing, so that a clear that went missing would show.
  void FillDepthByDrawing(float z) {
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    DrawAt(back_buffer_, z, kBlue, TRUE);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  }

  void ClearDepth(float z, DWORD count = 0, const D3DRECT* rects = nullptr) {
    ASSERT_EQ(device_->Clear(count, rects, D3DCLEAR_ZBUFFER, 0, z, 0), D3D_OK);
  }

  void ClearAll(uint32_t colour, float z) {
    device_->SetRenderTarget(0, back_buffer_);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, z, 0), D3D_OK);
  }

  std::vector<uint32_t> Expect(uint32_t left, uint32_t right, UINT width, UINT height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i % width) < width / 2 ? left : right;
    return pixels;
  }

  IDirect3DPixelShader9* colour_ = nullptr;
};

TEST_F(DepthTest, ADepthTestedDrawFindsTheLastWholeClear) {
  ClearAll(kRed, 0.25f);
  DrawAt(back_buffer_, 0.5f, kGreen, TRUE);  // behind 0.25: hidden
  EXPECT_TRUE(SamePixels(ReadTarget(back_buffer_), Expect(kRed, kRed, kBackWidth, kBackHeight), kBackWidth));

  ClearDepth(0.25f);
  ClearDepth(1.0f);  // replaces the one before
  DrawAt(back_buffer_, 0.5f, kGreen, TRUE);
  EXPECT_TRUE(SamePixels(ReadTarget(back_buffer_), Expect(kGreen, kGreen, kBackWidth, kBackHeight), kBackWidth));

  // The draw wrote its depth: one further back stays hidden, one in front shows.
  DrawAt(back_buffer_, 0.75f, kBlue, TRUE);
  EXPECT_TRUE(SamePixels(ReadTarget(back_buffer_), Expect(kGreen, kGreen, kBackWidth, kBackHeight), kBackWidth));
  DrawAt(back_buffer_, 0.25f, kBlue, TRUE);
  EXPECT_TRUE(SamePixels(ReadTarget(back_buffer_), Expect(kBlue, kBlue, kBackWidth, kBackHeight), kBackWidth));
}

TEST_F(DepthTest, DrawsWithoutDepthTestingNeitherUseNorLoseAHeldBackClear) {
  FillDepthByDrawing(0.0f);
  ClearAll(kRed, 1.0f);
  DrawAt(back_buffer_, 0.9f, kGreen, FALSE);
  // Frames in between that never test depth, as the stereo pipeline's.
  device_->Present(nullptr, nullptr, nullptr, nullptr);
  DrawAt(back_buffer_, 0.9f, kGreen, FALSE);
  DrawAt(back_buffer_, 0.5f, kBlue, TRUE);  // in front of 1.0
  EXPECT_TRUE(SamePixels(ReadTarget(back_buffer_), Expect(kBlue, kBlue, kBackWidth, kBackHeight), kBackWidth));
}

TEST_F(DepthTest, APartialClearAppliesOverAHeldBackWholeClear) {
  FillDepthByDrawing(0.0f);
  ClearAll(kRed, 1.0f);
  const D3DRECT left = {0, 0, static_cast<LONG>(kBackWidth / 2), static_cast<LONG>(kBackHeight)};
  ClearDepth(0.25f, 1, &left);
  DrawAt(back_buffer_, 0.5f, kGreen, TRUE);
  EXPECT_TRUE(SamePixels(ReadTarget(back_buffer_), Expect(kRed, kGreen, kBackWidth, kBackHeight), kBackWidth));
}

TEST_F(DepthTest, ASmallerTargetSharesTheDepthBuffer) {
  IDirect3DSurface9* surface = MakeTargetSurface(kBackWidth / 2, kBackHeight / 2);
  ASSERT_NE(surface, nullptr);
  const UINT width = kBackWidth / 2, height = kBackHeight / 2;

  FillDepthByDrawing(0.0f);
  ClearAll(kRed, 1.0f);  // all of the depth buffer, through the back buffer
  device_->SetRenderTarget(0, surface);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3D_OK);
  DrawAt(surface, 0.5f, kGreen, TRUE);
  EXPECT_TRUE(SamePixels(ReadTarget(surface), Expect(kGreen, kGreen, width, height), width));

  // A clear through the smaller target reaches its part of the depth buffer only.
  device_->SetRenderTarget(0, surface);
  ClearDepth(0.25f);
  DrawAt(surface, 0.5f, kBlue, TRUE);
  EXPECT_TRUE(SamePixels(ReadTarget(surface), Expect(kGreen, kGreen, width, height), width));
  DrawAt(back_buffer_, 0.75f, kBlue, TRUE);
  std::vector<uint32_t> back = ReadTarget(back_buffer_);
  EXPECT_EQ(kRed, back[0]);                 // the small target's part: 0.25
  EXPECT_EQ(kBlue, back[back.size() - 1]);  // outside it: 1.0
}

}  // namespace
