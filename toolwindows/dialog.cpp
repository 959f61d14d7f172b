#include "toolwindows/dialog.h"

#include <cwchar>

#include "settings/settings_edits.h"

namespace {

constexpr int kWindowWidth = 400;
constexpr int kWindowHeight = 220;
constexpr int kNameListWidth = 150;
constexpr int kValueListWidth = 242;
constexpr int kListHeight = 220;
constexpr int kEditBoxWidth = 242;
constexpr int kTextChars = 260;  // text buffers: 259 characters and the terminator

const WCHAR kClickHint[] = L" Click on a field to get information and make changes.";

// The edit box of the label edit in progress, shared by all property windows: taken when an edit
// begins, read when it ends.
HWND g_editControl = nullptr;

}  // namespace

int ListGetFocusedRow(HWND list) {
  if (list == nullptr) return -1;
  return static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
}

void ListInsertText(HWND list, int row, LPCWSTR text) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = 0;
  item.pszText = const_cast<LPWSTR>(text);
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void ListSetText(HWND list, int row, LPCWSTR text) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = 0;
  item.pszText = const_cast<LPWSTR>(text);
  SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void ListGetText(HWND list, int row, WCHAR* buffer, int buffer_chars) {
  buffer[0] = L'\0';
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = 0;
  item.pszText = buffer;
  item.cchTextMax = buffer_chars;
  SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  buffer[buffer_chars - 1] = L'\0';
}

void ListClearState(HWND list, int row, UINT state) {
  LVITEMW item = {};
  item.state = 0;
  item.stateMask = state;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

CTQDialog::CTQDialog()
    : client_width_(0),
      client_height_(0),
      created_(0),
      window_class_(),
      window_(nullptr),
      name_list_(nullptr),
      value_list_(nullptr),
      owner_(nullptr),
      owner_menu_(nullptr) {}

CTQDialog::~CTQDialog() {}

int CTQDialog::Show(LPCWSTR title, WNDPROC window_proc) {
  if (created_ || window_ != nullptr) {
    SetActiveWindow(window_);
    ShowWindow(window_, SW_SHOW);
    return DIALOG_SHOWN_AGAIN;
  }

  window_class_ = WNDCLASSEXW();
  window_class_.cbSize = sizeof(WNDCLASSEXW);
  window_class_.style = CS_HREDRAW | CS_VREDRAW;
  window_class_.lpfnWndProc = window_proc;
  window_class_.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class_.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class_.lpszClassName = title;
  if (RegisterClassExW(&window_class_) == 0) return DIALOG_NOT_CREATED;

  // WM_CREATE runs inside this call and builds the lists.
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, title, title, WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                kWindowWidth, kWindowHeight, owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) {
    // Leave the object as never opened, so that a later Show can try again.
    UnregisterClassW(title, nullptr);
    name_list_ = nullptr;
    value_list_ = nullptr;
    return DIALOG_NOT_CREATED;
  }
  window_ = window;

  const int edges[1] = {-1};
  status_bar_.Create(window_, 1, edges);
  status_bar_.SetText(0, kClickHint);

  created_ = 1;
  UpdateWindow(window_);
  ShowWindow(window_, SW_SHOW);
  return DIALOG_SHOWN;
}

int CTQDialog::AddRow(int index, LPCWSTR name, LPCWSTR value) {
  if (name_list_ == nullptr || value_list_ == nullptr) return 0;
  ListInsertText(name_list_, index, name);
  ListInsertText(value_list_, index, value);
  return 0;
}

int CTQDialog::SetStatusText(int slot, LPCWSTR text) {
  status_bar_.SetText(slot, text);
  return 0;
}

void CTQDialog::CenterOverOwner(HWND window, const CREATESTRUCTW* create) const {
  RECT owner_rect = {};
  if (owner_ == nullptr || create == nullptr || !GetWindowRect(owner_, &owner_rect)) return;
  const LONG x = owner_rect.left + (owner_rect.right - owner_rect.left) / 2 - create->cx / 2;
  const LONG y = owner_rect.top + (owner_rect.bottom - owner_rect.top) / 2 - create->cy / 2;
  SetWindowPos(window, nullptr, x, y, create->cx, create->cy, SWP_NOZORDER);
}

HWND CTQDialog::CreateList(HWND parent, LPCWSTR name, DWORD extra_style, int x, int width, int height,
                           LPCWSTR column_text, int column_width) {
  const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER;
  HWND list = CreateWindowExW(0, L"SysListView32", name, style | extra_style, x, 0, width, height, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (list == nullptr) return nullptr;

  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = column_width;
  column.pszText = const_cast<LPWSTR>(column_text);
  column.iSubItem = 0;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  return list;
}

void CTQDialog::OnSize(LPARAM lparam) {
  client_width_ = LOWORD(lparam);
  client_height_ = HIWORD(lparam);
  status_bar_.Resize();
}

LRESULT CTQDialog::OnCreate(HWND window, const CREATESTRUCTW* create) {
  CenterOverOwner(window, create);
  name_list_ = CreateList(window, L"General Listview", WS_VSCROLL, 0, kNameListWidth, kListHeight, L"PropertyName",
                          kNameListWidth);
  value_list_ = CreateList(window, L"General Listview Variables", WS_VSCROLL | LVS_EDITLABELS, kNameListWidth,
                           kValueListWidth, kListHeight, L"PropertyValue", 350);
  UpdateWindow(name_list_);
  ShowWindow(name_list_, SW_SHOW);
  return 0;
}

LRESULT CTQDialog::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lparam));
    case WM_CLOSE:
    case WM_DESTROY:
      // Closing only hides: the window, its lists and rows live on for the next Show.
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

LRESULT CTQDialog::OnNotify(const NMHDR* header) {
  if (header == nullptr) return 0;
  switch (header->code) {
    case NM_CLICK:
      OnClick();
      return 0;
    case LVN_BEGINLABELEDITW: {
      g_editControl = reinterpret_cast<HWND>(SendMessageW(value_list_, LVM_GETEDITCONTROL, 0, 0));
      if (g_editControl != nullptr) {
        // The list view sizes the box to the text; make it as wide as the value column.
        RECT rect = {};
        GetWindowRect(g_editControl, &rect);
        SetWindowPos(g_editControl, nullptr, 0, 0, kEditBoxWidth, rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER);
        UpdateWindow(g_editControl);
        ShowWindow(g_editControl, SW_SHOW);
      }
      return 0;
    }
    case LVN_ENDLABELEDITW:
      OnEndLabelEdit();
      return 0;  // the list view never takes the label itself; OnEndLabelEdit sets accepted text
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
      if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
      if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        draw->clrText = RGB(0, 0, 0);
        draw->clrTextBk = (draw->nmcd.dwItemSpec % 2 == 0) ? RGB(230, 230, 230) : RGB(255, 255, 255);
        return CDRF_NEWFONT;
      }
      return 0;
    }
    default:
      return 0;
  }
}

void CTQDialog::OnClick() {
  // The value list's focused row is edited, also when the click was in the name list: the edit
  // stays with the value row the user last chose. Without one, the name list's focused row is only
  // described.
  int row = ListGetFocusedRow(value_list_);
  if (row >= 0) {
    SendMessageW(value_list_, LVM_EDITLABELW, static_cast<WPARAM>(row), 0);
  } else {
    row = ListGetFocusedRow(name_list_);
    if (row < 0) return;
  }

  WCHAR name[kTextChars] = {};
  ListGetText(name_list_, row, name, kTextChars - 1);
  SetStatusText(0, GetDescription(name));
}

void CTQDialog::OnEndLabelEdit() {
  HWND edit = g_editControl;
  g_editControl = nullptr;
  const int row = ListGetFocusedRow(value_list_);
  if (row < 0 || edit == nullptr) return;

  // The edit box's text is submitted whichever way the edit ended, Escape included.
  WCHAR text[kTextChars] = {};
  GetWindowTextW(edit, text, kTextChars - 1);
  WCHAR name[kTextChars] = {};
  ListGetText(name_list_, row, name, kTextChars - 1);
  if (ApplyEdit(name, text) == 0) ListSetText(value_list_, row, text);
}
