#include "tests/common/main_window_support.h"

#include <QVariant>
#include <QWidget>

#include "shell/win32/win32_internal.h"

HWND StatusBarOf(const CTQWindow& window) {
  Win32Window* frame = Win32FromHandle(window.GetHandle());
  if (!frame || !frame->widget) return nullptr;
  for (QWidget* child : frame->widget->findChildren<QWidget*>()) {
    const QVariant value = child->property(kWin32HandleProperty);
    if (value.isValid()) return reinterpret_cast<HWND>(value.value<quintptr>());
  }
  return nullptr;
}

std::wstring StatusTextOf(const CTQWindow& window, int slot) {
  WCHAR text[300] = {};
  SendMessageW(StatusBarOf(window), SB_GETTEXTW, static_cast<WPARAM>(slot), reinterpret_cast<LPARAM>(text));
  return text;
}
