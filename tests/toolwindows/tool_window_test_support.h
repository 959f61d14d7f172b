// Drives the tool windows as a user does: real X input (xdotool) on the test display, with the main
// window's message queue pumped between steps (the windowing tests' PumpFor and PumpUntil), and reads
// back what the windows show.
#pragma once

#include <string>
#include <vector>

#include "shell/win32/windows.h"
#include "tests/win32/win32_test_support.h"

// Creates the main window once per process (settings as the tests need them: windowed, 800 x 600).
void EnsureMainWindow();

// Mouse and keyboard through the X server. Each waits for the windows to take the input in.
void ClickRow(HWND list, int row, int clicks = 1);
inline void DoubleClickRow(HWND list, int row) { ClickRow(list, row, 2); }
void TypeText(const std::string& text);
void PressKey(const std::string& key);  // an X key name: Return, Escape, ctrl+a ...

// Starts, in the background, the user's answer to the open-file dialog titled `title`: the path
// typed and Return, or Escape when `path` is empty. Call before the click that opens the dialog.
void AnswerFileDialog(const std::string& title, const std::string& path);

int RowCount(HWND list);
// Texts of one column: all rows of the list.
std::vector<std::wstring> ColumnTexts(HWND list);
std::wstring StatusText(HWND status_bar);
bool IsMenuItemGrayed(UINT command);
