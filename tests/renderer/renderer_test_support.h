// Helpers for the renderer tests: pictures as 0xAARRGGBB words (memory order B, G, R, A), uploading them
// as a movie frame, reading render targets back, shader and work-file paths, captured error lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "renderer/renderer.h"

struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint32_t> pixels;  // row 0 at the top

  Picture() = default;
  Picture(uint32_t w, uint32_t h) : width(w), height(h), pixels(size_t(w) * h, 0) {}
  uint32_t& At(uint32_t x, uint32_t y) { return pixels[size_t(y) * width + x]; }
  uint32_t At(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | (r << 16) | (g << 8) | b; }
constexpr uint32_t Red(uint32_t c) { return (c >> 16) & 0xFF; }
constexpr uint32_t Green(uint32_t c) { return (c >> 8) & 0xFF; }
constexpr uint32_t Blue(uint32_t c) { return c & 0xFF; }
constexpr uint32_t Channel(uint32_t c, int k) { return k == 0 ? Red(c) : k == 1 ? Green(c) : Blue(c); }
std::string ColourText(uint32_t c);

using PixelRule = std::function<uint32_t(uint32_t x, uint32_t y)>;
// A picture of width x height whose pixel (x, y) is pixel(x, y).
Picture MakePicture(uint32_t width, uint32_t height, const PixelRule& pixel);
// The pixels of `got` whose red, green or blue is more than `tolerance` steps from want(x, y); the first
// three are reported as failures, named by `what`. Alpha is not compared.
int CountMismatches(const Picture& got, const PixelRule& want, int tolerance, const std::string& what);

// A shipped shader, by its path under shaders/ (for example "decoders/mono.hlsl").
std::string ShippedShader(const std::string& relative);
// A file under this test's work folder in the build tree, written with `text`; returns its path.
std::string WriteWorkFile(const std::string& name, const std::string& text);
std::string WorkPath(const std::string& name);

// Creates the movie source texture of the picture's size and copies the picture in through LockSource.
void UploadPicture(CTQRenderer& renderer, const Picture& picture);
// Copies a render target (eye target or back buffer) into a picture.
Picture ReadBack(CTQRenderer& renderer, IDirect3DSurface9* surface);

// Restores the settings the renderer reads to a neutral state: both eyes, no swap, no window, no shift.
void ResetRendererSettings();

// A renderer on an offscreen device, with neutral settings before and after each test.
class RendererTest : public testing::Test {
 protected:
  void SetUp() override { ResetRendererSettings(); }
  void TearDown() override {
    renderer_.Shutdown();
    ResetRendererSettings();
  }
  Picture Screen() { return ReadBack(renderer_, renderer_.GetBackBufferSurface()); }
  Picture EyeImage(int eye) { return ReadBack(renderer_, renderer_.GetEyeSurface(eye)); }
  CTQRenderer renderer_;
};

// Standard-output capture around a call, split into lines.
void StartCapture();
std::vector<std::string> StopCapture();
