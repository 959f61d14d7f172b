// The main window as the tool windows see it: the owner and centring reference of their windows,
// and the menu bar whose File > Open items the viewers grey. Both are null while no main window is
// live.
#pragma once

#include "shell/win32/windows.h"

HWND MainWindowHandle();
HMENU MainMenuHandle();
