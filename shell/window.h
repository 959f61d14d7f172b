// The main window: the surface the renderer presents into, with the menu bar, the four-part status
// bar and the tool windows; switches between a framed window and a borderless full-screen one, keeps
// its outer rectangle and the settings' window size up to date, turns Escape and Space into
// commands, routes menu commands, and gives the main loop a message pump that never waits.
#pragma once

#include <cstdint>

#include "shell/menu.h"
#include "shell/win32/windows.h"
#include "toolwindows/dialog.h"
#include "toolwindows/selection_dialog.h"
#include "toolwindows/status_bar.h"

// Results of CTQWindow operations.
enum {
  WINDOW_OK = 0,
  WINDOW_FAILED = 1,     // not created, already created, or the class or window could not be made
  WINDOW_ZERO_SIZE = 2,  // Create with a width or height of 0
  WINDOW_QUIT = 3,       // PumpMessages: the last message taken was WM_QUIT
};

class CTQWindow {
 public:
  CTQWindow();
  virtual ~CTQWindow();

  // Registers the window class `class_name`, creates the window centred on the screen at `width` x
  // `height` (outer size) with its menu bar and status bar, and applies the `fullscreen` setting.
  int Create(LPCWSTR class_name, uint32_t width, uint32_t height);
  // Releases the menu, the window and its class. WINDOW_FAILED when not created.
  int Destroy();
  // Switches between the borderless full-screen window (no menu bar, no status bar) and the framed
  // window at the rectangle it had when full screen was entered. WINDOW_FAILED when not created.
  int SetFullscreen(int32_t on);
  // Handles at most one message of the thread's queue, never waiting. WINDOW_QUIT once the last
  // message taken was WM_QUIT.
  int PumpMessages();
  // Main-loop step: show_channel from the Left and Right arrow keys held down now. Returns 0.
  int PollChannelKeys();
  // Formats a status text (wide printf format) into one part of the status bar. Returns 0.
  int SetStatusText(int slot, LPCWSTR format, ...);

  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT StaticWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  // The window that is created now, or null.
  static CTQWindow* Live();

  HWND GetHandle() const { return handle_; }
  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  HMENU GetMenuHandle() const { return menu_.GetHandle(); }
  int32_t IsFullscreen() const { return fullscreen_; }

  // The tool windows, opened by the menu commands.
  CTQDialog* GetGeneralSettings() { return &general_settings_; }
  CTQDialog* GetMoviePlayerSettings() { return &movie_player_settings_; }
  CTQDialog* GetStereoscopicSettings() { return &stereoscopic_settings_; }
  CTQDialog* GetTrackerSettings() { return &tracker_settings_; }
  CTQSelectionDialog* GetPlaylistViewer() { return &playlist_viewer_; }
  CTQSelectionDialog* GetEncoderViewer() { return &encoder_viewer_; }
  CTQSelectionDialog* GetDecoderViewer() { return &decoder_viewer_; }

 private:
  void OnKeyDown(WPARAM key);
  // Hands this window and its menu bar down to the tool windows it holds (null when it goes).
  void SetToolWindowsOwner(HWND owner, HMENU owner_menu);

  HWND handle_;
  int32_t x_, y_, width_, height_;  // outer rectangle as last seen
  int32_t restore_x_, restore_y_, restore_width_, restore_height_;
  WNDCLASSEXW window_class_;
  WCHAR class_name_[160];
  int32_t fullscreen_;
  int32_t created_;
  CTQStatusBar status_bar_;
  MSG last_message_;
  CTQMenu menu_;
  CTQDialog general_settings_;
  CTQDialog movie_player_settings_;
  CTQDialog stereoscopic_settings_;
  CTQDialog tracker_settings_;
  CTQSelectionDialog playlist_viewer_;
  CTQSelectionDialog encoder_viewer_;
  CTQSelectionDialog decoder_viewer_;

  static CTQWindow* live_;
};

// The one main window of the process.
extern CTQWindow g_window;
