#include "toolwindows/status_bar.h"

namespace {
constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;  // 0x50800000
}

CTQStatusBar::CTQStatusBar() : handle_(nullptr), part_count_(0) {}

CTQStatusBar::~CTQStatusBar() {}

int CTQStatusBar::Create(HWND parent, int part_count, const int* part_edges) {
  part_count_ = part_count;
  handle_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", kStatusBarStyle, -100, -100, 10, 10, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (!handle_) return 1;
  SendMessageW(handle_, SB_SETPARTS, static_cast<WPARAM>(part_count), reinterpret_cast<LPARAM>(part_edges));
  return 0;
}

int CTQStatusBar::SetText(int slot, LPCWSTR text) {
  if (text) SendMessageW(handle_, SB_SETTEXTW, static_cast<WPARAM>(slot), reinterpret_cast<LPARAM>(text));
  return 0;
}

int CTQStatusBar::Resize() {
  SendMessageW(handle_, WM_SIZE, 0, 0);
  return 0;
}

int CTQStatusBar::Destroy() { return 0; }
