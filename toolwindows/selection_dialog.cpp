#include "toolwindows/selection_dialog.h"

#include <cwchar>

namespace {

constexpr int kListHeight = 170;
constexpr int kTextChars = 260;
constexpr size_t kLongNameChars = 30;  // longer names are shown as their last path component

const WCHAR kRefusal[] = L" You cannot close a resource that is currently in use.";

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kHeaderBackground = RGB(100, 100, 100);
const COLORREF kActiveBackground = RGB(160, 230, 160);
const COLORREF kEvenBackground = RGB(230, 230, 230);
const COLORREF kActionText = RGB(0, 0, 255);
const COLORREF kInactiveStatusText = RGB(255, 0, 0);

bool IsPathSeparator(WCHAR c) { return c == L'\\' || c == L'/'; }

}  // namespace

void ShortenFileName(LPCWSTR name, WCHAR* out, int out_chars) {
  out[0] = L'\0';
  if (name == nullptr || out_chars <= 0) return;
  const size_t length = wcslen(name);
  LPCWSTR shown = name;
  if (length > kLongNameChars) {
    // The last separator, when it is neither the first nor the last character.
    for (size_t i = length - 1; i > 0; --i) {
      if (IsPathSeparator(name[i])) {
        if (i < length - 1) shown = name + i + 1;
        break;
      }
    }
  }
  wcsncpy(out, shown, static_cast<size_t>(out_chars) - 1);
  out[out_chars - 1] = L'\0';
}

CTQSelectionDialog::CTQSelectionDialog()
    : active_index_(0),
      previous_active_index_(0),
      status_list_(nullptr),
      action_list_(nullptr),
      callback_(nullptr) {}

CTQSelectionDialog::~CTQSelectionDialog() {}

bool CTQSelectionDialog::IsEntry(uint32_t index) const {
  return callback_ != nullptr && callback_(SELECTION_IS_ENTRY, index, 0) != 0;
}

LRESULT CTQSelectionDialog::OnCreate(HWND window, const CREATESTRUCTW* create) {
  active_index_ = 0;
  previous_active_index_ = 0;
  if (name_list_ || value_list_ || status_list_ || action_list_) {
    // A rebuild: the window stays where the user put it.
    DestroyWindow(name_list_);
    DestroyWindow(value_list_);
    DestroyWindow(status_list_);
    DestroyWindow(action_list_);
  } else {
    CenterOverOwner(window, create);
  }
  name_list_ = CreateList(window, L"General Listview", 0, 0, 30, kListHeight, L"#", 30);
  value_list_ = CreateList(window, L"General Listview Variables", 0, 30, 240, kListHeight, L"Content", 240);
  status_list_ = CreateList(window, L"General Activate Variables", 0, 270, 65, kListHeight, L"Status", 65);
  action_list_ = CreateList(window, L"General Activate Variables", 0, 335, 65, kListHeight, L"Action", 65);
  ListInsertText(status_list_, 0, L"Status");
  ListInsertText(action_list_, 0, L"Action");
  return 0;
}

int CTQSelectionDialog::AddRow(int row, LPCWSTR number, LPCWSTR name) {
  if (name_list_ == nullptr) return 0;
  ListInsertText(name_list_, row, number);
  WCHAR shown[kTextChars];
  ShortenFileName(name, shown, kTextChars);
  ListInsertText(value_list_, row, shown);
  if (row == 0) return 0;
  if (wcslen(shown) > 3) {
    ListInsertText(action_list_, row, L"close");
    ListInsertText(status_list_, row, L"inactive");
  } else {
    ListInsertText(action_list_, row, L"add");
    ListInsertText(status_list_, row, L" ");
  }
  return 0;
}

void CTQSelectionDialog::RepaintRow(int row) {
  // Setting a cell's text makes the list draw the row again, with the colours of the new active
  // row. The cell is emptied first so that the list sees a change even where it would skip
  // setting a text equal to the one it shows.
  HWND lists[3] = {value_list_, name_list_, action_list_};
  for (HWND list : lists) {
    WCHAR text[kTextChars];
    ListGetText(list, row, text, kTextChars - 1);
    ListSetText(list, row, L"");
    ListSetText(list, row, text);
  }
}

int CTQSelectionDialog::SetActive(uint32_t index, int notify) {
  if (callback_ != nullptr && callback_(SELECTION_IS_ENTRY, index, 0) == 0) return 0;
  if (status_list_ == nullptr) return 0;

  // Every entry row becomes inactive; the add row keeps its blank Status. Without an owner the
  // last row is taken for the add row.
  const int rows = static_cast<int>(SendMessageW(status_list_, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 1; row < rows; ++row) {
    const bool entry = callback_ != nullptr ? IsEntry(static_cast<uint32_t>(row - 1)) : row < rows - 1;
    if (entry) ListSetText(status_list_, row, L"inactive");
  }

  previous_active_index_ = active_index_;
  active_index_ = index;
  const int active_row = static_cast<int>(index + 1);
  const int previous_row = static_cast<int>(previous_active_index_ + 1);
  ListSetText(status_list_, active_row, L"active");
  ListSetText(action_list_, active_row, L"-");
  if (previous_active_index_ != active_index_) ListSetText(action_list_, previous_row, L"close");
  ListClearState(value_list_, active_row, LVIS_FOCUSED);

  RepaintRow(previous_row);
  RepaintRow(active_row);
  UpdateWindow(status_list_);
  UpdateWindow(name_list_);
  UpdateWindow(value_list_);
  UpdateWindow(action_list_);

  if (callback_ != nullptr && notify != 0) callback_(SELECTION_ACTIVATE, active_index_, 0);
  return 0;
}

void CTQSelectionDialog::RebuildAndFill() {
  // A close or an add rebuilds the lists; the table stays scrolled where the user left it, so the rows
  // around the changed one do not jump away. Scrolling the name list brings the other three along.
  const LRESULT top = name_list_ != nullptr ? SendMessageW(name_list_, LVM_GETTOPINDEX, 0, 0) : 0;
  if (window_ != nullptr) SendMessageW(window_, WM_CREATE, 0, 0);
  if (callback_ != nullptr) callback_(SELECTION_FILL, 0, 0);
  if (top > 0 && name_list_ != nullptr) ScrollToRow(name_list_, top);
}

int CTQSelectionDialog::Refresh() {
  RebuildAndFill();
  return 0;
}

LRESULT CTQSelectionDialog::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lparam));
    case WM_CLOSE:
    case WM_DESTROY:
      ShowWindow(window, SW_HIDE);
      return 0;
    case WM_SIZE:
      OnSize(lparam);
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<const NMHDR*>(lparam));
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

LRESULT CTQSelectionDialog::OnNotify(const NMHDR* header) {
  if (header == nullptr) return 0;
  switch (header->code) {
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header)));
    case NM_CLICK:
      OnClick(header->hwndFrom);
      return 0;
    case NM_DBLCLK: {
      const int row = ListGetFocusedRow(header->hwndFrom);
      // Row 0 and the add row fail the owner's entry test in SetActive.
      if (row >= 0) SetActive(static_cast<uint32_t>(row - 1), 1);
      return 0;
    }
    case LVN_ENDSCROLL:
      ScrollInStep(header->hwndFrom);
      return 0;
    default:
      return 0;
  }
}

LRESULT CTQSelectionDialog::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return 0;

  // The header row never shows as selected.
  HWND lists[4] = {name_list_, value_list_, status_list_, action_list_};
  for (HWND list : lists) {
    if (list != nullptr && SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_SELECTED) != 0) {
      ListClearState(list, 0, LVIS_SELECTED);
    }
  }

  const DWORD_PTR row = draw->nmcd.dwItemSpec;
  HWND list = draw->nmcd.hdr.hwndFrom;
  if (row == 0) {
    draw->clrText = kWhite;
    draw->clrTextBk = kHeaderBackground;
    return CDRF_NEWFONT;
  }
  const bool active = row == static_cast<DWORD_PTR>(active_index_) + 1;
  draw->clrText = kBlack;
  if (list == action_list_) {
    draw->clrText = kActionText;
  } else if (list == status_list_ && !active) {
    draw->clrText = kInactiveStatusText;
  }
  if (active && list != action_list_) {
    draw->clrTextBk = kActiveBackground;
  } else {
    draw->clrTextBk = (row % 2 == 0) ? kEvenBackground : kWhite;
  }
  return CDRF_NEWFONT;
}

void CTQSelectionDialog::ScrollInStep(HWND sender) {
  // The four lists show one table: whichever list scrolled, the others follow to the same first row,
  // so that the cells of a row always stand side by side.
  const LRESULT top = SendMessageW(sender, LVM_GETTOPINDEX, 0, 0);
  HWND lists[4] = {name_list_, value_list_, status_list_, action_list_};
  for (HWND list : lists) {
    if (list != nullptr && list != sender) ScrollToRow(list, top);
  }
}

void CTQSelectionDialog::ScrollToRow(HWND list, LRESULT top) {
  RECT row = {};
  row.left = LVIR_BOUNDS;
  if (SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&row)) &&
      row.top != 0) {
    SendMessageW(list, LVM_SCROLL, 0, row.top);
  }
}

void CTQSelectionDialog::OnClick(HWND sender) {
  const int row = ListGetFocusedRow(sender);
  if (row < 0) return;
  // A click leaves no selection highlight; the only highlight is the active row's green.
  ListClearState(sender, row, LVIS_SELECTED);
  if (sender != action_list_ || callback_ == nullptr) return;

  const uint32_t index = static_cast<uint32_t>(row - 1);
  if (IsEntry(index)) {
    if (index == active_index_) {
      SetStatusText(0, kRefusal);
      UpdateWindow(action_list_);
      return;
    }
    callback_(SELECTION_CLOSE, index, 0);
    RebuildAndFill();
    return;
  }
  // The add row is the row just after the last entry.
  if (row == 1 || IsEntry(static_cast<uint32_t>(row - 2))) {
    callback_(SELECTION_ADD, 0, 0);
    RebuildAndFill();
  }
}
