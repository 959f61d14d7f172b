#include "shell/window.h"

#include <cstdarg>
#include <cwchar>

#include "player/movie_player.h"
#include "renderer/renderer.h"
#include "settings/settings.h"
#include "shell/resources/resource.h"

CTQWindow g_window;
CTQWindow* CTQWindow::live_ = nullptr;

namespace {

constexpr LPCWSTR kTitle = L"Tandemix build 002.184.016";
constexpr DWORD kFramedStyle = WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW;  // 0x90CF0000
constexpr DWORD kFullscreenStyle = WS_POPUP | WS_VISIBLE;                    // 0x90000000
constexpr int kStatusEdges[4] = {195, 390, 580, -1};
constexpr int kStatusTextChars = 260;

}  // namespace

CTQWindow::CTQWindow()
    : handle_(nullptr),
      x_(0),
      y_(0),
      width_(0),
      height_(0),
      restore_x_(0),
      restore_y_(0),
      restore_width_(0),
      restore_height_(0),
      window_class_(),
      class_name_(),
      fullscreen_(0),
      created_(0),
      last_message_() {}

CTQWindow::~CTQWindow() {}

CTQWindow* CTQWindow::Live() { return live_; }

int CTQWindow::Create(LPCWSTR class_name, uint32_t width, uint32_t height) {
  const uint32_t screen_width = static_cast<uint32_t>(GetSystemMetrics(SM_CXSCREEN));
  const uint32_t screen_height = static_cast<uint32_t>(GetSystemMetrics(SM_CYSCREEN));
  if (width == 0 || height == 0) return WINDOW_ZERO_SIZE;
  if (created_) return WINDOW_FAILED;
  width_ = static_cast<int32_t>(width);
  height_ = static_cast<int32_t>(height);
  wcsncpy(class_name_, class_name ? class_name : L"", 159);
  class_name_[159] = 0;

  // Messages sent while the window is being created must already reach this object.
  if (live_ && live_ != this) live_->Destroy();
  live_ = this;

  window_class_ = WNDCLASSEXW();
  window_class_.cbSize = sizeof(WNDCLASSEXW);
  window_class_.style = CS_HREDRAW | CS_VREDRAW;
  window_class_.lpfnWndProc = StaticWindowProc;
  window_class_.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class_.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  window_class_.lpszClassName = class_name_;
  if (!RegisterClassExW(&window_class_)) {
    live_ = nullptr;
    return WINDOW_FAILED;
  }

  // Centred; each half is an unsigned division, so a window larger than the screen starts above and
  // left of it.
  const int x = static_cast<int>(screen_width / 2 - width / 2);
  const int y = static_cast<int>(screen_height / 2 - height / 2);
  handle_ = CreateWindowExW(0, class_name_, kTitle, kFramedStyle, x, y, width_, height_, nullptr, nullptr, nullptr,
                            nullptr);
  if (!handle_) {
    UnregisterClassW(class_name_, nullptr);
    live_ = nullptr;
    return WINDOW_FAILED;
  }

  menu_.Create(handle_, IDR_MAINMENU);
  SetToolWindowsOwner(handle_, menu_.GetHandle());

  status_bar_.Create(handle_, 4, kStatusEdges);
  SetStatusText(3, L" Player Initialized Successfully");

  // The requested outer size once more, now with the menu bar and the status bar in place.
  SetWindowPos(handle_, nullptr, 0, 0, static_cast<int>(width), static_cast<int>(height),
               SWP_NOMOVE | SWP_NOZORDER);
  RECT rect;
  GetWindowRect(handle_, &rect);
  x_ = rect.left;
  y_ = rect.top;
  ShowWindow(handle_, SW_SHOWNORMAL);
  UpdateWindow(handle_);
  created_ = 1;
  SetFullscreen(g_settings.fullscreen);
  return WINDOW_OK;
}

int CTQWindow::Destroy() {
  if (!created_) return WINDOW_FAILED;
  live_ = nullptr;
  SetToolWindowsOwner(nullptr, nullptr);
  menu_.Destroy();
  status_bar_.Destroy();
  // The window goes with its class, so that a later Create can register the class again.
  DestroyWindow(handle_);
  handle_ = nullptr;
  UnregisterClassW(class_name_, nullptr);
  created_ = 0;
  return WINDOW_OK;
}

int CTQWindow::SetFullscreen(int32_t on) {
  if (!created_) return WINDOW_FAILED;
  fullscreen_ = on ? 1 : 0;
  if (fullscreen_) {
    restore_x_ = x_;
    restore_y_ = y_;
    restore_width_ = width_;
    restore_height_ = height_;
    ShowWindow(status_bar_.GetHandle(), SW_HIDE);
    SetMenu(handle_, nullptr);
    SetWindowLongW(handle_, GWL_STYLE, static_cast<LONG>(kFullscreenStyle));
    SetWindowPos(handle_, nullptr, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN), width_,
                 height_, 0);
    ShowWindow(handle_, SW_SHOWMAXIMIZED);
  } else {
    if (restore_width_ == 0 || restore_height_ == 0) {
      restore_x_ = x_;
      restore_y_ = y_;
      restore_width_ = width_;
      restore_height_ = height_;
    }
    ShowWindow(status_bar_.GetHandle(), SW_SHOW);
    SetMenu(handle_, menu_.GetHandle());
    SetWindowLongW(handle_, GWL_STYLE, static_cast<LONG>(kFramedStyle));
    SetWindowPos(handle_, nullptr, restore_x_, restore_y_, restore_width_, restore_height_, 0);
    ShowWindow(handle_, SW_SHOWNORMAL);
  }
  UpdateWindow(handle_);
  g_renderer.SetFullscreen(fullscreen_);
  return WINDOW_OK;
}

int CTQWindow::PumpMessages() {
  if (last_message_.message == WM_QUIT) return WINDOW_QUIT;
  if (PeekMessageW(&last_message_, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&last_message_);
    DispatchMessageW(&last_message_);
  }
  return WINDOW_OK;
}

int CTQWindow::PollChannelKeys() {
  const bool left = (GetAsyncKeyState(VK_LEFT) & 0x8000) != 0;
  const bool right = (GetAsyncKeyState(VK_RIGHT) & 0x8000) != 0;
  if (left && !right) {
    g_settings.show_channel = CHANNEL_LEFT;
  } else if (right && !left) {
    g_settings.show_channel = CHANNEL_RIGHT;
  } else {
    g_settings.show_channel = CHANNEL_BOTH;
  }
  return 0;
}

int CTQWindow::SetStatusText(int slot, LPCWSTR format, ...) {
  WCHAR text[kStatusTextChars] = {};
  va_list args;
  va_start(args, format);
  vswprintf(text, kStatusTextChars, format, args);  // at most 259 characters and the terminator
  va_end(args);
  text[kStatusTextChars - 1] = 0;
  status_bar_.SetText(slot, text);
  return 0;
}

void CTQWindow::SetToolWindowsOwner(HWND owner, HMENU owner_menu) {
  CTQDialog* const tool_windows[] = {&general_settings_, &movie_player_settings_, &stereoscopic_settings_,
                                     &tracker_settings_, &playlist_viewer_,       &encoder_viewer_,
                                     &decoder_viewer_};
  for (CTQDialog* tool_window : tool_windows) tool_window->SetOwner(owner, owner_menu);
}

// Escape leaves full screen through View > Fullscreen, and Space plays or pauses through the Movie
// menu's commands, so that a key and its menu item always do the same.
void CTQWindow::OnKeyDown(WPARAM key) {
  if (key == VK_ESCAPE) {
    if (fullscreen_) {
      // The command toggles the setting; while the window is full screen, that turns it off.
      g_settings.fullscreen = 1;
      SendMessageW(handle_, WM_COMMAND, ID_VIEW_FULLSCREEN, 0);
    } else {
      PostQuitMessage(0);
    }
  } else if (key == VK_SPACE) {
    if (g_player.IsLoaded()) {
      SendMessageW(handle_, WM_COMMAND, g_player.IsPlaying() ? ID_MOVIE_PAUSE : ID_MOVIE_PLAY, 0);
    }
  }
}

LRESULT CTQWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_KEYDOWN:
      OnKeyDown(wparam);
      return 0;
    case WM_KEYUP:
      return 0;
    case WM_COMMAND:
      menu_.OnCommand(LOWORD(wparam));
      return 0;
    case WM_CLOSE:
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_MOVE:
      // The client area's new origin; signed, so that a window partly left of or above the screen
      // keeps a position it can be restored to.
      x_ = GET_X_LPARAM(lparam);
      y_ = GET_Y_LPARAM(lparam);
      return 0;
    case WM_SIZE: {
      RECT rect;
      GetWindowRect(hwnd, &rect);
      x_ = rect.left;
      y_ = rect.top;
      width_ = rect.right - rect.left;
      height_ = rect.bottom - rect.top;
      g_settings.window_width = width_;
      g_settings.window_height = height_;
      status_bar_.Resize();
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

LRESULT CTQWindow::StaticWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!live_) return 0;
  return live_->WindowProc(hwnd, message, wparam, lparam);
}
