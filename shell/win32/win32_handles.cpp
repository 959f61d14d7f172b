// The one place where window handles are turned into the layer's window objects and back.
// Handles are never reused within a run, so a stale handle is reported as invalid, not confused
// with a newer window.
#include <QVariant>
#include <map>

#include "shell/win32/win32_internal.h"

namespace {

std::map<uintptr_t, Win32Window*>& Windows() {
  static std::map<uintptr_t, Win32Window*> windows;
  return windows;
}

uintptr_t g_next_handle = 0x10010;

}  // namespace

Win32Window* Win32FromHandle(HWND hwnd) {
  auto it = Windows().find(reinterpret_cast<uintptr_t>(hwnd));
  return it == Windows().end() ? nullptr : it->second;
}

HWND Win32AddWindow(Win32Window* window) {
  const uintptr_t value = g_next_handle;
  g_next_handle += 2;
  window->hwnd = reinterpret_cast<HWND>(value);
  Windows()[value] = window;
  return window->hwnd;
}

void Win32RemoveWindow(HWND hwnd) {
  auto it = Windows().find(reinterpret_cast<uintptr_t>(hwnd));
  if (it == Windows().end()) return;
  delete it->second;
  Windows().erase(it);
}

std::vector<HWND> Win32ChildrenOf(HWND hwnd) {
  std::vector<HWND> children;
  for (const auto& entry : Windows()) {  // keys grow with creation order
    if (entry.second->parent == hwnd) children.push_back(entry.second->hwnd);
  }
  return children;
}

std::vector<HWND> Win32TopLevelWindows() {
  std::vector<HWND> windows;
  for (const auto& entry : Windows()) {
    if (entry.second->IsTopLevel()) windows.push_back(entry.second->hwnd);
  }
  return windows;
}

HWND Win32HandleOfWidget(const QWidget* widget) {
  for (const QWidget* w = widget; w; w = w->parentWidget()) {
    const QVariant value = w->property(kWin32HandleProperty);
    if (value.isValid()) return reinterpret_cast<HWND>(value.value<quintptr>());
  }
  return nullptr;
}

namespace {

std::map<uintptr_t, Win32Menu*>& Menus() {
  static std::map<uintptr_t, Win32Menu*> menus;
  return menus;
}

uintptr_t g_next_menu = 0x20010;

}  // namespace

Win32Menu* Win32MenuFromHandle(HMENU menu) {
  auto it = Menus().find(reinterpret_cast<uintptr_t>(menu));
  return it == Menus().end() ? nullptr : it->second;
}

HMENU Win32AddMenu(Win32Menu* menu) {
  const uintptr_t value = g_next_menu;
  g_next_menu += 2;
  menu->handle = reinterpret_cast<HMENU>(value);
  Menus()[value] = menu;
  return menu->handle;
}

void Win32RemoveMenu(HMENU menu) {
  auto it = Menus().find(reinterpret_cast<uintptr_t>(menu));
  if (it == Menus().end()) return;
  delete it->second;
  Menus().erase(it);
}

void Win32MenuDetachedFrom(HWND hwnd) {
  for (const auto& entry : Menus()) {
    if (entry.second->window == hwnd) entry.second->window = nullptr;
  }
}
