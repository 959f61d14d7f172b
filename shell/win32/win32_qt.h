// Qt-facing internals of the windowing layer, shared by the files of shell/win32 only.
#pragma once

#include "shell/win32/win32_types.h"

class QApplication;
class QWindow;

// The process's Qt application, created on first use (the layer's calls need one before any window).
QApplication* Win32Application();

// The native OpenGL-capable surface that fills the render area of a top-level window created by
// CreateWindowExW; null for a null or unknown handle.
QWindow* Win32RenderSurface(HWND hwnd);
// Shows or hides the render surface of a top-level window. Hidden, the render area shows the client
// area's class brush, as a window shows when nothing draws into it.
void Win32ShowRenderSurface(HWND hwnd, bool show);
