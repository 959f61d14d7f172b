// The program's main window as tests read it back: its status bar control and the texts of its parts.
#pragma once

#include <string>

#include "shell/window.h"

// The status bar of a created main window (its only child window with a handle), or null.
HWND StatusBarOf(const CTQWindow& window);
// The text of one part of that status bar.
std::wstring StatusTextOf(const CTQWindow& window, int slot);
