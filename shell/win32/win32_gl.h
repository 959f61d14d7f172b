// WGL-shaped OpenGL context calls over Qt (QOpenGLContext on the render surface of a window), used by the
// graphics layer.
//
// Implements: GetDC/ReleaseDC (a device context for the render surface of a window; a null window gives
// an offscreen surface, with which everything is drawn into framebuffer objects), wglCreateContext (an
// OpenGL 4.1 core context), wglMakeCurrent, wglGetCurrentContext, wglGetCurrentDC, wglDeleteContext,
// wglGetProcAddress, SwapBuffers,
// wglSwapIntervalEXT; and three calls of this layer's own: GLTakeSurfaceState (the surface's size in
// pixels and whether it was exposed or resized since the last call), GLSetSurfacePaintHandler (who paints
// the surface when it is exposed) and GLGetPrimaryScreenMode.
#pragma once

#include "shell/win32/win32_types.h"

struct HGLRC__;
typedef HGLRC__* HGLRC;
typedef void (*PROC)();

HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);

HGLRC wglCreateContext(HDC hDC);
BOOL wglDeleteContext(HGLRC hglrc);
// Makes the context current on the surface of hDC; null for both releases the current context.
BOOL wglMakeCurrent(HDC hDC, HGLRC hglrc);
// What the last successful wglMakeCurrent of this thread made current (null after releasing).
HGLRC wglGetCurrentContext();
HDC wglGetCurrentDC();
PROC wglGetProcAddress(LPCSTR name);
// Swaps the window surface's buffers; for an offscreen surface there is nothing to swap (TRUE).
BOOL SwapBuffers(HDC hDC);
// Swap interval of the current context's window surface: 1 waits for one retrace per swap.
BOOL wglSwapIntervalEXT(int interval);

struct GLSurfaceState {
  BOOL offscreen;   // the surface of a null window
  LONG pixelWidth;  // size of a window surface in device pixels; 0 for an offscreen surface
  LONG pixelHeight;
  double devicePixelRatio;  // device pixels per client-area unit
  BOOL damaged;             // exposed or resized since the previous call
};
BOOL GLTakeSurfaceState(HDC hDC, GLSurfaceState* state);

// Has `paint` called with `context`, on the window's thread, each time the window surface of hDC is
// exposed (shown, uncovered or resized), so that its owner can put a defined picture there at once; null
// removes it. FALSE for an offscreen surface. While no device context of a window is held, its render
// surface is hidden and the render area shows the class brush.
BOOL GLSetSurfacePaintHandler(HDC hDC, void (*paint)(void* context), void* context);

// The primary screen: size in pixels and refresh rate in Hz (60 when the screen does not say).
BOOL GLGetPrimaryScreenMode(UINT* width, UINT* height, UINT* refreshRate);
