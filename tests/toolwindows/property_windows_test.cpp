// The four settings windows, driven with real mouse and keyboard input on the test display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings.h"
#include "shell/window.h"
#include "tests/toolwindows/tool_window_test_support.h"
#include "toolwindows/settings_windows.h"

namespace {

// Waits for the edit that a click began to end: its edit box appears and goes away again.
bool EditEnds(HWND values) {
  auto editing = [&] { return SendMessageW(values, LVM_GETEDITCONTROL, 0, 0) != 0; };
  PumpUntil(editing, 2000);
  return PumpUntil([&] { return !editing(); });
}

class PropertyWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_settings.version = 2.5f;
    g_settings.adapter = 1;
    g_settings.renderer_width = 1280;
    g_settings.renderer_height = 720;
    g_settings.StoreRefreshRate(29.97f);
    g_settings.viewer_distance = 30.0f;
    g_settings.screen_diagonal = 24.0f;
    g_settings.screen_aspect = 1.7778f;
    g_settings.show_channel = 7;  // neither left nor right: shown as both
    g_settings.temporal_interleave = 0;
    g_settings.invert_channels = 1;
    g_settings.proscenium = 0.05f;
    g_settings.separation = -0.125f;
    EnsureMainWindow();
  }

  // Opens a window with the given opener, centred over the main window, and checks that a second
  // opening brings back the same window without adding rows.
  static void ExpectOpensOnce(int (*open)(CTQDialog*), CTQDialog* dialog) {
    ASSERT_EQ(DIALOG_SHOWN, open(dialog));
    PumpFor(100);
    const std::vector<std::wstring> names = ColumnTexts(dialog->GetNameList());
    const std::vector<std::wstring> values = ColumnTexts(dialog->GetValueList());
    HWND window = dialog->GetWindow();
    RECT main_rect = {}, own = {};
    GetWindowRect(g_window.GetHandle(), &main_rect);
    GetWindowRect(window, &own);
    EXPECT_EQ(main_rect.left + (main_rect.right - main_rect.left) / 2 - (own.right - own.left) / 2, own.left);
    EXPECT_EQ(main_rect.top + (main_rect.bottom - main_rect.top) / 2 - (own.bottom - own.top) / 2, own.top);
    EXPECT_EQ(L" Click on a field to get information and make changes.", StatusText(dialog->GetStatusBar()));

    SendMessageW(window, WM_CLOSE, 0, 0);  // the close box only hides
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(DIALOG_SHOWN_AGAIN, open(dialog));
    PumpFor(50);
    EXPECT_EQ(window, dialog->GetWindow());
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(names, ColumnTexts(dialog->GetNameList()));
    EXPECT_EQ(values, ColumnTexts(dialog->GetValueList()));
  }
};

TEST_F(PropertyWindowTest, EachWindowOpensOnceWithItsRowsInOrder) {
  CTQWindow& main = g_window;
  // (Their titles: the viewers' test of the menu commands.)
  ExpectOpensOnce(OpenGeneralSettings, main.GetGeneralSettings());
  ExpectOpensOnce(OpenMoviePlayerSettings, main.GetMoviePlayerSettings());
  ExpectOpensOnce(OpenStereoscopicSettings, main.GetStereoscopicSettings());
  ExpectOpensOnce(OpenTrackerSettings, main.GetTrackerSettings());

  const std::vector<std::wstring> general_values = {L"2.50", L"800", L"600", L"no", L"1"};
  EXPECT_EQ(general_values, ColumnTexts(main.GetGeneralSettings()->GetValueList()));
  // Passed as rows 0, 1, 2, 5 and 8: each past the end, so appended in this order.
  const std::vector<std::wstring> movie_values = {L"1280", L"720", L"29.97", L"disabled", L"0.2"};
  EXPECT_EQ(movie_values, ColumnTexts(main.GetMoviePlayerSettings()->GetValueList()));

  const std::vector<std::wstring> stereo_values = {L"30.00", L"24.00", L"1.78", L"both",
                                                   L"no",    L"yes",   L"5.00", L"-12.50"};
  EXPECT_EQ(stereo_values, ColumnTexts(main.GetStereoscopicSettings()->GetValueList()));

  EXPECT_EQ(std::vector<std::wstring>{L"Under construction"},
            ColumnTexts(main.GetTrackerSettings()->GetNameList()));
  EXPECT_EQ(std::vector<std::wstring>{L" "}, ColumnTexts(main.GetTrackerSettings()->GetValueList()));
}

// A click in the name list edits the value row the user last chose, not the clicked one: before any
// value row was chosen it only describes the clicked name; afterwards it edits and describes that
// value row, and the highlight stays on it.
TEST_F(PropertyWindowTest, ClickOnANameEditsTheFocusedValueRowOnly) {
  CTQDialog* dialog = g_window.GetMoviePlayerSettings();
  OpenMoviePlayerSettings(dialog);
  PumpFor(100);
  HWND names = dialog->GetNameList();
  HWND values = dialog->GetValueList();
  auto edit_box = [&] { return reinterpret_cast<HWND>(SendMessageW(values, LVM_GETEDITCONTROL, 0, 0)); };
  ASSERT_EQ(-1, ListGetFocusedRow(values));  // no value row chosen yet

  ClickRow(names, 1);  // render height
  EXPECT_TRUE(PumpUntil([&] {
    return StatusText(dialog->GetStatusBar()) == L" The vertical resolution of the renderer (pre window scaling)";
  }));
  PumpFor(200);
  EXPECT_EQ(nullptr, edit_box());
  EXPECT_EQ(-1, ListGetFocusedRow(values));

  ClickRow(values, 0);  // render width
  ASSERT_TRUE(PumpUntil([&] { return edit_box() != nullptr; }));
  PressKey("Return");
  ASSERT_TRUE(PumpUntil([&] { return edit_box() == nullptr; }));

  ClickRow(names, 2);  // refresh rate
  ASSERT_TRUE(PumpUntil([&] { return edit_box() != nullptr; }));
  EXPECT_EQ(L" The horizontal resolution of the renderer (pre window scaling)",
            StatusText(dialog->GetStatusBar()));
  PressKey("ctrl+a");
  TypeText("1300");
  PressKey("Return");
  EXPECT_TRUE(PumpUntil([&] { return RowText(values, 0) == L"1300"; }));
  EXPECT_EQ(1300, g_settings.renderer_width);
  EXPECT_EQ(L"29.97", RowText(values, 2));
  EXPECT_EQ(0, ListGetFocusedRow(values));
  EXPECT_EQ(0, FirstRowWith(values, LVNI_SELECTED));

  // A name without a description leaves the status text; the edit is still of row 0.
  ClickRow(names, 3);
  ASSERT_TRUE(PumpUntil([&] { return edit_box() != nullptr; }));
  EXPECT_EQ(L" The horizontal resolution of the renderer (pre window scaling)",
            StatusText(dialog->GetStatusBar()));
  PressKey("Escape");
  EXPECT_TRUE(EditEnds(values));
  EXPECT_EQ(L"disabled", RowText(values, 3));
  EXPECT_EQ(L"1300", RowText(values, 0));
  g_settings.renderer_width = 1280;
}

// A click notification while no value cell has the focus (the name row was reached from the
// keyboard, the click came from the status bar): the name row is described, nothing is edited.
TEST_F(PropertyWindowTest, ClickWithoutFocusedValueOnlyDescribesTheFocusedName) {
  CTQDialog* dialog = g_window.GetGeneralSettings();
  OpenGeneralSettings(dialog);
  PumpFor(100);
  dialog->SetStatusText(0, L"before");
  SetRowState(dialog->GetValueList(), -1, 0, LVIS_FOCUSED);
  SetRowState(dialog->GetNameList(), -1, 0, LVIS_FOCUSED);
  SetRowState(dialog->GetNameList(), 2, LVIS_FOCUSED, LVIS_FOCUSED);

  NMHDR click = {};
  click.hwndFrom = dialog->GetStatusBar();
  click.code = NM_CLICK;
  SendMessageW(dialog->GetWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(L" Controls the height of the application window.", StatusText(dialog->GetStatusBar()));
  EXPECT_EQ(0, SendMessageW(dialog->GetValueList(), LVM_GETEDITCONTROL, 0, 0));

  // With nothing focused anywhere the click changes nothing.
  SetRowState(dialog->GetNameList(), 2, 0, LVIS_FOCUSED);
  dialog->SetStatusText(0, L"before");
  SendMessageW(dialog->GetWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(L"before", StatusText(dialog->GetStatusBar()));
  EXPECT_EQ(0, SendMessageW(dialog->GetValueList(), LVM_GETEDITCONTROL, 0, 0));
}

// An edit the settings refuse keeps the old text and value; an accepted one, ended by Return or Escape,
// is stored and shown as typed.
TEST_F(PropertyWindowTest, EditsAreStoredAndShownAsTypedOrRefusedWhole) {
  CTQDialog* dialog = g_window.GetStereoscopicSettings();
  OpenStereoscopicSettings(dialog);
  PumpFor(100);
  HWND values = dialog->GetValueList();

  ClickRow(values, 6);  // proscenium distance
  PressKey("ctrl+a");
  TypeText("150");
  PressKey("Return");
  EXPECT_TRUE(EditEnds(values));
  EXPECT_EQ(L"5.00", RowText(values, 6));
  EXPECT_FLOAT_EQ(0.05f, g_settings.proscenium);

  ClickRow(values, 6);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageW(values, LVM_GETEDITCONTROL, 0, 0) != 0; }));
  PressKey("ctrl+a");
  TypeText("50");
  PressKey("Return");
  EXPECT_TRUE(PumpUntil([&] { return RowText(values, 6) == L"50"; }));
  EXPECT_FLOAT_EQ(0.5f, g_settings.proscenium);

  // Reopening shows the typed text, not a refill with two decimals.
  OpenStereoscopicSettings(dialog);
  EXPECT_EQ(L"50", RowText(values, 6));

  // Escape submits the edit box's text too.
  ClickRow(values, 7);  // lateral separation
  PressKey("ctrl+a");
  TypeText("25");
  PressKey("Escape");
  EXPECT_TRUE(PumpUntil([&] { return RowText(values, 7) == L"25"; }));
  EXPECT_FLOAT_EQ(0.25f, g_settings.separation);
}

}  // namespace
