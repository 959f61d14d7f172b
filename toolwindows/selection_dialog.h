// A selection window: a numbered list of files with a Status and an Action cell on every row, one
// row being the active one. Double-clicking a row activates it; clicking an Action cell closes an
// entry or adds a file. What the rows stand for is known only to the owner callback, which fills the
// rows and carries out activation, adding and closing.
#pragma once

#include <cstdint>

#include "toolwindows/dialog.h"

// Codes of the owner callback: callback(code, index, 0).
enum {
  SELECTION_ACTIVATE = 1,  // index became the active entry
  SELECTION_ADD = 2,       // the add row's Action cell was clicked
  SELECTION_CLOSE = 3,     // the Action cell of entry index (not the active one) was clicked
  SELECTION_IS_ENTRY = 4,  // return non-zero when an entry with this index exists
  SELECTION_FILL = 5,      // the lists were rebuilt empty: AddRow each row, then SetActive
};

typedef int32_t (*SelectionCallback)(int32_t code, uint32_t index, int32_t reserved);

class CTQSelectionDialog : public CTQDialog {
 public:
  CTQSelectionDialog();
  ~CTQSelectionDialog() override;

  virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // Inserts one row into all four lists. Row 0 is the header; a row whose shown name has three
  // characters or fewer (the empty add row among them) gets the Action "add". Returns 0.
  virtual int AddRow(int row, LPCWSTR number, LPCWSTR name);

  void SetCallback(SelectionCallback callback) { callback_ = callback; }
  // Makes entry index the active one (green row); with notify set, tells the owner. Returns 0.
  int SetActive(uint32_t index, int notify);
  // Rebuilds the lists and has the owner fill them again; works while the window is hidden.
  int Refresh();

  uint32_t GetActiveIndex() const { return active_index_; }
  HWND GetStatusList() const { return status_list_; }
  HWND GetActionList() const { return action_list_; }

 private:
  LRESULT OnCreate(HWND window, const CREATESTRUCTW* create);
  LRESULT OnNotify(const NMHDR* header);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
  void OnClick(HWND sender);
  // Scrolls the other three lists to the first row that `sender` now shows.
  void ScrollInStep(HWND sender);
  // Scrolls one list so that row `top` is its first shown row (as far as the list can scroll).
  void ScrollToRow(HWND list, LRESULT top);
  void RebuildAndFill();
  bool IsEntry(uint32_t index) const;
  void RepaintRow(int row);

  uint32_t active_index_;
  uint32_t previous_active_index_;
  HWND status_list_;
  HWND action_list_;
  SelectionCallback callback_;
};

// The text shown for a file name: a name of more than 30 characters is shown as its last path
// component when it has one; shorter names are shown whole. Writes at most out_chars characters
// with the terminator.
void ShortenFileName(LPCWSTR name, WCHAR* out, int out_chars);
