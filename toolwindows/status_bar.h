// A status bar with numbered parts: one in each tool window, and the four along the bottom of the main
// window, which uses this class from here.
#pragma once

#include "shell/win32/windows.h"

class CTQStatusBar {
 public:
  CTQStatusBar();
  virtual ~CTQStatusBar();

  // Creates the control on `parent` with `part_count` parts whose right edges are `part_edges`
  // (-1 runs to the border); the control docks itself along the parent's bottom edge. 0, or 1 when
  // the control cannot be created.
  int Create(HWND parent, int part_count, const int* part_edges);
  // Sets the text of one part; a null text leaves it unchanged. Returns 0.
  int SetText(int slot, LPCWSTR text);
  // Lays the control out again along its parent's bottom edge (after the parent was resized).
  int Resize();
  // The control goes away with its parent window. Returns 0.
  int Destroy();

  HWND GetHandle() const { return handle_; }

 private:
  HWND handle_;
  int32_t part_count_;
};
