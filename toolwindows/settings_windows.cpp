#include "toolwindows/settings_windows.h"

#include <cwchar>

#include "settings/settings.h"
#include "toolwindows/dialog.h"

namespace {

constexpr int kValueChars = 260;

// The window each forwarding procedure serves, set by its opening function before Show so that the
// messages sent while the window is created already reach the object.
CTQDialog* g_generalSettings = nullptr;
CTQDialog* g_moviePlayerSettings = nullptr;
CTQDialog* g_stereoscopicSettings = nullptr;
CTQDialog* g_trackerSettings = nullptr;

LRESULT Forward(CTQDialog* dialog, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return dialog != nullptr ? dialog->WindowProc(window, message, wparam, lparam) : 0;
}

LRESULT CALLBACK GeneralSettingsProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return Forward(g_generalSettings, window, message, wparam, lparam);
}
LRESULT CALLBACK MoviePlayerSettingsProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return Forward(g_moviePlayerSettings, window, message, wparam, lparam);
}
LRESULT CALLBACK StereoscopicSettingsProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return Forward(g_stereoscopicSettings, window, message, wparam, lparam);
}
LRESULT CALLBACK TrackerSettingsProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return Forward(g_trackerSettings, window, message, wparam, lparam);
}

// Adds a row whose value is a number written with a printf-style format.
void AddFloatRow(CTQDialog* dialog, int index, LPCWSTR name, double value) {
  WCHAR text[kValueChars] = {};
  swprintf(text, kValueChars - 1, L"%.2f", value);
  dialog->AddRow(index, name, text);
}

void AddIntRow(CTQDialog* dialog, int index, LPCWSTR name, int value) {
  WCHAR text[kValueChars] = {};
  swprintf(text, kValueChars - 1, L"%i", value);
  dialog->AddRow(index, name, text);
}

LPCWSTR YesNo(int32_t flag) { return flag != 0 ? L"yes" : L"no"; }

LPCWSTR ChannelWord(uint8_t channel) {
  if (channel == CHANNEL_LEFT) return L"left";
  if (channel == CHANNEL_RIGHT) return L"right";
  return L"both";
}

// Shows the window; true when it was created now and still needs its rows.
bool ShowNew(CTQDialog*& current, CTQDialog* dialog, LPCWSTR title, WNDPROC proc, int* result) {
  current = dialog;
  *result = dialog->Show(title, proc);
  return *result != DIALOG_SHOWN_AGAIN;
}

}  // namespace

int OpenGeneralSettings(CTQDialog* dialog) {
  int result = 0;
  if (!ShowNew(g_generalSettings, dialog, L"General Settings", GeneralSettingsProc, &result)) {
    return result;
  }
  AddFloatRow(dialog, 0, L"version", g_settings.version);
  AddIntRow(dialog, 1, L"window width", g_settings.window_width);
  AddIntRow(dialog, 2, L"window height", g_settings.window_height);
  dialog->AddRow(3, L"fullscreen", YesNo(g_settings.fullscreen));
  AddIntRow(dialog, 6, L"adapter (monitor)", g_settings.adapter);
  return result;
}

int OpenMoviePlayerSettings(CTQDialog* dialog) {
  int result = 0;
  if (!ShowNew(g_moviePlayerSettings, dialog, L"Movie Player Settings", MoviePlayerSettingsProc, &result)) {
    return result;
  }
  AddIntRow(dialog, 0, L"render width", g_settings.renderer_width);
  AddIntRow(dialog, 1, L"render height", g_settings.renderer_height);
  AddFloatRow(dialog, 2, L"refresh rate", g_settings.LoadRefreshRate());
  dialog->AddRow(5, L"audio playback", L"disabled");
  dialog->AddRow(8, L"gamma adjust", L"0.2");
  return result;
}

int OpenStereoscopicSettings(CTQDialog* dialog) {
  int result = 0;
  if (!ShowNew(g_stereoscopicSettings, dialog, L"Stereoscopic Settings", StereoscopicSettingsProc, &result)) {
    return result;
  }
  AddFloatRow(dialog, 0, L"viewer distance", g_settings.viewer_distance);
  AddFloatRow(dialog, 1, L"screen diagonal size", g_settings.screen_diagonal);
  AddFloatRow(dialog, 2, L"screen aspect ratio", g_settings.screen_aspect);
  dialog->AddRow(3, L"show channel", ChannelWord(g_settings.show_channel));
  dialog->AddRow(4, L"temporal interleave", YesNo(g_settings.temporal_interleave));
  dialog->AddRow(5, L"invert channels", YesNo(g_settings.invert_channels));
  // Stored as fractions, edited and shown as percentages.
  AddFloatRow(dialog, 6, L"proscenium distance", g_settings.proscenium * 100.0);
  AddFloatRow(dialog, 7, L"lateral separation", g_settings.separation * 100.0);
  return result;
}

int OpenTrackerSettings(CTQDialog* dialog) {
  int result = 0;
  if (!ShowNew(g_trackerSettings, dialog, L"Tracker Settings", TrackerSettingsProc, &result)) {
    return result;
  }
  dialog->AddRow(0, L"Under construction", L" ");
  return result;
}
