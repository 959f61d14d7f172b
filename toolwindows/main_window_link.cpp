#include "toolwindows/main_window_link.h"

#include "shell/window.h"

HWND MainWindowHandle() {
  CTQWindow* window = CTQWindow::Live();
  return window != nullptr ? window->GetHandle() : nullptr;
}

HMENU MainMenuHandle() {
  CTQWindow* window = CTQWindow::Live();
  return window != nullptr ? window->GetMenuHandle() : nullptr;
}
