// WGL-shaped context calls over QOpenGLContext. A device context names a render surface: the native
// render window of a top-level window, or an offscreen surface for a null window.
#include "shell/win32/win32_gl.h"

#include <QEvent>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPointer>
#include <QScreen>
#include <QSurfaceFormat>
#include <QVariant>
#include <QWindow>

#include "common/error_line.h"
#include "shell/win32/win32_qt.h"

namespace {

QSurfaceFormat CoreFormat41(QSurfaceFormat format) {
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setVersion(4, 1);
  format.setProfile(QSurfaceFormat::CoreProfile);
  return format;
}

// Notes exposes and resizes of a window surface so that the graphics layer can draw the last picture
// again when a still frame would otherwise be skipped, and has the surface painted when it is exposed.
class SurfaceDamageWatcher : public QObject {
 public:
  bool damaged = true;
  void (*paint)(void* context) = nullptr;
  void* paintContext = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose || event->type() == QEvent::Resize) {
      damaged = true;
    }
    if (event->type() == QEvent::Expose && paint && static_cast<QWindow*>(watched)->isExposed()) {
      paint(paintContext);
    }
    return QObject::eventFilter(watched, event);
  }
};

// Device contexts held on a window's render surface: the surface shows while there is one.
constexpr char kDeviceContextCount[] = "tq_device_contexts";

}  // namespace

struct HDC__ {
  HWND hwnd = nullptr;
  QPointer<QWindow> window;  // window surface, or null
  QOffscreenSurface* offscreen = nullptr;
  SurfaceDamageWatcher* watcher = nullptr;

  QSurface* Surface() const {
    if (offscreen) return offscreen;
    return window.data();
  }
};

struct HGLRC__ {
  QOpenGLContext* context = nullptr;
};

namespace {
thread_local HGLRC currentContext = nullptr;
thread_local HDC currentDC = nullptr;
}  // namespace

HDC GetDC(HWND hWnd) {
  Win32Application();
  HDC dc = new HDC__;
  dc->hwnd = hWnd;
  if (!hWnd) {
    dc->offscreen = new QOffscreenSurface;
    dc->offscreen->setFormat(CoreFormat41(QSurfaceFormat::defaultFormat()));
    dc->offscreen->create();
    if (!dc->offscreen->isValid()) {
      WriteErrorLine("GetDC: no offscreen OpenGL surface available");
      delete dc->offscreen;
      delete dc;
      return nullptr;
    }
    return dc;
  }
  QWindow* window = Win32RenderSurface(hWnd);
  if (!window) {
    delete dc;
    return nullptr;
  }
  if (window->surfaceType() != QSurface::OpenGLSurface) {
    window->setSurfaceType(QSurface::OpenGLSurface);
  }
  if (!window->handle()) {
    window->setFormat(CoreFormat41(window->requestedFormat()));
    window->create();
  }
  dc->window = window;
  dc->watcher = new SurfaceDamageWatcher;
  window->installEventFilter(dc->watcher);
  window->setProperty(kDeviceContextCount, window->property(kDeviceContextCount).toInt() + 1);
  Win32ShowRenderSurface(hWnd, true);
  return dc;
}

int ReleaseDC(HWND hWnd, HDC hDC) {
  if (!hDC || hDC->hwnd != hWnd) return 0;
  if (currentDC == hDC) wglMakeCurrent(nullptr, nullptr);
  if (hDC->window && hDC->watcher) hDC->window->removeEventFilter(hDC->watcher);
  if (hDC->window) {
    const int held = hDC->window->property(kDeviceContextCount).toInt() - 1;
    hDC->window->setProperty(kDeviceContextCount, held);
    // Nothing draws into the surface any more: let the class brush show instead of its stale pixels.
    if (held <= 0) Win32ShowRenderSurface(hWnd, false);
  }
  delete hDC->watcher;
  delete hDC->offscreen;
  delete hDC;
  return 1;
}

HGLRC wglCreateContext(HDC hDC) {
  if (!hDC || !hDC->Surface()) return nullptr;
  QOpenGLContext* context = new QOpenGLContext;
  QSurfaceFormat format = CoreFormat41(hDC->Surface()->format());
#ifndef NDEBUG
  // Debug builds get a context that reports OpenGL errors through KHR_debug.
  format.setOption(QSurfaceFormat::DebugContext);
#endif
  context->setFormat(format);
  if (hDC->window) context->setScreen(hDC->window->screen());
  if (!context->create()) {
    WriteErrorLine("wglCreateContext: OpenGL context creation failed");
    delete context;
    return nullptr;
  }
  const QSurfaceFormat actual = context->format();
  if (actual.version() < qMakePair(4, 1) || actual.profile() != QSurfaceFormat::CoreProfile) {
    WriteErrorLine("wglCreateContext: OpenGL 4.1 core profile not available");
    delete context;
    return nullptr;
  }
  HGLRC rc = new HGLRC__;
  rc->context = context;
  return rc;
}

BOOL wglDeleteContext(HGLRC hglrc) {
  if (!hglrc) return FALSE;
  if (currentContext == hglrc) wglMakeCurrent(nullptr, nullptr);
  if (QOpenGLContext::currentContext() == hglrc->context) hglrc->context->doneCurrent();
  delete hglrc->context;
  delete hglrc;
  return TRUE;
}

BOOL wglMakeCurrent(HDC hDC, HGLRC hglrc) {
  if (!hglrc) {
    if (QOpenGLContext* current = QOpenGLContext::currentContext()) current->doneCurrent();
    currentContext = nullptr;
    currentDC = nullptr;
    return TRUE;
  }
  if (!hDC || !hDC->Surface()) return FALSE;
  if (!hglrc->context->makeCurrent(hDC->Surface())) return FALSE;
  currentContext = hglrc;
  currentDC = hDC;
  return TRUE;
}

HGLRC wglGetCurrentContext() { return currentContext; }

HDC wglGetCurrentDC() { return currentDC; }

PROC wglGetProcAddress(LPCSTR name) {
  QOpenGLContext* current = QOpenGLContext::currentContext();
  if (!current || !name) return nullptr;
  return reinterpret_cast<PROC>(current->getProcAddress(name));
}

BOOL SwapBuffers(HDC hDC) {
  if (!hDC) return FALSE;
  if (hDC->offscreen) return TRUE;
  QOpenGLContext* current = QOpenGLContext::currentContext();
  if (!hDC->window || !current || !hDC->window->isExposed()) return FALSE;
  current->swapBuffers(hDC->window);
  return TRUE;
}

BOOL wglSwapIntervalEXT(int interval) {
  QOpenGLContext* current = QOpenGLContext::currentContext();
  if (!current || interval < 0) return FALSE;
  // GLX_MESA_swap_control sets the interval of the current drawable; without it the window keeps the
  // interval of its surface format, which is 1 unless something asked otherwise.
  typedef int (*SwapIntervalMesa)(unsigned int);
  if (auto setInterval = reinterpret_cast<SwapIntervalMesa>(current->getProcAddress("glXSwapIntervalMESA"))) {
    return setInterval(static_cast<unsigned int>(interval)) == 0 ? TRUE : FALSE;
  }
  return interval == QSurfaceFormat::defaultFormat().swapInterval() ? TRUE : FALSE;
}

BOOL GLTakeSurfaceState(HDC hDC, GLSurfaceState* state) {
  if (!hDC || !state) return FALSE;
  *state = GLSurfaceState{};
  state->devicePixelRatio = 1.0;
  if (hDC->offscreen) {
    state->offscreen = TRUE;
    return TRUE;
  }
  if (!hDC->window) return FALSE;
  const qreal ratio = hDC->window->devicePixelRatio();
  state->devicePixelRatio = ratio;
  state->pixelWidth = static_cast<LONG>(hDC->window->width() * ratio + 0.5);
  state->pixelHeight = static_cast<LONG>(hDC->window->height() * ratio + 0.5);
  state->damaged = hDC->watcher->damaged ? TRUE : FALSE;
  hDC->watcher->damaged = false;
  return TRUE;
}

BOOL GLSetSurfacePaintHandler(HDC hDC, void (*paint)(void* context), void* context) {
  if (!hDC || !hDC->watcher) return FALSE;
  hDC->watcher->paint = paint;
  hDC->watcher->paintContext = context;
  return TRUE;
}

BOOL GLGetPrimaryScreenMode(UINT* width, UINT* height, UINT* refreshRate) {
  if (!width || !height || !refreshRate) return FALSE;
  Win32Application();
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return FALSE;
  const QSize pixels = screen->size() * screen->devicePixelRatio();
  *width = static_cast<UINT>(pixels.width());
  *height = static_cast<UINT>(pixels.height());
  const qreal hz = screen->refreshRate();
  *refreshRate = hz >= 1.0 ? static_cast<UINT>(hz + 0.5) : 60u;
  return TRUE;
}
