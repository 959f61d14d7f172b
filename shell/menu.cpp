#include "shell/menu.h"

#include "player/movie_player.h"
#include "settings/settings.h"
#include "shell/window.h"
#include "toolwindows/settings_windows.h"
#include "toolwindows/viewers.h"

namespace {

const WCHAR kAboutTitle[] = L"About Tandemix";
const WCHAR kAboutText[] =
    L"Tandemix build 002.184.016\n\n"
    L"A player for stereoscopic (3D) movies and still images, shown through programmable decoder and "
    L"encoder shaders.";

}  // namespace

CTQMenu::CTQMenu() : menu_(nullptr), owner_(nullptr), resource_id_(0) {}

CTQMenu::~CTQMenu() {}

int CTQMenu::Create(HWND owner, int32_t resource_id) {
  resource_id_ = resource_id;
  menu_ = LoadMenuW(nullptr, MAKEINTRESOURCEW(resource_id));
  owner_ = owner;
  SetMenu(owner, menu_);

  // The resource checks Both; Left Only and Right Only run their whole command, show_channel included.
  if (g_settings.show_channel == CHANNEL_LEFT) {
    OnCommand(ID_SHOWCHANNEL_LEFTONLY);
  } else if (g_settings.show_channel == CHANNEL_RIGHT) {
    OnCommand(ID_SHOWCHANNEL_RIGHTONLY);
  }
  if (g_settings.invert_channels != 0) SetCheck(ID_STEREOSCOPY_SWAPCHANNELS, 1);
  SetCheck(ID_STEREOSCOPY_INTERLEAVETEMPORALLY, g_settings.temporal_interleave != 0);
  SetCheck(ID_VIEW_FULLSCREEN, g_settings.fullscreen != 0);

  UpdateOpenEncoderItem(menu_);
  UpdateOpenDecoderItem(menu_);
  UpdateOpenFilmItem(menu_);
  return 0;
}

int CTQMenu::Destroy() {
  if (menu_ != nullptr) {
    DestroyMenu(menu_);
    menu_ = nullptr;
  }
  return 0;
}

int CTQMenu::OnCommand(UINT id) {
  switch (id) {
    case ID_FILE_EXIT:
      PostQuitMessage(0);
      break;
    case ID_HELP_ABOUT:
      MessageBoxW(nullptr, kAboutText, kAboutTitle, MB_OK);
      break;
    case ID_MOVIE_PLAY:
      g_player.Play();
      break;
    case ID_MOVIE_PAUSE:
    case ID_MOVIE_STOP:  // no rewind: the picture stays where it is
      g_player.Pause();
      break;
    case ID_SHOWCHANNEL_LEFTONLY:
      ChooseChannel(CHANNEL_LEFT);
      break;
    case ID_SHOWCHANNEL_RIGHTONLY:
      ChooseChannel(CHANNEL_RIGHT);
      break;
    case ID_SHOWCHANNEL_BOTH:
      ChooseChannel(CHANNEL_BOTH);
      break;
    case ID_VIEW_FULLSCREEN: {
      // The new state follows the setting, not the window's own flag.
      int32_t on = Toggle(&g_settings.fullscreen, ID_VIEW_FULLSCREEN);
      if (CTQWindow* window = CTQWindow::Live()) window->SetFullscreen(on);
      break;
    }
    case ID_STEREOSCOPY_SWAPCHANNELS:
      Toggle(&g_settings.invert_channels, ID_STEREOSCOPY_SWAPCHANNELS);
      break;
    case ID_STEREOSCOPY_INTERLEAVETEMPORALLY:
      Toggle(&g_settings.temporal_interleave, ID_STEREOSCOPY_INTERLEAVETEMPORALLY);
      break;
    case ID_STEREOSCOPY_SETTINGS:
    case ID_MOVIE_SETTINGS:
    case ID_TRACKER_SETTINGS:
    case ID_VIEW_SETTINGS:
    case ID_MOVIE_LOCALPLAYLISTVIEWER:
    case ID_STEREOSCOPY_DECODERVIEWER:
    case ID_STEREOSCOPY_ENCODERVIEWER:
    case ID_OPEN_FILM:
    case ID_OPEN_ENCODER:
    case ID_OPEN_DECODER:
      OpenToolWindow(id);
      break;
    default:
      break;
  }
  return 0;
}

void CTQMenu::SetCheck(UINT id, int32_t checked) {
  CheckMenuItem(menu_, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CTQMenu::ChooseChannel(uint8_t channel) {
  g_settings.show_channel = channel;
  SetCheck(ID_SHOWCHANNEL_LEFTONLY, channel == CHANNEL_LEFT);
  SetCheck(ID_SHOWCHANNEL_RIGHTONLY, channel == CHANNEL_RIGHT);
  SetCheck(ID_SHOWCHANNEL_BOTH, channel == CHANNEL_BOTH);
}

int32_t CTQMenu::Toggle(int32_t* field, UINT id) {
  *field = (*field == 0) ? 1 : 0;
  SetCheck(id, *field);
  return *field;
}

void CTQMenu::OpenToolWindow(UINT id) {
  // The settings windows, the viewers and the File > Open dialogs belong to the live main window.
  CTQWindow* window = CTQWindow::Live();
  if (window == nullptr) return;
  switch (id) {
    case ID_STEREOSCOPY_SETTINGS:
      OpenStereoscopicSettings(window->GetStereoscopicSettings());
      break;
    case ID_MOVIE_SETTINGS:
      OpenMoviePlayerSettings(window->GetMoviePlayerSettings());
      break;
    case ID_TRACKER_SETTINGS:
      OpenTrackerSettings(window->GetTrackerSettings());
      break;
    case ID_VIEW_SETTINGS:
      OpenGeneralSettings(window->GetGeneralSettings());
      break;
    case ID_MOVIE_LOCALPLAYLISTVIEWER:
      OpenPlaylistViewer(window->GetPlaylistViewer());
      break;
    case ID_STEREOSCOPY_ENCODERVIEWER:
      OpenEncoderViewer(window->GetEncoderViewer());
      break;
    case ID_STEREOSCOPY_DECODERVIEWER:
      OpenDecoderViewer(window->GetDecoderViewer());
      break;
    case ID_OPEN_FILM:
      OpenFilmFile(window->GetPlaylistViewer());
      break;
    case ID_OPEN_ENCODER:
      OpenEncoderFile(window->GetEncoderViewer());
      break;
    case ID_OPEN_DECODER:
      OpenDecoderFile(window->GetDecoderViewer());
      break;
    default:
      break;
  }
}
