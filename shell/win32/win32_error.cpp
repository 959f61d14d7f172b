// Last-error code of the layer's calls and the error line that a failing call writes.
#include "common/error_line.h"
#include "shell/win32/win32_internal.h"

namespace {
thread_local DWORD g_last_error = ERROR_SUCCESS;
}

DWORD GetLastError() { return g_last_error; }

void SetLastError(DWORD error) { g_last_error = error; }

void Win32Fail(const char* call, DWORD error, const char* message) {
  g_last_error = error;
  WriteErrorLine("%s: %s", call, message);
}

void Win32NotImplemented(const char* call, const char* what) {
  g_last_error = ERROR_CALL_NOT_IMPLEMENTED;
  WriteErrorLine("%s: not implemented: %s", call, what);
}
