// Windows: creation with the messages a window procedure sees before CreateWindowExW returns,
// destruction, the default window procedure, window text and window longs, focus and activation.
#include <QApplication>
#include <QVariant>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"

namespace {

QWidget* CreateWidgets(Win32Window* window, int x, int y, int width, int height) {
  QWidget* parent = window->IsTopLevel() ? nullptr : Win32ClientWidget(window->parent);
  QWidget* widget = nullptr;
  switch (window->window_class->kind) {
    case Win32ClassKind::kApplication:
      if (!Win32CreateApplicationWidgets(window, x, y, width, height)) return nullptr;
      return window->widget;
    case Win32ClassKind::kStatusBar:
      widget = Win32CreateStatusBar(window, parent);
      break;
    case Win32ClassKind::kListView:
      widget = Win32CreateListView(window, parent);
      break;
    case Win32ClassKind::kEdit:
      widget = Win32CreateEdit(window, parent);
      break;
  }
  if (widget) widget->setGeometry(x, y, width, height);
  return widget;
}

void DestroyTree(HWND hwnd) {
  // WM_DESTROY goes to the window first, then to its children and owned windows.
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  for (HWND child : Win32ChildrenOf(hwnd)) {
    if (Win32FromHandle(child)) DestroyTree(child);
  }
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
}

}  // namespace

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  Win32Application();
  Win32InstallKeyTracker();
  Win32Class* window_class = Win32FindClass(className);
  if (!window_class) {
    Win32Fail("CreateWindowExW", ERROR_CANNOT_FIND_WND_CLASS, "unknown window class");
    return nullptr;
  }
  if (parent && !Win32FromHandle(parent)) {
    Win32Fail("CreateWindowExW", ERROR_INVALID_WINDOW_HANDLE, "invalid parent window");
    return nullptr;
  }
  if ((style & WS_CHILD) && !parent) {
    Win32Fail("CreateWindowExW", ERROR_INVALID_PARAMETER, "a child window needs a parent");
    return nullptr;
  }
  if (window_class->kind != Win32ClassKind::kApplication && !(style & WS_CHILD)) {
    Win32NotImplemented("CreateWindowExW", "controls as top-level windows");
    return nullptr;
  }
  if (width == CW_USEDEFAULT) {
    width = 640;
    height = 480;
  }
  if (!(style & WS_CHILD) && x == CW_USEDEFAULT) y = CW_USEDEFAULT;
  if (style & WS_CHILD) {
    if (x == CW_USEDEFAULT) x = 0;
    if (y == CW_USEDEFAULT) y = 0;
  }

  Win32Window* window = new Win32Window;
  window->window_class = window_class;
  window->proc = window_class->proc;
  window->style = style & ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
  window->ex_style = exStyle;
  window->parent = parent;
  window->id = (style & WS_CHILD) ? reinterpret_cast<UINT_PTR>(menu) : 0;
  if (windowName) window->text = windowName;
  HWND hwnd = Win32AddWindow(window);
  ++window_class->window_count;

  QWidget* widget = CreateWidgets(window, x, y, qMax(0, width), qMax(0, height));
  if (!widget) {
    --window_class->window_count;
    Win32RemoveWindow(hwnd);
    Win32Fail("CreateWindowExW", ERROR_INVALID_PARAMETER, "the window could not be created");
    return nullptr;
  }
  window->widget = widget;
  if (!window->client) window->client = widget;
  widget->setProperty(kWin32HandleProperty, QVariant::fromValue(reinterpret_cast<quintptr>(hwnd)));

  CREATESTRUCTW create = {};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.cy = height;
  create.cx = width;
  create.y = y;
  create.x = x;
  create.style = static_cast<LONG>(style);
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;
  const LPARAM create_param = reinterpret_cast<LPARAM>(&create);
  if (!SendMessageW(hwnd, WM_NCCREATE, 0, create_param) || !Win32FromHandle(hwnd)) {
    if (Win32FromHandle(hwnd)) DestroyWindow(hwnd);
    return nullptr;
  }
  if (SendMessageW(hwnd, WM_CREATE, 0, create_param) == -1 || !Win32FromHandle(hwnd)) {
    if (Win32FromHandle(hwnd)) DestroyWindow(hwnd);
    return nullptr;
  }
  window = Win32FromHandle(hwnd);
  window->geometry_state = Win32GeometryState::kUnreported;
  Win32UpdateGeometry(hwnd, Win32GeometryEvent::kPlaced);
  if ((style & WS_VISIBLE) && Win32FromHandle(hwnd)) ShowWindow(hwnd, SW_SHOW);
  return Win32FromHandle(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->widget) window->widget->hide();
  DestroyTree(hwnd);
  // Forget the window and every descendant, then let Qt delete the widgets outside any handler that
  // may be running for them.
  std::vector<HWND> pending = {hwnd};
  std::vector<QPointer<QWidget>> widgets;
  while (!pending.empty()) {
    HWND current = pending.back();
    pending.pop_back();
    for (HWND child : Win32ChildrenOf(current)) pending.push_back(child);
    Win32Window* entry = Win32FromHandle(current);
    if (!entry) continue;
    if (entry->widget) widgets.push_back(entry->widget);
    if (entry->window_class) --entry->window_class->window_count;
    if (entry->menu) Win32MenuDetachedFrom(current);
    const HWND parent = entry->parent;
    const bool top_level = entry->IsTopLevel();
    Win32RemoveWindow(current);
    if (!top_level) Win32LayoutRenderSurface(parent);
  }
  for (const QPointer<QWidget>& widget : widgets) {
    if (widget) {
      widget->hide();
      widget->deleteLater();
    }
  }
  return TRUE;
}

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window) return 0;
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SETTEXT: {
      const LPCWSTR text = reinterpret_cast<LPCWSTR>(lParam);
      window->text = text ? text : L"";
      if (window->IsTopLevel() && window->widget) {
        window->widget->setWindowTitle(Win32ToQString(window->text.c_str()));
      }
      return TRUE;
    }
    case WM_GETTEXT:
      return Win32CopyText(window->text, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(window->text.size());
    default:
      return 0;
  }
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!Win32FromHandle(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
  if (!Win32FromHandle(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    if (buffer && maxCount > 0) buffer[0] = 0;
    return 0;
  }
  if (!buffer || maxCount <= 0) return 0;
  return static_cast<int>(
      SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!Win32FromHandle(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(window->style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(window->ex_style);
    case GWLP_USERDATA:
      return window->user_data;
    case GWLP_ID:
      return static_cast<LONG_PTR>(window->id);
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(window->parent);
    default:
      Win32Fail("GetWindowLongPtrW", ERROR_INVALID_INDEX, "unknown index");
      return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const LONG_PTR previous = GetWindowLongPtrW(hwnd, index);
  switch (index) {
    case GWL_STYLE: {
      const DWORD old_style = window->style;
      const DWORD state_bits = WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE;
      window->style = (static_cast<DWORD>(value) & ~state_bits) | (old_style & state_bits);
      if (window->IsTopLevel() && window->widget) {
        // Dropping WS_MAXIMIZE or WS_MINIMIZE takes the window out of that state in place.
        const DWORD dropped = old_style & ~static_cast<DWORD>(value) & (WS_MAXIMIZE | WS_MINIMIZE);
        if (dropped & WS_MAXIMIZE) window->maximized = false;
        window->applying_geometry = true;
        if (dropped && window->widget->windowState() != Qt::WindowNoState) {
          const QRect frame = window->widget->frameGeometry();
          window->widget->setWindowState(Qt::WindowNoState);
          window->widget->move(frame.topLeft());
          window->widget->resize(frame.size() -
                                 QSize(window->frame_margins.left() + window->frame_margins.right(),
                                       window->frame_margins.top() + window->frame_margins.bottom()));
          window->style &= ~dropped;
        }
        window->applying_geometry = false;
        Win32ApplyFrameStyle(window);
        Win32UpdateGeometry(hwnd, dropped ? Win32GeometryEvent::kStateChanged : Win32GeometryEvent::kPlaced);
      }
      return previous;
    }
    case GWL_EXSTYLE:
      window->ex_style = static_cast<DWORD>(value);
      Win32ApplyFrameStyle(window);
      return previous;
    case GWLP_USERDATA:
      window->user_data = value;
      return previous;
    case GWLP_ID:
      window->id = static_cast<UINT_PTR>(value);
      return previous;
    default:
      Win32NotImplemented("SetWindowLongPtrW", "this index");
      return 0;
  }
}

LONG GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrW(hwnd, index)); }

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  if (index == GWL_STYLE || index == GWL_EXSTYLE) {
    // Styles are 32-bit values; keep them unsigned on the way through LONG_PTR.
    return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, static_cast<LONG_PTR>(static_cast<DWORD>(value))));
  }
  return static_cast<LONG>(SetWindowLongPtrW(hwnd, index, value));
}

BOOL IsWindow(HWND hwnd) { return Win32FromHandle(hwnd) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  return window && window->widget && window->widget->isVisible() ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return window->parent;
}

int GetDlgCtrlID(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  return window && !window->IsTopLevel() ? static_cast<int>(window->id) : 0;
}

HWND SetActiveWindow(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->IsTopLevel() || !window->widget) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HWND previous = Win32HandleOfWidget(QApplication::activeWindow());
  window->widget->raise();
  window->widget->activateWindow();
  return previous;
}

HWND SetFocus(HWND hwnd) {
  HWND previous = GetFocus();
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->widget) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  window->widget->setFocus(Qt::OtherFocusReason);
  return previous;
}

HWND GetFocus() { return Win32HandleOfWidget(QApplication::focusWidget()); }

BOOL UpdateWindow(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->widget) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->widget->isVisible()) window->widget->repaint();
  return TRUE;
}
