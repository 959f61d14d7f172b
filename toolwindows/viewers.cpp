#include "toolwindows/viewers.h"

#include <cstring>
#include <cwchar>

#include "common/error_line.h"
#include "player/movie_player.h"
#include "renderer/renderer.h"
#include "settings/settings.h"
#include "shell/resources/resource.h"
#include "toolwindows/open_file_dialog.h"
#include "toolwindows/selection_dialog.h"

namespace {

constexpr uint32_t kGreyedFromCount = 9;  // lists this long get no add row and a greyed Open item
constexpr int kTextChars = 260;

const WCHAR kPathTooLong[] = L" The file was not added: its path is longer than 258 bytes.";
const WCHAR kNameUnsaveable[] = L" The file was not added: settings.ini cannot keep a name holding ; or =.";

// What tells one viewer from the other two.
struct ViewerList {
  LPCWSTR title;         // window class name and caption
  LPCWSTR hint;          // status text shown whenever the viewer is opened
  LPCWSTR heading;       // name cell of the header row
  LPCWSTR dialog_title;  // title of the open-file dialog
  const WCHAR* filter;
  UINT open_command;  // the list's File > Open item
  uint32_t CTQSettings::*count;
  uint32_t CTQSettings::*active;
  const char* (CTQSettings::*get)(uint32_t) const;
  uint32_t (CTQSettings::*add)(const char*);
  uint32_t (CTQSettings::*remove)(uint32_t);
  void (*activate)(uint32_t index);
};

void OpenContent(uint32_t index) { g_player.Open(g_settings.GetContent(index)); }

// Activating either kind of shader compiles both again.
void ReloadShaders(uint32_t) {
  g_renderer.LoadShaders(g_settings.GetActiveDecoder(), g_settings.GetActiveEncoder());
}

const ViewerList kPlaylist = {
    L"Playlist Viewer",
    L" Double click an element to activate it. Green highlights active content.",
    L"Content Filename",
    L"Open Media File",
    kMediaFilter,
    ID_OPEN_FILM,
    &CTQSettings::content_count,
    &CTQSettings::default_content,
    &CTQSettings::GetContent,
    &CTQSettings::AddContent,
    &CTQSettings::RemoveContent,
    OpenContent,
};

const ViewerList kEncoders = {
    L"Stereo Encoder Viewer",
    L" Double click an encoder to activate it. Green highlights the active state.",
    L"Encoder Filename",
    L"Open Encoder Shader",
    kShaderFilter,
    ID_OPEN_ENCODER,
    &CTQSettings::encoder_count,
    &CTQSettings::default_encoder,
    &CTQSettings::GetEncoder,
    &CTQSettings::AddEncoder,
    &CTQSettings::RemoveEncoder,
    ReloadShaders,
};

const ViewerList kDecoders = {
    L"Stereo Decoder Viewer",
    L" Double click a decoder to activate it. Green highlights the active state.",
    L"Decoder Filename",
    L"Open Decoder Shader",
    kShaderFilter,
    ID_OPEN_DECODER,
    &CTQSettings::decoder_count,
    &CTQSettings::default_decoder,
    &CTQSettings::GetDecoder,
    &CTQSettings::AddDecoder,
    &CTQSettings::RemoveDecoder,
    ReloadShaders,
};

// The viewer each owner and forwarding procedure serves, set before the viewer is shown.
CTQSelectionDialog* g_playlistViewer = nullptr;
CTQSelectionDialog* g_encoderViewer = nullptr;
CTQSelectionDialog* g_decoderViewer = nullptr;

LRESULT Forward(CTQSelectionDialog* viewer, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return viewer != nullptr ? viewer->WindowProc(window, message, wparam, lparam) : 0;
}

LRESULT CALLBACK PlaylistViewerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return Forward(g_playlistViewer, window, message, wparam, lparam);
}
LRESULT CALLBACK EncoderViewerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return Forward(g_encoderViewer, window, message, wparam, lparam);
}
LRESULT CALLBACK DecoderViewerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return Forward(g_decoderViewer, window, message, wparam, lparam);
}

void UpdateOpenItem(const ViewerList& list, HMENU menu) {
  const UINT state = (g_settings.*list.count >= kGreyedFromCount) ? MF_GRAYED : MF_ENABLED;
  EnableMenuItem(menu, list.open_command, MF_BYCOMMAND | state);
}

HWND OwnerOf(const CTQSelectionDialog* viewer) { return viewer != nullptr ? viewer->GetOwner() : nullptr; }
HMENU OwnerMenuOf(const CTQSelectionDialog* viewer) {
  return viewer != nullptr ? viewer->GetOwnerMenu() : nullptr;
}

void ReportNotAdded(CTQSelectionDialog* viewer, LPCWSTR text, const char* message) {
  if (viewer != nullptr) viewer->SetStatusText(0, text);
  WriteErrorLine("%s", message);
}

// Asks for a file and adds it to the list. A name that the list or settings.ini could not keep
// whole is refused with a message rather than stored cut short or in a form that would not read
// back at the next start: in the script a ';' ends the statement and an '=' starts its value anew.
// Quotes are kept, since the reader drops only the first and the last byte of a quoted name.
void AddThroughDialog(const ViewerList& list, CTQSelectionDialog* viewer) {
  char name[kListSlotSize] = {};
  const int result = OpenFileDialog(OwnerOf(viewer), list.dialog_title, list.filter, name, kListSlotSize - 1);
  if (result == OPEN_FILE_TOO_LONG) {
    ReportNotAdded(viewer, kPathTooLong, "File not added: its path is longer than 258 bytes");
    return;
  }
  if (result != OPEN_FILE_CHOSEN) return;
  if (strpbrk(name, ";=") != nullptr) {
    ReportNotAdded(viewer, kNameUnsaveable, "File not added: settings.ini cannot keep a name holding ; or =");
    return;
  }
  (g_settings.*list.add)(name);
}

void Fill(const ViewerList& list, CTQSelectionDialog* viewer) {
  if (viewer == nullptr) return;
  viewer->AddRow(0, L"#", list.heading);
  const uint32_t count = g_settings.*list.count;
  for (uint32_t i = 0; i <= count; ++i) {
    WCHAR number[16] = {};
    swprintf(number, 16, L"%i", static_cast<int>(i + 1));
    if (i < count) {
      // Entries hold at most 259 bytes, so the conversion always fits; text that is not valid
      // UTF-8 shows replacement characters.
      WCHAR name[kTextChars] = {};
      MultiByteToWideChar(CP_UTF8, 0, (g_settings.*list.get)(i), -1, name, kTextChars);
      viewer->AddRow(static_cast<int>(i + 1), number, name);
    } else if (i < kGreyedFromCount) {
      viewer->AddRow(static_cast<int>(i + 1), number, L"");  // the add row
    }
  }
  viewer->SetActive(g_settings.*list.active, 0);
}

int32_t RunOwner(const ViewerList& list, CTQSelectionDialog* viewer, int32_t code, uint32_t index) {
  switch (code) {
    case SELECTION_IS_ENTRY:
      return index < g_settings.*list.count ? 1 : 0;
    case SELECTION_ACTIVATE:
      g_settings.*list.active = index;
      list.activate(index);
      return 0;
    case SELECTION_CLOSE:
      (g_settings.*list.remove)(index);
      UpdateOpenItem(list, OwnerMenuOf(viewer));
      return 0;
    case SELECTION_ADD:
      AddThroughDialog(list, viewer);
      UpdateOpenItem(list, OwnerMenuOf(viewer));
      return 0;
    case SELECTION_FILL:
      Fill(list, viewer);
      return 0;
    default:
      return 0;
  }
}

int OpenViewer(const ViewerList& list, CTQSelectionDialog* viewer, WNDPROC proc, SelectionCallback owner) {
  viewer->SetCallback(owner);
  const int result = viewer->Show(list.title, proc);
  if (result != DIALOG_SHOWN_AGAIN) owner(SELECTION_FILL, 0, 0);
  // Replaces the base window's hint and any earlier refusal, also for a window shown again.
  viewer->SetStatusText(0, list.hint);
  return result;
}

}  // namespace

int32_t PlaylistViewerCallback(int32_t code, uint32_t index, int32_t) {
  return RunOwner(kPlaylist, g_playlistViewer, code, index);
}
int32_t EncoderViewerCallback(int32_t code, uint32_t index, int32_t) {
  return RunOwner(kEncoders, g_encoderViewer, code, index);
}
int32_t DecoderViewerCallback(int32_t code, uint32_t index, int32_t) {
  return RunOwner(kDecoders, g_decoderViewer, code, index);
}

int OpenPlaylistViewer(CTQSelectionDialog* viewer) {
  g_playlistViewer = viewer;
  return OpenViewer(kPlaylist, viewer, PlaylistViewerProc, PlaylistViewerCallback);
}
int OpenEncoderViewer(CTQSelectionDialog* viewer) {
  g_encoderViewer = viewer;
  return OpenViewer(kEncoders, viewer, EncoderViewerProc, EncoderViewerCallback);
}
int OpenDecoderViewer(CTQSelectionDialog* viewer) {
  g_decoderViewer = viewer;
  return OpenViewer(kDecoders, viewer, DecoderViewerProc, DecoderViewerCallback);
}

int OpenFilmFile(CTQSelectionDialog* playlist_viewer) {
  g_playlistViewer = playlist_viewer;
  const uint32_t count = g_settings.content_count;
  PlaylistViewerCallback(SELECTION_ADD, 0, 0);
  if (g_settings.content_count != count) {
    g_settings.default_content = g_settings.content_count - 1;
    g_player.Open(g_settings.GetActiveContent());
    // Rebuilds a viewer that exists, shown or hidden; one never opened has nothing to rebuild.
    playlist_viewer->Refresh();
  }
  return 0;
}

int OpenEncoderFile(CTQSelectionDialog* encoder_viewer) {
  g_encoderViewer = encoder_viewer;
  EncoderViewerCallback(SELECTION_ADD, 0, 0);
  return 0;
}

int OpenDecoderFile(CTQSelectionDialog* decoder_viewer) {
  g_decoderViewer = decoder_viewer;
  DecoderViewerCallback(SELECTION_ADD, 0, 0);
  return 0;
}

void UpdateOpenFilmItem(HMENU menu) { UpdateOpenItem(kPlaylist, menu); }
void UpdateOpenEncoderItem(HMENU menu) { UpdateOpenItem(kEncoders, menu); }
void UpdateOpenDecoderItem(HMENU menu) { UpdateOpenItem(kDecoders, menu); }
