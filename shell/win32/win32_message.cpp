// The thread's message queue: posted and input messages in one FIFO, WM_QUIT after them, the
// synchronous SendMessageW, the non-blocking PeekMessageW, and the keyboard: Qt key events as
// WM_KEYDOWN/WM_KEYUP with virtual-key codes, WM_CHAR from TranslateMessage, GetAsyncKeyState.
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <array>
#include <deque>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"

namespace {

struct QueuedMessage {
  MSG msg;
  std::wstring text;  // the characters of a key-down, for TranslateMessage
};

std::deque<QueuedMessage>& Queue() {
  static std::deque<QueuedMessage> queue;
  return queue;
}

bool g_quit_posted = false;
int g_quit_code = 0;
QueuedMessage g_last_key;  // the key-down last removed by PeekMessageW

DWORD MessageTime() {
  static QElapsedTimer timer;
  if (!timer.isValid()) timer.start();
  return static_cast<DWORD>(timer.elapsed());
}

bool Matches(const MSG& msg, HWND hwnd, UINT min, UINT max) {
  if (hwnd == reinterpret_cast<HWND>(-1)) {
    if (msg.hwnd) return false;
  } else if (hwnd && msg.hwnd != hwnd) {
    return false;
  }
  if (min == 0 && max == 0) return true;
  return msg.message >= min && msg.message <= max;
}

// Key-down table for GetAsyncKeyState: bit 0 down now, bit 1 pressed since the last query.
std::array<BYTE, 256>& KeyTable() {
  static std::array<BYTE, 256> table = {};
  return table;
}

class KeyTracker : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        const QKeyEvent* key = static_cast<const QKeyEvent*>(event);
        const int vk = Win32VirtualKey(key);
        if (vk > 0 && vk < 256) {
          if (event->type() == QEvent::KeyPress) {
            KeyTable()[vk] |= 3;
          } else if (!key->isAutoRepeat()) {
            KeyTable()[vk] &= static_cast<BYTE>(~1);
          }
        }
        break;
      }
      case QEvent::ApplicationDeactivate:
        // Releases that happen elsewhere are never seen: forget every key.
        for (BYTE& state : KeyTable()) state &= static_cast<BYTE>(~1);
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void Win32Post(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, const std::wstring& text) {
  QueuedMessage entry;
  entry.msg.hwnd = hwnd;
  entry.msg.message = message;
  entry.msg.wParam = wparam;
  entry.msg.lParam = lparam;
  entry.msg.time = MessageTime();
  const QPoint cursor = QCursor::pos();
  entry.msg.pt = POINT{cursor.x(), cursor.y()};
  entry.text = text;
  Queue().push_back(entry);
}

int Win32VirtualKey(const QKeyEvent* event) {
  const int key = event->key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;  // same codes as 'A' .. 'Z'
  if (key >= Qt::Key_0 && key <= Qt::Key_9) {
    return (event->modifiers() & Qt::KeypadModifier) ? VK_NUMPAD0 + (key - Qt::Key_0) : key;
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace:
      return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Shift:
      return VK_SHIFT;
    case Qt::Key_Control:
      return VK_CONTROL;
    case Qt::Key_Alt:
      return VK_MENU;
    case Qt::Key_Pause:
      return VK_PAUSE;
    case Qt::Key_CapsLock:
      return VK_CAPITAL;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Space:
      return VK_SPACE;
    case Qt::Key_PageUp:
      return VK_PRIOR;
    case Qt::Key_PageDown:
      return VK_NEXT;
    case Qt::Key_End:
      return VK_END;
    case Qt::Key_Home:
      return VK_HOME;
    case Qt::Key_Left:
      return VK_LEFT;
    case Qt::Key_Up:
      return VK_UP;
    case Qt::Key_Right:
      return VK_RIGHT;
    case Qt::Key_Down:
      return VK_DOWN;
    case Qt::Key_Insert:
      return VK_INSERT;
    case Qt::Key_Delete:
      return VK_DELETE;
    case Qt::Key_Asterisk:
      return (event->modifiers() & Qt::KeypadModifier) ? VK_MULTIPLY : 0;
    case Qt::Key_Plus:
      return (event->modifiers() & Qt::KeypadModifier) ? VK_ADD : 0;
    case Qt::Key_Minus:
      return (event->modifiers() & Qt::KeypadModifier) ? VK_SUBTRACT : 0;
    case Qt::Key_Period:
      return (event->modifiers() & Qt::KeypadModifier) ? VK_DECIMAL : 0;
    case Qt::Key_Slash:
      return (event->modifiers() & Qt::KeypadModifier) ? VK_DIVIDE : 0;
    default:
      return 0;
  }
}

void Win32PostKey(HWND hwnd, const QKeyEvent* event, bool down) {
  const int vk = Win32VirtualKey(event);
  if (vk == 0) return;
  if (!down && event->isAutoRepeat()) return;  // a held key repeats its key-down only
  // lParam: repeat count, scan code (X keycodes are evdev codes + 8, and evdev codes are the
  // keyboard's scan codes), context bit for Alt, previous-state and transition bits.
  LPARAM lparam = 1;
  const quint32 keycode = event->nativeScanCode();
  if (keycode > 8) lparam |= static_cast<LPARAM>((keycode - 8) & 0xff) << 16;
  const bool alt = (event->modifiers() & Qt::AltModifier) && !(event->modifiers() & Qt::ControlModifier);
  if (alt) lparam |= 1L << 29;
  if (!down || event->isAutoRepeat()) lparam |= 1L << 30;
  if (!down) lparam |= 1L << 31;
  const bool system = alt || vk == VK_F10 || (vk == VK_MENU);
  const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  std::wstring text;
  if (down) text = Win32ToWide(event->text());
  Win32Post(hwnd, message, static_cast<WPARAM>(vk), static_cast<LPARAM>(static_cast<DWORD>(lparam)), text);
}

void Win32InstallKeyTracker() {
  static KeyTracker* tracker = nullptr;
  if (tracker) return;
  tracker = new KeyTracker;
  Win32Application()->installEventFilter(tracker);
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  WNDPROC proc = window->proc;
  return proc(hwnd, message, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !Win32FromHandle(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Win32Post(hwnd, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  g_quit_posted = true;
  g_quit_code = exitCode;
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (removeMsg & ~(PM_REMOVE | PM_NOYIELD)) {
    Win32NotImplemented("PeekMessageW", "PM_QS_ flags");
    return FALSE;
  }
  Win32Application();
  Win32InstallKeyTracker();
  // Let Qt turn pending window-system events into messages, without waiting for any, and delete
  // widgets of destroyed windows.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  Win32CheckFrames();
  auto& queue = Queue();
  for (auto it = queue.begin(); it != queue.end(); ++it) {
    if (!Matches(it->msg, hwnd, filterMin, filterMax)) continue;
    *msg = it->msg;
    if (removeMsg & PM_REMOVE) {
      if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) g_last_key = *it;
      queue.erase(it);
    }
    return TRUE;
  }
  if (g_quit_posted) {
    *msg = MSG{};
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(g_quit_code);
    msg->time = MessageTime();
    if (removeMsg & PM_REMOVE) g_quit_posted = false;
    return TRUE;
  }
  return FALSE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask) {
  if (count != 0 || handles || (wakeMask & QS_ALLINPUT) != QS_ALLINPUT) {
    Win32NotImplemented("MsgWaitForMultipleObjects", "waiting on handles or for some kinds of input only");
    return WAIT_FAILED;
  }
  Win32Application();
  Win32InstallKeyTracker();
  QElapsedTimer elapsed;
  elapsed.start();
  // A timer wakes the wait when nothing else does.
  QTimer timer;
  timer.setSingleShot(true);
  if (milliseconds != INFINITE) timer.start(static_cast<int>(milliseconds));
  for (;;) {
    if (!Queue().empty() || g_quit_posted) return WAIT_OBJECT_0 + count;
    if (milliseconds != INFINITE && elapsed.elapsed() >= static_cast<qint64>(milliseconds)) return WAIT_TIMEOUT;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  const MSG& key = g_last_key.msg;
  if (key.hwnd != msg->hwnd || key.message != msg->message || key.wParam != msg->wParam ||
      key.lParam != msg->lParam || g_last_key.text.empty()) {
    return FALSE;
  }
  const UINT char_message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  for (wchar_t c : g_last_key.text) {
    Win32Post(msg->hwnd, char_message, static_cast<WPARAM>(c), msg->lParam);
  }
  g_last_key = QueuedMessage();
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  if (!Win32FromHandle(msg->hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

SHORT GetAsyncKeyState(int virtualKey) {
  if (virtualKey <= 0 || virtualKey >= 256) return 0;
  BYTE& state = KeyTable()[virtualKey];
  SHORT result = 0;
  if (state & 1) result = static_cast<SHORT>(0x8000);
  if (state & 2) result |= 1;
  state &= static_cast<BYTE>(~2);
  return result;
}
