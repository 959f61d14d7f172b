// Process entry point: brings the system up in a fixed order, runs the main loop, tears it down.
#include <cstdio>

#include "common/error_line.h"
#include "player/movie_player.h"
#include "renderer/renderer.h"
#include "renderer/shader_warmup.h"
#include "settings/settings.h"
#include "shell/main_loop.h"
#include "shell/window.h"

namespace {

// Releases whatever start-up brought up; safe on objects that were never initialised.
void ShutdownAll() {
  g_player.Shutdown();
  g_renderer.Shutdown();
  g_window.Destroy();
}

}  // namespace

int main() {
  // Each line reaches standard output as it is written, also when that is a file or a pipe: a log
  // followed while the player runs shows it at once, and a crash loses none.
  setvbuf(stdout, nullptr, _IOLBF, 0);
  if (g_settings.Load("settings.ini") != 0) {
    WriteErrorLine("Failed to load configuration file (terminal failure)");
    ShutdownAll();
    return 0;
  }
  // Compiling the shaders and reading the movie's stream information need only the settings: both begin
  // now, on threads of their own, while the window and the device are made.
  StartShaderWarmUp(g_settings.GetActiveDecoder(), g_settings.GetActiveEncoder());
  g_player.Prefetch(g_settings.GetActiveContent());
  if (g_window.Create(L"TQ2", static_cast<uint32_t>(g_settings.window_width),
                      static_cast<uint32_t>(g_settings.window_height)) != 0) {
    WriteErrorLine("Failed to initialize primary window (terminal failure)");
    ShutdownAll();
    return 0;
  }
  if (g_renderer.Initialize(g_window.GetHandle(), static_cast<uint32_t>(g_settings.renderer_width),
                            static_cast<uint32_t>(g_settings.renderer_height), g_settings.GetActiveDecoder(),
                            g_settings.GetActiveEncoder(), 0) != 0) {
    WriteErrorLine("Failed to initialize renderer (terminal failure)");
    ShutdownAll();
    return 0;
  }
  // The device is always created windowed, but the window may already be full screen (the setting was
  // applied by Create): present the way the window is shown, without the status-bar margin.
  g_renderer.SetFullscreen(g_window.IsFullscreen());
  if (g_player.Initialize() < 0) {
    WriteErrorLine("Failed to initialize media player (terminal failure)");
    ShutdownAll();
    return 0;
  }
  if (g_player.Open(g_settings.GetActiveContent()) < 0) {
    WriteErrorLine("Failed to load content");
  }
  RunMainLoop();
  g_settings.Save("settings.ini");
  ShutdownAll();
  return 0;
}
