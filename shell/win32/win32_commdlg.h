// Win32-shaped open-file dialog over QFileDialog.
//
// Implements: GetOpenFileNameW (modal to hwndOwner; lpstrTitle; lpstrFilter as description/pattern
// pairs with nFilterIndex choosing the first one shown, 1-based; lpstrFile as the initial name and the
// chosen full path; nMaxFile; lpstrInitialDir; nFileOffset and nFileExtension; the flags
// OFN_NOCHANGEDIR, OFN_PATHMUSTEXIST, OFN_FILEMUSTEXIST, OFN_NONETWORKBUTTON, OFN_HIDEREADONLY,
// OFN_EXPLORER and the extra flag OFN_EX_NOPLACESBAR) and CommDlgExtendedError (0 after a cancel,
// FNERR_BUFFERTOOSMALL when the chosen path does not fit nMaxFile, CDERR_STRUCTSIZE,
// CDERR_INITIALIZATION for a flag that is not implemented). Paths are the platform's own.
#pragma once

#include "shell/win32/win32_user.h"

typedef UINT_PTR (*LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCWSTR lpstrFilter;
  LPWSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPWSTR lpstrFile;
  DWORD nMaxFile;
  LPWSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCWSTR lpstrInitialDir;
  LPCWSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCWSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
typedef OPENFILENAMEW* LPOPENFILENAMEW;

#define OFN_READONLY 0x00000001
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_EXPLORER 0x00080000
#define OFN_EX_NOPLACESBAR 0x00000001

#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define FNERR_BUFFERTOOSMALL 0x3003

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn);
DWORD CommDlgExtendedError();
