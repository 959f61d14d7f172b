// A property window: a small floating tool window owned by the main window, with a list of property
// names beside a list of values that are edited in place, and a one-part status bar for help texts.
// It is also the base of the selection window, which reuses its registration, creation, status bar
// and list handles.
#pragma once

#include "shell/win32/windows.h"
#include "toolwindows/status_bar.h"

// Results of Show.
enum {
  DIALOG_SHOWN = 0,        // created and shown now
  DIALOG_NOT_CREATED = 1,  // the class could not be registered or the window not created
  DIALOG_SHOWN_AGAIN = 4,  // the window already existed; activated and shown again
};

class CTQDialog {
 public:
  CTQDialog();
  virtual ~CTQDialog();

  // Creates the window on the first call (title = class name = caption; window_proc = the static
  // forwarding procedure of this window), shows it again on later calls. DIALOG_* result.
  int Show(LPCWSTR title, WNDPROC window_proc);
  // Inserts one row at position index in both lists; an index past the end appends. Returns 0.
  int AddRow(int index, LPCWSTR name, LPCWSTR value);
  // Sets a part of the window's status bar; a null text leaves it unchanged. Returns 0.
  int SetStatusText(int slot, LPCWSTR text);
  // The window that owns this one and is the reference it opens centred over, with that window's
  // menu bar, whose items the viewers grey (handed on its own, since the owner drops it from view in
  // full screen). The owner hands itself down before the first Show; null owns nothing.
  void SetOwner(HWND owner, HMENU owner_menu) {
    owner_ = owner;
    owner_menu_ = owner_menu;
  }
  HWND GetOwner() const { return owner_; }
  HMENU GetOwnerMenu() const { return owner_menu_; }
  LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND GetWindow() const { return window_; }
  HWND GetNameList() const { return name_list_; }
  HWND GetValueList() const { return value_list_; }
  HWND GetStatusBar() const { return status_bar_.GetHandle(); }

 protected:
  // Moves the window so that its centre lies over the owner's centre, keeping its size. Runs inside
  // WM_CREATE, whose creation record gives the window's size.
  void CenterOverOwner(HWND window, const CREATESTRUCTW* create) const;
  // Creates a report-view list child without column headers at (x, 0) with one left-aligned column.
  static HWND CreateList(HWND parent, LPCWSTR name, DWORD extra_style, int x, int width, int height,
                         LPCWSTR column_text, int column_width);
  // Keeps the client size of a WM_SIZE and lays the status bar out again.
  void OnSize(LPARAM lparam);

  CTQStatusBar status_bar_;
  UINT client_width_;
  UINT client_height_;
  int created_;
  WNDCLASSEXW window_class_;
  HWND window_;
  HWND name_list_;
  HWND value_list_;
  HWND owner_;
  HMENU owner_menu_;

 private:
  LRESULT OnCreate(HWND window, const CREATESTRUCTW* create);
  LRESULT OnNotify(const NMHDR* header);
  void OnClick();
  void OnEndLabelEdit();
};

// List-view helpers shared by the tool windows (all on sub-item 0, texts up to 259 characters).
int ListGetFocusedRow(HWND list);
void ListInsertText(HWND list, int row, LPCWSTR text);
void ListSetText(HWND list, int row, LPCWSTR text);
void ListGetText(HWND list, int row, WCHAR* buffer, int buffer_chars);
void ListClearState(HWND list, int row, UINT state);
