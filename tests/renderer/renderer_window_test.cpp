// Presenting into the real main window: in windowed mode the picture is stretched into the client area
// above the 22-pixel status bar, so its bottom row is the back buffer's bottom row; a render size of 0
// takes the client area's size.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "settings/settings.h"
#include "shell/window.h"
#include "tests/renderer/renderer_test_support.h"

namespace {

// A framed 400x300 main window, once the window manager has mapped and sized it (asynchronously).
void CreateMappedWindow(CTQWindow* window, RECT* client) {
  ResetRendererSettings();
  g_settings.fullscreen = 0;
  ASSERT_EQ(0, window->Create(L"TQ2RendererTest", 400, 300));
  for (int i = 0; i < 200 && client->bottom <= kStatusBarHeight; ++i) {
    window->PumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(GetClientRect(window->GetHandle(), client));
  }
}

TEST(RendererWindow, WindowedPresentFillsTheClientAreaAboveTheStatusBar) {
  CTQWindow window;
  RECT client = {};
  ASSERT_NO_FATAL_FAILURE(CreateMappedWindow(&window, &client));
  const LONG width = client.right - client.left;
  const LONG height = client.bottom - client.top - kStatusBarHeight;
  ASSERT_GT(height, 64);

  CTQRenderer renderer;
  ASSERT_EQ(0, renderer.Initialize(window.GetHandle(), 64, 64, ShippedShader("decoders/mono.hlsl").c_str(),
                                   ShippedShader("encoders/mono.hlsl").c_str(), 0));
  // Red above, blue in the bottom eighth of the picture.
  UploadPicture(renderer, MakePicture(64, 64, [](uint32_t, uint32_t y) {
                  return y < 56 ? Rgb(255, 0, 0) : Rgb(0, 0, 255);
                }));
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(0, renderer.RenderFrame());
    window.PumpMessages();
  }

  IDirect3DSurface9* shown = nullptr;
  ASSERT_GE(renderer.GetDevice()->CreateOffscreenPlainSurface(width, height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                              &shown, nullptr),
            0);
  ASSERT_GE(renderer.GetDevice()->GetFrontBufferData(0, shown), 0)
      << "render area is not " << width << "x" << height;
  D3DLOCKED_RECT locked = {};
  ASSERT_GE(shown->LockRect(&locked, nullptr, 0), 0);
  auto pixel = [&](LONG x, LONG y) {
    return *reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch +
                                              x * 4);
  };
  const LONG edge = height * 7 / 8;
  EXPECT_EQ(ColourText(Rgb(255, 0, 0)), ColourText(pixel(width / 2, 0)));
  EXPECT_EQ(ColourText(Rgb(255, 0, 0)), ColourText(pixel(width / 2, edge - 3)));
  EXPECT_EQ(ColourText(Rgb(0, 0, 255)), ColourText(pixel(width / 2, edge + 3)));
  EXPECT_EQ(ColourText(Rgb(0, 0, 255)), ColourText(pixel(width - 1, height - 1)));
  shown->UnlockRect();
  shown->Release();

  renderer.Shutdown();
  window.Destroy();
}

TEST(RendererWindow, ARenderSizeOfZeroTakesTheWholeClientArea) {
  CTQWindow window;
  RECT client = {};
  ASSERT_NO_FATAL_FAILURE(CreateMappedWindow(&window, &client));
  CTQRenderer renderer;
  ASSERT_EQ(0, renderer.Initialize(window.GetHandle(), 0, 0, ShippedShader("decoders/mono.hlsl").c_str(),
                                   ShippedShader("encoders/mono.hlsl").c_str(), 0));
  EXPECT_EQ(0u, renderer.GetRenderWidth());  // the stored size stays 0
  D3DSURFACE_DESC desc = {};
  renderer.GetBackBufferSurface()->GetDesc(&desc);
  // The status bar is part of the client area.
  EXPECT_EQ(static_cast<UINT>(client.right - client.left), desc.Width);
  EXPECT_EQ(static_cast<UINT>(client.bottom - client.top), desc.Height);
  renderer.Shutdown();
  window.Destroy();
}

}  // namespace
