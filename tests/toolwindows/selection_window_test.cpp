// The selection window on its own, with an owner of the test's making that records the protocol: the
// shortening of long names and the edges the viewers' real lists do not reach (an entry whose short name
// looks like the add row, double clicks on rows that are no entries, no owner at all). The rows, closing,
// adding and activating through the real lists are the viewers' tests.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/window.h"
#include "tests/toolwindows/tool_window_test_support.h"
#include "toolwindows/selection_dialog.h"

namespace {

// ---- Shown names

std::wstring Shown(const std::wstring& name) {
  WCHAR out[260];
  ShortenFileName(name.c_str(), out, 260);
  return out;
}

TEST(ShortenFileNameTest, LongPathsShowTheirLastComponent) {
  EXPECT_EQ(L"anaglyph.hlsl", Shown(L"/home/viewer/shaders/encoders/anaglyph.hlsl"));
  EXPECT_EQ(L"anaglyph.hlsl", Shown(L"C:\\Users\\viewer\\shaders\\encoders\\anaglyph.hlsl"));
  // 30 characters are shown whole, directory and all; 31 are shortened.
  EXPECT_EQ(L"shaders/encoders/anaglyph.hlsl", Shown(L"shaders/encoders/anaglyph.hlsl"));
  EXPECT_EQ(L"xanaglyph.hlsl", Shown(L"shaders/encoders/xanaglyph.hlsl"));
  // No separator, a separator only in first place, or one in last place: shown whole.
  const std::wstring plain(40, L'a');
  EXPECT_EQ(plain, Shown(plain));
  EXPECT_EQ(L"/" + plain, Shown(L"/" + plain));
  EXPECT_EQ(L"some/long/directory/name/ending/", Shown(L"some/long/directory/name/ending/"));
}

// ---- The window with a recording owner

struct Owner {
  std::vector<std::wstring> entries;
  uint32_t active = 0;
  std::vector<std::pair<int32_t, uint32_t>> calls;
};

Owner g_owner;
CTQSelectionDialog g_dialog;
CTQSelectionDialog* g_current = nullptr;

int32_t RecordingOwner(int32_t code, uint32_t index, int32_t reserved) {
  EXPECT_EQ(0, reserved);
  g_owner.calls.emplace_back(code, index);
  switch (code) {
    case SELECTION_IS_ENTRY:
      return index < g_owner.entries.size() ? 1 : 0;
    case SELECTION_ACTIVATE:
      g_owner.active = index;
      return 0;
    case SELECTION_CLOSE:
      g_owner.entries.erase(g_owner.entries.begin() + index);
      if (g_owner.active > index) --g_owner.active;
      return 0;
    case SELECTION_ADD:
      g_owner.entries.push_back(L"added.hlsl");
      return 0;
    case SELECTION_FILL: {
      g_dialog.AddRow(0, L"#", L"Test Filename");
      const size_t count = g_owner.entries.size();
      for (size_t i = 0; i < count; ++i) {
        g_dialog.AddRow(static_cast<int>(i + 1), std::to_wstring(i + 1).c_str(), g_owner.entries[i].c_str());
      }
      if (count < 9) {  // lists this long get no add row
        g_dialog.AddRow(static_cast<int>(count + 1), std::to_wstring(count + 1).c_str(), L"");
      }
      g_dialog.SetActive(g_owner.active, 0);
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT CALLBACK ForwardToDialog(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return g_current != nullptr ? g_current->WindowProc(window, message, wparam, lparam) : 0;
}

class SelectionWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    EnsureMainWindow();
    g_current = &g_dialog;
    g_dialog.SetCallback(RecordingOwner);
    g_dialog.SetOwner(g_window.GetHandle(), g_window.GetMenuHandle());
    ASSERT_EQ(DIALOG_SHOWN, g_dialog.Show(L"Selection Test", ForwardToDialog));
  }

  void SetUp() override {
    g_owner = Owner();
    g_owner.entries = {L"first.hlsl", L"second.hlsl", L"third.hlsl"};
    g_owner.active = 1;
    ShowWindow(g_dialog.GetWindow(), SW_SHOW);
    g_dialog.Refresh();
    PumpFor(150);
    g_owner.calls.clear();
  }

  static HWND Numbers() { return g_dialog.GetNameList(); }
  static HWND Names() { return g_dialog.GetValueList(); }
  static HWND Status() { return g_dialog.GetStatusList(); }
  static HWND Actions() { return g_dialog.GetActionList(); }

  static bool CalledWith(int32_t code) {
    for (const auto& call : g_owner.calls) {
      if (call.first == code) return true;
    }
    return false;
  }
};

TEST_F(SelectionWindowTest, ShortNamedEntryLooksLikeAnAddRowButCloses) {
  g_owner.entries = {L"a.fx", L"b", L"c.fx"};
  g_owner.active = 0;
  g_dialog.Refresh();
  EXPECT_EQ(L"add", RowText(Actions(), 2));
  EXPECT_EQ(L"inactive", RowText(Status(), 2));  // SetActive made every entry row inactive
  g_owner.calls.clear();
  ClickRow(Actions(), 2);
  ASSERT_TRUE(PumpUntil([] { return g_owner.entries.size() == 2; }));
  EXPECT_FALSE(CalledWith(SELECTION_ADD));
  EXPECT_EQ((std::vector<std::wstring>{L"a.fx", L"c.fx"}), g_owner.entries);
}

// The header and the add row are no entries: a double click on them activates nothing. The active
// row activates again.
TEST_F(SelectionWindowTest, DoubleClickActivatesEntriesOnly) {
  DoubleClickRow(Names(), 0);
  DoubleClickRow(Status(), 4);
  PumpFor(100);
  EXPECT_FALSE(CalledWith(SELECTION_ACTIVATE));
  DoubleClickRow(Numbers(), 3);
  ASSERT_TRUE(PumpUntil([] { return CalledWith(SELECTION_ACTIVATE); }));
  EXPECT_EQ(2u, g_owner.active);
  EXPECT_EQ(L"-", RowText(Actions(), 3));
  EXPECT_EQ(L"close", RowText(Actions(), 2));
  g_owner.calls.clear();
  DoubleClickRow(Names(), 3);
  EXPECT_TRUE(PumpUntil([] { return CalledWith(SELECTION_ACTIVATE); }));
  EXPECT_EQ(L"active", RowText(Status(), 3));
}

TEST_F(SelectionWindowTest, ClicksLeaveNoSelectedRow) {
  ClickRow(Names(), 1);
  ClickRow(Status(), 3);
  ClickRow(Numbers(), 0);
  for (HWND list : {Numbers(), Names(), Status(), Actions()}) {
    EXPECT_EQ(-1, FirstRowWith(list, LVNI_SELECTED));
  }
}

}  // namespace
