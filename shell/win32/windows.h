// The Win32-shaped windowing layer in one include: everything the system uses of windows, messages,
// keyboard, menus, message boxes, common controls, the open-file dialog and text conversion.
// Each included header lists what it implements.
#pragma once

#include "shell/win32/win32_commctrl.h"
#include "shell/win32/win32_commdlg.h"
#include "shell/win32/win32_text.h"
#include "shell/win32/win32_types.h"
#include "shell/win32/win32_user.h"
