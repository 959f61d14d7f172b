// Window classes: registration of the application's classes and of the built-in control classes,
// module, cursor and stock-object handles.
#include <QString>
#include <memory>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"

namespace {

std::vector<std::unique_ptr<Win32Class>>& Classes() {
  static std::vector<std::unique_ptr<Win32Class>> classes;
  return classes;
}

ATOM g_next_atom = 0xC000;

// Stock brushes are small tokens; their colours are fixed.
constexpr uintptr_t kStockBase = 0x7F10;
const COLORREF kStockColors[] = {RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64),
                                 RGB(0, 0, 0)};

Win32Class* AddClass(const std::wstring& name, WNDPROC proc, UINT style, HBRUSH background, Win32ClassKind kind) {
  auto entry = std::make_unique<Win32Class>();
  entry->name = name;
  entry->atom = g_next_atom++;
  entry->proc = proc;
  entry->style = style;
  entry->background = background;
  entry->kind = kind;
  Classes().push_back(std::move(entry));
  return Classes().back().get();
}

bool SameName(const std::wstring& a, LPCWSTR b) {
  return QString::compare(Win32ToQString(a.c_str()), Win32ToQString(b), Qt::CaseInsensitive) == 0;
}

}  // namespace

void Win32RegisterSystemClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  HBRUSH face = reinterpret_cast<HBRUSH>(kStockBase + LTGRAY_BRUSH);
  HBRUSH white = reinterpret_cast<HBRUSH>(kStockBase + WHITE_BRUSH);
  AddClass(STATUSCLASSNAMEW, Win32StatusBarProc, 0, face, Win32ClassKind::kStatusBar);
  AddClass(WC_LISTVIEWW, Win32ListViewProc, CS_DBLCLKS, white, Win32ClassKind::kListView);
  AddClass(WC_EDITW, Win32EditProc, 0, white, Win32ClassKind::kEdit);
}

Win32Class* Win32FindClass(LPCWSTR name_or_atom) {
  Win32RegisterSystemClasses();
  if (!name_or_atom) return nullptr;
  for (const auto& entry : Classes()) {
    if (IS_INTRESOURCE(name_or_atom)) {
      if (entry->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name_or_atom))) {
        return entry.get();
      }
    } else if (SameName(entry->name, name_or_atom)) {
      return entry.get();
    }
  }
  return nullptr;
}

bool Win32BrushColor(HBRUSH brush, COLORREF* color) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(brush);
  if (value < kStockBase || value > kStockBase + BLACK_BRUSH) return false;
  *color = kStockColors[value - kStockBase];
  return true;
}

ATOM RegisterClassExW(const WNDCLASSEXW* wndClass) {
  if (!wndClass || wndClass->cbSize != sizeof(WNDCLASSEXW)) {
    Win32Fail("RegisterClassExW", ERROR_INVALID_PARAMETER, "missing record or wrong cbSize");
    return 0;
  }
  if (!wndClass->lpfnWndProc || !wndClass->lpszClassName ||
      (!IS_INTRESOURCE(wndClass->lpszClassName) && wndClass->lpszClassName[0] == 0)) {
    Win32Fail("RegisterClassExW", ERROR_INVALID_PARAMETER, "no window procedure or class name");
    return 0;
  }
  if (IS_INTRESOURCE(wndClass->lpszClassName)) {
    Win32NotImplemented("RegisterClassExW", "class names given as atoms");
    return 0;
  }
  if (wndClass->cbClsExtra != 0 || wndClass->cbWndExtra != 0) {
    Win32NotImplemented("RegisterClassExW", "class or window extra bytes");
    return 0;
  }
  if (Win32FindClass(wndClass->lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  Win32Class* entry = AddClass(wndClass->lpszClassName, wndClass->lpfnWndProc, wndClass->style,
                               wndClass->hbrBackground, Win32ClassKind::kApplication);
  entry->cursor = wndClass->hCursor;
  return entry->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  Win32Class* entry = Win32FindClass(className);
  if (!entry || entry->kind != Win32ClassKind::kApplication) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (entry->window_count > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  auto& classes = Classes();
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (it->get() == entry) {
      classes.erase(it);
      break;
    }
  }
  return TRUE;
}

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
  if (moduleName) {
    Win32NotImplemented("GetModuleHandleW", "modules other than the program's own");
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR cursorName) {
  if (instance || cursorName != IDC_ARROW) {
    Win32NotImplemented("LoadCursorW", "cursors other than the system arrow");
    return nullptr;
  }
  return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(32512));
}

HGDIOBJ GetStockObject(int object) {
  if (object < WHITE_BRUSH || object > NULL_BRUSH) {
    Win32NotImplemented("GetStockObject", "stock objects other than brushes");
    return nullptr;
  }
  return reinterpret_cast<HGDIOBJ>(kStockBase + object);
}
