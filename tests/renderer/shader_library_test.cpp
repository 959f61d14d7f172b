// The shipped decoders and encoders, run through the real pipeline on an offscreen device.
// Decoders: a source built from two known views in each layout must give each eye exactly its view.
// Encoders: every back-buffer pixel is checked against the output's rule (anaglyph matrices, row/column
// parity, placement), with the floating window and the separation applied.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>

#include "settings/settings.h"
#include "tests/renderer/renderer_test_support.h"

namespace {

class ShaderLibrary : public testing::Test {
 protected:
  void SetUp() override { ResetRendererSettings(); }
  void TearDown() override {
    renderer_.Shutdown();
    ResetRendererSettings();
  }
  CTQRenderer renderer_;
};

// ---- Decoders --------------------------------------------------------------------------------------

enum Eye { kLeft = 0, kRight = 1 };

// Pixel (vx, vy) of a view: every pixel distinct, and the two views apart by their red channel.
uint32_t DecoderView(Eye eye, uint32_t vx, uint32_t vy) {
  return Rgb(eye == kLeft ? 200 : 60, 20 + 3 * vx, 20 + 3 * vy);
}

struct DecoderCase {
  const char* file;
  // Source pixel (x, y) of a 64 x 32 source in this layout.
  std::function<uint32_t(uint32_t, uint32_t)> source;
  // Which view pixel each eye pixel must show.
  std::function<uint32_t(Eye, uint32_t, uint32_t)> expected;
};

const uint32_t kW = 64;
const uint32_t kH = 32;

std::vector<DecoderCase> DecoderCases() {
  auto halfWidth = [](Eye e, uint32_t x, uint32_t y) { return DecoderView(e, x / 2, y); };
  auto halfHeight = [](Eye e, uint32_t x, uint32_t y) { return DecoderView(e, x, y / 2); };
  return {
      {"mono.hlsl", [](uint32_t x, uint32_t y) { return DecoderView(kLeft, x, y); },
       [](Eye, uint32_t x, uint32_t y) { return DecoderView(kLeft, x, y); }},
      {"side-by-side-left-first.hlsl",
       [](uint32_t x, uint32_t y) {
         return x < kW / 2 ? DecoderView(kLeft, x, y) : DecoderView(kRight, x - kW / 2, y);
       },
       halfWidth},
      {"side-by-side-right-first.hlsl",
       [](uint32_t x, uint32_t y) {
         return x < kW / 2 ? DecoderView(kRight, x, y) : DecoderView(kLeft, x - kW / 2, y);
       },
       halfWidth},
      {"top-bottom-left-first.hlsl",
       [](uint32_t x, uint32_t y) {
         return y < kH / 2 ? DecoderView(kLeft, x, y) : DecoderView(kRight, x, y - kH / 2);
       },
       halfHeight},
      {"top-bottom-right-first.hlsl",
       [](uint32_t x, uint32_t y) {
         return y < kH / 2 ? DecoderView(kRight, x, y) : DecoderView(kLeft, x, y - kH / 2);
       },
       halfHeight},
      {"row-interleaved.hlsl",
       [](uint32_t x, uint32_t y) { return DecoderView(y % 2 ? kRight : kLeft, x, y / 2); }, halfHeight},
      {"column-interleaved.hlsl",
       [](uint32_t x, uint32_t y) { return DecoderView(x % 2 ? kRight : kLeft, x / 2, y); }, halfWidth},
      {"checkerboard.hlsl",
       [](uint32_t x, uint32_t y) { return DecoderView((x + y) % 2 ? kRight : kLeft, x / 2, y); }, halfWidth},
  };
}

TEST_F(ShaderLibrary, EveryDecoderGivesEachEyeExactlyItsView) {
  for (const DecoderCase& c : DecoderCases()) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(0, renderer_.Initialize(nullptr, kW, kH, ShippedShader(std::string("decoders/") + c.file).c_str(),
                                      ShippedShader("encoders/mono.hlsl").c_str(), 0));
    Picture source(kW, kH);
    for (uint32_t y = 0; y < kH; ++y) {
      for (uint32_t x = 0; x < kW; ++x) {
        source.At(x, y) = c.source(x, y);
      }
    }
    UploadPicture(renderer_, source);
    ASSERT_EQ(0, renderer_.RenderFrame());
    for (Eye eye : {kLeft, kRight}) {
      Picture image = ReadBack(renderer_, renderer_.GetEyeSurface(eye));
      ASSERT_EQ(kW, image.width);
      ASSERT_EQ(kH, image.height);
      int wrong = 0;
      for (uint32_t y = 0; y < kH; ++y) {
        for (uint32_t x = 0; x < kW; ++x) {
          if ((image.At(x, y) | 0xFF000000u) != c.expected(eye, x, y) && ++wrong <= 3) {
            ADD_FAILURE() << (eye == kLeft ? "left" : "right") << " eye at " << x << "," << y << ": "
                          << ColourText(image.At(x, y)) << " instead of " << ColourText(c.expected(eye, x, y));
          }
        }
      }
      EXPECT_EQ(0, wrong);
    }
    renderer_.Shutdown();
  }
}

// A still image from the ffmpeg CLI: two solid halves side by side.
TEST_F(ShaderLibrary, SideBySideImageFileSplitsIntoTwoSolidEyes) {
  const std::string image = WorkPath("sbs-image.png");
  std::string command =
      "ffmpeg -loglevel error -y -f lavfi -i color=c=0xC83214:s=24x16,format=rgb24 "
      "-f lavfi -i color=c=0x1E64B4:s=24x16,format=rgb24 -filter_complex hstack -frames:v 1 '" +
      image + "'";
  ASSERT_EQ(0, system(command.c_str()));
  ASSERT_EQ(0,
            renderer_.Initialize(nullptr, 48, 16, ShippedShader("decoders/side-by-side-left-first.hlsl").c_str(),
                                 ShippedShader("encoders/mono.hlsl").c_str(), 0));
  ASSERT_EQ(0, renderer_.LoadImageTexture(image.c_str()));
  ASSERT_EQ(0, renderer_.RenderFrame());
  Picture left = ReadBack(renderer_, renderer_.GetEyeSurface(0));
  Picture right = ReadBack(renderer_, renderer_.GetEyeSurface(1));
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 48; ++x) {
      ASSERT_EQ(ColourText(Rgb(0xC8, 0x32, 0x14)), ColourText(left.At(x, y))) << x << "," << y;
      ASSERT_EQ(ColourText(Rgb(0x1E, 0x64, 0xB4)), ColourText(right.At(x, y))) << x << "," << y;
    }
  }
}

// ---- Encoders --------------------------------------------------------------------------------------

// Eye images for the encoder tests come from the side-by-side decoder over a 128 x 32 source of two full
// 64-wide views, so each eye image holds every view pixel twice across. The views change only every
// second row, so that half-height outputs, which sample between two eye rows, are not ambiguous.
const uint32_t kEW = 128;
const uint32_t kEH = 32;

uint32_t EncoderView(Eye eye, uint32_t vx, uint32_t vy) {
  uint32_t band = 4 * (vy / 2);
  return eye == kLeft ? Rgb(200, 40 + 2 * vx, 30 + band) : Rgb(50, 180 - 2 * vx, 120 + band);
}

Picture EncoderSource() {
  Picture source(kEW, kEH);
  for (uint32_t y = 0; y < kEH; ++y) {
    for (uint32_t x = 0; x < kEW; ++x) {
      source.At(x, y) = x < kEW / 2 ? EncoderView(kLeft, x, y) : EncoderView(kRight, x - kEW / 2, y);
    }
  }
  return source;
}

struct WindowSettings {
  float proscenium;
  float separation;
};

// What an eye shows at a pixel centre (tx, ty), in texels of its eye image: black inside the floating
// window's band and where the separation moved the picture away. Positions that fall on a texel edge
// (half-size outputs) read the texel before it, which holds the same colour in these eye images.
uint32_t EyeAt(const Picture& image, Eye eye, double tx, double ty, const WindowSettings& w) {
  const double width = image.width;
  const double band = w.proscenium * width;
  const double shift = 0.5 * w.separation * width;
  if (eye == kLeft ? tx < band : tx > width - band) {
    return Rgb(0, 0, 0);
  }
  double u = eye == kLeft ? tx + shift : tx - shift;
  if (u < 0.0 || u >= width) {
    return Rgb(0, 0, 0);
  }
  return image.At(uint32_t(std::floor(u - 0.25)), uint32_t(std::floor(ty - 0.25))) | 0xFF000000u;
}

struct Matrix {
  double left[3][3];
  double right[3][3];
};

uint32_t Anaglyph(const Matrix& m, uint32_t l, uint32_t r) {
  const double lc[3] = {Red(l) / 255.0, Green(l) / 255.0, Blue(l) / 255.0};
  const double rc[3] = {Red(r) / 255.0, Green(r) / 255.0, Blue(r) / 255.0};
  uint32_t out[3];
  for (int c = 0; c < 3; ++c) {
    double sum = 0.0;
    for (int k = 0; k < 3; ++k) {
      sum += m.left[c][k] * lc[k] + m.right[c][k] * rc[k];
    }
    out[c] = uint32_t(std::lround(std::fmin(std::fmax(sum / 65536.0, 0.0), 1.0) * 255.0));
  }
  return Rgb(out[0], out[1], out[2]);
}

// The published integer matrices (units of 1/65536): rows are output red, green, blue.
const double kY[3] = {19595, 38470, 7471};
const Matrix kRedCyanColour = {{{65536, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {{0, 0, 0}, {0, 65536, 0}, {0, 0, 65536}}};
const Matrix kRedCyanHalf = {{{kY[0], kY[1], kY[2]}, {0, 0, 0}, {0, 0, 0}},
                             {{0, 0, 0}, {0, 65536, 0}, {0, 0, 65536}}};
const Matrix kRedCyanGrey = {{{kY[0], kY[1], kY[2]}, {0, 0, 0}, {0, 0, 0}},
                             {{0, 0, 0}, {kY[0], kY[1], kY[2]}, {kY[0], kY[1], kY[2]}}};
const Matrix kRedCyanDubois = {{{29884, 32768, 11534}, {-2621, -2490, -1049}, {-983, -1376, -328}},
                               {{-2818, -5767, -131}, {24773, 48103, -1180}, {-4719, -7406, 80347}}};
const Matrix kGreenMagentaDubois = {{{-4063, -10354, -2556}, {18612, 43778, 9372}, {-983, -1769, 1376}},
                                    {{34669, 46203, 1573}, {-1049, -983, -4260}, {590, 4915, 61407}}};
const Matrix kAmberBlueDubois = {{{69599, -13435, 19595}, {-1704, 59507, 4456}, {-2490, -11338, 1442}},
                                 {{-1048, -8061, -1114}, {393, 4063, -1114}, {6160, 12124, 59703}}};

// An encoder and the colour it must write at back-buffer pixel (x, y) when the back buffer has the eye
// images' size; s0 and s1 are the eye images bound to the two samplers.
struct EncoderCase {
  const char* file;
  std::function<uint32_t(const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w,
                         uint32_t frameCount)>
      expected;
};

EncoderCase AnaglyphCase(const char* file, const Matrix& m) {
  return {file,
          [&m](const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w, uint32_t) {
            return Anaglyph(m, EyeAt(s0, kLeft, x + 0.5, y + 0.5, w), EyeAt(s1, kRight, x + 0.5, y + 0.5, w));
          }};
}

EncoderCase ParityCase(const char* file, std::function<bool(uint32_t, uint32_t, uint32_t)> showsRight) {
  return {file, [showsRight](const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w,
                             uint32_t frameCount) {
            return showsRight(x, y, frameCount) ? EyeAt(s1, kRight, x + 0.5, y + 0.5, w)
                                                : EyeAt(s0, kLeft, x + 0.5, y + 0.5, w);
          }};
}

std::vector<EncoderCase> EncoderCases() {
  return {
      AnaglyphCase("anaglyph-red-cyan-colour.hlsl", kRedCyanColour),
      AnaglyphCase("anaglyph-red-cyan-half-colour.hlsl", kRedCyanHalf),
      AnaglyphCase("anaglyph-red-cyan-grey.hlsl", kRedCyanGrey),
      AnaglyphCase("anaglyph-red-cyan-dubois-gamma.hlsl", kRedCyanDubois),
      AnaglyphCase("anaglyph-green-magenta-dubois-gamma.hlsl", kGreenMagentaDubois),
      AnaglyphCase("anaglyph-amber-blue-dubois-gamma.hlsl", kAmberBlueDubois),
      ParityCase("row-interleaved.hlsl", [](uint32_t, uint32_t y, uint32_t) { return y % 2 == 1; }),
      ParityCase("column-interleaved.hlsl", [](uint32_t x, uint32_t, uint32_t) { return x % 2 == 1; }),
      ParityCase("checkerboard.hlsl", [](uint32_t x, uint32_t y, uint32_t) { return (x + y) % 2 == 1; }),
      ParityCase("mono.hlsl", [](uint32_t, uint32_t, uint32_t) { return false; }),
      ParityCase("frame-sequential.hlsl", [](uint32_t, uint32_t, uint32_t frame) { return frame % 2 == 1; }),
      {"side-by-side-half.hlsl",
       [](const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w, uint32_t) {
         const uint32_t half = kEW / 2;
         return x < half ? EyeAt(s0, kLeft, 2.0 * x + 1.0, y + 0.5, w)
                         : EyeAt(s1, kRight, 2.0 * (x - half) + 1.0, y + 0.5, w);
       }},
      {"top-bottom-half.hlsl",
       [](const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w, uint32_t) {
         const uint32_t half = kEH / 2;
         return y < half ? EyeAt(s0, kLeft, x + 0.5, 2.0 * y + 1.0, w)
                         : EyeAt(s1, kRight, x + 0.5, 2.0 * (y - half) + 1.0, w);
       }},
  };
}

// Compares a back buffer with the rule; the anaglyph sums may round differently by one step.
int CountMismatches(const Picture& screen, const std::function<uint32_t(uint32_t, uint32_t)>& expected,
                    const std::string& what) {
  int wrong = 0;
  for (uint32_t y = 0; y < screen.height; ++y) {
    for (uint32_t x = 0; x < screen.width; ++x) {
      uint32_t got = screen.At(x, y);
      uint32_t want = expected(x, y);
      bool close = std::abs(int(Red(got)) - int(Red(want))) <= 1 &&
                   std::abs(int(Green(got)) - int(Green(want))) <= 1 &&
                   std::abs(int(Blue(got)) - int(Blue(want))) <= 1;
      if (!close && ++wrong <= 3) {
        ADD_FAILURE() << what << " at " << x << "," << y << ": " << ColourText(got) << " instead of "
                      << ColourText(want);
      }
    }
  }
  return wrong;
}

TEST_F(ShaderLibrary, EveryEncoderFollowsItsRuleWithWindowAndSeparation) {
  const WindowSettings windows[] = {{0.0f, 0.0f}, {0.25f, 0.0f}, {0.0f, 0.125f}, {0.125f, -0.0625f}};

  for (const EncoderCase& c : EncoderCases()) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(0, renderer_.Initialize(nullptr, kEW, kEH,
                                      ShippedShader("decoders/side-by-side-left-first.hlsl").c_str(),
                                      ShippedShader(std::string("encoders/") + c.file).c_str(), 0));
    UploadPicture(renderer_, EncoderSource());
    ASSERT_EQ(0, renderer_.RenderFrame());
    const Picture eyes[2] = {ReadBack(renderer_, renderer_.GetEyeSurface(0)),
                             ReadBack(renderer_, renderer_.GetEyeSurface(1))};
    // The two eye images differ, so any mix-up of the samplers shows.
    ASSERT_NE(eyes[0].At(10, 10), eyes[1].At(10, 10));

    for (uint32_t frame = 0; frame < 2; ++frame) {
      for (const WindowSettings& w : windows) {
        g_settings.proscenium = w.proscenium;
        g_settings.separation = w.separation;
        ASSERT_EQ(0, renderer_.RenderFrame());
        Picture screen = ReadBack(renderer_, renderer_.GetBackBufferSurface());
        ASSERT_EQ(kEW, screen.width);
        std::string what = "frame " + std::to_string(frame) + ", proscenium " + std::to_string(w.proscenium) +
                           ", separation " + std::to_string(w.separation);
        EXPECT_EQ(0,
                  CountMismatches(
                      screen, [&](uint32_t x, uint32_t y) { return c.expected(eyes[0], eyes[1], x, y, w, frame); },
                      what));
      }
      renderer_.IncrementFrameCount();
    }
    renderer_.Shutdown();
  }
}

// Each anaglyph fed a picture whose right eye is black lights only the left eye's colours of the glasses.
TEST_F(ShaderLibrary, AnaglyphsShowALeftOnlyPictureOnlyThroughTheLeftFilter) {
  struct Glasses {
    const char* file;
    bool leftChannel[3];  // red, green, blue
  };
  const Glasses glasses[] = {
      {"anaglyph-red-cyan-colour.hlsl", {true, false, false}},
      {"anaglyph-red-cyan-half-colour.hlsl", {true, false, false}},
      {"anaglyph-red-cyan-grey.hlsl", {true, false, false}},
      {"anaglyph-red-cyan-dubois.hlsl", {true, false, false}},
      {"anaglyph-green-magenta-dubois.hlsl", {false, true, false}},
      {"anaglyph-amber-blue-dubois.hlsl", {true, true, false}},
  };
  // Colours the least-squares matrices keep out of the other filter entirely. (They let a trace, under
  // 2%, of a saturated blue or magenta left eye through the magenta and blue filters, by design.)
  const uint32_t colours[] = {Rgb(255, 255, 255), Rgb(128, 128, 128), Rgb(255, 0, 0),    Rgb(0, 255, 0),
                              Rgb(255, 255, 0),   Rgb(0, 255, 255),   Rgb(190, 140, 100)};
  Picture source(2 * std::size(colours), 4);
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t i = 0; i < std::size(colours); ++i) {
      source.At(i, y) = colours[i];
      source.At(std::size(colours) + i, y) = Rgb(0, 0, 0);
    }
  }
  for (const Glasses& g : glasses) {
    SCOPED_TRACE(g.file);
    ASSERT_EQ(0, renderer_.Initialize(nullptr, source.width, 4,
                                      ShippedShader("decoders/side-by-side-left-first.hlsl").c_str(),
                                      ShippedShader(std::string("encoders/") + g.file).c_str(), 0));
    UploadPicture(renderer_, source);
    ASSERT_EQ(0, renderer_.RenderFrame());
    Picture screen = ReadBack(renderer_, renderer_.GetBackBufferSurface());
    for (uint32_t i = 0; i < std::size(colours); ++i) {
      // Eye pixel 2i and 2i+1 show colour i of the left view.
      uint32_t got = screen.At(2 * i, 1);
      const uint32_t channel[3] = {Red(got), Green(got), Blue(got)};
      for (int c = 0; c < 3; ++c) {
        if (!g.leftChannel[c]) {
          EXPECT_EQ(0u, channel[c]) << "channel " << c << " lit for left colour " << ColourText(colours[i]);
        }
      }
      if (i == 0) {
        bool lit = false;
        for (int c = 0; c < 3; ++c) {
          lit = lit || (g.leftChannel[c] && channel[c] > 100);
        }
        EXPECT_TRUE(lit) << "white left eye not shown: " << ColourText(got);
      }
    }
    renderer_.Shutdown();
  }
}

}  // namespace
