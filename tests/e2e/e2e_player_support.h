// End-to-end driving of the real tandemix binary under the X display: a fresh working folder with
// settings.ini, media and the shipped shaders; the process started in it; keys through xdotool (real
// X input); screenshots through ImageMagick's import; the exit code, standard output and the
// settings.ini written back.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
  int r = 0, g = 0, b = 0;
};
inline bool operator==(const Rgb& a, const Rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
inline bool operator!=(const Rgb& a, const Rgb& b) { return !(a == b); }
// "(r,g,b)", for failure messages.
std::string Text(Rgb c);

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel

  bool Empty() const { return rgb.empty(); }
  Rgb At(int x, int y) const;
  // Mean colour of the square of side 2 * radius + 1 around (x, y).
  Rgb MeanAround(int x, int y, int radius) const;
  bool SameAs(const Screenshot& other) const { return width == other.width && rgb == other.rgb; }
};

struct WindowGeometry {
  int x = 0, y = 0, width = 0, height = 0;
};

// Settings for a run: the decoder and encoder lists of the demo (side-by-side left first and red-cyan
// Dubois active), a 640x400 window, a 640x360 back buffer, and the given playlist with its active entry.
std::string PlayerSettings(const std::vector<std::string>& playlist, int active, const std::string& extra = "");
// The entries that a list key has in a settings script, in order.
std::vector<std::string> SavedList(const std::string& script, const std::string& key);

class PlayerSession {
 public:
  // A fresh working folder for `name` under the build tree, holding the shipped shaders and the test media.
  explicit PlayerSession(const std::string& name);

  const std::string& Folder() const { return folder_; }
  // Runs the binary in another folder (for example one that a script prepared) instead.
  void RunIn(const std::string& folder) { folder_ = folder; }
  void WriteSettings(const std::string& text) const;

  // Starts the binary in the folder, its standard output and error going to files there.
  bool Start();
  // Writes the settings, starts the binary and waits for its window; false if it never shows.
  bool Launch(const std::string& settings);
  // Waits up to 60 s for the visible main window; false if it never shows.
  bool WaitForWindow();
  // Waits up to `seconds` for the process to end; its exit code, or -1 when it had to be killed.
  int WaitForExit(int seconds);
  // Kills the process if it still runs. Safe to repeat.
  void Stop();
  // Whether the process still runs; once it ended, its exit code is kept for WaitForExit.
  bool Running();
  // The process id while it runs, else -1.
  pid_t Pid() const { return pid_; }

  // Real X input: the main window takes the focus, then the keys.
  void Key(const std::string& keys) const;
  void KeyDown(const std::string& key) const;
  void KeyUp(const std::string& key) const;

  WindowGeometry Geometry() const;
  // The screen area of the main window as it is now.
  Screenshot ShootWindow() const;
  // The centre of the picture area (between the menu bar and the status bar, or the whole window when
  // full screen).
  Rgb PictureCentre(bool fullscreen = false) const;
  // Whether another window titled `title` is shown.
  bool WindowShown(const std::string& title) const;
  // Asks the shown window titled `title` to close, as its close box does (the window manager's
  // WM_DELETE_WINDOW request); false when no such window is shown.
  bool CloseWindow(const std::string& title) const;
  // How many popup menus of the player are shown (a menu and each submenu open under it).
  int OpenMenus() const;

  std::string Output() const;
  std::string SavedSettings() const;

 private:
  std::string folder_;
  std::string window_;
  pid_t pid_ = -1;
  int exit_code_ = -1;  // of the ended process; -1 when killed or not started
};

// A test with a player session in a folder named after the test, stopped when the test ends.
class PlayerTest : public testing::Test {
 protected:
  PlayerTest() : session_(testing::UnitTest::GetInstance()->current_test_info()->name()) {}
  void TearDown() override { session_.Stop(); }
  PlayerSession session_;
};

// Waits up to 20 s for the window to show another picture than now.
bool PictureChanges(const PlayerSession& session);
// Waits up to 10 s for the colour at the centre of the picture to pass `test`.
bool CentreBecomes(const PlayerSession& session, const std::function<bool(Rgb)>& test, bool fullscreen = false);

// The whole screen, or a part of it; empty on failure.
Screenshot ShootScreen(int x, int y, int width, int height);
Screenshot ShootScreen(const WindowGeometry& area);
// The colour of one pixel of the screen.
Rgb ScreenPixel(int x, int y);
// Waits up to 10 s for a visible window titled exactly `title` (a tool window of the player); its
// geometry, or a width of 0 when none showed.
WindowGeometry WaitForWindowTitled(const std::string& title);
// Real X pointer input at a screen position: `count` presses of the left button, `delay_ms` apart.
void ClickAt(int x, int y, int count = 1, int delay_ms = 100);
// Turns the mouse wheel over a screen position by `notches`; positive scrolls down.
void WheelAt(int x, int y, int notches);
// Real X key presses to the window that has the focus.
void PressKeys(const std::string& keys);
// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// The first line of a command's standard output.
std::string CommandLine(const std::string& command);
// Sleeps for `ms` milliseconds.
void SleepMs(int ms);
