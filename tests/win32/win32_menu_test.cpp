// Menus: resource 101 loaded, marks and states, commands, how disabled and greyed items are drawn, and
// the title menu mode highlights.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "shell/resources/resource.h"
#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"
#include "shell/win32/win32_resource.h"
#include "tests/win32/win32_test_support.h"

namespace {

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartRecording();
    window_ = CreateWindowExW(0, RecordingClass(), L"menu", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 600, 400,
                              nullptr, nullptr, nullptr, nullptr);
    menu_ = LoadMenuW(nullptr, MAKEINTRESOURCEW(IDR_MAINMENU));
    ASSERT_NE(menu_, nullptr);
  }
  void TearDown() override {
    DestroyMenu(menu_);
    DestroyWindow(window_);
    PumpFor(10);
  }
  QMenu* Popup(int position) { return Win32MenuFromHandle(GetSubMenu(menu_, position))->qmenu; }
  QAction* Action(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
      if (action->text() == text) return action;
    }
    return nullptr;
  }
  HWND window_ = nullptr;
  HMENU menu_ = nullptr;
};

TEST_F(MenuTest, MarksAndStatesChangeByCommandAndReportTheirPreviousValue) {
  EXPECT_EQ(CheckMenuItem(menu_, ID_SHOWCHANNEL_BOTH, MF_BYCOMMAND | MF_UNCHECKED),
            static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(menu_, ID_SHOWCHANNEL_LEFTONLY, MF_BYCOMMAND | MF_CHECKED),
            static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(GetMenuState(menu_, ID_SHOWCHANNEL_LEFTONLY, MF_BYCOMMAND) & MF_CHECKED,
            static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(menu_, 39999, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(EnableMenuItem(menu_, ID_OPEN_FILM, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(EnableMenuItem(menu_, ID_OPEN_FILM, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(menu_, 39999, MF_BYCOMMAND | MF_ENABLED), -1);

  QAction* left = Action(Win32MenuFromHandle(GetSubMenu(GetSubMenu(menu_, 3), 6))->qmenu, "Left Only");
  ASSERT_NE(left, nullptr);
  EXPECT_TRUE(left->isChecked());
  QAction* film = Action(Win32MenuFromHandle(GetSubMenu(GetSubMenu(menu_, 0), 1))->qmenu, "Film");
  EnableMenuItem(menu_, ID_OPEN_FILM, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_FALSE(film->isEnabled());
}

TEST_F(MenuTest, ChosenItemsPostCommandsAndKeepTheirMarks) {
  ASSERT_TRUE(SetMenu(window_, menu_));
  EXPECT_EQ(GetMenu(window_), menu_);
  QMenu* view = Popup(2);
  QAction* preserve = Action(view, "Preserve Aspect");
  preserve->trigger();
  PumpFor(20);
  auto commands = RecordedOf(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(LOWORD(commands[0].wparam), ID_VIEW_PRESERVEASPECT);
  EXPECT_EQ(HIWORD(commands[0].wparam), 0);
  EXPECT_TRUE(preserve->isChecked());  // only CheckMenuItem changes a mark

  // The underlined letter picks the item in an open menu.
  Recorded().clear();
  view->popup(QPoint(100, 100));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
  QTest::keyClick(view, Qt::Key_F);
  PumpFor(30);
  commands = RecordedOf(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(LOWORD(commands[0].wparam), ID_VIEW_FULLSCREEN);
}

TEST_F(MenuTest, DetachingTheMenuBarGivesItsHeightToTheClientArea) {
  RECT before, with_menu, after;
  GetClientRect(window_, &before);
  SetMenu(window_, menu_);
  GetClientRect(window_, &with_menu);
  EXPECT_LT(with_menu.bottom, before.bottom);
  Recorded().clear();
  SetMenu(window_, nullptr);
  GetClientRect(window_, &after);
  EXPECT_EQ(after.bottom, before.bottom);
  EXPECT_EQ(RecordedOf(WM_SIZE).size(), 1u);
  EXPECT_EQ(Size(window_), "600x400");  // the outer size stays
}

// As on Windows, menu mode with its popup closed (Alt+F, Escape) shows the current title highlighted.
TEST_F(MenuTest, TheCurrentTitleStaysHighlightedAfterEscapeClosesItsPopup) {
  SetMenu(window_, menu_);
  QMenuBar* bar = Win32MenuFromHandle(menu_)->bar;
  bar->window()->activateWindow();
  ASSERT_TRUE(PumpUntil([bar] { return QApplication::activeWindow() == bar->window(); }));
  bar->setActiveAction(bar->actions().at(0));
  ASSERT_TRUE(PumpUntil([] { return QApplication::activePopupWidget() != nullptr; }));
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  ASSERT_TRUE(PumpUntil([bar] { return !QApplication::activePopupWidget() && bar->hasFocus(); }));
  const QImage image = bar->grab().toImage();
  auto at = [&](int i) { return image.pixel(bar->actionGeometry(bar->actions().at(i)).topLeft() + QPoint(2, 2)); };
  EXPECT_NE(at(0), at(1));
}

// Darkest pixel of an item's row: the text colour.
int DarkestInRow(const QImage& image, const QRect& row) {
  int darkest = 255;
  for (int y = row.top(); y <= row.bottom(); ++y) {
    for (int x = row.left(); x <= row.right(); ++x) darkest = qMin(darkest, qGray(image.pixel(x, y)));
  }
  return darkest;
}

TEST_F(MenuTest, DisabledItemsAreDrawnLikeEnabledOnesAndGreyedOnesGrey) {
  QMenu* file = Popup(0);
  QAction* save = Action(file, "&Save Film...");  // disabled
  QAction* close = Action(file, "&Close");        // greyed
  QAction* exit = Action(file, "Exit");           // enabled
  ASSERT_TRUE(save && close && exit);
  EXPECT_FALSE(save->isEnabled());
  EXPECT_FALSE(close->isEnabled());
  file->popup(QPoint(10, 10));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
  const QImage image = file->grab().toImage();
  const int enabled = DarkestInRow(image, file->actionGeometry(exit));
  EXPECT_EQ(DarkestInRow(image, file->actionGeometry(save)), enabled);
  EXPECT_GT(DarkestInRow(image, file->actionGeometry(close)), enabled + 40);

  // A disabled popup item opens nothing; an enabled one opens its submenu.
  QAction* add_file = Action(file, "Add File...");
  QAction* open = Action(file, "&Open... ");
  ASSERT_TRUE(add_file && open);
  file->setActiveAction(add_file);
  QTest::qWait(400);
  EXPECT_FALSE(add_file->menu()->isVisible());
  file->setActiveAction(open);
  EXPECT_TRUE(QTest::qWaitFor([&] { return open->menu()->isVisible(); }, 2000));
  file->hide();

  // A disabled command posts nothing.
  save->trigger();
  PumpFor(20);
  EXPECT_TRUE(RecordedOf(WM_COMMAND).empty());
}

TEST(ResourceScript, ReaderHandlesOptionsEscapesAndErrors) {
  const char* header = "#define IDM_X 7\n#define IDR_M 5\n";
  const char* script =
      "#include \"resource.h\"\n"
      "/* other resources come first */\n"
      "IDR_OTHER ACCELERATORS BEGIN \"A\", 1 END\n"
      "IDR_M MENU\n"
      "{\n"
      "  POPUP \"&Say \"\"hi\"\"\\tNow\" { MENUITEM \"X\", IDM_X, CHECKED GRAYED\n"
      "    MENUITEM SEPARATOR\n"
      "    MENUITEM \"Y\", 0x10, INACTIVE }\n"
      "}\n";
  std::vector<Win32MenuTemplateItem> items;
  std::string error;
  ASSERT_TRUE(Win32ReadMenuTemplate(script, header, MAKEINTRESOURCEW(5), &items, &error)) << error;
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].text, L"&Say \"hi\"\tNow");
  ASSERT_EQ(items[0].children.size(), 3u);
  EXPECT_EQ(items[0].children[0].id, 7u);
  EXPECT_EQ(items[0].children[0].flags, static_cast<UINT>(MF_CHECKED | MF_GRAYED));
  EXPECT_EQ(items[0].children[1].flags, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(items[0].children[2].id, 16u);
  EXPECT_EQ(items[0].children[2].flags, static_cast<UINT>(MF_DISABLED));
  EXPECT_TRUE(Win32ReadMenuTemplate(script, header, L"idr_m", &items, &error));

  EXPECT_FALSE(Win32ReadMenuTemplate(script, header, MAKEINTRESOURCEW(6), &items, &error));
  EXPECT_FALSE(Win32ReadMenuTemplate("1 MENU BEGIN MENUITEM \"a\" END", "", MAKEINTRESOURCEW(1), &items, &error));
  EXPECT_FALSE(Win32ReadMenuTemplate("1 MENU BEGIN POPUP \"a\" BEGIN", "", MAKEINTRESOURCEW(1), &items, &error));
  EXPECT_FALSE(Win32ReadMenuTemplate("1 MENU BEGIN MENUITEM \"unterminated, 1 END", "", MAKEINTRESOURCEW(1),
                                     &items, &error));
  EXPECT_TRUE(items.empty());
  EXPECT_EQ(LoadMenuW(nullptr, MAKEINTRESOURCEW(999)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace
