// Messages between the list view and its label editor, private to the windowing layer.
#pragma once

#include "shell/win32/win32_commctrl.h"

// Sent by the label editor to its list view: wParam TRUE ends the edit with the box's text, FALSE
// cancels it.
constexpr UINT kWin32ListEndLabelEdit = LVM_FIRST + 0x0F00;
