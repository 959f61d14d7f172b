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
  return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                       MAKELPARAM(LVNI_FOCUSED, 0)));
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
    : m_clientWidth(0),
      m_clientHeight(0),
      m_created(0),
      m_windowClass(),
      m_window(nullptr),
      m_nameList(nullptr),
      m_valueList(nullptr),
      m_owner(nullptr),
      m_ownerMenu(nullptr) {}

CTQDialog::~CTQDialog() {}

int CTQDialog::Show(LPCWSTR title, WNDPROC window_proc) {
  if (m_created || m_window != nullptr) {
    SetActiveWindow(m_window);
    ShowWindow(m_window, SW_SHOW);
    return DIALOG_SHOWN_AGAIN;
  }

  m_windowClass = WNDCLASSEXW();
  m_windowClass.cbSize = sizeof(WNDCLASSEXW);
  m_windowClass.style = CS_HREDRAW | CS_VREDRAW;
  m_windowClass.lpfnWndProc = window_proc;
  m_windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  m_windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  m_windowClass.lpszClassName = title;
  if (RegisterClassExW(&m_windowClass) == 0) return DIALOG_NOT_CREATED;

  // WM_CREATE runs inside this call and builds the lists.
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, title, title, WS_SYSMENU, CW_USEDEFAULT,
                                CW_USEDEFAULT, kWindowWidth, kWindowHeight, m_owner,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) {
    // Leave the object as never opened, so that a later Show can try again.
    UnregisterClassW(title, nullptr);
    m_nameList = nullptr;
    m_valueList = nullptr;
    return DIALOG_NOT_CREATED;
  }
  m_window = window;

  const int edges[1] = {-1};
  m_statusBar.Create(m_window, 1, edges);
  m_statusBar.SetText(0, kClickHint);

  m_created = 1;
  UpdateWindow(m_window);
  ShowWindow(m_window, SW_SHOW);
  return DIALOG_SHOWN;
}

int CTQDialog::AddRow(int index, LPCWSTR name, LPCWSTR value) {
  if (m_nameList == nullptr || m_valueList == nullptr) return 0;
  ListInsertText(m_nameList, index, name);
  ListInsertText(m_valueList, index, value);
  return 0;
}

int CTQDialog::SetStatusText(int slot, LPCWSTR text) {
  m_statusBar.SetText(slot, text);
  return 0;
}

void CTQDialog::CenterOverOwner(HWND window, const CREATESTRUCTW* create) const {
  RECT owner_rect = {};
  if (m_owner == nullptr || create == nullptr || !GetWindowRect(m_owner, &owner_rect)) return;
  const LONG x = owner_rect.left + (owner_rect.right - owner_rect.left) / 2 - create->cx / 2;
  const LONG y = owner_rect.top + (owner_rect.bottom - owner_rect.top) / 2 - create->cy / 2;
  SetWindowPos(window, nullptr, x, y, create->cx, create->cy, SWP_NOZORDER);
}

HWND CTQDialog::CreateList(HWND parent, LPCWSTR name, DWORD extra_style, int x, int width,
                           int height, LPCWSTR column_text, int column_width) {
  const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER;
  HWND list = CreateWindowExW(0, L"SysListView32", name, style | extra_style, x, 0, width, height,
                              parent, nullptr, GetModuleHandleW(nullptr), nullptr);
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
  m_clientWidth = LOWORD(lparam);
  m_clientHeight = HIWORD(lparam);
  m_statusBar.Resize();
}

LRESULT CTQDialog::OnCreate(HWND window, const CREATESTRUCTW* create) {
  CenterOverOwner(window, create);
  m_nameList = CreateList(window, L"General Listview", WS_VSCROLL, 0, kNameListWidth, kListHeight,
                          L"PropertyName", kNameListWidth);
  m_valueList = CreateList(window, L"General Listview Variables", WS_VSCROLL | LVS_EDITLABELS,
                           kNameListWidth, kValueListWidth, kListHeight, L"PropertyValue", 350);
  UpdateWindow(m_nameList);
  ShowWindow(m_nameList, SW_SHOW);
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
      g_editControl = reinterpret_cast<HWND>(SendMessageW(m_valueList, LVM_GETEDITCONTROL, 0, 0));
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
  int row = ListGetFocusedRow(m_valueList);
  if (row >= 0) {
    SendMessageW(m_valueList, LVM_EDITLABELW, static_cast<WPARAM>(row), 0);
  } else {
    row = ListGetFocusedRow(m_nameList);
    if (row < 0) return;
  }

  WCHAR name[kTextChars] = {};
  ListGetText(m_nameList, row, name, kTextChars - 1);
  SetStatusText(0, GetDescription(name));
}

void CTQDialog::OnEndLabelEdit() {
  HWND edit = g_editControl;
  g_editControl = nullptr;
  const int row = ListGetFocusedRow(m_valueList);
  if (row < 0 || edit == nullptr) return;

  // The edit box's text is submitted whichever way the edit ended, Escape included.
  WCHAR text[kTextChars] = {};
  GetWindowTextW(edit, text, kTextChars - 1);
  WCHAR name[kTextChars] = {};
  ListGetText(m_nameList, row, name, kTextChars - 1);
  if (ApplyEdit(name, text) == 0) ListSetText(m_valueList, row, text);
}
