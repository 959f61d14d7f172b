// The open-file dialog of the viewers and of File > Open, and its two filters.
#pragma once

#include "shell/win32/windows.h"

// Filter lists in the dialog's form: description and pattern pairs, each NUL-terminated, the list
// ended by an empty string.
extern const WCHAR kShaderFilter[];
extern const WCHAR kMediaFilter[];

// Results of OpenFileDialog.
enum {
  OPEN_FILE_CANCELLED = 0,  // the user cancelled, or the dialog failed
  OPEN_FILE_CHOSEN = 1,     // the chosen path is in the output buffer as UTF-8
  OPEN_FILE_TOO_LONG = 2,   // a path was chosen whose UTF-8 form does not fit; the buffer is empty
};

// Asks for an existing file, modal to `owner`, leaving the current directory unchanged.
// output_size is the number of bytes the name may take, its terminator included, so at most
// output_size - 1 bytes of text; callers pass a zero-filled buffer of 260 bytes and 259.
int OpenFileDialog(HWND owner, LPCWSTR title, LPCWSTR filter, char* output, int output_size);
