// Helpers for tests of the windowing layer and the windows built on it: pumping the message queue,
// recording what a window procedure sees, reading back windows and list views, and reaching the Qt
// widget behind a handle for synthetic input and pixel checks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/win32/windows.h"

class QWidget;

// Takes and dispatches messages for `ms` milliseconds.
void PumpFor(int ms);
// Takes and dispatches messages until done() or the timeout; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 5000);
// Drops every message waiting in the queue (WM_QUIT included) without dispatching.
void DrainQueue();
// Starts the windowing layer if need be and begins a test with an empty queue, an empty record and
// no handler.
void StartRecording();

// A window class whose procedure records every message and hands it to an optional handler.
struct RecordedMessage {
  HWND hwnd;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};
std::vector<RecordedMessage>& Recorded();
// Handler consulted before the default procedure; returns true when it produced *result.
using TestHandler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
void SetTestHandler(TestHandler handler);
// Registers (once) and returns the recording class name.
LPCWSTR RecordingClass();
// Messages of one kind recorded so far.
std::vector<RecordedMessage> RecordedOf(UINT message);

// The outer rectangle of a window as "WxH+X+Y", and its outer size alone as "WxH".
std::string Geometry(HWND hwnd);
std::string Size(HWND hwnd);
// The text of one row of a list view, or "<no row>".
std::wstring RowText(HWND list, int row);
// Sets the state bits `mask` of one row of a list view (-1: of every row) to `state`.
void SetRowState(HWND list, int row, UINT state, UINT mask);
// The first row of a list view with the state of `flags` (LVNI_FOCUSED, LVNI_SELECTED), or -1.
int FirstRowWith(HWND list, UINT flags);

QWidget* WidgetOf(HWND hwnd);
// The colour of one pixel of the widget behind hwnd, rendered now (x, y in its client coordinates).
COLORREF PixelAt(HWND hwnd, int x, int y);
