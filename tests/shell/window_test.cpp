// The main window: creation, full screen on and off, Escape, close, size bookkeeping, the channel
// keys and the status texts.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "settings/settings.h"
#include "shell/resources/resource.h"
#include "shell/win32/win32_qt.h"
#include "shell/window.h"
#include "tests/common/main_window_support.h"
#include "tests/win32/win32_test_support.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartRecording();
    g_settings.Reset();
    g_settings.window_width = 640;
    g_settings.window_height = 480;
  }
  void TearDown() override {
    window_.Destroy();
    DrainQueue();
  }
  std::string Geometry() { return ::Geometry(window_.GetHandle()); }
  // The framed window of the given size, centred on the screen.
  static std::string Centred(int width, int height) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return std::to_string(width) + "x" + std::to_string(height) + "+" +
           std::to_string(screen.width() / 2 - width / 2) + "+" + std::to_string(screen.height() / 2 - height / 2);
  }
  HWND StatusBar() { return StatusBarOf(window_); }
  std::wstring StatusText(int slot) { return StatusTextOf(window_, slot); }
  // Pumps as the main loop does until PumpMessages reports the end.
  bool PumpUntilQuit(int passes = 2000) {
    for (int i = 0; i < passes; ++i) {
      if (window_.PumpMessages() == WINDOW_QUIT) return true;
      QTest::qSleep(1);
    }
    return false;
  }
  CTQWindow window_;
};

TEST_F(WindowTest, CreateRefusesZeroSizesAndSecondCreate) {
  EXPECT_EQ(window_.Create(L"TQ2", 0, 480), WINDOW_ZERO_SIZE);
  EXPECT_EQ(window_.Create(L"TQ2", 640, 0), WINDOW_ZERO_SIZE);
  EXPECT_EQ(window_.Destroy(), WINDOW_FAILED);
  EXPECT_EQ(window_.SetFullscreen(1), WINDOW_FAILED);
  ASSERT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_OK);
  EXPECT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_FAILED);
  EXPECT_EQ(CTQWindow::Live(), &window_);
  EXPECT_EQ(window_.Destroy(), WINDOW_OK);
  EXPECT_EQ(CTQWindow::Live(), nullptr);
  EXPECT_EQ(window_.Destroy(), WINDOW_FAILED);
  // The class went with the window: the window can be created again.
  EXPECT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_OK);
}

TEST_F(WindowTest, OpensCentredAndFramedWithMenuAndStatusBar) {
  ASSERT_EQ(window_.Create(L"TQ2", 641, 481), WINDOW_OK);
  HWND hwnd = window_.GetHandle();
  EXPECT_EQ(Geometry(), Centred(641, 481));
  EXPECT_EQ(g_settings.window_width, 641);
  EXPECT_EQ(g_settings.window_height, 481);
  EXPECT_EQ(GetMenu(hwnd), window_.GetMenuHandle());
  ASSERT_NE(window_.GetMenuHandle(), nullptr);
  ASSERT_NE(StatusBar(), nullptr);
  EXPECT_EQ(StatusText(3), L" Player Initialized Successfully");
  EXPECT_EQ(StatusText(0), L"");
}

TEST_F(WindowTest, CloseRequestEndsThePumpWithoutDestroyingTheWindow) {
  ASSERT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_OK);
  WidgetOf(window_.GetHandle())->close();
  EXPECT_TRUE(PumpUntilQuit());
  EXPECT_TRUE(IsWindow(window_.GetHandle()));
}

TEST_F(WindowTest, FullScreenAtStartThenEscapeReturnsToTheCentredFramedWindow) {
  g_settings.fullscreen = 1;
  ASSERT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_OK);
  CheckMenuItem(window_.GetMenuHandle(), ID_VIEW_FULLSCREEN, MF_BYCOMMAND | MF_CHECKED);
  HWND hwnd = window_.GetHandle();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(Geometry(), std::to_string(screen.width()) + "x" + std::to_string(screen.height()) + "+0+0");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & WS_CAPTION, 0u);
  EXPECT_EQ(GetMenu(hwnd), nullptr);
  EXPECT_FALSE(IsWindowVisible(StatusBar()));
  EXPECT_EQ(g_settings.window_width, screen.width());  // WM_SIZE keeps the settings up to date
  PumpFor(50);

  PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  PumpFor(50);
  EXPECT_EQ(Geometry(), Centred(640, 480));
  EXPECT_EQ(g_settings.fullscreen, 0);
  EXPECT_EQ(g_settings.window_width, 640);
  EXPECT_EQ(g_settings.window_height, 480);
  EXPECT_EQ(GetMenuState(window_.GetMenuHandle(), ID_VIEW_FULLSCREEN, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenu(hwnd), window_.GetMenuHandle());
  EXPECT_TRUE(IsWindowVisible(StatusBar()));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_EQ(window_.PumpMessages(), WINDOW_OK);  // Escape left full screen; the program goes on
}

TEST_F(WindowTest, ResizeWritesTheNewOuterSize) {
  ASSERT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_OK);
  SetWindowPos(window_.GetHandle(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(g_settings.window_width, 900);
  EXPECT_EQ(g_settings.window_height, 700);
  EXPECT_EQ(window_.GetWidth(), 900);
  // The status bar follows the bottom edge.
  RECT bar, rect;
  GetWindowRect(StatusBar(), &bar);
  GetWindowRect(window_.GetHandle(), &rect);
  EXPECT_EQ(bar.bottom, rect.bottom);
  EXPECT_EQ(bar.right - bar.left, 900);
}

// A minimized window reports the rectangle it will be restored to, so the size saved for the next start
// is the window's, not that of its minimized form.
TEST_F(WindowTest, MinimizingKeepsTheSavedWindowSize) {
  ASSERT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_OK);
  HWND hwnd = window_.GetHandle();
  ShowWindow(hwnd, SW_MINIMIZE);
  PumpFor(50);
  EXPECT_NE(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & WS_MINIMIZE, 0u);
  EXPECT_EQ(g_settings.window_width, 640);
  EXPECT_EQ(g_settings.window_height, 480);
  ShowWindow(hwnd, SW_RESTORE);
  PumpFor(50);
  EXPECT_EQ(Size(hwnd), "640x480");
  EXPECT_EQ(g_settings.window_width, 640);
}

TEST_F(WindowTest, LeavingFullScreenAfterAMoveUsesTheClientOrigin) {
  ASSERT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_OK);
  HWND hwnd = window_.GetHandle();
  RECT client_before;
  GetClientRect(hwnd, &client_before);
  const int menu_height = 480 - client_before.bottom;
  SetWindowPos(hwnd, nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // a move alone: WM_MOVE only
  window_.SetFullscreen(1);
  window_.SetFullscreen(0);
  EXPECT_EQ(Geometry(), "640x480+100+" + std::to_string(80 + menu_height));

  // Partly left of the screen: the origin is negative, and the window comes back there rather than
  // 65536 pixels to the right.
  SetWindowPos(hwnd, nullptr, -50, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  window_.SetFullscreen(1);
  window_.SetFullscreen(0);
  EXPECT_EQ(Geometry(), "640x480+-50+" + std::to_string(80 + menu_height));
}

TEST_F(WindowTest, ChannelKeysSetShowChannelEveryPass) {
  ASSERT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_OK);
  QWidget* widget = WidgetOf(window_.GetHandle());
  g_settings.show_channel = CHANNEL_LEFT;
  window_.PollChannelKeys();
  EXPECT_EQ(g_settings.show_channel, CHANNEL_BOTH);
  // Left down, Right down, Left up, Right up: one arrow alone shows its eye, both or none show both.
  const struct {
    Qt::Key key;
    bool press;
    int32_t shown;
  } steps[] = {{Qt::Key_Left, true, CHANNEL_LEFT},
               {Qt::Key_Right, true, CHANNEL_BOTH},
               {Qt::Key_Left, false, CHANNEL_RIGHT},
               {Qt::Key_Right, false, CHANNEL_BOTH}};
  for (const auto& step : steps) {
    step.press ? QTest::keyPress(widget, step.key) : QTest::keyRelease(widget, step.key);
    window_.PollChannelKeys();
    EXPECT_EQ(g_settings.show_channel, step.shown);
  }
}

TEST_F(WindowTest, StatusTextsAreFormattedAndCutAt259Characters) {
  ASSERT_EQ(window_.Create(L"TQ2", 640, 480), WINDOW_OK);
  window_.SetStatusText(1, L"  Window: %ix%ip30 (%.2f)", 1280, 720, 1280.0 / 720.0);
  EXPECT_EQ(StatusText(1), L"  Window: 1280x720p30 (1.78)");
  const std::wstring long_text(300, L'x');
  window_.SetStatusText(0, L"%ls", long_text.c_str());
  EXPECT_EQ(StatusText(0), std::wstring(259, L'x'));
}

}  // namespace
