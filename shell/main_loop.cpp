#include "shell/main_loop.h"

#include "player/movie_player.h"
#include "renderer/renderer.h"
#include "shell/window.h"

double AspectRatio(uint32_t width, uint32_t height) {
  return height == 0 ? 0.0 : static_cast<double>(width) / static_cast<double>(height);
}

void ShowStatusTexts() {
  g_window.SetStatusText(0, L"  Timecode: 00:00:%i", static_cast<int>(g_renderer.GetFrameCount()));
  const uint32_t window_width = static_cast<uint32_t>(g_window.GetWidth());
  const uint32_t window_height = static_cast<uint32_t>(g_window.GetHeight());
  g_window.SetStatusText(1, L"  Window: %ix%ip30 (%.2f)", static_cast<int>(window_width),
                         static_cast<int>(window_height), AspectRatio(window_width, window_height));
  const uint32_t content_width = g_renderer.GetContentWidth();
  const uint32_t content_height = g_renderer.GetContentHeight();
  g_window.SetStatusText(2, L"  Content: %ix%ip30 (%.2f)", static_cast<int>(content_width),
                         static_cast<int>(content_height), AspectRatio(content_width, content_height));
}

bool RunMainLoopPass() {
  if (g_window.PumpMessages() != 0) return false;
  g_player.Update();
  g_window.PollChannelKeys();
  if (g_player.IsLoaded()) ShowStatusTexts();
  return true;
}

// While nothing is loaded a pass presents nothing, so nothing paces the loop: it then waits up to this
// long for input instead of spinning a core.
constexpr DWORD kIdleWaitMs = 15;

void RunMainLoop() {
  while (RunMainLoopPass()) {
    if (!g_player.IsLoaded()) MsgWaitForMultipleObjects(0, nullptr, FALSE, kIdleWaitMs, QS_ALLINPUT);
  }
}
