// Menus: resource 101 item by item, marks and states, commands, and how disabled and greyed items
// are drawn.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <sstream>

#include "shell/resources/resource.h"
#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"
#include "shell/win32/win32_resource.h"
#include "tests/win32/win32_test_support.h"

namespace {

// One line per item: indent, text, identifier (popups: '>'), and the marks G(reyed) D(isabled) C(hecked).
void Dump(HMENU menu, int depth, std::ostringstream& out) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    out << std::string(static_cast<size_t>(depth) * 2, ' ');
    if (!(state & MF_POPUP) && (state & MF_SEPARATOR)) {  // a popup's high byte is its item count
      out << "-\n";
      continue;
    }
    WCHAR text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    out << '"' << QString::fromWCharArray(text).toStdString() << '"';
    if (state & MF_POPUP) {
      out << " >";
    } else {
      out << ' ' << GetMenuItemID(menu, i);
    }
    if (state & MF_GRAYED) out << " G";
    if ((state & MF_DISABLED) && !(state & MF_GRAYED)) out << " D";
    if (state & MF_CHECKED) out << " C";
    out << '\n';
    if (state & MF_POPUP) Dump(GetSubMenu(menu, i), depth + 1, out);
  }
}

const char kExpectedMenu[] = R"("&File" >
  "New" > D
    "Film" 40102 D
    "Channel" 40103 D
  "&Open... " >
    "Film" 40100
    "Channel" 40093 G
    "Encoder" 40148
    "Decoder" 40149
  -
  "Add File..." > D
    "Film" 40131
    "Channel" 40135 G
  "Add Codec..." > D
    "Encoder Shader" 40133
    "Decoder Shader" 40134
  -
  "&Save Film..." 40002 D
  "Save Film As..." 40003 D
  "Save Frame(s) As..." 40080 D
  -
  "&Close" 40138 G
  "&Properties..." 40005 D
  -
  "Import..." > D
    "Calibration Settings" 0
    "Application Settings" 40098
  "Export" > D
    "Calibration Settings" 40048
    "Application Settings" 40099
    "Homography Data" 40049 G
  -
  "Exit" 40006
"&Edit" >
  "Undo" 40115 D
  "Redo" 40116 G
  -
  "Cut..." 40119 G
  "Copy..." 40120 G
  "Paste..." 40121 G
  "Delete..." 40122 G
  -
  "Revert All Settings..." 40117
"&View" >
  "&Fullscreen" 40062
  "Preserve Aspect" 40075 C
  "Permit Resolution Change" 40150 C
  -
  "Debug Console" 40105
  -
  "&Settings..." 40067
"&Stereoscopy" >
  "Swap Channels" 40077
  "Auto-Calibrate" 40043 D
  "Interleave Temporally" 40078
  -
  "Show Floating Window" 40054 C
  "Show Guides" 40076 D
  "Show Channel" >
    "Left Only" 40027
    "Right Only" 40028
    "Both" 40029 C
  -
  "Encoder Viewer..." 40147
  "Decoder Viewer..." 40142
  -
  "&Settings..." 40030
"&Movie" >
  "Play" 40014
  "Pause" 40015
  "Stop" 40016
  "Rewind" 40021
  -
  "Next..." >
    "Film" 40111
    "Frame" 40112
  "Previous..." >
    "Film" 40113
    "Frame" 40114
  -
  "Show Guides" 40146 G
  "Show Markers" 40145 G
  "Show Timeline" 40143 G
  -
  "Rinse" 40110
  "Repeat" 40109 C
  -
  "Local Playlist Viewer..." 40089
  -
  "&Settings..." 40035
"&Tracker" >
  "Start Tracking" 40038 D
  "Finish Tracking" 40039 D
  "Perform Homography" 40040 D
  "&Settings..." 40041 G
"&Annotate" >
  "Insert Comment.." 40057 D
  "Delete Comment" 40058 G
  -
  "Show Annotations" 40069 G C
  -
  "&Settings..." 40071 G
"&Window" >
  "New Window" 40086 D
  "Split" 40087 G
  -
  "Maximize All" 40059 G
  "Minimize All" 40060 G
  "Reset Layout" 40052 G
"&Help" >
  "Documentation" 40012 D
  "About" 40013
)";

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Win32Application();
    DrainQueue();
    Recorded().clear();
    SetTestHandler(nullptr);
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

TEST_F(MenuTest, Resource101HoldsEveryItemWithItsIdentifierAndMarks) {
  std::ostringstream out;
  Dump(menu_, 0, out);
  EXPECT_EQ(out.str(), kExpectedMenu);
}

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
  RECT outer;
  GetWindowRect(window_, &outer);
  EXPECT_EQ(outer.bottom - outer.top, 400);  // the outer size stays
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
