// Window creation, placement and the message queue: what a window procedure sees and when.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "shell/win32/win32_qt.h"
#include "tests/win32/win32_test_support.h"

namespace {

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override { StartRecording(); }
  void TearDown() override {
    for (HWND hwnd : windows_) {
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    SetTestHandler(nullptr);
    DrainQueue();
  }
  HWND Create(DWORD style, int x, int y, int w, int h, HWND parent = nullptr) {
    HWND hwnd = CreateWindowExW(0, RecordingClass(), L"test", style, x, y, w, h, parent, nullptr, nullptr,
                                nullptr);
    windows_.push_back(hwnd);
    return hwnd;
  }
  std::vector<HWND> windows_;
};

TEST_F(MessagesTest, CreationSendsCreateSizeAndMoveBeforeReturning) {
  HWND created_during_call = nullptr;
  SetTestHandler([&](HWND hwnd, UINT message, WPARAM, LPARAM lparam, LRESULT*) {
    if (message == WM_CREATE) {
      created_during_call = hwnd;
      const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      EXPECT_EQ(cs->cx, 300);
      EXPECT_EQ(cs->cy, 200);
      EXPECT_STREQ(cs->lpszName, L"test");
    }
    return false;
  });
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 100, 120, 300, 200);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(created_during_call, hwnd);
  std::vector<UINT> order;
  for (const RecordedMessage& m : Recorded()) {
    if (m.message == WM_NCCREATE || m.message == WM_CREATE || m.message == WM_SIZE || m.message == WM_MOVE) {
      order.push_back(m.message);
    }
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}));
  EXPECT_EQ(Geometry(hwnd), "300x200+100+120");
}

TEST_F(MessagesTest, CreateRefusedByTheProcedureGivesNoWindow) {
  SetTestHandler([](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message != WM_CREATE) return false;
    *result = -1;
    return true;
  });
  EXPECT_EQ(Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100), nullptr);
  EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST_F(MessagesTest, SetWindowPosSendsSizeAndMoveSynchronously) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 320, 240);
  Recorded().clear();
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER));
  auto sizes = RecordedOf(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].wparam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_TRUE(RecordedOf(WM_MOVE).empty());
  EXPECT_EQ(Geometry(hwnd), "400x300+50+50");
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(LOWORD(sizes[0].lparam), client.right);
  EXPECT_EQ(HIWORD(sizes[0].lparam), client.bottom);

  Recorded().clear();
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  EXPECT_TRUE(RecordedOf(WM_SIZE).empty());
  auto moves = RecordedOf(WM_MOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(moves[0].lparam), 70);  // client origin: no frame without a window manager
  EXPECT_EQ(Geometry(hwnd), "400x300+70+80");
  PumpFor(100);  // whatever the window system reports back does not move it again
  EXPECT_EQ(Geometry(hwnd), "400x300+70+80");
}

TEST_F(MessagesTest, PeekTakesOneMessageAtATimeAndQuitComesLast) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  DrainQueue();
  PostMessageW(hwnd, WM_USER + 1, 1, 0);
  PostQuitMessage(7);
  PostMessageW(hwnd, WM_USER + 2, 2, 0);
  PostMessageW(nullptr, WM_USER + 3, 3, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  std::vector<UINT> taken;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    taken.push_back(msg.message);
    if (msg.message == WM_QUIT) {
      EXPECT_EQ(msg.wParam, 7u);
      break;
    }
  }
  EXPECT_EQ(taken, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_QUIT}));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));  // quit is delivered once
}

TEST_F(MessagesTest, WaitForInputReturnsOnAMessageOrTheTimeout) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  PumpFor(20);
  DrainQueue();
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 60, QS_ALLINPUT), WAIT_TIMEOUT);
  EXPECT_GE(timer.elapsed(), 55);
  PostMessageW(hwnd, WM_USER, 0, 0);
  // A wait that a message ends says so; the timeout would have said WAIT_TIMEOUT.
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
  DrainQueue();
  // Input arriving during the wait ends it.
  QTimer::singleShot(30, [hwnd] { QTest::keyClick(WidgetOf(hwnd), Qt::Key_Space); });
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
  DrainQueue();
  PostQuitMessage(0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
  DrainQueue();
  HANDLE handle = nullptr;
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &handle, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
}

TEST_F(MessagesTest, PeekFiltersByWindowAndRange) {
  HWND a = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  HWND b = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  DrainQueue();
  PostMessageW(a, WM_USER + 1, 0, 0);
  PostMessageW(b, WM_USER + 2, 0, 0);
  PostMessageW(nullptr, WM_USER + 3, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 5, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, a);
  EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MessagesTest, SendMessageCallsTheProcedureAtOnce) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  SetTestHandler([](HWND, UINT message, WPARAM wparam, LPARAM, LRESULT* result) {
    if (message != WM_USER + 9) return false;
    *result = static_cast<LRESULT>(wparam * 2);
    return true;
  });
  EXPECT_EQ(SendMessageW(hwnd, WM_USER + 9, 21, 0), 42);
  EXPECT_EQ(SendMessageW(nullptr, WM_USER + 9, 21, 0), 0);
  EXPECT_TRUE(SetWindowTextW(hwnd, L"Caption"));
  WCHAR text[5];
  EXPECT_EQ(GetWindowTextW(hwnd, text, 5), 4);  // cut to the buffer, terminator included
  EXPECT_STREQ(text, L"Capt");
  EXPECT_EQ(GetWindowTextLengthW(hwnd), 7);
}

TEST_F(MessagesTest, DestroySendsDestroyToWindowThenChildrenAndInvalidatesHandles) {
  HWND parent = Create(WS_OVERLAPPEDWINDOW, 0, 0, 200, 200);
  HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, parent);
  ASSERT_NE(child, nullptr);
  Recorded().clear();
  ASSERT_TRUE(DestroyWindow(parent));
  auto destroys = RecordedOf(WM_DESTROY);
  ASSERT_EQ(destroys.size(), 2u);
  EXPECT_EQ(destroys[0].hwnd, parent);
  EXPECT_EQ(destroys[1].hwnd, child);
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(parent));
  PumpFor(20);  // the widgets go away outside any handler
}

TEST_F(MessagesTest, ClassesRegisterOnceAndOutliveNoWindow) {
  RecordingClass();
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"recording";  // names compare without case
  EXPECT_EQ(RegisterClassExW(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  wc.lpszClassName = L"Transient";
  ASSERT_NE(RegisterClassExW(&wc), 0);
  HWND hwnd = CreateWindowExW(0, L"Transient", L"", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_FALSE(UnregisterClassW(L"Transient", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassW(L"Transient", nullptr));
  EXPECT_TRUE(RegisterClassExW(&wc));
  EXPECT_TRUE(UnregisterClassW(L"Transient", nullptr));
}

TEST_F(MessagesTest, BorderlessMaximisedCoversTheScreenAndRestoresToTheFramedRectangle) {
  HWND hwnd = Create(WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 200, 150, 640, 480);
  PumpFor(50);
  SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
  Recorded().clear();
  ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  auto sizes = RecordedOf(WM_SIZE);
  ASSERT_FALSE(sizes.empty());
  EXPECT_EQ(sizes.back().wparam, static_cast<WPARAM>(SIZE_MAXIMIZED));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(Geometry(hwnd), std::to_string(screen.width()) + "x" + std::to_string(screen.height()) + "+" +
                                std::to_string(screen.left()) + "+" + std::to_string(screen.top()));
  EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZE);
  PumpFor(100);

  SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW));
  SetWindowPos(hwnd, nullptr, 200, 150, 640, 480, 0);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  PumpFor(100);
  EXPECT_EQ(Geometry(hwnd), "640x480+200+150");
  EXPECT_FALSE(GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZE);
  EXPECT_EQ(RecordedOf(WM_SIZE).back().wparam, static_cast<WPARAM>(SIZE_RESTORED));
}

TEST_F(MessagesTest, KeysBecomeKeyMessagesWithVirtualKeysAndAsyncState) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
  PumpFor(30);
  Recorded().clear();
  QWidget* widget = WidgetOf(hwnd);
  QTest::keyPress(widget, Qt::Key_Left);
  EXPECT_TRUE(GetAsyncKeyState(VK_LEFT) & 0x8000);
  EXPECT_FALSE(GetAsyncKeyState(VK_RIGHT) & 0x8000);
  QTest::keyRelease(widget, Qt::Key_Left);
  EXPECT_FALSE(GetAsyncKeyState(VK_LEFT) & 0x8000);
  QTest::keyClick(widget, Qt::Key_Escape);
  QTest::keyClick(widget, Qt::Key_A);
  PumpFor(30);
  auto downs = RecordedOf(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 3u);
  EXPECT_EQ(downs[0].wparam, static_cast<WPARAM>(VK_LEFT));
  EXPECT_EQ(downs[1].wparam, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_EQ(downs[2].wparam, static_cast<WPARAM>('A'));
  EXPECT_EQ(RecordedOf(WM_KEYUP).size(), 3u);
  EXPECT_EQ(static_cast<DWORD>(RecordedOf(WM_KEYUP)[0].lparam) >> 30, 3u);  // previous down, transition up
  auto chars = RecordedOf(WM_CHAR);                                         // from TranslateMessage
  ASSERT_FALSE(chars.empty());
  EXPECT_EQ(chars.back().wparam, static_cast<WPARAM>(L'a'));
}

TEST_F(MessagesTest, RenderSurfaceFillsTheClientAreaAboveTheStatusBar) {
  HWND hwnd = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300);
  QWindow* surface = Win32RenderSurface(hwnd);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(Win32RenderSurface(hwnd), surface);
  EXPECT_EQ(surface->surfaceType(), QSurface::OpenGLSurface);
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(surface->width(), client.right);
  EXPECT_EQ(surface->height(), client.bottom);
  HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, -100, -100, 10, 10, hwnd, nullptr,
                             nullptr, nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(surface->height(), client.bottom - 22);
  ShowWindow(bar, SW_HIDE);
  EXPECT_EQ(surface->height(), client.bottom);
  HWND child = Create(WS_CHILD, 0, 0, 10, 10, hwnd);
  EXPECT_EQ(Win32RenderSurface(child), nullptr);
  EXPECT_EQ(Win32RenderSurface(nullptr), nullptr);
}

}  // namespace
