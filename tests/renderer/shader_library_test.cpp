// The shipped decoders and encoders, run through the real pipeline on an offscreen device.
// Decoders: a source built from two known views in each layout must give each eye exactly its view.
// Encoders: every back-buffer pixel is checked against the output's rule (anaglyph matrices in gamma
// space or linear light, row/column parity, placement, ghost reduction, frame packing), computed here from
// the published matrices, the ghost formula and the exact sRGB curve, with the floating window and the
// separation applied, within one step of 255.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/settings.h"
#include "tests/renderer/renderer_test_support.h"

namespace {

class ShaderLibrary : public RendererTest {
 protected:
  // Starts the renderer with a shipped decoder and an encoder file and draws one frame of `source`.
  void Show(uint32_t width, uint32_t height, const std::string& decoder, const std::string& encoder,
            const Picture& source) {
    renderer_.Shutdown();
    ASSERT_EQ(0, renderer_.Initialize(nullptr, width, height, ShippedShader("decoders/" + decoder).c_str(),
                                      encoder.c_str(), 0));
    UploadPicture(renderer_, source);
    ASSERT_EQ(0, renderer_.RenderFrame());
  }
};

enum Eye { kLeft = 0, kRight = 1 };
const char* EyeName(int eye) { return eye == kLeft ? "left eye" : "right eye"; }

// ---- Decoders --------------------------------------------------------------------------------------

// Pixel (vx, vy) of a view: every pixel distinct, and the two views apart by their red channel.
uint32_t DecoderView(Eye eye, uint32_t vx, uint32_t vy) {
  return Rgb(eye == kLeft ? 200 : 60, 20 + 3 * vx, 20 + 3 * vy);
}

const uint32_t kW = 64, kH = 32;  // the decoders' sources

// A source of the two views in halves, side by side or top and bottom, `first` in the first half.
PixelRule HalvesSource(bool sideBySide, Eye first) {
  return [=](uint32_t x, uint32_t y) {
    const bool second = sideBySide ? x >= kW / 2 : y >= kH / 2;
    return DecoderView(second ? Eye(1 - first) : first, second && sideBySide ? x - kW / 2 : x,
                       second && !sideBySide ? y - kH / 2 : y);
  };
}

TEST_F(ShaderLibrary, EveryDecoderGivesEachEyeExactlyItsView) {
  struct Case {
    const char* file;
    PixelRule source;       // of a 64 x 32 source in this layout
    uint32_t xStep, yStep;  // eye pixel (x, y) shows view pixel (x / xStep, y / yStep)
  };
  const Case cases[] = {
      {"mono.hlsl", [](uint32_t x, uint32_t y) { return DecoderView(kLeft, x, y); }, 1, 1},
      {"side-by-side-left-first.hlsl", HalvesSource(true, kLeft), 2, 1},
      {"side-by-side-right-first.hlsl", HalvesSource(true, kRight), 2, 1},
      {"top-bottom-left-first.hlsl", HalvesSource(false, kLeft), 1, 2},
      {"top-bottom-right-first.hlsl", HalvesSource(false, kRight), 1, 2},
      {"row-interleaved.hlsl",
       [](uint32_t x, uint32_t y) { return DecoderView(y % 2 ? kRight : kLeft, x, y / 2); }, 1, 2},
      {"column-interleaved.hlsl",
       [](uint32_t x, uint32_t y) { return DecoderView(x % 2 ? kRight : kLeft, x / 2, y); }, 2, 1},
      {"checkerboard.hlsl",
       [](uint32_t x, uint32_t y) { return DecoderView((x + y) % 2 ? kRight : kLeft, x / 2, y); }, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_NO_FATAL_FAILURE(
        Show(kW, kH, c.file, ShippedShader("encoders/mono.hlsl"), MakePicture(kW, kH, c.source)));
    for (Eye eye : {kLeft, kRight}) {
      const Picture image = EyeImage(eye);
      ASSERT_EQ(kW, image.width);
      ASSERT_EQ(kH, image.height);
      const Eye shown = c.xStep == 1 && c.yStep == 1 ? kLeft : eye;  // mono: both eyes show the one view
      EXPECT_EQ(0, CountMismatches(
                       image, [&](uint32_t x, uint32_t y) { return DecoderView(shown, x / c.xStep, y / c.yStep); },
                       0, EyeName(eye)));
    }
  }
}

// Frame-packed sources, at the HDMI sizes and two small ones: each eye row shows the matching row of its
// view, the band never shows. Every source row has its own colour; band rows have a full blue channel.
TEST_F(ShaderLibrary, FramePackingDecoderSplitsViewsAndLeavesTheBandOut) {
  const uint32_t width = 8;
  for (uint32_t height : {2205u, 1470u, 147u, 100u}) {
    SCOPED_TRACE(height);
    const uint32_t band = height / 49, viewRows = height * 24 / 49;
    const Picture source = MakePicture(width, height, [&](uint32_t x, uint32_t y) {
      return Rgb(y & 0xFF, (y >> 8) * 16 + x, y >= viewRows && y < viewRows + band ? 255 : 0);
    });
    ASSERT_NO_FATAL_FAILURE(
        Show(width, height, "frame-packing.hlsl", ShippedShader("encoders/mono.hlsl"), source));
    for (Eye eye : {kLeft, kRight}) {
      // Eye row y samples at (y + 0.5) / height of its view, which never lands on a row edge here.
      EXPECT_EQ(0, CountMismatches(
                       EyeImage(eye),
                       [&](uint32_t x, uint32_t y) {
                         const uint32_t viewRow = uint32_t((y + 0.5) * viewRows / height);
                         return source.At(x, eye == kLeft ? viewRow : viewRows + band + viewRow);
                       },
                       0, EyeName(eye)));
    }
  }
}

// ---- Encoders --------------------------------------------------------------------------------------

// The eye images come from the side-by-side decoder over a 128 x 32 source of two full 64-wide views, so
// each eye image holds every view pixel twice across; the views change every second row, so that
// positions on a texel edge (half-size outputs) read one colour. Mid-tones and darks both occur, so the
// linear-light arithmetic is tested where it differs most from the gamma-space one.
const uint32_t kEW = 128;
const uint32_t kEH = 32;

uint32_t View(Eye eye, uint32_t vx, uint32_t vy) {
  const uint32_t band = 6 * (vy / 2);
  return eye == kLeft ? Rgb(230 - 3 * vx, 20 + 3 * vx, 10 + band) : Rgb(40 + 2 * vx, 200 - band, 90 + 2 * vx);
}

Picture SideBySideSource() {
  return MakePicture(kEW, kEH, [](uint32_t x, uint32_t y) {
    return x < kEW / 2 ? View(kLeft, x, y) : View(kRight, x - kEW / 2, y);
  });
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

double SrgbToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double LinearToSrgb(double c) { return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055; }
double Clamp01(double v) { return std::fmin(std::fmax(v, 0.0), 1.0); }
uint32_t Encoded(const double rgb[3], bool linear) {
  uint32_t out[3];
  for (int k = 0; k < 3; ++k)
    out[k] = uint32_t(std::lround((linear ? LinearToSrgb(Clamp01(rgb[k])) : Clamp01(rgb[k])) * 255.0));
  return Rgb(out[0], out[1], out[2]);
}

// Anaglyph matrices; rows are output red, green, blue.
struct Matrix {
  double left[3][3];
  double right[3][3];
};
// Gamma space: the published integer matrices, in units of 1/65536.
const double kY[3] = {19595, 38470, 7471};
const Matrix kRedCyanColour = {{{65536, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {{0, 0, 0}, {0, 65536, 0}, {0, 0, 65536}}};
const Matrix kRedCyanHalf = {{{kY[0], kY[1], kY[2]}, {0, 0, 0}, {0, 0, 0}},
                             {{0, 0, 0}, {0, 65536, 0}, {0, 0, 65536}}};
const Matrix kRedCyanGrey = {{{kY[0], kY[1], kY[2]}, {0, 0, 0}, {0, 0, 0}},
                             {{0, 0, 0}, {kY[0], kY[1], kY[2]}, {kY[0], kY[1], kY[2]}}};
const Matrix kRedCyanDuboisGamma = {{{29884, 32768, 11534}, {-2621, -2490, -1049}, {-983, -1376, -328}},
                                    {{-2818, -5767, -131}, {24773, 48103, -1180}, {-4719, -7406, 80347}}};
const Matrix kGreenMagentaDuboisGamma = {{{-4063, -10354, -2556}, {18612, 43778, 9372}, {-983, -1769, 1376}},
                                         {{34669, 46203, 1573}, {-1049, -983, -4260}, {590, 4915, 61407}}};
const Matrix kAmberBlueDuboisGamma = {{{69599, -13435, 19595}, {-1704, 59507, 4456}, {-2490, -11338, 1442}},
                                      {{-1048, -8061, -1114}, {393, 4063, -1114}, {6160, 12124, 59703}}};
// Linear light: Dubois' least-squares matrices as published (three decimals).
const Matrix kRedCyan = {{{0.456, 0.500, 0.176}, {-0.040, -0.038, -0.016}, {-0.015, -0.021, -0.005}},
                         {{-0.043, -0.088, -0.002}, {0.378, 0.734, -0.018}, {-0.072, -0.113, 1.226}}};
const Matrix kGreenMagenta = {{{-0.062, -0.158, -0.039}, {0.284, 0.668, 0.143}, {-0.015, -0.027, 0.021}},
                              {{0.529, 0.705, 0.024}, {-0.016, -0.015, -0.065}, {0.009, 0.075, 0.937}}};
const Matrix kAmberBlue = {{{1.062, -0.205, 0.299}, {-0.026, 0.908, 0.068}, {-0.038, -0.173, 0.022}},
                           {{-0.016, -0.123, -0.017}, {0.006, 0.062, -0.017}, {0.094, 0.185, 0.911}}};

uint32_t Anaglyph(const Matrix& m, bool linear, uint32_t l, uint32_t r) {
  double sum[3] = {0.0, 0.0, 0.0};
  for (int c = 0; c < 3; ++c) {
    for (int k = 0; k < 3; ++k) {
      const double lv = Channel(l, k) / 255.0, rv = Channel(r, k) / 255.0;
      sum[c] += linear ? m.left[c][k] * SrgbToLinear(lv) + m.right[c][k] * SrgbToLinear(rv)
                       : (m.left[c][k] * lv + m.right[c][k] * rv) / 65536.0;
    }
  }
  return Encoded(sum, linear);
}

// Leak per channel and strength of a ghost-reducing encoder.
struct Ghost {
  double leak[3];
  double strength;
};
const Ghost kShippedGhost = {{0.03, 0.03, 0.03}, 1.0};
// A display with different leaks per channel and half-strength cancelling, typed into a copy of the file
// the way the user is told to.
const Ghost kEditedGhost = {{0.02, 0.06, 0.12}, 0.5};
const char kEditedGhostText[] =
    "static const float3 kLeak = float3(0.02, 0.06, 0.12);\nstatic const float kStrength = 0.5;\n";

// out = eye * (1 - c) + c * (1 - other) in linear light, c = leak * strength, per channel.
uint32_t ReduceGhost(const Ghost& g, uint32_t eye, uint32_t other) {
  double out[3];
  for (int k = 0; k < 3; ++k) {
    const double c = g.leak[k] * g.strength;
    out[k] = SrgbToLinear(Channel(eye, k) / 255.0) * (1.0 - c) +
             c * (1.0 - SrgbToLinear(Channel(other, k) / 255.0));
  }
  return Encoded(out, true);
}

// What the back buffer shows at pixel (x, y): s0 and s1 are the eye images on the two samplers.
using Rule = std::function<uint32_t(const Picture& s0, const Picture& s1, uint32_t x, uint32_t y,
                                    const WindowSettings& w, uint32_t frame)>;

Rule AnaglyphRule(const Matrix& m, bool linear) {
  return [&m, linear](const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w,
                      uint32_t) {
    return Anaglyph(m, linear, EyeAt(s0, kLeft, x + 0.5, y + 0.5, w), EyeAt(s1, kRight, x + 0.5, y + 0.5, w));
  };
}

// Where an output that shows one eye or the other takes pixel (x, y) from: true for the right eye, with
// the position (tx, ty) in the eye's picture.
using Placement = std::function<bool(uint32_t x, uint32_t y, uint32_t frame, double* tx, double* ty)>;

Placement SamePlace(std::function<bool(uint32_t, uint32_t, uint32_t)> showsRight) {
  return [showsRight](uint32_t x, uint32_t y, uint32_t frame, double* tx, double* ty) {
    *tx = x + 0.5;
    *ty = y + 0.5;
    return showsRight(x, y, frame);
  };
}

// Side by side or top and bottom: each half of a back buffer of width x height holds one eye, scaled to it.
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

// Each eye corrected against the other eye at the same place; with no leak, the eye as it is.
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

Rule PlainRule(Placement place) { return GhostRule({{0.0, 0.0, 0.0}, 0.0}, place); }

// Frame packing in a back buffer of `height` rows: eyes of height * 24 / 49 rows around a black band of
// height / 49 rows; rows below the right eye are black.
Rule FramePackingRule(uint32_t width, uint32_t height) {
  return [=](const Picture& s0, const Picture& s1, uint32_t x, uint32_t y, const WindowSettings& w, uint32_t) {
    const uint32_t band = height / 49, eyeRows = height * 24 / 49;
    const double tx = (x + 0.5) * kEW / width;
    if (y < eyeRows) return EyeAt(s0, kLeft, tx, (y + 0.5) * kEH / eyeRows, w);
    if (y >= eyeRows + band && y < 2 * eyeRows + band) {
      return EyeAt(s1, kRight, tx, (y - eyeRows - band + 0.5) * kEH / eyeRows, w);
    }
    return Rgb(0, 0, 0);
  };
}

// The outputs that show one eye per pixel, each also shipped as a ghost-reducing variant.
Placement OneEyePlacement(const std::string& base) {
  if (base == "row-interleaved") return SamePlace([](uint32_t, uint32_t y, uint32_t) { return y % 2 == 1; });
  if (base == "column-interleaved") return SamePlace([](uint32_t x, uint32_t, uint32_t) { return x % 2 == 1; });
  if (base == "checkerboard") return SamePlace([](uint32_t x, uint32_t y, uint32_t) { return (x + y) % 2 == 1; });
  if (base == "frame-sequential") return SamePlace([](uint32_t, uint32_t, uint32_t f) { return f % 2 == 1; });
  return Halves(base == "side-by-side-half", kEW, kEH);
}

struct EncoderCase {
  std::string file;
  uint32_t width;  // back-buffer size
  uint32_t height;
  Rule expected;
  std::string edit;  // when set, the file's leak and strength lines are replaced by this text
};

std::vector<EncoderCase> EncoderCases() {
  std::vector<EncoderCase> cases = {
      {"anaglyph-red-cyan-colour", kEW, kEH, AnaglyphRule(kRedCyanColour, false), ""},
      {"anaglyph-red-cyan-half-colour", kEW, kEH, AnaglyphRule(kRedCyanHalf, false), ""},
      {"anaglyph-red-cyan-grey", kEW, kEH, AnaglyphRule(kRedCyanGrey, false), ""},
      {"anaglyph-red-cyan-dubois-gamma", kEW, kEH, AnaglyphRule(kRedCyanDuboisGamma, false), ""},
      {"anaglyph-green-magenta-dubois-gamma", kEW, kEH, AnaglyphRule(kGreenMagentaDuboisGamma, false), ""},
      {"anaglyph-amber-blue-dubois-gamma", kEW, kEH, AnaglyphRule(kAmberBlueDuboisGamma, false), ""},
      {"anaglyph-red-cyan-dubois", kEW, kEH, AnaglyphRule(kRedCyan, true), ""},
      {"anaglyph-green-magenta-dubois", kEW, kEH, AnaglyphRule(kGreenMagenta, true), ""},
      {"anaglyph-amber-blue-dubois", kEW, kEH, AnaglyphRule(kAmberBlue, true), ""},
      {"mono", kEW, kEH, PlainRule(SamePlace([](uint32_t, uint32_t, uint32_t) { return false; })), ""},
      {"side-by-side-full", 2 * kEW, kEH, PlainRule(Halves(true, 2 * kEW, kEH)), ""},
      {"top-bottom-full", kEW, 2 * kEH, PlainRule(Halves(false, kEW, 2 * kEH)), ""},
      // Eyes of 32 rows (one to one) and of 64 rows (each eye row twice), with the rows the rule leaves
      // over at the bottom.
      {"frame-packing", kEW, 66, FramePackingRule(kEW, 66), ""},
      {"frame-packing", kEW, 131, FramePackingRule(kEW, 131), ""},
  };
  for (const char* base : {"row-interleaved", "column-interleaved", "checkerboard", "frame-sequential",
                           "side-by-side-half", "top-bottom-half"}) {
    const std::string ghost = std::string(base) + "-ghost-reduced";
    cases.push_back({base, kEW, kEH, PlainRule(OneEyePlacement(base)), ""});
    cases.push_back({ghost, kEW, kEH, GhostRule(kShippedGhost, OneEyePlacement(base)), ""});
    cases.push_back({ghost, kEW, kEH, GhostRule(kEditedGhost, OneEyePlacement(base)), kEditedGhostText});
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
  // The settings stand at the top, before any code that reads them.
  EXPECT_LT(strength, source.find("sampler2D"));
  source.replace(leak, source.find('\n', strength) + 1 - leak, c.edit);
  return WriteWorkFile("edited-" + c.file + ".hlsl", source);
}

TEST_F(ShaderLibrary, EveryEncoderFollowsItsRuleWithWindowAndSeparation) {
  const WindowSettings windows[] = {{0.0f, 0.0f}, {0.25f, 0.0f}, {0.0f, 0.125f}, {0.125f, -0.0625f}};
  for (const EncoderCase& c : EncoderCases()) {
    SCOPED_TRACE(c.file + (c.edit.empty() ? "" : " (retyped display settings)") + " at " +
                 std::to_string(c.width) + "x" + std::to_string(c.height));
    ASSERT_NO_FATAL_FAILURE(
        Show(c.width, c.height, "side-by-side-left-first.hlsl", EncoderPath(c), SideBySideSource()));
    const Picture eyes[2] = {EyeImage(kLeft), EyeImage(kRight)};
    // The two eye images differ, so any mix-up of the samplers shows.
    ASSERT_NE(eyes[0].At(10, 10), eyes[1].At(10, 10));
    for (uint32_t frame = 0; frame < 2; ++frame) {
      for (const WindowSettings& w : windows) {
        g_settings.proscenium = w.proscenium;
        g_settings.separation = w.separation;
        ASSERT_EQ(0, renderer_.RenderFrame());
        const Picture screen = Screen();
        ASSERT_EQ(c.width, screen.width);
        ASSERT_EQ(c.height, screen.height);
        const std::string what = "frame " + std::to_string(frame) + ", proscenium " +
                                 std::to_string(w.proscenium) + ", separation " + std::to_string(w.separation);
        EXPECT_EQ(0,
                  CountMismatches(
                      screen, [&](uint32_t x, uint32_t y) { return c.expected(eyes[0], eyes[1], x, y, w, frame); },
                      1, what));
      }
      renderer_.IncrementFrameCount();
    }
  }
}

// Frame packing at the two HDMI sizes: eyes of solid colours make every row's owner plain to see.
TEST_F(ShaderLibrary, FramePackingEncoderPlacesEyesAndBandAtHdmiSizes) {
  const uint32_t red = Rgb(250, 10, 10), blue = Rgb(10, 10, 250);
  const Picture source = MakePicture(16, 4, [&](uint32_t x, uint32_t) { return x < 8 ? red : blue; });
  for (uint32_t eyeRows : {1080u, 720u}) {
    const uint32_t band = eyeRows / 24, height = 2 * eyeRows + band;  // 2205 with 45, 1470 with 30
    SCOPED_TRACE(height);
    ASSERT_NO_FATAL_FAILURE(
        Show(16, height, "side-by-side-left-first.hlsl", ShippedShader("encoders/frame-packing.hlsl"), source));
    EXPECT_EQ(0, CountMismatches(
                     Screen(),
                     [&](uint32_t, uint32_t y) {
                       return y < eyeRows ? red : y < eyeRows + band ? Rgb(0, 0, 0) : blue;
                     },
                     0, "frame packing"));
  }
}

// Every shipped decoder with every shipped encoder: both compile through the real compiler, and the pair
// draws a picture (no trace of pass 2's green clear where the encoder writes).
TEST_F(ShaderLibrary, EveryShippedDecoderWorksWithEveryShippedEncoder) {
  std::vector<std::string> decoders, encoders;
  for (auto [folder, files] : {std::make_pair("decoders", &decoders), std::make_pair("encoders", &encoders)}) {
    for (const auto& entry : std::filesystem::directory_iterator(ShippedShader(folder)))
      files->push_back(entry.path());
  }
  ASSERT_GE(decoders.size(), 9u);
  ASSERT_GE(encoders.size(), 25u);
  ASSERT_NO_FATAL_FAILURE(Show(64, 49, "mono.hlsl", encoders[0],
                               MakePicture(32, 49, [](uint32_t, uint32_t) { return Rgb(200, 120, 40); })));
  for (const std::string& decoder : decoders) {
    for (const std::string& encoder : encoders) {
      SCOPED_TRACE(decoder + " with " + encoder);
      ASSERT_EQ(0, renderer_.LoadShaders(decoder.c_str(), encoder.c_str()));
      ASSERT_EQ(0, renderer_.RenderFrame());
      EXPECT_NE(ColourText(Rgb(0, 255, 0)), ColourText(Screen().At(40, 10)));
    }
  }
}

}  // namespace
