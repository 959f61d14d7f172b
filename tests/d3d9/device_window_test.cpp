// A device on a real window of the windowing layer: Present shows the picture in the window's render
// surface, and a repeated frame, not drawn again, is shown again after the window was resized or exposed;
// between presents the render area shows a defined picture, never stale pixels.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "renderer/d3d9/d3d9_device.h"
#include "shell/win32/windows.h"
#include "tests/d3d9/device_test_support.h"

namespace {

void PumpFor(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  MSG msg;
  while (std::chrono::steady_clock::now() < end) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// The colour of one pixel of the X screen, as six hex digits. xwd walks the window tree and fails with
// BadWindow when a window of another client goes away meanwhile; such a failed grab is taken again.
std::string ScreenPixel(int x, int y) {
  const std::string command = "xwd -root -silent 2>/dev/null | convert xwd:- -crop 1x1+" + std::to_string(x) +
                              "+" + std::to_string(y) + " -format '%[hex:p{0,0}]' info:- 2>/dev/null";
  std::string colour;
  for (int attempt = 0; attempt < 5 && colour.size() != 6; ++attempt) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "";
    char text[32] = {};
    const size_t read = fread(text, 1, sizeof(text) - 1, pipe);
    pclose(pipe);
    colour = std::string(text, read).substr(0, 6);
  }
  return colour;
}

// A shown 320x240 top-level window of its own class, once the window manager has mapped it, and a
// windowed 64x48 back buffer on it, presented once per retrace.
class DeviceWindowTest : public ::testing::Test {
 protected:
  void ShowWindowAndOpenDirect3D(const wchar_t* className, HBRUSH background) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    ASSERT_NE(RegisterClassExW(&windowClass), 0);
    window_ = CreateWindowExW(0, className, L"graphics layer test", WS_OVERLAPPEDWINDOW, 10, 10, 320, 240, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOW);
    PumpFor(300);
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
  }
  IDirect3DDevice9* CreateDevice() {
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = 64;
    parameters.BackBufferHeight = 48;
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                 &device),
              D3D_OK);
    return device;
  }
  void TearDown() override {
    if (d3d_) {
      EXPECT_EQ(d3d_->Release(), 0u);
    }
    if (window_) DestroyWindow(window_);
  }
  HWND window_ = nullptr;
  IDirect3D9* d3d_ = nullptr;
};

}  // namespace

TEST_F(DeviceWindowTest, PresentFillsTheRenderSurfaceAndRedrawsAfterAResize) {
  ASSERT_NO_FATAL_FAILURE(ShowWindowAndOpenDirect3D(L"TQ_D3D9_TEST", nullptr));
  IDirect3DDevice9* device = CreateDevice();
  ASSERT_NE(device, nullptr);

  auto frame = [&]() {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF3060C0, 1.0f, 0);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  };
  // What the window shows, checked all over: the back buffer stretched over the whole render surface,
  // which is the client area of a window without a status bar.
  auto expectFilled = [&]() {
    RECT client = {};
    GetClientRect(window_, &client);
    const UINT width = static_cast<UINT>(client.right), height = static_cast<UINT>(client.bottom);
    IDirect3DSurface9* front = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(width, height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &front,
                                                  nullptr),
              D3D_OK);
    ASSERT_EQ(device->GetFrontBufferData(0, front), D3D_OK);
    EXPECT_TRUE(SamePixels(ReadSurfacePixels(front, width, height),
                           std::vector<uint32_t>(size_t(width) * height, 0xFF3060C0u), width))
        << "of " << width << "x" << height;
    front->Release();
  };

  // The render surface appears with the device; the frames after it was exposed show the picture.
  frame();
  PumpFor(200);
  frame();
  expectFilled();
  const unsigned long long skippedBefore = static_cast<CTQD3DDevice*>(device)->SkippedFrames();
  frame();
  EXPECT_EQ(static_cast<CTQD3DDevice*>(device)->SkippedFrames(), skippedBefore + 1);

  MoveWindow(window_, 10, 10, 400, 300, TRUE);
  PumpFor(300);
  frame();  // the same frame: not drawn again, but shown again over the new size
  EXPECT_EQ(static_cast<CTQD3DDevice*>(device)->SkippedFrames(), skippedBefore + 2);
  expectFilled();
  // And the screen itself shows it, in the middle of the window.
  EXPECT_EQ(ScreenPixel(210, 160), "3060C0");

  // Hidden and shown again, the window lost its pixels; the repeated frame puts the picture back.
  ShowWindow(window_, SW_HIDE);
  PumpFor(200);
  ShowWindow(window_, SW_SHOW);
  PumpFor(300);
  frame();
  EXPECT_EQ(static_cast<CTQD3DDevice*>(device)->SkippedFrames(), skippedBefore + 3);
  PumpFor(100);
  EXPECT_EQ(ScreenPixel(210, 160), "3060C0");

  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(DeviceWindowTest, BetweenPresentsTheRenderAreaShowsTheLastPictureOrBlack) {
  ASSERT_NO_FATAL_FAILURE(
      ShowWindowAndOpenDirect3D(L"TQ_D3D9_EXPOSE_TEST", static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
  // Two neighbouring pixels, so that a patterned background cannot pass for a plain colour.
  auto shows = [](int x, int y) { return ScreenPixel(x, y) + "/" + ScreenPixel(x + 1, y); };

  // A device that has presented nothing yet: black, also over the area a resize uncovers.
  IDirect3DDevice9* device = CreateDevice();
  ASSERT_NE(device, nullptr);
  PumpFor(300);
  EXPECT_EQ(shows(170, 130), "000000/000000");
  MoveWindow(window_, 10, 10, 400, 300, TRUE);
  PumpFor(300);
  EXPECT_EQ(shows(370, 280), "000000/000000");

  // One picture, then a resize with no Present after it: the picture is shown stretched over the new size.
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF3060C0, 1.0f, 0);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  PumpFor(200);
  EXPECT_EQ(shows(210, 160), "3060C0/3060C0");
  MoveWindow(window_, 10, 10, 480, 360, TRUE);
  PumpFor(300);
  EXPECT_EQ(shows(450, 340), "3060C0/3060C0");
  EXPECT_EQ(shows(20, 20), "3060C0/3060C0");

  // Without a device the render area shows the class brush, also after a resize.
  EXPECT_EQ(device->Release(), 0u);
  PumpFor(300);
  EXPECT_EQ(shows(210, 160), "000000/000000");
  MoveWindow(window_, 10, 10, 520, 400, TRUE);
  PumpFor(300);
  EXPECT_EQ(shows(500, 380), "000000/000000");
}
