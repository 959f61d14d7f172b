// The program's resource script (shell/resources/tandemix.rc with resource.h), built into the
// layer, and its reader for menu templates. Private to the windowing layer.
#pragma once

#include <string>
#include <vector>

#include "shell/win32/win32_user.h"

struct Win32MenuTemplateItem {
  std::wstring text;
  UINT id = 0;
  UINT flags = 0;  // MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_MENUBREAK, ...
  std::vector<Win32MenuTemplateItem> children;
};

// Reads the MENU template named by an integer identifier or a name from a resource script whose
// #include "resource.h" resolves to header. Returns false, with the reason, when the script has no
// such menu or cannot be read.
bool Win32ReadMenuTemplate(const char* script, const char* header, LPCWSTR name,
                           std::vector<Win32MenuTemplateItem>* items, std::string* error);

// The program's own resource script and header.
extern const char kWin32ResourceScript[];
extern const char kWin32ResourceHeader[];
