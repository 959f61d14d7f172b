// The main window's menu bar: loads menu resource 101, puts the initial check marks and enabled states on
// it from the settings, and turns each menu command into its action.
#pragma once

#include <cstdint>

#include "shell/resources/resource.h"
#include "shell/win32/windows.h"

class CTQMenu {
 public:
  CTQMenu();
  virtual ~CTQMenu();

  // Loads the menu bar `resource_id` from the program, attaches it to `owner` and sets its initial marks:
  // Show Channel, Swap Channels, Interleave Temporally and Fullscreen from their settings, and the File >
  // Open items greyed for full lists. Always 0; a menu that fails to load leaves the window without one.
  int Create(HWND owner, int32_t resource_id);
  // Destroys the menu bar; safe to repeat. Always 0.
  int Destroy();
  // Runs the action of one command identifier (the low 16 bits of WM_COMMAND's wParam); identifiers
  // without an action do nothing. Always 0.
  int OnCommand(UINT id);

  HMENU GetHandle() const { return menu_; }

 private:
  void SetCheck(UINT id, int32_t checked);
  void ChooseChannel(uint8_t channel);
  // Flips a 0/1 setting and sets the item's mark to the new value; returns the new value.
  int32_t Toggle(int32_t* field, UINT id);
  // The settings windows and the viewers; a command without a window does nothing.
  void OpenToolWindow(UINT id);

  HMENU menu_;
  HWND owner_;
  int32_t resource_id_;
};
