// The linear-light anaglyphs, the ghost-reducing encoders, HDMI frame packing (encoder and decoder) and
// the full-resolution side-by-side and top-bottom encoders, run through the real pipeline on an
// offscreen device. Every expected colour is computed here from the published matrices, the ghost
// formula and the exact sRGB curve, and compared within one step of 255.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "settings/settings.h"
#include "tests/renderer/renderer_test_support.h"

namespace {

class ShaderOutputs : public testing::Test {
 protected:
  void SetUp() override { ResetRendererSettings(); }
  void TearDown() override {
    renderer_.Shutdown();
    ResetRendererSettings();
  }
  CTQRenderer renderer_;
};

enum Eye { kLeft = 0, kRight = 1 };

// ---- Colour arithmetic -----------------------------------------------------------------------------

double SrgbToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double LinearToSrgb(double c) { return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055; }
double Clamp01(double v) { return std::fmin(std::fmax(v, 0.0), 1.0); }
uint32_t Channel(uint32_t c, int k) { return k == 0 ? Red(c) : k == 1 ? Green(c) : Blue(c); }
uint32_t FromLinear(const double rgb[3]) {
  uint32_t out[3];
  for (int k = 0; k < 3; ++k) out[k] = uint32_t(std::lround(LinearToSrgb(Clamp01(rgb[k])) * 255.0));
  return Rgb(out[0], out[1], out[2]);
}

// Dubois' least-squares matrices as published (three decimals); rows are output red, green, blue.
struct Matrix {
  double left[3][3];
  double right[3][3];
};
const Matrix kRedCyan = {{{0.456, 0.500, 0.176}, {-0.040, -0.038, -0.016}, {-0.015, -0.021, -0.005}},
                         {{-0.043, -0.088, -0.002}, {0.378, 0.734, -0.018}, {-0.072, -0.113, 1.226}}};
const Matrix kGreenMagenta = {{{-0.062, -0.158, -0.039}, {0.284, 0.668, 0.143}, {-0.015, -0.027, 0.021}},
                              {{0.529, 0.705, 0.024}, {-0.016, -0.015, -0.065}, {0.009, 0.075, 0.937}}};
const Matrix kAmberBlue = {{{1.062, -0.205, 0.299}, {-0.026, 0.908, 0.068}, {-0.038, -0.173, 0.022}},
                           {{-0.016, -0.123, -0.017}, {0.006, 0.062, -0.017}, {0.094, 0.185, 0.911}}};

uint32_t LinearAnaglyph(const Matrix& m, uint32_t l, uint32_t r) {
  double sum[3] = {0.0, 0.0, 0.0};
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 3; ++k) {
      sum[c] += m.left[c][k] * SrgbToLinear(Channel(l, k) / 255.0) +
                m.right[c][k] * SrgbToLinear(Channel(r, k) / 255.0);
    }
  }
  return FromLinear(sum);
}

// Leak per channel and strength of a ghost-reducing encoder.
struct Ghost {
  double leak[3];
  double strength;
};
const Ghost kShippedGhost = {{0.03, 0.03, 0.03}, 1.0};

// out = eye * (1 - c) + c * (1 - other) in linear light, c = leak * strength, per channel.
uint32_t ReduceGhost(const Ghost& g, uint32_t eye, uint32_t other) {
  double out[3];
  for (int k = 0; k < 3; ++k) {
    const double c = g.leak[k] * g.strength;
    out[k] = SrgbToLinear(Channel(eye, k) / 255.0) * (1.0 - c) +
             c * (1.0 - SrgbToLinear(Channel(other, k) / 255.0));
  }
  return FromLinear(out);
}

// ---- Eye images ------------------------------------------------------------------------------------

// The eye images come from the side-by-side decoder over a 128 x 32 source of two full 64-wide views, so
// each eye image holds every view pixel twice across; the views change every second row, so that
// positions on a texel edge (half-size outputs) read one colour. Mid-tones and darks both occur, so the
// linear-light arithmetic is tested where it differs most from the gamma-space one.
const uint32_t kEW = 128;
const uint32_t kEH = 32;

uint32_t View(Eye eye, uint32_t vx, uint32_t vy) {
  uint32_t band = 6 * (vy / 2);
  return eye == kLeft ? Rgb(230 - 3 * vx, 20 + 3 * vx, 10 + band) : Rgb(40 + 2 * vx, 200 - band, 90 + 2 * vx);
}

Picture SideBySideSource() {
  Picture source(kEW, kEH);
  for (uint32_t y = 0; y < kEH; ++y) {
    for (uint32_t x = 0; x < kEW; ++x) {
      source.At(x, y) = x < kEW / 2 ? View(kLeft, x, y) : View(kRight, x - kEW / 2, y);
    }
  }
  return source;
}

struct WindowSettings {
  float proscenium;
  float separation;
};

// What an eye shows at (tx, ty), in texels of its eye image: black inside the floating window's band and
// where the separation moved the picture away. A position on a texel edge reads the texel before it,
// which holds the same colour in these eye images.
uint32_t EyeAt(const Picture& image, Eye eye, double tx, double ty, const WindowSettings& w) {
  const double width = image.width;
  if (eye == kLeft ? tx < w.proscenium * width : tx > width - w.proscenium * width) return Rgb(0, 0, 0);
  const double shift = 0.5 * w.separation * width;
  const double u = eye == kLeft ? tx + shift : tx - shift;
  if (u < 0.0 || u >= width) return Rgb(0, 0, 0);
  return image.At(uint32_t(std::floor(u - 0.25)), uint32_t(std::floor(ty - 0.25))) | 0xFF000000u;
}

// ---- The table -------------------------------------------------------------------------------------

// What the back buffer shows at pixel (x, y): s0 and s1 are the eye images on the two samplers.
using Rule = std::function<uint32_t(const Picture& s0, const Picture& s1, uint32_t x, uint32_t y,
                                    const WindowSettings& w, uint32_t frame)>;

struct EncoderCase {
  std::string file;
  uint32_t width;  // back-buffer size
  uint32_t height;
  Rule expected;
  std::string edit;  // when set, the file's leak and strength lines are replaced by this text
};

Rule AnaglyphRule(const Matrix& m) {
  return [&m](const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w, uint32_t) {
    return LinearAnaglyph(m, EyeAt(s0, kLeft, x + 0.5, y + 0.5, w), EyeAt(s1, kRight, x + 0.5, y + 0.5, w));
  };
}

// An output that shows one eye or the other at each pixel, in the eye's own picture at (tx, ty), each
// corrected against the other eye at the same place.
using Placement = std::function<bool(uint32_t x, uint32_t y, uint32_t frame, double* tx, double* ty)>;

Rule GhostRule(Ghost g, Placement place) {
  return [g, place](const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w,
                    uint32_t frame) {
    double tx = 0.0, ty = 0.0;
    const bool right = place(x, y, frame, &tx, &ty);
    const uint32_t l = EyeAt(s0, kLeft, tx, ty, w);
    const uint32_t r = EyeAt(s1, kRight, tx, ty, w);
    return right ? ReduceGhost(g, r, l) : ReduceGhost(g, l, r);
  };
}

Placement SamePlace(std::function<bool(uint32_t, uint32_t, uint32_t)> showsRight) {
  return [showsRight](uint32_t x, uint32_t y, uint32_t frame, double* tx, double* ty) {
    *tx = x + 0.5;
    *ty = y + 0.5;
    return showsRight(x, y, frame);
  };
}

// Side by side or top and bottom: each half of a back buffer of `width` x `height` holds one eye,
// scaled to it.
Placement Halves(bool sideBySide, uint32_t width, uint32_t height) {
  return [=](uint32_t x, uint32_t y, uint32_t, double* tx, double* ty) {
    const bool right = sideBySide ? x >= width / 2 : y >= height / 2;
    const double px = sideBySide ? (x - (right ? width / 2 : 0)) + 0.5 : x + 0.5;
    const double py = sideBySide ? y + 0.5 : (y - (right ? height / 2 : 0)) + 0.5;
    *tx = px * kEW / (sideBySide ? width / 2 : width);
    *ty = py * kEH / (sideBySide ? height : height / 2);
    return right;
  };
}

Rule PlainRule(Placement place) { return GhostRule({{0.0, 0.0, 0.0}, 0.0}, place); }

// Frame packing in a back buffer of `height` rows: eyes of height * 24 / 49 rows around a black band of
// height / 49 rows; rows below the right eye are black.
Rule FramePackingRule(uint32_t width, uint32_t height) {
  return [=](const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w, uint32_t) {
    const uint32_t band = height / 49;
    const uint32_t eyeRows = height * 24 / 49;
    const double tx = (x + 0.5) * kEW / width;
    if (y < eyeRows) return EyeAt(s0, kLeft, tx, (y + 0.5) * kEH / eyeRows, w);
    if (y >= eyeRows + band && y < 2 * eyeRows + band) {
      return EyeAt(s1, kRight, tx, (y - eyeRows - band + 0.5) * kEH / eyeRows, w);
    }
    return Rgb(0, 0, 0);
  };
}

const char* const kGhostFiles[] = {"row-interleaved",  "column-interleaved", "checkerboard",
                                   "frame-sequential", "side-by-side-half",  "top-bottom-half"};

Placement GhostPlacement(const std::string& base) {
  if (base == "row-interleaved") return SamePlace([](uint32_t, uint32_t y, uint32_t) { return y % 2 == 1; });
  if (base == "column-interleaved") return SamePlace([](uint32_t x, uint32_t, uint32_t) { return x % 2 == 1; });
  if (base == "checkerboard") return SamePlace([](uint32_t x, uint32_t y, uint32_t) { return (x + y) % 2 == 1; });
  if (base == "frame-sequential") return SamePlace([](uint32_t, uint32_t, uint32_t f) { return f % 2 == 1; });
  return Halves(base == "side-by-side-half", kEW, kEH);
}

// A display with different leaks per channel and half-strength cancelling, typed into a copy of the file
// the way the user is told to.
const Ghost kEditedGhost = {{0.02, 0.06, 0.12}, 0.5};
const char kEditedGhostText[] =
    "static const float3 kLeak = float3(0.02, 0.06, 0.12);\nstatic const float kStrength = 0.5;\n";

std::vector<EncoderCase> EncoderCases() {
  std::vector<EncoderCase> cases = {
      {"anaglyph-red-cyan-dubois", kEW, kEH, AnaglyphRule(kRedCyan), ""},
      {"anaglyph-green-magenta-dubois", kEW, kEH, AnaglyphRule(kGreenMagenta), ""},
      {"anaglyph-amber-blue-dubois", kEW, kEH, AnaglyphRule(kAmberBlue), ""},
      {"side-by-side-full", 2 * kEW, kEH, PlainRule(Halves(true, 2 * kEW, kEH)), ""},
      {"top-bottom-full", kEW, 2 * kEH, PlainRule(Halves(false, kEW, 2 * kEH)), ""},
      // Eyes of 32 rows (one to one) and of 64 rows (each eye row twice), with the rows the rule leaves
      // over at the bottom.
      {"frame-packing", kEW, 66, FramePackingRule(kEW, 66), ""},
      {"frame-packing", kEW, 131, FramePackingRule(kEW, 131), ""},
  };
  for (const char* base : kGhostFiles) {
    const std::string file = std::string(base) + "-ghost-reduced";
    cases.push_back({file, kEW, kEH, GhostRule(kShippedGhost, GhostPlacement(base)), ""});
    cases.push_back({file, kEW, kEH, GhostRule(kEditedGhost, GhostPlacement(base)), kEditedGhostText});
  }
  return cases;
}

// The path of the encoder to load: the shipped file, or a copy whose display settings were retyped.
std::string EncoderPath(const EncoderCase& c) {
  const std::string shipped = ShippedShader("encoders/" + c.file + ".hlsl");
  if (c.edit.empty()) return shipped;
  std::ifstream in(shipped);
  std::stringstream text;
  text << in.rdbuf();
  std::string source = text.str();
  const size_t leak = source.find("static const float3 kLeak");
  const size_t strength = source.find("static const float kStrength");
  EXPECT_NE(std::string::npos, leak);
  EXPECT_NE(std::string::npos, strength);
  if (leak == std::string::npos || strength == std::string::npos) return shipped;
  const size_t end = source.find('\n', strength) + 1;
  // The settings stand at the top, before any code that reads them.
  EXPECT_LT(strength, source.find("sampler2D"));
  source.replace(leak, end - leak, c.edit);
  return WriteWorkFile("edited-" + c.file + ".hlsl", source);
}

int CountMismatches(const Picture& screen, const std::function<uint32_t(uint32_t, uint32_t)>& expected,
                    const std::string& what) {
  int wrong = 0;
  for (uint32_t y = 0; y < screen.height; ++y) {
    for (uint32_t x = 0; x < screen.width; ++x) {
      const uint32_t got = screen.At(x, y);
      const uint32_t want = expected(x, y);
      bool close = true;
      for (int k = 0; k < 3; ++k) close = close && std::abs(int(Channel(got, k)) - int(Channel(want, k))) <= 1;
      if (!close && ++wrong <= 3) {
        ADD_FAILURE() << what << " at " << x << "," << y << ": " << ColourText(got) << " instead of "
                      << ColourText(want);
      }
    }
  }
  return wrong;
}

TEST_F(ShaderOutputs, EveryEncoderFollowsItsRuleWithWindowAndSeparation) {
  const WindowSettings windows[] = {{0.0f, 0.0f}, {0.25f, 0.0f}, {0.125f, -0.0625f}};

  for (const EncoderCase& c : EncoderCases()) {
    SCOPED_TRACE(c.file + (c.edit.empty() ? "" : " (retyped display settings)") + " at " +
                 std::to_string(c.width) + "x" + std::to_string(c.height));
    ASSERT_EQ(0, renderer_.Initialize(nullptr, c.width, c.height,
                                      ShippedShader("decoders/side-by-side-left-first.hlsl").c_str(),
                                      EncoderPath(c).c_str(), 0));
    UploadPicture(renderer_, SideBySideSource());
    ASSERT_EQ(0, renderer_.RenderFrame());
    const Picture eyes[2] = {ReadBack(renderer_, renderer_.GetEyeSurface(0)),
                             ReadBack(renderer_, renderer_.GetEyeSurface(1))};
    for (uint32_t frame = 0; frame < 2; ++frame) {
      for (const WindowSettings& w : windows) {
        g_settings.proscenium = w.proscenium;
        g_settings.separation = w.separation;
        ASSERT_EQ(0, renderer_.RenderFrame());
        const Picture screen = ReadBack(renderer_, renderer_.GetBackBufferSurface());
        ASSERT_EQ(c.width, screen.width);
        ASSERT_EQ(c.height, screen.height);
        const std::string what = "frame " + std::to_string(frame) + ", proscenium " +
                                 std::to_string(w.proscenium) + ", separation " + std::to_string(w.separation);
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

// Frame packing at the two HDMI sizes: eyes of solid colours make every row's owner plain to see.
TEST_F(ShaderOutputs, FramePackingEncoderPlacesEyesAndBandAtHdmiSizes) {
  struct Size {
    uint32_t height;
    uint32_t eyeRows;
    uint32_t band;
  };
  const Size sizes[] = {{2205, 1080, 45}, {1470, 720, 30}};
  Picture source(16, 4);
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 16; ++x) source.At(x, y) = x < 8 ? Rgb(250, 10, 10) : Rgb(10, 10, 250);
  }
  for (const Size& s : sizes) {
    SCOPED_TRACE(s.height);
    ASSERT_EQ(0, renderer_.Initialize(nullptr, 16, s.height,
                                      ShippedShader("decoders/side-by-side-left-first.hlsl").c_str(),
                                      ShippedShader("encoders/frame-packing.hlsl").c_str(), 0));
    UploadPicture(renderer_, source);
    ASSERT_EQ(0, renderer_.RenderFrame());
    const Picture screen = ReadBack(renderer_, renderer_.GetBackBufferSurface());
    ASSERT_EQ(s.height, screen.height);
    int wrong = 0;
    for (uint32_t y = 0; y < s.height; ++y) {
      const uint32_t want = y < s.eyeRows            ? Rgb(250, 10, 10)
                            : y < s.eyeRows + s.band ? Rgb(0, 0, 0)
                                                     : Rgb(10, 10, 250);
      for (uint32_t x = 0; x < 16; ++x) {
        if ((screen.At(x, y) | 0xFF000000u) != want && ++wrong <= 3) {
          ADD_FAILURE() << "row " << y << ": " << ColourText(screen.At(x, y)) << " instead of "
                        << ColourText(want);
        }
      }
    }
    EXPECT_EQ(0, wrong);
    renderer_.Shutdown();
  }
}

// Frame-packed sources: each eye row shows the matching row of its view, the band never shows. Every
// source row has its own colour; band rows are marked by a full blue channel that no view row has.
TEST_F(ShaderOutputs, FramePackingDecoderSplitsViewsAndLeavesTheBandOut) {
  const uint32_t heights[] = {2205, 1470, 147, 100};
  const uint32_t width = 8;
  for (uint32_t height : heights) {
    SCOPED_TRACE(height);
    const uint32_t band = height / 49;
    const uint32_t viewRows = height * 24 / 49;
    Picture source(width, height);
    for (uint32_t y = 0; y < height; ++y) {
      const bool inBand = y >= viewRows && y < viewRows + band;
      for (uint32_t x = 0; x < width; ++x) source.At(x, y) = Rgb(y & 0xFF, (y >> 8) * 16 + x, inBand ? 255 : 0);
    }
    ASSERT_EQ(0, renderer_.Initialize(nullptr, width, height, ShippedShader("decoders/frame-packing.hlsl").c_str(),
                                      ShippedShader("encoders/mono.hlsl").c_str(), 0));
    UploadPicture(renderer_, source);
    ASSERT_EQ(0, renderer_.RenderFrame());
    int wrong = 0;
    for (Eye eye : {kLeft, kRight}) {
      const Picture image = ReadBack(renderer_, renderer_.GetEyeSurface(eye));
      ASSERT_EQ(height, image.height);
      for (uint32_t y = 0; y < height; ++y) {
        // Eye row y samples at (y + 0.5) / height of its view, which never lands on a row edge here.
        const uint32_t viewRow = uint32_t((y + 0.5) * viewRows / height);
        const uint32_t sourceRow = eye == kLeft ? viewRow : viewRows + band + viewRow;
        for (uint32_t x = 0; x < width; ++x) {
          const uint32_t want = source.At(x, sourceRow);
          if ((image.At(x, y) | 0xFF000000u) != want && ++wrong <= 3) {
            ADD_FAILURE() << (eye == kLeft ? "left" : "right") << " eye row " << y << ": "
                          << ColourText(image.At(x, y)) << " instead of " << ColourText(want);
          }
        }
      }
    }
    EXPECT_EQ(0, wrong);
    renderer_.Shutdown();
  }
}

// What the frame-packing encoder writes, the frame-packing decoder reads back as the two eyes.
TEST_F(ShaderOutputs, FramePackedPictureDecodesBackToItsEyes) {
  Picture source(2 * 24, 16);
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 24; ++x) {
      source.At(x, y) = Rgb(10 * x, 15 * y, 40);
      source.At(24 + x, y) = Rgb(240 - 10 * x, 40, 15 * y);
    }
  }
  // 16 x 49 rows: eyes of 16 x 24 = 384 rows, each source row 24 times over, and a band of 16.
  ASSERT_EQ(0, renderer_.Initialize(nullptr, 48, 16 * 49,
                                    ShippedShader("decoders/side-by-side-left-first.hlsl").c_str(),
                                    ShippedShader("encoders/frame-packing.hlsl").c_str(), 0));
  UploadPicture(renderer_, source);
  ASSERT_EQ(0, renderer_.RenderFrame());
  const Picture packed = ReadBack(renderer_, renderer_.GetBackBufferSurface());
  renderer_.Shutdown();

  ASSERT_EQ(0, renderer_.Initialize(nullptr, 48, 16 * 49, ShippedShader("decoders/frame-packing.hlsl").c_str(),
                                    ShippedShader("encoders/mono.hlsl").c_str(), 0));
  UploadPicture(renderer_, packed);
  ASSERT_EQ(0, renderer_.RenderFrame());
  for (Eye eye : {kLeft, kRight}) {
    const Picture image = ReadBack(renderer_, renderer_.GetEyeSurface(eye));
    for (uint32_t y = 0; y < image.height; y += 7) {
      for (uint32_t x = 0; x < 48; ++x) {
        const uint32_t want = source.At((eye == kLeft ? 0 : 24) + x / 2, y / 49);
        ASSERT_EQ(ColourText(want), ColourText(image.At(x, y)))
            << (eye == kLeft ? "left" : "right") << " " << x << "," << y;
      }
    }
  }
}

// Every shipped decoder with every shipped encoder: both compile through the real compiler, and the pair
// draws a picture (no trace of pass 2's green clear where the encoder writes).
TEST_F(ShaderOutputs, EveryShippedDecoderWorksWithEveryShippedEncoder) {
  std::vector<std::string> decoders, encoders;
  for (const auto& entry : std::filesystem::directory_iterator(ShippedShader("decoders"))) {
    decoders.push_back(entry.path().string());
  }
  for (const auto& entry : std::filesystem::directory_iterator(ShippedShader("encoders"))) {
    encoders.push_back(entry.path().string());
  }
  ASSERT_GE(decoders.size(), 9u);
  ASSERT_GE(encoders.size(), 25u);
  ASSERT_EQ(0, renderer_.Initialize(nullptr, 64, 49, decoders[0].c_str(), encoders[0].c_str(), 0));
  Picture source(32, 49);
  for (uint32_t& pixel : source.pixels) pixel = Rgb(200, 120, 40);
  UploadPicture(renderer_, source);
  for (const std::string& decoder : decoders) {
    for (const std::string& encoder : encoders) {
      SCOPED_TRACE(decoder + " with " + encoder);
      ASSERT_EQ(0, renderer_.LoadShaders(decoder.c_str(), encoder.c_str()));
      ASSERT_EQ(0, renderer_.RenderFrame());
      const Picture screen = ReadBack(renderer_, renderer_.GetBackBufferSurface());
      EXPECT_NE(ColourText(Rgb(0, 255, 0)), ColourText(screen.At(40, 10)));
    }
  }
}

}  // namespace
