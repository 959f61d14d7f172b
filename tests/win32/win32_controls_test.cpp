// The status bar and the report-view list view: messages, notifications, custom-drawn colours as
// painted, and in-place label editing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QWidget>

#include "shell/win32/win32_qt.h"
#include "tests/win32/win32_test_support.h"

namespace {

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartRecording();
    parent_ = CreateWindowExW(0, RecordingClass(), L"controls", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                              300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent_, nullptr);
  }
  void TearDown() override {
    SetTestHandler(nullptr);
    DestroyWindow(parent_);
    PumpFor(10);
  }

  // A status bar of four parts, the last one running to the right edge.
  HWND CreateStatusBar() {
    HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, -100, -100, 10, 10,
                               parent_, nullptr, nullptr, nullptr);
    const int edges[4] = {195, 390, 580, -1};
    EXPECT_TRUE(SendMessageW(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges)));
    return bar;
  }
  // A single-column report list with `rows` rows reading "row".
  HWND CreateList(DWORD extra_style = 0, int rows = 0) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"list",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER |
                                    extra_style,
                                0, 0, 200, 200, parent_, reinterpret_cast<HMENU>(7), nullptr, nullptr);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = 200;
    column.pszText = const_cast<LPWSTR>(L"Name");
    EXPECT_EQ(SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)), 0);
    for (int i = 0; i < rows; ++i) Insert(list, i, L"row");
    return list;
  }
  void Insert(HWND list, int row, LPCWSTR text) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<LPWSTR>(text);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  QPoint RowCentre(HWND list, int row) {
    RECT rect = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  }
  QWidget* Viewport(HWND list) { return static_cast<QTreeWidget*>(WidgetOf(list))->viewport(); }
  // Left-button input as the window system hands it to Qt: through the top-level window, with
  // timestamps `after_ms` apart, so that Qt itself decides which press is a double click.
  void Button(HWND list, int row, QEvent::Type type, int after_ms) {
    static int time = 1000000;
    time += after_ms;
    QWidget* viewport = Viewport(list);
    QWidget* top = viewport->window();
    const QPoint local = viewport->mapTo(top, RowCentre(list, row));
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    qt_handleMouseEvent(top->windowHandle(), local, top->mapToGlobal(local), held, Qt::LeftButton, type,
                        Qt::NoModifier, time);
  }
  struct Notified {
    UINT code;
    HWND from;
    UINT_PTR id;
    int item;
  };
  // Records every click and double click; `then` runs after each is recorded.
  void CollectClicks(std::vector<Notified>* seen, std::function<void(const NMHDR*)> then = nullptr) {
    SetTestHandler([seen, then](HWND, UINT message, WPARAM, LPARAM lparam, LRESULT*) {
      if (message != WM_NOTIFY) return false;
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->code == NM_CLICK || header->code == NM_DBLCLK) {
        seen->push_back(Notified{header->code, header->hwndFrom, header->idFrom,
                                 reinterpret_cast<const NMITEMACTIVATE*>(lparam)->iItem});
        if (then) then(header);
      }
      return false;
    });
  }

  HWND parent_ = nullptr;
};

TEST_F(ControlsTest, StatusBarDocksAtTheBottomAndKeepsTextsPerPart) {
  HWND bar = CreateStatusBar();
  EXPECT_TRUE(SendMessageW(bar, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(L" Ready")));
  EXPECT_FALSE(SendMessageW(bar, SB_SETTEXTW, 4, reinterpret_cast<LPARAM>(L"no such part")));
  int read_edges[4] = {};
  EXPECT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(read_edges)), 4);
  EXPECT_EQ(read_edges[2], 580);
  EXPECT_EQ(read_edges[3], -1);
  WCHAR text[32] = {};
  const LRESULT result = SendMessageW(bar, SB_GETTEXTW, 3, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(LOWORD(result), 6);
  EXPECT_STREQ(text, L" Ready");
  EXPECT_EQ(LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0)), 0);

  // The parent grows; the bar follows on WM_SIZE.
  SetWindowPos(parent_, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(bar, WM_SIZE, 0, 0);
  RECT client, rect;
  GetClientRect(parent_, &client);
  GetWindowRect(bar, &rect);
  EXPECT_EQ(rect.right - rect.left, client.right);
  RECT parent_rect;
  GetWindowRect(parent_, &parent_rect);
  EXPECT_EQ(rect.bottom, parent_rect.bottom);
  RECT part = {};
  ASSERT_TRUE(SendMessageW(bar, SB_GETRECT, 3, reinterpret_cast<LPARAM>(&part)));
  EXPECT_EQ(part.left, 582);
  EXPECT_EQ(part.right, client.right);  // -1 runs to the border
}

// The rightmost column of text ink (dark pixels) inside one part of a status bar, or -1.
int RightmostInk(const QImage& image, const RECT& part) {
  int rightmost = -1;
  for (int x = part.left + 2; x < part.right - 1; ++x) {
    for (int y = part.top + 4; y < part.bottom - 2; ++y) {
      if (qGray(image.pixel(x, y)) < 100) rightmost = x;
    }
  }
  return rightmost;
}

TEST_F(ControlsTest, StatusBarTextsEndInsideTheirFixedParts) {
  SetWindowPos(parent_, nullptr, 0, 0, 900, 300, SWP_NOMOVE | SWP_NOZORDER);
  HWND bar = CreateStatusBar();
  RECT parts[4] = {};
  for (int part = 0; part < 4; ++part) {
    ASSERT_TRUE(SendMessageW(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&parts[part])));
  }
  const auto set = [bar](int part, LPCWSTR text) {
    SendMessageW(bar, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text));
  };
  const auto expect_inside = [&parts](const QImage& image, int part) {
    const int rightmost = RightmostInk(image, parts[part]);
    EXPECT_GT(rightmost, parts[part].left + 100) << "part " << part << " shows no text";
    EXPECT_LT(rightmost, parts[part].right - 3) << "the text of part " << part << " is cut at its edge";
  };

  // The longest texts of common sizes.
  set(0, L"  Timecode: 00:00:1234567");
  set(1, L"  Window: 1920x1080p30 (1.78)");
  set(2, L"  Content: 3840x2160p30 (1.78)");
  QImage image = WidgetOf(bar)->grab().toImage();
  for (int part = 0; part < 3; ++part) expect_inside(image, part);

  // A text too long for the bar's font is drawn smaller; the same text in the wide last part is not.
  const LPCWSTR longest = L"  Content: 16384x16384p30 (1.00)";
  set(2, longest);
  set(3, longest);
  image = WidgetOf(bar)->grab().toImage();
  expect_inside(image, 2);
  EXPECT_GT(RightmostInk(image, parts[3]) - parts[3].left, RightmostInk(image, parts[2]) - parts[2].left);
}

TEST_F(ControlsTest, ListItemsInsertGetSetAndFocusState) {
  HWND list = CreateList();
  Insert(list, 0, L"first");
  Insert(list, 5, L"third");  // past the end: appended
  Insert(list, 1, L"second");
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(RowText(list, 0), L"first");
  EXPECT_EQ(RowText(list, 1), L"second");
  EXPECT_EQ(RowText(list, 2), L"third");
  EXPECT_EQ(RowText(list, 3), L"<no row>");

  LVITEMW item = {};
  item.pszText = const_cast<LPWSTR>(L"2nd");
  SendMessageW(list, LVM_SETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(RowText(list, 1), L"2nd");
  WCHAR small[3];
  item.pszText = small;
  item.cchTextMax = 3;
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item)), 2);
  EXPECT_STREQ(small, L"fi");

  EXPECT_EQ(FirstRowWith(list, LVNI_FOCUSED), -1);
  SetRowState(list, 2, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  EXPECT_EQ(FirstRowWith(list, LVNI_FOCUSED), 2);
  EXPECT_EQ(FirstRowWith(list, LVNI_SELECTED), 2);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 2, LVIS_SELECTED), LVIS_SELECTED);
  // Single selection: selecting another row drops the first.
  SetRowState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 2, LVIS_SELECTED | LVIS_FOCUSED), LVIS_FOCUSED);
  SetRowState(list, 2, 0, LVIS_FOCUSED);
  EXPECT_EQ(FirstRowWith(list, LVNI_FOCUSED), -1);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, 0, LVNI_ALL), 1);
  EXPECT_EQ(SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT), 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_FULLROWSELECT);
}

TEST_F(ControlsTest, ClickIsReportedOnReleaseAndDoubleClickAsClickThenDoubleClick) {
  HWND list = CreateList(0, 3);
  PumpFor(30);
  std::vector<Notified> seen;
  CollectClicks(&seen);

  Button(list, 1, QEvent::MouseButtonPress, 0);
  PumpFor(30);
  EXPECT_TRUE(seen.empty());  // a press alone is no click yet
  Button(list, 1, QEvent::MouseButtonRelease, 20);
  EXPECT_TRUE(seen.empty());  // notifications come from the message queue, not from Qt's handler
  PumpFor(30);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].code, NM_CLICK);
  EXPECT_EQ(seen[0].item, 1);
  EXPECT_EQ(FirstRowWith(list, LVNI_FOCUSED), 1);

  // Two clicks within the double-click time: the first press and release are a click, the second
  // press is a double click, the last release reports nothing.
  seen.clear();
  Button(list, 2, QEvent::MouseButtonPress, 1000);
  Button(list, 2, QEvent::MouseButtonRelease, 20);
  Button(list, 2, QEvent::MouseButtonPress, 80);
  Button(list, 2, QEvent::MouseButtonRelease, 20);
  PumpFor(30);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].code, NM_CLICK);
  EXPECT_EQ(seen[1].code, NM_DBLCLK);
  EXPECT_EQ(seen[1].item, 2);
  EXPECT_EQ(seen[1].from, list);
  EXPECT_EQ(seen[1].id, 7u);
}

// The first click of a double click makes the parent replace the list by a new one in the same
// place (as a selection window rebuilds its lists after closing an entry). The second press reaches
// the new list as a double click, never as another click.
TEST_F(ControlsTest, SecondPressOnAListCreatedAfterTheFirstIsNoClick) {
  HWND first = CreateList(0, 3);
  PumpFor(30);
  HWND replacement = nullptr;
  std::vector<Notified> seen;
  CollectClicks(&seen, [&](const NMHDR* header) {
    if (header->code != NM_CLICK || replacement != nullptr) return;
    DestroyWindow(header->hwndFrom);
    replacement = CreateList(0, 3);
  });

  Button(first, 1, QEvent::MouseButtonPress, 1000);
  Button(first, 1, QEvent::MouseButtonRelease, 20);
  PumpFor(50);
  ASSERT_NE(replacement, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Viewport(replacement)->isVisible(); }));
  Button(replacement, 1, QEvent::MouseButtonPress, 80);
  Button(replacement, 1, QEvent::MouseButtonRelease, 20);
  PumpFor(50);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].code, NM_CLICK);
  EXPECT_EQ(seen[0].from, first);
  EXPECT_EQ(seen[1].code, NM_DBLCLK);
  EXPECT_EQ(seen[1].from, replacement);
  // The new list saw no click, so no row of it has the focus.
  EXPECT_EQ(FirstRowWith(replacement, LVNI_FOCUSED), -1);
}

TEST_F(ControlsTest, ListScrollsByWholeRowsAndReportsEachScroll) {
  HWND bare = CreateList(0, 40);
  HWND barred = CreateList(WS_VSCROLL, 40);
  PumpFor(50);
  auto* bare_view = static_cast<QTreeWidget*>(WidgetOf(bare));
  EXPECT_FALSE(bare_view->verticalScrollBar()->isVisible());
  EXPECT_FALSE(bare_view->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(static_cast<QTreeWidget*>(WidgetOf(barred))->verticalScrollBar()->isVisible());

  std::vector<int> scrolls;
  SetTestHandler([&](HWND hwnd, UINT message, WPARAM, LPARAM lparam, LRESULT*) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lparam)->code == LVN_ENDSCROLL) {
      EXPECT_EQ(reinterpret_cast<const NMHDR*>(lparam)->hwndFrom, bare);
      scrolls.push_back(reinterpret_cast<const NMLVSCROLL*>(lparam)->dy);
    }
    return false;
  });
  RECT row = {LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(bare, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  const int height = row.bottom - row.top;
  ASSERT_GT(height, 0);
  EXPECT_EQ(SendMessageW(bare, LVM_GETTOPINDEX, 0, 0), 0);

  // The wheel scrolls a list without a scroll bar all the same.
  QWidget* viewport = Viewport(bare);
  const QPointF at = RowCentre(bare, 1);
  QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &wheel);
  PumpFor(30);
  const LRESULT after_wheel = SendMessageW(bare, LVM_GETTOPINDEX, 0, 0);
  EXPECT_GT(after_wheel, 0);
  ASSERT_EQ(scrolls.size(), 1u);
  EXPECT_EQ(scrolls[0], after_wheel * height);

  // LVM_SCROLL rounds to whole rows, both ways.
  scrolls.clear();
  EXPECT_TRUE(SendMessageW(bare, LVM_SCROLL, 0, 2 * height + height / 3));
  EXPECT_EQ(SendMessageW(bare, LVM_GETTOPINDEX, 0, 0), after_wheel + 2);
  EXPECT_TRUE(SendMessageW(bare, LVM_SCROLL, 0, -(height - height / 3)));
  EXPECT_EQ(SendMessageW(bare, LVM_GETTOPINDEX, 0, 0), after_wheel + 1);
  PumpFor(30);
  EXPECT_EQ(scrolls, (std::vector<int>{2 * height, -height}));
  SendMessageW(bare, LVM_GETITEMRECT, static_cast<WPARAM>(after_wheel + 1), reinterpret_cast<LPARAM>(&row));
  EXPECT_EQ(row.top, 0);  // the top row starts at the top edge

  // Keys scroll too: End shows the last row whole.
  scrolls.clear();
  bare_view->setFocus();
  QTest::keyClick(bare_view, Qt::Key_End);
  PumpFor(30);
  ASSERT_FALSE(scrolls.empty());
  SendMessageW(bare, LVM_GETITEMRECT, 39, reinterpret_cast<LPARAM>(&row));
  EXPECT_LE(row.bottom, viewport->height());
  EXPECT_GE(row.top, 0);
}

TEST_F(ControlsTest, CustomDrawColoursArePaintedPerRow) {
  HWND list = CreateList(0, 3);
  SetTestHandler([](HWND, UINT message, WPARAM, LPARAM lparam, LRESULT* result) {
    if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lparam)->code != NM_CUSTOMDRAW) return false;
    NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lparam);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
      *result = CDRF_NOTIFYITEMDRAW;
    } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
      draw->clrText = RGB(0, 0, 0);
      draw->clrTextBk = draw->nmcd.dwItemSpec == 1 ? RGB(160, 230, 160) : RGB(230, 230, 230);
      *result = CDRF_NEWFONT;
    } else {
      *result = 0;
    }
    return true;
  });
  const QPoint row0 = RowCentre(list, 0);
  const QPoint row1 = RowCentre(list, 1);
  QWidget* viewport = Viewport(list);
  const QPoint offset = viewport->mapTo(WidgetOf(list), QPoint(0, 0));
  EXPECT_EQ(PixelAt(list, offset.x() + row0.x(), offset.y() + row0.y()), RGB(230, 230, 230));
  EXPECT_EQ(PixelAt(list, offset.x() + row1.x(), offset.y() + row1.y()), RGB(160, 230, 160));

  // Without item notifications the rows keep the list's own colours.
  SetTestHandler([](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message != WM_NOTIFY) return false;
    *result = CDRF_DODEFAULT;
    return true;
  });
  EXPECT_EQ(PixelAt(list, offset.x() + row1.x(), offset.y() + row1.y()), RGB(255, 255, 255));
}

// The parent may refuse an edit at its beginning (no edit box) and at its end (the label stays).
TEST_F(ControlsTest, LabelEditEndsWithTextOnEnterAndWithoutOnEscapeAndTheParentMayRefuseIt) {
  HWND list = CreateList(LVS_EDITLABELS);
  Insert(list, 0, L"old");
  PumpFor(20);
  std::wstring seen_in_box;
  bool ended_with_null = false;
  std::wstring ended_text;
  LRESULT accept = TRUE;
  LRESULT refuse_begin = FALSE;
  SetTestHandler([&](HWND, UINT message, WPARAM, LPARAM lparam, LRESULT* result) {
    if (message != WM_NOTIFY) return false;
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
    if (header->code == LVN_BEGINLABELEDITW) {
      HWND edit = reinterpret_cast<HWND>(SendMessageW(header->hwndFrom, LVM_GETEDITCONTROL, 0, 0));
      EXPECT_TRUE(IsWindow(edit));
      SetWindowPos(edit, nullptr, 0, 0, 150, 20, SWP_NOMOVE | SWP_NOZORDER);
      *result = refuse_begin;
      return true;
    }
    if (header->code == LVN_ENDLABELEDITW) {
      const NMLVDISPINFOW* info = reinterpret_cast<const NMLVDISPINFOW*>(lparam);
      HWND edit = reinterpret_cast<HWND>(SendMessageW(header->hwndFrom, LVM_GETEDITCONTROL, 0, 0));
      WCHAR text[259] = {};
      GetWindowTextW(edit, text, 259);  // the box still exists while the edit ends
      seen_in_box = text;
      ended_with_null = info->item.pszText == nullptr;
      ended_text = info->item.pszText ? info->item.pszText : L"";
      *result = accept;
      return true;
    }
    return false;
  });

  HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, 0, 0));
  ASSERT_TRUE(IsWindow(edit));
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0)), edit);
  WCHAR text[16] = {};
  GetWindowTextW(edit, text, 16);
  EXPECT_STREQ(text, L"old");
  QWidget* box = WidgetOf(edit);
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(box, "new value");
  QTest::keyClick(box, Qt::Key_Return);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(edit); }));
  EXPECT_FALSE(ended_with_null);
  EXPECT_EQ(ended_text, L"new value");
  EXPECT_EQ(seen_in_box, L"new value");
  EXPECT_EQ(RowText(list, 0), L"new value");  // accepted: the list takes the text

  edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, 0, 0));
  ASSERT_TRUE(IsWindow(edit));
  QTest::keyClicks(WidgetOf(edit), "typed");
  QTest::keyClick(WidgetOf(edit), Qt::Key_Escape);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(edit); }));
  EXPECT_TRUE(ended_with_null);
  EXPECT_NE(seen_in_box.find(L"typed"), std::wstring::npos);  // the box's text is still readable
  EXPECT_EQ(RowText(list, 0), L"new value");

  accept = FALSE;
  edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, 0, 0));
  SetWindowTextW(edit, L"refused");
  QTest::keyClick(WidgetOf(edit), Qt::Key_Return);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(edit); }));
  EXPECT_EQ(ended_text, L"refused");
  EXPECT_EQ(RowText(list, 0), L"new value");
  EXPECT_EQ(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0), 0);

  refuse_begin = TRUE;
  EXPECT_EQ(SendMessageW(list, LVM_EDITLABELW, 0, 0), 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(list, LVM_EDITLABELW, 4, 0), 0);  // no such row
}

}  // namespace
