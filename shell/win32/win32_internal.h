// Internals shared by the files of the windowing layer (shell/win32 only): the objects behind the
// handles, the error report, and the hooks between windows, controls, menus and the message queue.
#pragma once

#include <QMargins>
#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "shell/win32/windows.h"

class QDialog;
class QKeyEvent;
class QMenuBar;
class QWindow;

// ---- Errors: SetLastError plus one "[TQ] Error: " line naming the call.
void Win32Fail(const char* call, DWORD error, const char* message);
// A call or flag the layer does not implement: ERROR_CALL_NOT_IMPLEMENTED and one line.
void Win32NotImplemented(const char* call, const char* what);

// ---- Modal dialogs: runs `dialog` and gives the activation back to the window that had it before,
// as Windows does when a modal dialog ends. Returns the dialog's result.
int Win32ExecModal(QDialog* dialog);

// ---- Window classes
enum class Win32ClassKind { kApplication, kStatusBar, kListView, kEdit };

struct Win32Class {
  std::wstring name;
  ATOM atom = 0;
  WNDPROC proc = nullptr;
  UINT style = 0;
  HBRUSH background = nullptr;
  HCURSOR cursor = nullptr;
  Win32ClassKind kind = Win32ClassKind::kApplication;
  int window_count = 0;
};

Win32Class* Win32FindClass(LPCWSTR name_or_atom);
// Registers the built-in control classes once; called before any window is created.
void Win32RegisterSystemClasses();
// The colour of a stock brush; false for the null brush and unknown handles.
bool Win32BrushColor(HBRUSH brush, COLORREF* color);

// ---- Windows
// How far the geometry messages of a window have come.
enum class Win32GeometryState {
  kCreating,    // WM_CREATE not handled yet: no WM_SIZE / WM_MOVE
  kUnreported,  // created; the next update sends WM_SIZE and WM_MOVE whatever changed
  kReported,    // the last WM_SIZE / WM_MOVE describe the window; only changes are sent
};

// Why the geometry of a window is brought up to date (the one entry: Win32UpdateGeometry).
enum class Win32GeometryEvent {
  kPlaced,                    // one of our calls created, moved, sized or showed it, or changed its menu bar
  kStateChanged,              // one of our calls minimised, maximised or restored it: WM_SIZE always
  kWindowSystemMoved,         // Qt moved or resized the widget (ignored while we apply geometry)
  kWindowSystemStateChanged,  // Qt changed the window state (ignored while we apply geometry)
  kFrameCheck,                // the window-manager frame may have come or gone: acted on only when it did
};

struct Win32Window {
  HWND hwnd = nullptr;
  Win32Class* window_class = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  HWND parent = nullptr;  // the parent of a child window, the owner of a top-level window
  UINT_PTR id = 0;
  LONG_PTR user_data = 0;
  std::wstring text;
  HMENU menu = nullptr;  // the menu bar of a top-level window

  QPointer<QWidget> widget;  // the outermost widget (a top-level frame, a child, a control)
  QPointer<QWidget> client;  // the client area: children are placed in it

  // Geometry as last reported through WM_SIZE / WM_MOVE.
  Win32GeometryState geometry_state = Win32GeometryState::kCreating;
  RECT rect = {0, 0, 0, 0};      // outer rectangle, screen coordinates (child: parent client)
  POINT client_origin = {0, 0};  // client origin, screen coordinates (child: parent client)
  SIZE client_size = {0, 0};
  int size_state = SIZE_RESTORED;
  QMargins frame_margins;  // window-manager frame around a top-level, as last applied
  // One of our calls is moving or sizing the widgets: the Qt events this causes are not reported
  // on their own, the call reports once it is done.
  bool applying_geometry = false;
  bool maximized = false;           // ShowWindow(SW_SHOWMAXIMIZED) and not restored since
  RECT normal_rect = {0, 0, 0, 0};  // where a maximised window is restored to

  bool IsTopLevel() const { return (style & WS_CHILD) == 0; }
};

Win32Window* Win32FromHandle(HWND hwnd);
HWND Win32AddWindow(Win32Window* window);
void Win32RemoveWindow(HWND hwnd);
// Every live window whose parent (or owner) is hwnd, in creation order.
std::vector<HWND> Win32ChildrenOf(HWND hwnd);
std::vector<HWND> Win32TopLevelWindows();
// The window a widget belongs to (walking up the widget tree); null when none. The outermost widget
// of every window carries its handle in this property.
constexpr const char* kWin32HandleProperty = "win32_hwnd";
HWND Win32HandleOfWidget(const QWidget* widget);

// Creates the widgets of a window of an application class (top-level frame or plain child).
bool Win32CreateApplicationWidgets(Win32Window* window, int x, int y, int width, int height);
// Recomputes the geometry of a window after `event` and sends WM_SIZE / WM_MOVE for what changed.
// Nothing is sent before WM_CREATE was handled.
void Win32UpdateGeometry(HWND hwnd, Win32GeometryEvent event);
// Brings windows whose window-manager frame changed since they were placed back to their outer
// rectangle (a frame can come or go without any other geometry event).
void Win32CheckFrames();
// Places the menu bar, the client area and the render surface of a top-level window.
void Win32LayoutFrame(Win32Window* window);
// Applies the frame-related style bits of a top-level window to its Qt window flags.
void Win32ApplyFrameStyle(Win32Window* window);
// The widget into which children of hwnd are placed.
QWidget* Win32ClientWidget(HWND hwnd);
// Attaches (or with null detaches) the menu bar widget of a menu to a top-level window.
void Win32AttachMenuBar(Win32Window* window, QMenuBar* bar);
// Lays out the render surface of a top-level window after its status bar moved, showed or hid.
void Win32LayoutRenderSurface(HWND top_level);

// ---- Controls (created inside CreateWindowExW for the built-in classes)
QWidget* Win32CreateStatusBar(Win32Window* window, QWidget* parent);
QWidget* Win32CreateListView(Win32Window* window, QWidget* parent);
QWidget* Win32CreateEdit(Win32Window* window, QWidget* parent);
LRESULT Win32StatusBarProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT Win32ListViewProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT Win32EditProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// Height of a visible status bar docked at the bottom of hwnd's client area, else 0.
int Win32DockedStatusBarHeight(HWND hwnd);
constexpr int kWin32StatusBarHeight = 22;

// ---- Message queue
// Appends a posted message; input and posted messages share one FIFO, as seen by PeekMessageW.
void Win32Post(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, const std::wstring& text = {});
// Turns a Qt key event on a window into WM_KEYDOWN/WM_KEYUP (or the WM_SYS forms) for hwnd.
void Win32PostKey(HWND hwnd, const QKeyEvent* event, bool down);
// The virtual-key code of a Qt key event, 0 when it has none.
int Win32VirtualKey(const QKeyEvent* event);
// Tracks key state for GetAsyncKeyState from every key event of the application.
void Win32InstallKeyTracker();

// ---- Menus
// A menu bar that holds the keyboard only while in menu mode, as a Windows menu bar does.
QMenuBar* Win32CreateMenuBar();
// Forgets hwnd as the window of any menu bar (the window is going away).
void Win32MenuDetachedFrom(HWND hwnd);

// ---- Text helpers
QString Win32ToQString(LPCWSTR text);
std::wstring Win32ToWide(const QString& text);
// Copies text into a caller buffer of max_count characters (terminator included); returns the
// number of characters copied without the terminator.
int Win32CopyText(const std::wstring& text, LPWSTR buffer, int max_count);

// ---- Menu objects behind HMENU handles
class QAction;
class QMenu;

struct Win32Menu;

struct Win32MenuItem {
  UINT flags = 0;  // MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_DISABLED, MF_CHECKED, ...
  UINT id = 0;
  std::wstring text;
  HMENU submenu = nullptr;
  QPointer<QAction> action;
};

struct Win32Menu {
  HMENU handle = nullptr;
  bool popup = false;
  HMENU parent = nullptr;  // the menu whose item opens this popup
  HWND window = nullptr;   // the window this menu bar is attached to
  std::vector<Win32MenuItem> items;
  QPointer<QMenuBar> bar;  // built when first attached
  QPointer<QMenu> qmenu;   // the popup's Qt menu
};

Win32Menu* Win32MenuFromHandle(HMENU menu);
HMENU Win32AddMenu(Win32Menu* menu);
void Win32RemoveMenu(HMENU menu);
