// Messages between the list view and its label editor and scroll bar, private to the windowing layer.
#pragma once

#include "shell/win32/win32_commctrl.h"

// Sent by the label editor to its list view: wParam TRUE ends the edit with the box's text, FALSE
// cancels it.
constexpr UINT kWin32ListEndLabelEdit = LVM_FIRST + 0x0F00;
// Posted by a list view to itself when its rows moved: lParam the move in pixels, positive when the
// rows went up. Its handling tells the parent with LVN_ENDSCROLL.
constexpr UINT kWin32ListScrolled = LVM_FIRST + 0x0F01;
