// Frames that repeat the previous one are not drawn again; any change makes the next frame drawn.
#include "renderer/d3d9/d3d9_device.h"
#include "renderer/d3d9/d3d9_frame_repeat.h"
#include "tests/d3d9/device_test_support.h"

namespace {

D3D9Command ClearTo(D3DCOLOR color) {
  D3D9Command clear;
  clear.clearFlags = D3DCLEAR_TARGET;
  clear.clearColor = color;
  return clear;
}

// Records the clears as one frame; whether it repeats the frame before. The frame is then ended.
bool RecordFrame(CTQD3DFrameRepeat& frames, std::initializer_list<D3DCOLOR> colors, bool executeEarly = false) {
  for (D3DCOLOR color : colors) frames.Record(ClearTo(color));
  if (executeEarly) frames.MarkExecuted();
  const bool repeats = frames.RepeatsPrevious();
  frames.EndFrame(repeats);
  return repeats;
}

}  // namespace

TEST(FrameRepeat, OnlyAFrameEqualToThePreviousOneInEveryCommandAndOrderRepeats) {
  CTQD3DFrameRepeat frames;
  EXPECT_FALSE(RecordFrame(frames, {1, 2}));  // nothing to repeat yet
  EXPECT_TRUE(RecordFrame(frames, {1, 2}));
  EXPECT_FALSE(RecordFrame(frames, {2, 1}));     // the same commands in another order
  EXPECT_FALSE(RecordFrame(frames, {2, 1, 1}));  // one command more
  EXPECT_FALSE(RecordFrame(frames, {2, 1, 3}));  // one value changed
  EXPECT_TRUE(RecordFrame(frames, {2, 1, 3}));
  EXPECT_FALSE(RecordFrame(frames, {}));
  EXPECT_TRUE(RecordFrame(frames, {}));
  EXPECT_FALSE(RecordFrame(frames, {7}));

  // After a dropped frame the next one may repeat the frame before, unless the dropped one was partly drawn.
  frames.Record(ClearTo(8));
  frames.DropFrame();
  EXPECT_TRUE(RecordFrame(frames, {7}));
  frames.Record(ClearTo(8));
  frames.MarkExecuted();
  frames.DropFrame();
  EXPECT_FALSE(RecordFrame(frames, {7}));

  // A frame executed before Present is drawn, and the next one may repeat it.
  EXPECT_FALSE(RecordFrame(frames, {7}, true));
  EXPECT_TRUE(RecordFrame(frames, {7}));
  EXPECT_EQ(frames.SkippedFrames(), 5u);
}

class FrameTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    shader_ = CompilePixelShader(R"(
sampler2D source : register(s0);
float4 tint : register(c0);
float4 main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(source, uv) + tint; })");
    ASSERT_NE(Owned(shader_), nullptr);
    source_ = Owned(MakeTexture(4, 4, [](UINT, UINT) { return 0xFF102030u; }));
  }

  // One frame of the tinted source, presented into `destination` (all of the window when null).
  void Frame(float tint, const RECT* destination = nullptr) {
    const float constant[4] = {tint, 0, 0, 0};
    device_->BeginScene();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    device_->SetVertexShader(vertex_shader_);
    device_->SetPixelShader(shader_);
    device_->SetPixelShaderConstantF(0, constant, 1);
    device_->SetTexture(0, source_);
    DrawQuad();
    device_->EndScene();
    ASSERT_EQ(device_->Present(nullptr, destination, nullptr, nullptr), D3D_OK);
  }

  unsigned long long Skipped() { return static_cast<CTQD3DDevice*>(device_)->SkippedFrames(); }

  IDirect3DPixelShader9* shader_ = nullptr;
  IDirect3DTexture9* source_ = nullptr;
};

TEST_F(FrameTest, RepeatedFramesAreSkippedAndShowTheLastPicture) {
  Frame(0.0f);
  EXPECT_EQ(Skipped(), 0u);
  Frame(0.0f);
  Frame(0.0f);
  EXPECT_EQ(Skipped(), 2u);
  EXPECT_EQ(ReadFront()[0], 0xFF102030u);

  // A constant that changes: drawn.
  Frame(1.0f / 255.0f);
  EXPECT_EQ(Skipped(), 2u);
  EXPECT_EQ(ReadFront()[0], 0xFF112030u);

  // New texture contents, even with the same bytes written: drawn, and the picture follows.
  Fill(source_, 4, 4, [](UINT, UINT) { return 0xFF405060u; });
  Frame(1.0f / 255.0f);
  EXPECT_EQ(Skipped(), 2u);
  EXPECT_EQ(ReadFront()[0], 0xFF415060u);
  Frame(1.0f / 255.0f);
  EXPECT_EQ(Skipped(), 3u);
  EXPECT_EQ(ReadFront()[0], 0xFF415060u);
}

TEST_F(FrameTest, AFrameThatReadsRenderTargetsOfItsOwnIsStillRecognised) {
  // Pass 1 draws a target that pass 2 reads, as the stereo pipeline does every frame.
  IDirect3DTexture9* eye = nullptr;
  IDirect3DSurface9* eyeSurface = MakeTargetSurface(4, 4, &eye);
  for (int frame = 0; frame < 3; ++frame) {
    const float zero[4] = {0, 0, 0, 0};
    device_->BeginScene();
    device_->SetVertexShader(vertex_shader_);
    device_->SetPixelShader(shader_);
    device_->SetPixelShaderConstantF(0, zero, 1);
    device_->SetRenderTarget(0, eyeSurface);
    device_->SetTexture(0, source_);
    DrawQuad();
    device_->SetRenderTarget(0, back_buffer_);
    device_->SetTexture(0, eye);
    DrawQuad();
    device_->EndScene();
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    device_->SetTexture(0, nullptr);
  }
  EXPECT_EQ(Skipped(), 2u);
  EXPECT_EQ(ReadFront()[0], 0xFF102030u);
}

TEST_F(FrameTest, ADifferentDestinationIsPresentedAgainWithoutRedrawing) {
  Frame(0.0f);
  const RECT half = {0, 0, static_cast<LONG>(kBackWidth / 2), static_cast<LONG>(kBackHeight)};
  Frame(0.0f, &half);
  EXPECT_EQ(Skipped(), 1u);
  const std::vector<uint32_t> front = ReadFront();
  EXPECT_EQ(front[0], 0xFF102030u);
  EXPECT_EQ(front[kBackWidth - 1], 0xFF000000u);
}
