#include "tests/e2e/e2e_player_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

// Xlib last: its macros (None, Status, Bool) would clash with the headers above.
#include <X11/Xlib.h>

namespace fs = std::filesystem;

namespace {

std::string Run(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

// The outer geometry of an X window, by its id.
WindowGeometry GeometryOf(const std::string& window) {
  WindowGeometry g;
  const std::string shell = Run("xdotool getwindowgeometry --shell " + window);
  if (sscanf(shell.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &g.x, &g.y, &g.width, &g.height) != 4) {
    return WindowGeometry();
  }
  return g;
}

// Heights of the menu bar and the status bar in the windowed main window, generously rounded up: the
// picture centre is taken between them.
constexpr int kMenuBarHeight = 24;
constexpr int kStatusBarHeight = 22;

}  // namespace

std::string Text(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Rgb Screenshot::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return Rgb();
  const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return Rgb{p[0], p[1], p[2]};
}

Rgb Screenshot::MeanAround(int x, int y, int radius) const {
  Rgb sum;
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      const Rgb c = At(x + dx, y + dy);
      sum = Rgb{sum.r + c.r, sum.g + c.g, sum.b + c.b};
    }
  }
  const int n = (2 * radius + 1) * (2 * radius + 1);
  return Rgb{sum.r / n, sum.g / n, sum.b / n};
}

std::string PlayerSettings(const std::vector<std::string>& playlist, int active, const std::string& extra) {
  std::string text =
      "version = 1.00;\nwindow_width = 640;\nwindow_height = 400;\nfullscreen = no;\nadapter = 1;\n"
      "screen_diagonal = 24.00;\nscreen_aspect = 1.7778;\nshow_channel = CHANNEL_BOTH;\n"
      "temporal_interleave = no;\nviewer_distance = 30.00;\ninvert_channels = no;\n"
      "proscenium = 0.00;\nseparation = 0.00;\n"
      "encoder += \"shaders/encoders/anaglyph-red-cyan-dubois.hlsl\";\n"
      "encoder += \"shaders/encoders/mono.hlsl\";\n"
      "decoder += \"shaders/decoders/side-by-side-left-first.hlsl\";\n"
      "decoder += \"shaders/decoders/mono.hlsl\";\n"
      "default_encoder = 0;\ndefault_decoder = 0;\nrefresh_rate = 30.00;\n"
      "renderer_width = 640;\nrenderer_height = 360;\n";
  for (const std::string& entry : playlist) text += "content += \"" + entry + "\";\n";
  text += "default_content = " + std::to_string(active) + ";\n";
  return text + extra;
}

PlayerSession::PlayerSession(const std::string& name) {
  folder_ = std::string(TQ_E2E_WORK_DIR) + "/" + name;
  std::error_code error;
  fs::remove_all(folder_, error);
  fs::create_directories(folder_ + "/shaders", error);
  fs::copy(TQ_SHADER_DIR, folder_ + "/shaders", fs::copy_options::recursive, error);
  for (const char* media : {"stereo.mkv", "stereo.png", "broken.avi", "pair.png"}) {
    fs::copy_file(std::string(TQ_E2E_MEDIA_DIR) + "/" + media, folder_ + "/" + media, error);
  }
}

void PlayerSession::WriteSettings(const std::string& text) const {
  std::ofstream(folder_ + "/settings.ini", std::ios::binary | std::ios::trunc) << text;
}

bool PlayerSession::Start() {
  pid_ = fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    if (chdir(folder_.c_str()) != 0) _exit(127);
    int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) _exit(127);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    execl(TQ_TANDEMIX, TQ_TANDEMIX, static_cast<char*>(nullptr));
    _exit(127);
  }
  return true;
}

std::vector<std::string> SavedList(const std::string& script, const std::string& key) {
  std::vector<std::string> entries;
  const std::string prefix = key + " += \"";
  size_t at = 0;
  while ((at = script.find(prefix, at)) != std::string::npos) {
    at += prefix.size();
    entries.push_back(script.substr(at, script.find('"', at) - at));
  }
  return entries;
}

bool PlayerSession::Launch(const std::string& settings) {
  WriteSettings(settings);
  return Start() && WaitForWindow();
}

bool PlayerSession::WaitForWindow() {
  for (int attempt = 0; attempt < 600; ++attempt) {
    window_ = CommandLine("xdotool search --onlyvisible --name '^Tandemix build' 2>/dev/null");
    if (!window_.empty()) {
      // Let the first pictures reach the screen.
      SleepMs(1500);
      return true;
    }
    if (!Running()) return false;
    SleepMs(100);
  }
  return false;
}

bool PlayerSession::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == pid_) {
    exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid_ = -1;
  }
  return done == 0;
}

int PlayerSession::WaitForExit(int seconds) {
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (Running()) {
    if (std::chrono::steady_clock::now() >= limit) {
      Stop();
      return -1;
    }
    SleepMs(50);
  }
  return exit_code_;
}

void PlayerSession::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void PlayerSession::Key(const std::string& keys) const {
  Run("xdotool windowfocus --sync " + window_ + " key --delay 120 " + keys);
}

void PlayerSession::KeyDown(const std::string& key) const {
  Run("xdotool windowfocus --sync " + window_ + " keydown " + key);
}

void PlayerSession::KeyUp(const std::string& key) const { Run("xdotool keyup " + key); }

WindowGeometry PlayerSession::Geometry() const { return GeometryOf(window_); }

Screenshot PlayerSession::ShootWindow() const {
  WindowGeometry g = Geometry();
  return ShootScreen(g.x, g.y, g.width, g.height);
}

Rgb PlayerSession::PictureCentre(bool fullscreen) const {
  WindowGeometry g = Geometry();
  Screenshot shot = ShootScreen(g.x, g.y, g.width, g.height);
  int top = fullscreen ? 0 : kMenuBarHeight;
  int bottom = fullscreen ? g.height : g.height - kStatusBarHeight;
  return shot.MeanAround(g.width / 2, (top + bottom) / 2, 4);
}

bool PlayerSession::WindowShown(const std::string& title) const {
  return !CommandLine("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null").empty();
}

bool PlayerSession::CloseWindow(const std::string& title) const {
  std::string id = CommandLine("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null");
  if (id.empty()) return false;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = std::stoul(id);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event) != 0;
  XCloseDisplay(display);  // flushes the request
  return sent;
}

int PlayerSession::OpenMenus() const {
  if (pid_ <= 0) return 0;
  std::string count = CommandLine("for w in $(xdotool search --onlyvisible --pid " + std::to_string(pid_) +
                                  " 2>/dev/null); do xprop -id $w _NET_WM_WINDOW_TYPE; done | grep -c POPUP_MENU");
  return atoi(count.c_str());
}

std::string PlayerSession::Output() const { return ReadFile(folder_ + "/stdout.txt"); }

std::string PlayerSession::SavedSettings() const { return ReadFile(folder_ + "/settings.ini"); }

bool PictureChanges(const PlayerSession& session) {
  const Screenshot first = session.ShootWindow();
  for (int attempt = 0; attempt < 40; ++attempt) {
    SleepMs(500);
    if (!session.ShootWindow().SameAs(first)) return true;
  }
  return false;
}

bool CentreBecomes(const PlayerSession& session, const std::function<bool(Rgb)>& test, bool fullscreen) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (test(session.PictureCentre(fullscreen))) return true;
    SleepMs(500);
  }
  return false;
}

Screenshot ShootScreen(int x, int y, int width, int height) {
  char crop[128];
  snprintf(crop, sizeof(crop), "%dx%d+%d+%d", width, height, x, y);
  const std::string rgb = Run(std::string("import -silent -window root -crop ") + crop +
                              " -depth 8 rgb:- 2>/dev/null");
  // A crop that reaches past the screen comes back smaller: refused, as is any failure.
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) return Screenshot();
  return Screenshot{width, height, std::vector<uint8_t>(rgb.begin(), rgb.end())};
}

Screenshot ShootScreen(const WindowGeometry& area) { return ShootScreen(area.x, area.y, area.width, area.height); }

Rgb ScreenPixel(int x, int y) { return ShootScreen(x, y, 1, 1).At(0, 0); }

WindowGeometry WaitForWindowTitled(const std::string& title) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string window = CommandLine("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null");
    if (!window.empty()) {
      SleepMs(500);  // let it draw its rows
      return GeometryOf(window);
    }
    SleepMs(100);
  }
  return WindowGeometry();
}

namespace {

// The xdotool command that puts the pointer at (x, y) and waits until it is there. It first goes one
// pixel aside: a wait for a move to where the pointer already is would only end at xdotool's timeout.
std::string MovePointer(int x, int y) {
  return "xdotool mousemove " + std::to_string(x + 1) + " " + std::to_string(y + 1) + " mousemove --sync " +
         std::to_string(x) + " " + std::to_string(y);
}

}  // namespace

void ClickAt(int x, int y, int count, int delay_ms) {
  Run(MovePointer(x, y) + " click --repeat " + std::to_string(count) + " --delay " + std::to_string(delay_ms) +
      " 1");
}

void WheelAt(int x, int y, int notches) {
  const char* button = notches > 0 ? "5" : "4";
  const int count = notches > 0 ? notches : -notches;
  Run(MovePointer(x, y) + " click --repeat " + std::to_string(count) + " --delay 80 " + button);
}

void PressKeys(const std::string& keys) { Run("xdotool key --delay 120 " + keys); }

std::string CommandLine(const std::string& command) {
  std::string output = Run(command);
  size_t end = output.find('\n');
  return end == std::string::npos ? output : output.substr(0, end);
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
