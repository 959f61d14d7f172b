// Win32-shaped text conversion between UTF-8 and wide (wchar_t) text.
//
// Implements: MultiByteToWideChar and WideCharToMultiByte for CP_UTF8 only, with the real results:
// a count of -1 includes the terminator; an output size of 0 asks for the size needed; a buffer too
// small fails with ERROR_INSUFFICIENT_BUFFER; invalid input fails with ERROR_NO_UNICODE_TRANSLATION
// under MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS and is replaced by U+FFFD otherwise; any other
// code page or flag fails with ERROR_INVALID_PARAMETER (or ERROR_INVALID_FLAGS).
#pragma once

#include "shell/win32/win32_user.h"

#define CP_ACP 0
#define CP_UTF8 65001

#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080

#define ERROR_INVALID_FLAGS 1004

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount, LPWSTR wide,
                        int wideCount);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR multiByte,
                        int multiByteCount, LPCSTR defaultChar, BOOL* usedDefaultChar);
