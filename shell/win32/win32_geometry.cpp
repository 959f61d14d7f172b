// Window placement: showing, moving and sizing windows with WM_SIZE / WM_MOVE sent at once, the
// window and client rectangles, and the system metrics of the screen.
#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"

namespace {

QMargins FrameMargins(const QWidget* frame) {
  const QRect outer = frame->frameGeometry();
  const QRect inner = frame->geometry();
  return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                  outer.bottom() - inner.bottom());
}

bool HasFixedSize(const Win32Window* window) {
  return (window->style & WS_CAPTION) == WS_CAPTION && !(window->style & WS_THICKFRAME);
}

// Places a top-level window so that its outer rectangle, frame included, is `outer`.
void ApplyOuterRect(Win32Window* window, const QRect& outer) {
  QWidget* frame = window->widget;
  const QMargins margins = FrameMargins(frame);
  window->frame_margins = margins;
  window->applying_geometry = true;
  frame->setMinimumSize(0, 0);
  frame->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  frame->move(outer.topLeft());
  frame->resize(qMax(1, outer.width() - margins.left() - margins.right()),
                qMax(1, outer.height() - margins.top() - margins.bottom()));
  if (HasFixedSize(window)) frame->setFixedSize(frame->size());
  window->applying_geometry = false;
  Win32LayoutFrame(window);
}

QRect ToQRect(const RECT& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

RECT ToRect(const QRect& rect) {
  return RECT{rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
}

void UpdateStateBits(Win32Window* window) {
  QWidget* widget = window->widget;
  window->style &= ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
  if (!widget->isHidden()) window->style |= WS_VISIBLE;
  if (window->IsTopLevel()) {
    const Qt::WindowStates states = widget->windowState();
    if (window->maximized || (states & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
      window->style |= WS_MAXIMIZE;
    }
    if (states & Qt::WindowMinimized) window->style |= WS_MINIMIZE;
  }
}

QScreen* ScreenOf(const QWidget* widget) {
  QScreen* screen = widget ? widget->screen() : nullptr;
  return screen ? screen : QGuiApplication::primaryScreen();
}

bool FrameChanged(const Win32Window* window) {
  return window->widget->isVisible() && FrameMargins(window->widget) != window->frame_margins;
}

// Recomputes the geometry of a created window and sends WM_SIZE / WM_MOVE for what changed. A
// changed window state (minimised, maximised, restored) forces WM_SIZE.
void ReportGeometry(HWND hwnd, Win32Window* window, bool state_changed) {
  QWidget* widget = window->widget;
  const bool reported = window->geometry_state == Win32GeometryState::kReported;
  QRect outer;
  QPoint origin;
  QSize client_size;
  int size_state = SIZE_RESTORED;
  if (window->IsTopLevel()) {
    const Qt::WindowStates states = widget->windowState();
    if (states & Qt::WindowMinimized) {
      size_state = SIZE_MINIMIZED;
    } else {
      if (window->maximized || (states & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        size_state = SIZE_MAXIMIZED;
      }
      if (!(states & (Qt::WindowMaximized | Qt::WindowFullScreen)) && reported && FrameChanged(window)) {
        // The window manager framed (or unframed) the window: keep the outer rectangle as placed.
        ApplyOuterRect(window, ToQRect(window->rect));
      }
    }
    if (size_state == SIZE_MINIMIZED) {
      // A minimised window keeps the rectangle it will be restored to.
      outer = ToQRect(window->rect);
      origin = QPoint(window->client_origin.x, window->client_origin.y);
    } else {
      outer = widget->frameGeometry();
      origin = window->client->mapToGlobal(QPoint(0, 0));
      client_size = window->client->size();
    }
  } else {
    outer = widget->geometry();
    origin = outer.topLeft();
    client_size = widget->size();
  }
  UpdateStateBits(window);
  const RECT old_rect = window->rect;
  const bool size_changed = !reported || state_changed || size_state != window->size_state ||
                            ToQRect(old_rect).size() != outer.size() ||
                            client_size != QSize(window->client_size.cx, window->client_size.cy);
  const bool moved = !reported || origin != QPoint(window->client_origin.x, window->client_origin.y);
  window->rect = ToRect(outer);
  window->client_origin = POINT{origin.x(), origin.y()};
  window->client_size = SIZE{client_size.width(), client_size.height()};
  window->size_state = size_state;
  window->geometry_state = Win32GeometryState::kReported;
  if (size_changed) {
    SendMessageW(hwnd, WM_SIZE, static_cast<WPARAM>(size_state),
                 MAKELPARAM(client_size.width(), client_size.height()));
  }
  if (moved && size_state != SIZE_MINIMIZED && Win32FromHandle(hwnd)) {
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x(), origin.y()));
  }
}

}  // namespace

void Win32UpdateGeometry(HWND hwnd, Win32GeometryEvent event) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->widget || window->geometry_state == Win32GeometryState::kCreating) return;
  switch (event) {
    case Win32GeometryEvent::kPlaced:
      ReportGeometry(hwnd, window, false);
      break;
    case Win32GeometryEvent::kStateChanged:
      ReportGeometry(hwnd, window, true);
      break;
    case Win32GeometryEvent::kWindowSystemMoved:
    case Win32GeometryEvent::kWindowSystemStateChanged:
      if (!window->applying_geometry) {
        ReportGeometry(hwnd, window, event == Win32GeometryEvent::kWindowSystemStateChanged);
      }
      break;
    case Win32GeometryEvent::kFrameCheck:
      if (!window->applying_geometry && FrameChanged(window)) ReportGeometry(hwnd, window, false);
      break;
  }
}

void Win32CheckFrames() {
  for (HWND hwnd : Win32TopLevelWindows()) Win32UpdateGeometry(hwnd, Win32GeometryEvent::kFrameCheck);
}

BOOL ShowWindow(HWND hwnd, int command) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->widget) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  QWidget* widget = window->widget;
  const BOOL was_visible = widget->isHidden() ? FALSE : TRUE;
  const Qt::WindowStates old_states = window->IsTopLevel() ? widget->windowState() : Qt::WindowStates();
  const bool was_maximized = window->maximized;
  window->applying_geometry = true;
  switch (command) {
    case SW_HIDE:
      widget->hide();
      break;
    case SW_SHOW:
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
      widget->show();
      if (command == SW_SHOW && window->IsTopLevel()) widget->activateWindow();
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
      if (window->IsTopLevel() &&
          (old_states & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        widget->showNormal();
      } else {
        widget->show();
      }
      if (window->IsTopLevel() && window->maximized) {
        window->maximized = false;
        window->applying_geometry = false;
        ApplyOuterRect(window, ToQRect(window->normal_rect));
        window->applying_geometry = true;
      }
      if (window->IsTopLevel()) widget->activateWindow();
      break;
    case SW_SHOWMAXIMIZED:
      if (!window->IsTopLevel()) {
        window->applying_geometry = false;
        Win32NotImplemented("ShowWindow", "maximising a child window");
        return was_visible;
      }
      if (!window->maximized) window->normal_rect = window->rect;
      window->maximized = true;
      window->applying_geometry = false;
      if (old_states & Qt::WindowMinimized) widget->showNormal();
      // A window without a caption covers its whole screen; one with a caption the work area.
      ApplyOuterRect(window, (window->style & WS_CAPTION) == WS_CAPTION ? ScreenOf(widget)->availableGeometry()
                                                                        : ScreenOf(widget)->geometry());
      window->applying_geometry = true;
      widget->show();
      widget->raise();
      widget->activateWindow();
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      if (!window->IsTopLevel()) {
        window->applying_geometry = false;
        Win32NotImplemented("ShowWindow", "minimising a child window");
        return was_visible;
      }
      widget->showMinimized();
      break;
    default:
      window->applying_geometry = false;
      Win32NotImplemented("ShowWindow", "this show command");
      return was_visible;
  }
  window->applying_geometry = false;
  if (window->IsTopLevel()) Win32LayoutFrame(window);
  const bool state_changed = window->IsTopLevel() &&
                             (widget->windowState() != old_states || was_maximized != window->maximized);
  if (!window->IsTopLevel()) Win32LayoutRenderSurface(window->parent);
  UpdateStateBits(window);
  Win32UpdateGeometry(hwnd, state_changed ? Win32GeometryEvent::kStateChanged : Win32GeometryEvent::kPlaced);
  return was_visible;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->widget) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const UINT known = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                     SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_NOOWNERZORDER;
  if (flags & ~known) {
    Win32NotImplemented("SetWindowPos", "these flags");
    return FALSE;
  }
  if (!(flags & SWP_NOZORDER) && insertAfter != HWND_TOP) {
    Win32NotImplemented("SetWindowPos", "z-order other than HWND_TOP");
    return FALSE;
  }
  QWidget* widget = window->widget;
  if (window->IsTopLevel()) {
    QRect outer = ToQRect(window->rect);
    if (!(flags & SWP_NOMOVE)) outer.moveTo(x, y);
    if (!(flags & SWP_NOSIZE)) outer.setSize(QSize(qMax(0, cx), qMax(0, cy)));
    ApplyOuterRect(window, outer);
    if (!(flags & SWP_NOZORDER)) widget->raise();
  } else {
    QRect rect = widget->geometry();
    if (!(flags & SWP_NOMOVE)) rect.moveTo(x, y);
    if (!(flags & SWP_NOSIZE)) rect.setSize(QSize(qMax(0, cx), qMax(0, cy)));
    window->applying_geometry = true;
    widget->setGeometry(rect);
    if (!(flags & SWP_NOZORDER)) widget->raise();
    window->applying_geometry = false;
    Win32LayoutRenderSurface(window->parent);
  }
  Win32UpdateGeometry(hwnd, Win32GeometryEvent::kPlaced);
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOWNA);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->widget || !rect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->IsTopLevel()) {
    *rect = window->rect;
  } else {
    const QPoint origin = window->widget->mapToGlobal(QPoint(0, 0));
    *rect = ToRect(QRect(origin, window->widget->size()));
  }
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->widget || !rect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (window->IsTopLevel()) {
    *rect = RECT{0, 0, window->client_size.cx, window->client_size.cy};
  } else {
    QWidget* client = window->client ? window->client.data() : window->widget.data();
    *rect = RECT{0, 0, client->width(), client->height()};
  }
  return TRUE;
}

int GetSystemMetrics(int index) {
  Win32Application();
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 0;
  switch (index) {
    case SM_CXSCREEN:
      return screen->geometry().width();
    case SM_CYSCREEN:
      return screen->geometry().height();
    case SM_CXFULLSCREEN:
      return screen->availableGeometry().width();
    case SM_CYFULLSCREEN:
      return screen->availableGeometry().height() - GetSystemMetrics(SM_CYCAPTION);
    case SM_CYCAPTION:
      return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    case SM_CYMENU: {
      QMenuBar bar;
      bar.addAction(QStringLiteral("M"));
      return bar.sizeHint().height();
    }
    case SM_CXVSCROLL:
      return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    case SM_CMONITORS:
      return static_cast<int>(QGuiApplication::screens().size());
    default:
      Win32NotImplemented("GetSystemMetrics", "this index");
      return 0;
  }
}
