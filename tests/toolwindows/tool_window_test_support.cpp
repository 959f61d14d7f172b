#include "tests/toolwindows/tool_window_test_support.h"

#include <cstdio>
#include <cstdlib>

#include "settings/settings.h"
#include "shell/window.h"

namespace {

void Run(const std::string& command) {
  if (system(command.c_str()) != 0) fprintf(stderr, "command failed: %s\n", command.c_str());
}

// The screen position of the middle of a row, a little in from its left edge so that the point is
// inside the list whatever the column width.
POINT RowPoint(HWND list, int row) {
  RECT list_rect = {};
  GetWindowRect(list, &list_rect);
  RECT item = {};
  item.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return POINT{list_rect.left + item.left + 12, list_rect.top + (item.top + item.bottom) / 2};
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace

void EnsureMainWindow() {
  if (CTQWindow::Live() != nullptr) return;
  g_settings.window_width = 800;
  g_settings.window_height = 600;
  g_settings.fullscreen = 0;
  if (g_window.Create(L"TQ2", 800, 600) != 0) {
    fprintf(stderr, "the main window could not be created\n");
    abort();
  }
  PumpFor(300);
}

void ClickRow(HWND list, int row, int clicks) {
  const POINT p = RowPoint(list, row);
  Run("xdotool mousemove --sync " + std::to_string(p.x) + " " + std::to_string(p.y) + " click --repeat " +
      std::to_string(clicks) + " --delay 60 1");
  PumpFor(150);
}

void TypeText(const std::string& text) {
  Run("xdotool type --delay 20 " + Quote(text));
  PumpFor(100);
}

void PressKey(const std::string& key) {
  Run("xdotool key " + key);
  PumpFor(150);
}

void AnswerFileDialog(const std::string& title, const std::string& path) {
  // The dialog runs its own modal loop inside the click that opens it, so the answer comes from a
  // process of its own: wait for the dialog, put the pointer and the focus on it, then answer.
  const std::string answer = path.empty()
                                 ? "xdotool key Escape"
                                 : "xdotool type --delay 5 " + Quote(path) + " && sleep 0.3 && xdotool key Return";
  const std::string script =
      "w=$(xdotool search --sync --onlyvisible --name " + Quote("^" + title + "$") +
      " | head -n 1) && eval $(xdotool getwindowgeometry --shell $w) && "
      "xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + 10)) && xdotool windowfocus --sync $w && "
      "sleep 0.5 && " +
      answer;
  Run("timeout 30 sh -c " + Quote(script) + " >/dev/null 2>&1 &");
}

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::vector<std::wstring> ColumnTexts(HWND list) {
  std::vector<std::wstring> texts;
  for (int row = 0; row < RowCount(list); ++row) texts.push_back(RowText(list, row));
  return texts;
}

std::wstring StatusText(HWND status_bar) {
  WCHAR text[512] = {};
  SendMessageW(status_bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

bool IsMenuItemGrayed(UINT command) {
  const UINT state = GetMenuState(g_window.GetMenuHandle(), command, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_GRAYED) != 0;
}
