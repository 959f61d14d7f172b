// Drives the tool windows as a user does: real X input (xdotool) on the test display, with the main
// window's message queue pumped between steps, and reads back what the windows show.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/win32/windows.h"

// Creates the main window once per process (settings as the tests need them: windowed, 800 x 600).
void EnsureMainWindow();

// Handles the queued messages for about `ms` milliseconds.
void PumpFor(int ms);
// Pumps until `done` holds; false after `timeout_ms` without it.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 5000);

// Mouse and keyboard through the X server. Each waits for the windows to take the input in.
void ClickRow(HWND list, int row);
void DoubleClickRow(HWND list, int row);
void TypeText(const std::string& text);
void PressKey(const std::string& key);  // an X key name: Return, Escape, ctrl+a ...

// Starts, in the background, the user's answer to the open-file dialog titled `title`: the path
// typed and Return, or Escape when `path` is empty. Call before the click that opens the dialog.
void AnswerFileDialog(const std::string& title, const std::string& path);

int RowCount(HWND list);
std::wstring RowText(HWND list, int row);
// Texts of one column: all rows of the list.
std::vector<std::wstring> ColumnTexts(HWND list);
std::wstring StatusText(HWND status_bar);
bool IsMenuItemGrayed(UINT command);

// A wide copy of ASCII or UTF-8 text.
std::wstring Wide(const std::string& text);
