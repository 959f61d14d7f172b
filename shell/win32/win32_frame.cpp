// The Qt widgets behind windows of application classes: a top-level frame (menu bar above the client
// area, the native OpenGL render surface in the client area above a docked status bar) and plain
// child windows. Frame events from the window system become WM_CLOSE, key messages and WM_SIZE /
// WM_MOVE.
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QSurfaceFormat>
#include <QWindow>

#include "shell/win32/win32_internal.h"
#include "shell/win32/win32_qt.h"

namespace {

// The client area of a window: painted with the class brush; holds the render surface and the
// children.
class ClientWidget : public QWidget {
 public:
  ClientWidget(HWND hwnd, QWidget* parent) : QWidget(parent), hwnd_(hwnd) {
    setFocusPolicy(parent ? Qt::NoFocus : Qt::StrongFocus);
  }

  QPointer<QWindow> surface;
  QPointer<QWidget> surface_container;
  QColor background;  // the class brush; invalid for none

 protected:
  void paintEvent(QPaintEvent* event) override {
    if (background.isValid()) QPainter(this).fillRect(event->rect(), background);
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    Win32LayoutRenderSurface(hwnd_);
  }

 private:
  HWND hwnd_;
};

// A window of an application class with WS_CHILD: its client area is the whole widget.
class ChildWidget : public ClientWidget {
 public:
  ChildWidget(HWND hwnd, QWidget* parent) : ClientWidget(hwnd, parent), hwnd_(hwnd) {
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  bool event(QEvent* event) override {
    const bool result = ClientWidget::event(event);
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
      Win32UpdateGeometry(hwnd_, Win32GeometryEvent::kWindowSystemMoved);
    }
    return result;
  }
  void keyPressEvent(QKeyEvent* event) override { Win32PostKey(hwnd_, event, true); }
  void keyReleaseEvent(QKeyEvent* event) override { Win32PostKey(hwnd_, event, false); }

 private:
  HWND hwnd_;
};

// A top-level window: menu bar and client area, laid out by hand so that sizes are exact and known
// at once.
class FrameWidget : public QWidget {
 public:
  FrameWidget(HWND hwnd, QWidget* owner, Qt::WindowFlags flags) : QWidget(owner, flags), hwnd_(hwnd) {
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  bool event(QEvent* event) override {
    switch (event->type()) {
      case QEvent::Close:
        // The close box asks; the window procedure decides (WM_CLOSE).
        event->ignore();
        Win32Post(hwnd_, WM_CLOSE, 0, 0);
        return true;
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowStateChange: {
        const bool result = QWidget::event(event);
        Win32Window* window = Win32FromHandle(hwnd_);
        if (window && event->type() == QEvent::Resize) Win32LayoutFrame(window);
        Win32UpdateGeometry(hwnd_, event->type() == QEvent::WindowStateChange
                                       ? Win32GeometryEvent::kWindowSystemStateChanged
                                       : Win32GeometryEvent::kWindowSystemMoved);
        return result;
      }
      default:
        return QWidget::event(event);
    }
  }
  void keyPressEvent(QKeyEvent* event) override { Win32PostKey(hwnd_, event, true); }
  void keyReleaseEvent(QKeyEvent* event) override { Win32PostKey(hwnd_, event, false); }

 private:
  HWND hwnd_;
};

// The client area is painted with the class brush (children keep the normal palette).
void PaintWithClassBrush(ClientWidget* client, HBRUSH brush) {
  COLORREF color;
  if (!Win32BrushColor(brush, &color)) return;
  client->background = QColor(GetRValue(color), GetGValue(color), GetBValue(color));
  client->setAttribute(Qt::WA_OpaquePaintEvent);
}

}  // namespace

bool Win32CreateApplicationWidgets(Win32Window* window, int x, int y, int width, int height) {
  if (!window->IsTopLevel()) {
    QWidget* parent = Win32ClientWidget(window->parent);
    if (!parent) return false;
    ChildWidget* child = new ChildWidget(window->hwnd, parent);
    PaintWithClassBrush(child, window->window_class->background);
    child->setGeometry(x, y, width, height);
    window->widget = child;
    window->client = child;
    return true;
  }
  Win32Window* owner = Win32FromHandle(window->parent);
  QWidget* owner_widget = owner ? owner->widget.data() : nullptr;
  FrameWidget* frame = new FrameWidget(window->hwnd, owner_widget, Qt::Window);
  ClientWidget* client = new ClientWidget(window->hwnd, frame);
  PaintWithClassBrush(client, window->window_class->background);
  window->widget = frame;
  window->client = client;
  frame->setWindowTitle(Win32ToQString(window->text.c_str()));
  Win32ApplyFrameStyle(window);
  if (x != CW_USEDEFAULT) frame->move(x, y);
  frame->resize(width, height);
  Win32LayoutFrame(window);
  return true;
}

void Win32ApplyFrameStyle(Win32Window* window) {
  QWidget* frame = window->widget;
  if (!frame || !window->IsTopLevel()) return;
  Qt::WindowFlags flags = (window->ex_style & WS_EX_TOOLWINDOW) ? Qt::Tool : Qt::Window;
  if ((window->style & WS_CAPTION) != WS_CAPTION) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (window->style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (window->style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
    if (window->style & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
  }
  if (window->ex_style & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
  if (frame->windowFlags() == flags) return;
  // Changing the flags re-creates the native window hidden; keep its place and visibility.
  const bool visible = frame->isVisible();
  const QPoint position = frame->pos();
  const QSize size = frame->size();
  const Qt::WindowStates states = frame->windowState();
  window->applying_geometry = true;
  frame->setWindowFlags(flags);
  frame->move(position);
  frame->resize(size);
  frame->setWindowState(states);
  if (visible) frame->show();
  window->applying_geometry = false;
}

void Win32LayoutFrame(Win32Window* window) {
  QWidget* frame = window->widget;
  if (!frame || !window->client || !window->IsTopLevel()) return;
  const int width = frame->width();
  int menu_height = 0;
  QMenuBar* bar = frame->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
  if (bar && !bar->isHidden()) {
    menu_height = bar->heightForWidth(width);
    if (menu_height < 0) menu_height = bar->sizeHint().height();
    bar->setGeometry(0, 0, width, menu_height);
  }
  window->client->setGeometry(0, menu_height, width, qMax(0, frame->height() - menu_height));
}

QWidget* Win32ClientWidget(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  return window ? window->client.data() : nullptr;
}

void Win32AttachMenuBar(Win32Window* window, QMenuBar* bar) {
  QWidget* frame = window->widget;
  if (!frame) return;
  for (QMenuBar* old : frame->findChildren<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (old != bar) {
      old->hide();
      old->setParent(nullptr);
    }
  }
  if (bar) {
    bar->setParent(frame);
    bar->setNativeMenuBar(false);
    bar->show();
  }
  Win32LayoutFrame(window);
}

void Win32LayoutRenderSurface(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->client) return;
  ClientWidget* client = dynamic_cast<ClientWidget*>(window->client.data());
  if (!client || !client->surface_container) return;
  const int height = qMax(0, client->height() - Win32DockedStatusBarHeight(hwnd));
  client->surface_container->setGeometry(0, 0, client->width(), height);
}

void Win32ShowRenderSurface(HWND hwnd, bool show) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->client) return;
  ClientWidget* client = dynamic_cast<ClientWidget*>(window->client.data());
  if (client && client->surface_container) client->surface_container->setVisible(show);
}

QWindow* Win32RenderSurface(HWND hwnd) {
  Win32Window* window = Win32FromHandle(hwnd);
  if (!window || !window->IsTopLevel() || !window->client) return nullptr;
  ClientWidget* client = dynamic_cast<ClientWidget*>(window->client.data());
  if (!client) return nullptr;
  if (!client->surface) {
    QWindow* surface = new QWindow;
    surface->setSurfaceType(QSurface::OpenGLSurface);
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(4, 1);
    format.setProfile(QSurfaceFormat::CoreProfile);
    surface->setFormat(format);
    // Keys and clicks belong to the window, as on a window that is its own drawing surface.
    surface->setFlags(surface->flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    QWidget* container = QWidget::createWindowContainer(surface, client);
    container->setFocusPolicy(Qt::NoFocus);
    container->setAttribute(Qt::WA_TransparentForMouseEvents);
    client->surface = surface;
    client->surface_container = container;
    Win32LayoutRenderSurface(hwnd);
    container->show();
  }
  return client->surface;
}
