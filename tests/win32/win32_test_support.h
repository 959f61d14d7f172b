// Helpers for tests of the windowing layer: pumping the message queue, recording what a window
// procedure sees, and reaching the Qt widget behind a handle for synthetic input and pixel checks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/win32/windows.h"

class QWidget;

// Takes and dispatches messages for `ms` milliseconds.
void PumpFor(int ms);
// Takes and dispatches messages until done() or the timeout; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000);
// Drops every message waiting in the queue (WM_QUIT included) without dispatching.
void DrainQueue();

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

QWidget* WidgetOf(HWND hwnd);
// The colour of one pixel of the widget behind hwnd, rendered now (x, y in its client coordinates).
COLORREF PixelAt(HWND hwnd, int x, int y);
