#include "tests/win32/win32_test_support.h"

#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <QWidget>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"

namespace {

TestHandler g_handler;

LRESULT RecordingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Recorded().push_back({hwnd, message, wparam, lparam});
  LRESULT result = 0;
  if (g_handler && g_handler(hwnd, message, wparam, lparam, &result)) return result;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer timer;
  timer.start();
  MSG msg;
  while (!done()) {
    if (timer.elapsed() > timeout_ms) return false;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      QThread::msleep(2);
    }
  }
  return true;
}

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

void DrainQueue() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

void StartRecording() {
  Win32Application();
  DrainQueue();
  Recorded().clear();
  SetTestHandler(nullptr);
}

std::vector<RecordedMessage>& Recorded() {
  static std::vector<RecordedMessage> recorded;
  return recorded;
}

void SetTestHandler(TestHandler handler) { g_handler = std::move(handler); }

LPCWSTR RecordingClass() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"Recording";
    registered = RegisterClassExW(&wc) != 0;
  }
  return L"Recording";
}

std::vector<RecordedMessage> RecordedOf(UINT message) {
  std::vector<RecordedMessage> result;
  for (const RecordedMessage& m : Recorded()) {
    if (m.message == message) result.push_back(m);
  }
  return result;
}

std::string Size(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  return std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
}

std::string Geometry(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  return Size(hwnd) + "+" + std::to_string(rect.left) + "+" + std::to_string(rect.top);
}

std::wstring RowText(HWND list, int row) {
  WCHAR text[260] = {};
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = text;
  item.cchTextMax = 260;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return L"<no row>";
  return text;
}

void SetRowState(HWND list, int row, UINT state, UINT mask) {
  LVITEMW item = {};
  item.state = state;
  item.stateMask = mask;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int FirstRowWith(HWND list, UINT flags) {
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(flags, 0)));
}

QWidget* WidgetOf(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  return window ? window->widget.data() : nullptr;
}

COLORREF PixelAt(HWND hwnd, int x, int y) {
  QWidget* widget = WidgetOf(hwnd);
  if (!widget) return CLR_NONE;
  const QImage image = widget->grab().toImage();
  const QColor color = image.pixelColor(x, y);
  return RGB(color.red(), color.green(), color.blue());
}
