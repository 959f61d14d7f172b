// CTQRenderer life cycle and resources on an offscreen device: Initialize/Shutdown rules, shader loading
// failures, name storage, source textures and the lock used for movie uploads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <regex>
#include <string>

#include "renderer/shader_warmup.h"
#include "tests/renderer/renderer_test_support.h"

namespace {

const std::string kMonoDecoder = ShippedShader("decoders/mono.hlsl");
const std::string kMonoEncoder = ShippedShader("encoders/mono.hlsl");

class RendererLifecycle : public RendererTest {
 protected:
  int InitializeMono() {
    return renderer_.Initialize(nullptr, 64, 32, kMonoDecoder.c_str(), kMonoEncoder.c_str(), 0);
  }
  // The sizes the renderer keeps, as "content <w>x<h>, render <w>x<h>".
  std::string Sizes() {
    return "content " + std::to_string(renderer_.GetContentWidth()) + "x" +
           std::to_string(renderer_.GetContentHeight()) + ", render " +
           std::to_string(renderer_.GetRenderWidth()) + "x" + std::to_string(renderer_.GetRenderHeight());
  }
  // The colour the back buffer shows at (3, 3), opaque.
  uint32_t ScreenColour() { return Screen().At(3, 3) | 0xFF000000u; }
};

// A surface's size as "<w>x<h>", or "none".
std::string SurfaceSize(IDirect3DSurface9* surface) {
  D3DSURFACE_DESC desc = {};
  if (surface == nullptr || surface->GetDesc(&desc) < 0) return "none";
  return std::to_string(desc.Width) + "x" + std::to_string(desc.Height);
}

// Writes an encoder that paints everything in the colour `rgba` (HLSL components, "1, 0, 0, 1").
std::string WriteSolidEncoder(const std::string& name, const std::string& rgba) {
  return WriteWorkFile(name, "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return float4(" + rgba + "); }\n");
}

const char kCompileError[] = R"(\[TQ\] Error: Error compiling pixel shader! hr=0x8[0-9a-f]{7})";

// Runs `call` with standard output captured: it must fail (1) and print exactly one line, matching `line`.
void ExpectFailureWithOneLine(const std::function<int()>& call, const std::string& line) {
  StartCapture();
  const int result = call();
  const std::vector<std::string> lines = StopCapture();
  EXPECT_EQ(1, result);
  ASSERT_EQ(1u, lines.size());
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(line))) << lines[0];
}

TEST_F(RendererLifecycle, InitializeOnceThenRefusesAndShutdownKeepsSizesAndNames) {
  ASSERT_EQ(0, InitializeMono());
  EXPECT_TRUE(renderer_.IsInitialized());
  // First start: no source yet, so no eye targets and a content size of 0 x 0.
  EXPECT_EQ("content 0x0, render 64x32", Sizes());
  EXPECT_EQ(nullptr, renderer_.GetEyeSurface(0));
  EXPECT_EQ(nullptr, renderer_.GetEyeSurface(1));
  EXPECT_EQ(0, renderer_.CreateEyeTargets(0, 0));
  EXPECT_EQ(0, renderer_.RenderFrame());

  IDirect3DDevice9* device = renderer_.GetDevice();
  EXPECT_EQ(1, renderer_.Initialize(nullptr, 320, 240, "other.hlsl", "other.hlsl", 1));
  EXPECT_EQ(device, renderer_.GetDevice());
  EXPECT_EQ(64u, renderer_.GetRenderWidth());
  EXPECT_EQ(kMonoDecoder, renderer_.GetDecoderFile());

  UploadPicture(renderer_, Picture(16, 8));
  renderer_.IncrementFrameCount();
  EXPECT_EQ(0, renderer_.Shutdown());
  EXPECT_EQ(0, renderer_.Shutdown());
  EXPECT_FALSE(renderer_.IsInitialized());
  EXPECT_EQ(nullptr, renderer_.GetDevice());
  EXPECT_EQ(0u, renderer_.GetFrameCount());
  EXPECT_EQ("content 16x8, render 64x32", Sizes());
  EXPECT_EQ(kMonoEncoder, renderer_.GetEncoderFile());

  // Everything refuses on a shut-down renderer, without touching a device.
  EXPECT_EQ(1, renderer_.RenderFrame());
  EXPECT_EQ(1, renderer_.LoadShaders(nullptr, nullptr));
  EXPECT_EQ(1, renderer_.CreateSourceTexture(16, 8));
  EXPECT_EQ(1, renderer_.LoadImageTexture("missing.png"));
  EXPECT_EQ(1, renderer_.UnlockSource());

  // A new Initialize starts from the stored sizes and names: zeros and nulls keep them, and the content
  // size that survived brings the eye targets back at once.
  ASSERT_EQ(0, renderer_.Initialize(nullptr, 0, 0, nullptr, nullptr, 0));
  EXPECT_EQ("content 16x8, render 64x32", Sizes());
  EXPECT_EQ("64x32", SurfaceSize(renderer_.GetBackBufferSurface()));
  EXPECT_EQ("16x8", SurfaceSize(renderer_.GetEyeSurface(0)));
  EXPECT_EQ("16x8", SurfaceSize(renderer_.GetEyeSurface(1)));
}

TEST_F(RendererLifecycle, MissingOrBrokenShaderWritesOneLineAndShutsDown) {
  // A missing decoder file, or none named, fails Initialize with one line of its own.
  const std::string missing = WorkPath("no-such-shader.hlsl");
  for (const char* decoder : {missing.c_str(), static_cast<const char*>(nullptr)}) {
    ExpectFailureWithOneLine(
        [&] { return renderer_.Initialize(nullptr, 64, 32, decoder, kMonoEncoder.c_str(), 0); }, kCompileError);
    EXPECT_FALSE(renderer_.IsInitialized());
  }

  // An encoder with a syntax error, loaded into a running renderer: the decoder compiles, the encoder
  // does not, and the renderer is shut down for good.
  ASSERT_EQ(0, InitializeMono());
  UploadPicture(renderer_, Picture(16, 8));
  const std::string broken = WriteWorkFile("broken.hlsl",
                                           "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return }\n");
  ExpectFailureWithOneLine([&] { return renderer_.LoadShaders(kMonoDecoder.c_str(), broken.c_str()); },
                           kCompileError);
  EXPECT_FALSE(renderer_.IsInitialized());
  EXPECT_EQ(nullptr, renderer_.GetDevice());
  EXPECT_EQ(nullptr, renderer_.GetEyeSurface(0));
  EXPECT_EQ(broken, renderer_.GetEncoderFile());
  StartCapture();
  EXPECT_EQ(1, renderer_.RenderFrame());
  EXPECT_EQ(1, renderer_.LoadShaders(kMonoDecoder.c_str(), kMonoEncoder.c_str()));
  EXPECT_TRUE(StopCapture().empty());
  // The names given to a refused call are not taken.
  EXPECT_EQ(broken, renderer_.GetEncoderFile());
}

TEST_F(RendererLifecycle, RegistersAShaderCannotHaveFailItsCompileNotTheDevice) {
  // Two constants on one register: the compiler refuses the file, so the one line is the compile error.
  const std::string overlap = WriteWorkFile("overlap.hlsl",
                                            "float4 a : register(c3); float4 b : register(c3);\n"
                                            "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return a + b; }\n");
  ExpectFailureWithOneLine(
      [&] { return renderer_.Initialize(nullptr, 64, 32, kMonoDecoder.c_str(), overlap.c_str(), 0); },
      R"(\[TQ\] Error: Error compiling pixel shader! hr=0x80004005)");
}

// A warm-up that met the same errors says nothing: the renderer's own compiles report them as before,
// and a file edited after the warm-up compiled it, or after the renderer did, is compiled as it now stands.
TEST_F(RendererLifecycle, ShaderWarmUpIsSilentAndChangesNoResult) {
  const std::string missing = WorkPath("warm-up-missing.hlsl");
  StartCapture();
  StartShaderWarmUp(missing.c_str(), kMonoEncoder.c_str());
  FinishShaderWarmUp();
  FinishShaderWarmUp();
  EXPECT_TRUE(StopCapture().empty());
  ExpectFailureWithOneLine(
      [&] { return renderer_.Initialize(nullptr, 64, 32, missing.c_str(), kMonoEncoder.c_str(), 0); },
      kCompileError);

  const std::string encoder = WriteSolidEncoder("warm-up-edited.hlsl", "1, 0, 0, 1");
  StartShaderWarmUp(kMonoDecoder.c_str(), encoder.c_str());
  FinishShaderWarmUp();
  WriteSolidEncoder("warm-up-edited.hlsl", "0, 0, 1, 1");
  // Started again and not waited for: Initialize takes what it finished, or waits for it.
  StartShaderWarmUp(kMonoDecoder.c_str(), encoder.c_str());
  ASSERT_EQ(0, renderer_.Initialize(nullptr, 8, 8, kMonoDecoder.c_str(), encoder.c_str(), 0));
  UploadPicture(renderer_, Picture(8, 8));
  ASSERT_EQ(0, renderer_.RenderFrame());
  EXPECT_EQ(Rgb(0, 0, 255), ScreenColour());

  // Null names recompile the stored files as they now stand on disk.
  WriteSolidEncoder("warm-up-edited.hlsl", "1, 0, 0, 1");
  ASSERT_EQ(0, renderer_.LoadShaders(nullptr, nullptr));
  ASSERT_EQ(0, renderer_.RenderFrame());
  EXPECT_EQ(Rgb(255, 0, 0), ScreenColour());
}

TEST_F(RendererLifecycle, LongShaderNamesAreCutTo159BytesAndTheCutNameIsCompiled) {
  // A shader file whose path is exactly 159 bytes long; asking for that path plus more loads it.
  std::string dir = WorkPath("");
  std::string stem(kShaderNameMax - dir.size(), 'n');
  ASSERT_GT(stem.size(), 10u);
  std::string exact = WriteSolidEncoder(stem, "1, 1, 1, 1");
  ASSERT_EQ(kShaderNameMax, exact.size());
  std::string longer = exact + std::string(200 - exact.size(), 'x');

  ASSERT_EQ(0, InitializeMono());
  EXPECT_EQ(0, renderer_.LoadShaders(longer.c_str(), exact.c_str()));
  EXPECT_TRUE(renderer_.IsInitialized());
  EXPECT_EQ(exact, renderer_.GetDecoderFile());
  EXPECT_EQ(exact, renderer_.GetEncoderFile());

  // Handing the stored names back in keeps them.
  EXPECT_EQ(0, renderer_.LoadShaders(renderer_.GetDecoderFile(), renderer_.GetEncoderFile()));
  EXPECT_EQ(exact, renderer_.GetDecoderFile());
}

TEST_F(RendererLifecycle, SourceTextureFailuresKeepTheRendererRunning) {
  ASSERT_EQ(0, InitializeMono());
  UploadPicture(renderer_, Picture(48, 24));

  ExpectFailureWithOneLine([&] { return renderer_.CreateSourceTexture(0, 0); },
                           R"(\[TQ\] Error: Error creating source texture: hr=0x8[0-9a-f]{7})");
  EXPECT_TRUE(renderer_.IsInitialized());
  // No source texture any more, but the previous eye targets stay.
  uint8_t* bits = nullptr;
  int32_t pitch = 0;
  EXPECT_EQ(1, renderer_.LockSource(&bits, &pitch));
  EXPECT_EQ(48u, renderer_.GetContentWidth());
  EXPECT_NE(nullptr, renderer_.GetEyeSurface(0));
  EXPECT_EQ(0, renderer_.RenderFrame());

  ExpectFailureWithOneLine([&] { return renderer_.LoadImageTexture(WorkPath("no-such-image.png").c_str()); },
                           R"(\[TQ\] Error: Failed to create image texture!)");
  EXPECT_TRUE(renderer_.IsInitialized());
  EXPECT_EQ(1, renderer_.UnlockSource());
  EXPECT_EQ(0, renderer_.RenderFrame());
}

TEST_F(RendererLifecycle, AnImageAfterAMovieGivesTheImageSizeAndColours) {
  const std::string image = WorkPath("image-40x20.png");
  std::string command =
      "ffmpeg -loglevel error -y -f lavfi -i color=c=0x336699:s=40x20,format=rgb24 -frames:v 1 '" + image + "'";
  ASSERT_EQ(0, system(command.c_str()));

  ASSERT_EQ(0, InitializeMono());
  ASSERT_EQ(0, renderer_.CreateSourceTexture(96, 48));
  ASSERT_EQ(0, renderer_.LoadImageTexture(image.c_str()));
  EXPECT_EQ("content 40x20, render 64x32", Sizes());
  EXPECT_EQ("40x20", SurfaceSize(renderer_.GetEyeSurface(0)));
  // Its colours reach the eyes.
  ASSERT_EQ(0, renderer_.RenderFrame());
  EXPECT_EQ(ColourText(0xFF336699u), ColourText(EyeImage(0).At(39, 19)));
  // An image is not a movie: it cannot be locked for uploads.
  uint8_t* bits = nullptr;
  int32_t pitch = 0;
  EXPECT_EQ(1, renderer_.LockSource(&bits, &pitch));
}

TEST_F(RendererLifecycle, LockSourceRefusalsLeaveTheOutputsAlone) {
  uint8_t sentinel = 0;
  uint8_t* bits = &sentinel;
  int32_t pitch = -7;
  const auto refused = [&](uint8_t** bitsOut, int32_t* pitchOut) {
    return renderer_.LockSource(bitsOut, pitchOut) == 1 && bits == &sentinel && pitch == -7;
  };
  EXPECT_TRUE(refused(&bits, &pitch));  // not initialised
  ASSERT_EQ(0, InitializeMono());
  EXPECT_TRUE(refused(&bits, &pitch));  // no source texture yet
  EXPECT_EQ(1, renderer_.UnlockSource());
  ASSERT_EQ(0, renderer_.CreateSourceTexture(30, 10));
  EXPECT_TRUE(refused(nullptr, &pitch));
  EXPECT_TRUE(refused(&bits, nullptr));

  ASSERT_EQ(0, renderer_.LockSource(&bits, &pitch));
  EXPECT_NE(&sentinel, bits);
  EXPECT_GE(pitch, 30 * 4);
  EXPECT_EQ(0, renderer_.UnlockSource());
}

}  // namespace
