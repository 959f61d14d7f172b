// Process entry point: brings the system up in a fixed order, runs the main loop, tears it down.
#include <cstdio>

#include "settings/settings.h"
#include "shell/window.h"

namespace {

void ReportError(const char* message) {
  printf("[TQ] Error: ");
  printf("%s", message);
  printf("\n");
}

// Releases whatever start-up brought up; safe on objects that were never initialised.
void ShutdownAll() {
  // Player and renderer shut down here, before the window, once they land.
  g_window.Destroy();
}

// One message at most per pass, never waiting; ends after the pass that took WM_QUIT.
void RunMainLoop() {
  while (g_window.PumpMessages() == 0) {
    // CTQMoviePlayer::Update joins here.
    g_window.PollChannelKeys();
    // The three status texts join here while content is loaded.
  }
}

}  // namespace

int main() {
  if (g_settings.Load("settings.ini") != 0) {
    ReportError("Failed to load configuration file (terminal failure)");
    ShutdownAll();
    return 0;
  }
  if (g_window.Create(L"TQ2", static_cast<uint32_t>(g_settings.window_width),
                      static_cast<uint32_t>(g_settings.window_height)) != 0) {
    ReportError("Failed to initialize primary window (terminal failure)");
    ShutdownAll();
    return 0;
  }
  // Start-up steps 3 (renderer) and 4-5 (player, content) join here.
  RunMainLoop();
  g_settings.Save("settings.ini");
  ShutdownAll();
  return 0;
}
