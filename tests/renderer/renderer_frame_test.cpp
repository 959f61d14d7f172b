// RenderFrame on an offscreen device: the constants each pass receives, the eye choice table for pass 2
// and the scaling of the eye images to the render size.
#include <gtest/gtest.h>

#include <string>

#include "settings/settings.h"
#include "tests/renderer/renderer_test_support.h"

namespace {

// Writes what pass 1 receives into the eye targets: left = (c0.x, c1.x * 255, c8.z) with c9.x in alpha,
// right = (c8.x, c8.y, c8.w * 255) with c9.y in alpha, all as 8-bit values.
const char kConstantProbeDecoder[] = R"(
float4 counter : register(c0);
float4 parity : register(c1);
float4 frame : register(c8);
float4 stereoWindow : register(c9);
void main(float2 uv : TEXCOORD0, out float4 left : COLOR0, out float4 right : COLOR1)
{
    left = float4(counter.x / 255.0, parity.x, frame.z / 255.0, stereoWindow.x);
    right = float4(frame.x / 255.0, frame.y / 255.0, frame.w, stereoWindow.y);
}
)";

// Writes what pass 2 receives into the back buffer: (c9.x, c9.y, c8.z) and the parity of c0.x / c1.x.
const char kConstantProbeEncoder[] = R"(
float4 counter : register(c0);
float4 parity : register(c1);
float4 frame : register(c8);
float4 stereoWindow : register(c9);
float4 main(float2 uv : TEXCOORD0) : COLOR0
{
    return float4(stereoWindow.x, stereoWindow.y, (counter.x + 100.0 * parity.x) / 255.0, 1.0);
}
)";

class RenderFrameTest : public RendererTest {
 protected:
  uint32_t LeftEye() { return EyeImage(0).At(0, 0); }
  uint32_t RightEye() { return EyeImage(1).At(0, 0); }
};

TEST_F(RenderFrameTest, CounterAndParityReachBothPassesAndSeparationOnlyPassTwo) {
  const std::string decoder = WriteWorkFile("probe-decoder.hlsl", kConstantProbeDecoder);
  const std::string encoder = WriteWorkFile("probe-encoder.hlsl", kConstantProbeEncoder);
  ASSERT_EQ(0, renderer_.Initialize(nullptr, 32, 16, decoder.c_str(), encoder.c_str(), 0));
  UploadPicture(renderer_, Picture(64, 24));

  // Before the first upload: counter 0, parity 0; the content size is the source's.
  ASSERT_EQ(0, renderer_.RenderFrame());
  EXPECT_EQ(Rgb(64, 24, 0), RightEye() | 0xFF000000u);
  EXPECT_EQ(0u, LeftEye() & 0x00FFFFFFu);

  g_settings.proscenium = 0.2f;
  g_settings.separation = 0.6f;
  renderer_.IncrementFrameCount();
  ASSERT_EQ(0, renderer_.RenderFrame());
  uint32_t left = LeftEye();
  EXPECT_EQ(1u, Red(left));           // c0.x
  EXPECT_EQ(255u, Green(left));       // c1.x
  EXPECT_EQ(1u, Blue(left));          // c8.z
  EXPECT_EQ(255u, Blue(RightEye()));  // c8.w
  // Pass 2 has this frame's window and separation; pass 1 still the previous frame's (0, 0).
  EXPECT_EQ(0u, left >> 24);
  EXPECT_EQ(0u, RightEye() >> 24);
  uint32_t screen = Screen().At(5, 5);
  EXPECT_NEAR(51.0, Red(screen), 1.0);
  EXPECT_NEAR(153.0, Green(screen), 1.0);
  EXPECT_EQ(101u, Blue(screen));

  // The next frame's decoder finds what the previous pass 2 left in c9.
  renderer_.IncrementFrameCount();
  ASSERT_EQ(0, renderer_.RenderFrame());
  left = LeftEye();
  EXPECT_NEAR(51.0, left >> 24, 1.0);
  EXPECT_NEAR(153.0, RightEye() >> 24, 1.0);
  EXPECT_EQ(2u, Red(left));
  EXPECT_EQ(0u, Green(left));
  EXPECT_EQ(2u, Blue(Screen().At(0, 0)));

  // Opening another movie keeps counting: 2 uploads, then 3 more.
  UploadPicture(renderer_, Picture(40, 20));
  for (int i = 0; i < 3; ++i) renderer_.IncrementFrameCount();
  ASSERT_EQ(0, renderer_.RenderFrame());
  EXPECT_EQ(5u, renderer_.GetFrameCount());
  EXPECT_EQ(Rgb(5, 255, 5), LeftEye() | 0xFF000000u);
  EXPECT_EQ(Rgb(40, 20, 255), RightEye() | 0xFF000000u);
  EXPECT_EQ(105u, Blue(Screen().At(31, 15)));
}

// The eye images for pass 2 by show_channel and invert_channels, seen through the side-by-side encoder:
// its left half shows sampler s0, its right half sampler s1.
TEST_F(RenderFrameTest, EyeChoiceTable) {
  ASSERT_EQ(0, renderer_.Initialize(nullptr, 32, 8, ShippedShader("decoders/side-by-side-left-first.hlsl").c_str(),
                                    ShippedShader("encoders/side-by-side-half.hlsl").c_str(), 0));
  const uint32_t kLeft = Rgb(220, 30, 30);
  const uint32_t kRight = Rgb(30, 30, 220);
  UploadPicture(renderer_, MakePicture(32, 8, [&](uint32_t x, uint32_t) { return x < 16 ? kLeft : kRight; }));

  struct Row {
    uint8_t showChannel;
    int32_t invert;
    uint32_t stage0, stage1;
  };
  const Row rows[] = {
      {CHANNEL_LEFT, 0, kLeft, kLeft},
      {CHANNEL_LEFT, 1, kRight, kRight},
      {CHANNEL_RIGHT, 0, kRight, kRight},
      {CHANNEL_RIGHT, 1, kLeft, kLeft},
      {CHANNEL_BOTH, 0, kLeft, kRight},
      {CHANNEL_BOTH, 1, kRight, kLeft},
      {7, 0, kLeft, kRight},
      {7, 1, kRight, kLeft},
  };
  for (const Row& row : rows) {
    g_settings.show_channel = row.showChannel;
    g_settings.invert_channels = row.invert;
    ASSERT_EQ(0, renderer_.RenderFrame());
    Picture screen = Screen();
    SCOPED_TRACE("show_channel " + std::to_string(row.showChannel) + ", invert " + std::to_string(row.invert));
    EXPECT_EQ(ColourText(row.stage0), ColourText(screen.At(4, 4)));
    EXPECT_EQ(ColourText(row.stage1), ColourText(screen.At(27, 4)));
  }
}

// The encoder draws into the render size, whatever the content size: the mono encoder repeats each eye
// pixel twice in each direction when the back buffer is twice the content size.
TEST_F(RenderFrameTest, EncoderScalesTheEyeImageToTheRenderSize) {
  ASSERT_EQ(0, renderer_.Initialize(nullptr, 32, 16, ShippedShader("decoders/mono.hlsl").c_str(),
                                    ShippedShader("encoders/mono.hlsl").c_str(), 0));
  const Picture source = MakePicture(16, 8,
                                     [](uint32_t x, uint32_t y) { return Rgb(10 + 15 * x, 20 + 25 * y, 99); });
  UploadPicture(renderer_, source);
  ASSERT_EQ(0, renderer_.RenderFrame());
  const Picture screen = Screen();
  ASSERT_EQ(32u, screen.width);
  ASSERT_EQ(16u, screen.height);
  EXPECT_EQ(0, CountMismatches(
                   screen, [&](uint32_t x, uint32_t y) { return source.At(x / 2, y / 2); }, 0, "screen"));
}

}  // namespace
