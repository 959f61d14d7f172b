// The playlist, encoder and decoder viewers: selection windows over the three file lists of the
// settings, their owner callbacks, and the File > Open commands that add a file without a viewer.
// Each function takes the main window's selection window that serves that list.
#pragma once

#include <cstdint>

#include "shell/win32/windows.h"

class CTQSelectionDialog;

// Movie > Local Playlist Viewer, Stereoscopy > Encoder Viewer, Stereoscopy > Decoder Viewer.
// Return the result of CTQDialog::Show.
int OpenPlaylistViewer(CTQSelectionDialog* viewer);
int OpenEncoderViewer(CTQSelectionDialog* viewer);
int OpenDecoderViewer(CTQSelectionDialog* viewer);

// File > Open > Film: asks for a media file, adds it to the playlist and opens it at once.
int OpenFilmFile(CTQSelectionDialog* playlist_viewer);
// File > Open > Encoder / Decoder: asks for a shader file and adds it to its list; the active shader
// stays as it was.
int OpenEncoderFile(CTQSelectionDialog* encoder_viewer);
int OpenDecoderFile(CTQSelectionDialog* decoder_viewer);

// The owners of the three viewers, with the protocol of CTQSelectionDialog (SELECTION_* codes).
int32_t PlaylistViewerCallback(int32_t code, uint32_t index, int32_t reserved);
int32_t EncoderViewerCallback(int32_t code, uint32_t index, int32_t reserved);
int32_t DecoderViewerCallback(int32_t code, uint32_t index, int32_t reserved);

// Greys a list's File > Open item (Film, Encoder, Decoder) of `menu` while the list holds 9 entries or
// more. The viewers do the same in their owner's menu bar (CTQDialog::SetOwner) as entries come and go.
void UpdateOpenFilmItem(HMENU menu);
void UpdateOpenEncoderItem(HMENU menu);
void UpdateOpenDecoderItem(HMENU menu);
