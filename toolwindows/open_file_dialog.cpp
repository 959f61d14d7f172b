#include "toolwindows/open_file_dialog.h"

#include <cstring>

const WCHAR kShaderFilter[] =
    L"D3D9 Shader (*.fx; *.hlsl)\0*.fx;*.hlsl\0"
    L"All Files (*.*)\0*.*\0";

const WCHAR kMediaFilter[] =
    L"all files (*.mpg, *.mpeg, *.avi, *.wmv, *.asf, *.divx, *.mkv, *.jpg, *.bmp, *.tga, ...)\0*.*\0"
    L"mpeg layer 2/4(*.mpg, *.mpeg, *.mp2, *.mp4)\0*.mpg;*.mpeg;*.mp2;*.mp4\0"
    L"adobe flash video (*.flv)\0*.flv\0"
    L"advanced systems (*.asf)\0*.asf\0"
    L"bitmap image (*.bmp)\0*.bmp\0"
    L"digital video (*.dv)\0*.dv\0"
    L"directdraw surface (*.dds)\0*.dds\0"
    L"divx/xvid (*.divx, *.xvid, *.avi)\0*.divx;*.xvid;*.avi\0"
    L"flic format (*.fli, *.flc)\0*.fli;*.flc\0"
    L"id roq format (*.roq)\0*.roq\0"
    L"jpeg image (*.jpg, *.jpeg)\0*.jpg;*.jpeg\0"
    L"matroska (*.mkv)\0*.mkv\0"
    L"nullsoft video (*.nsv)\0*.nsv\0"
    L"png image (*.png)\0*.png\0"
    L"portable graymap (*.pgm)\0*.pgm\0"
    L"quicktime (*.qt, *.mov)\0*.qt;*.mov\0"
    L"real media formats (*.ra, *.rmvb, *.rm)\0*.ra;*.rmvb;*.rm\0"
    L"targa image (*.tga)\0*.tga\0"
    L"windows media (*.wmv)\0*.wmv\0";

namespace {

// Room for any path the system can name, so that a path too long for a list entry is seen and
// refused as such instead of failing the dialog as if it had been cancelled.
constexpr DWORD kPathChars = 4096;

}  // namespace

int OpenFileDialog(HWND owner, LPCWSTR title, LPCWSTR filter, char* output, int output_size) {
  WCHAR path[kPathChars] = {};
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(OPENFILENAMEW);
  dialog.hwndOwner = owner;
  dialog.hInstance = GetModuleHandleW(nullptr);
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = kPathChars;
  dialog.lpstrTitle = title;
  dialog.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON;
  dialog.FlagsEx = OFN_EX_NOPLACESBAR;
  if (GetOpenFileNameW(&dialog) == 0) return OPEN_FILE_CANCELLED;

  // A path that does not fit whole is not handed on cut short.
  if (WideCharToMultiByte(CP_UTF8, 0, path, -1, output, output_size, nullptr, nullptr) == 0) {
    memset(output, 0, static_cast<size_t>(output_size));
    return OPEN_FILE_TOO_LONG;
  }
  return OPEN_FILE_CHOSEN;
}
