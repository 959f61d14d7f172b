#include "tests/renderer/renderer_test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "settings/settings.h"

std::string ColourText(uint32_t c) {
  char text[32];
  snprintf(text, sizeof(text), "(%u,%u,%u)", Red(c), Green(c), Blue(c));
  return text;
}

Picture MakePicture(uint32_t width, uint32_t height, const PixelRule& pixel) {
  Picture picture(width, height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) picture.At(x, y) = pixel(x, y);
  }
  return picture;
}

int CountMismatches(const Picture& got, const PixelRule& want, int tolerance, const std::string& what) {
  int wrong = 0;
  for (uint32_t y = 0; y < got.height; ++y) {
    for (uint32_t x = 0; x < got.width; ++x) {
      const uint32_t a = got.At(x, y), b = want(x, y);
      bool close = true;
      for (int k = 0; k < 3; ++k) close = close && std::abs(int(Channel(a, k)) - int(Channel(b, k))) <= tolerance;
      if (!close && ++wrong <= 3) {
        ADD_FAILURE() << what << " at " << x << "," << y << ": " << ColourText(a) << " instead of "
                      << ColourText(b);
      }
    }
  }
  return wrong;
}

std::string ShippedShader(const std::string& relative) { return std::string(TQ_SHADER_DIR) + "/" + relative; }

std::string WorkPath(const std::string& name) {
  mkdir(TQ_TEST_WORK_DIR, 0755);
  return std::string(TQ_TEST_WORK_DIR) + "/" + name;
}

std::string WriteWorkFile(const std::string& name, const std::string& text) {
  std::string path = WorkPath(name);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return path;
}

void UploadPicture(CTQRenderer& renderer, const Picture& picture) {
  ASSERT_EQ(0, renderer.CreateSourceTexture(picture.width, picture.height));
  uint8_t* bits = nullptr;
  int32_t pitch = 0;
  ASSERT_EQ(0, renderer.LockSource(&bits, &pitch));
  ASSERT_NE(nullptr, bits);
  ASSERT_GE(pitch, int32_t(picture.width * 4));
  for (uint32_t y = 0; y < picture.height; ++y) {
    memcpy(bits + size_t(y) * pitch, &picture.pixels[size_t(y) * picture.width], picture.width * 4);
  }
  ASSERT_EQ(0, renderer.UnlockSource());
}

Picture ReadBack(CTQRenderer& renderer, IDirect3DSurface9* surface) {
  IDirect3DDevice9* device = renderer.GetDevice();
  D3DSURFACE_DESC desc = {};
  IDirect3DSurface9* copy = nullptr;
  if (device == nullptr || surface == nullptr || surface->GetDesc(&desc) < 0 ||
      device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy,
                                          nullptr) < 0) {
    ADD_FAILURE() << "nothing to read back";
    return Picture();
  }
  Picture picture(desc.Width, desc.Height);
  D3DLOCKED_RECT locked = {};
  if (device->GetRenderTargetData(surface, copy) < 0 || copy->LockRect(&locked, nullptr, 0) < 0) {
    ADD_FAILURE() << "the read-back of the render target failed";
    picture = Picture();
  } else {
    for (uint32_t y = 0; y < desc.Height; ++y) {
      memcpy(&picture.pixels[size_t(y) * desc.Width],
             static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch, desc.Width * 4);
    }
    copy->UnlockRect();
  }
  copy->Release();
  return picture;
}

void ResetRendererSettings() {
  g_settings.show_channel = CHANNEL_BOTH;
  g_settings.invert_channels = 0;
  g_settings.proscenium = 0.0f;
  g_settings.separation = 0.0f;
}

void StartCapture() {
  fflush(stdout);
  testing::internal::CaptureStdout();
}

std::vector<std::string> StopCapture() {
  fflush(stdout);
  std::istringstream text(testing::internal::GetCapturedStdout());
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}
