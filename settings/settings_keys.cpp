// The 22 rows of the key table and the read, write and edit rules they use.
#include "settings/settings_keys.h"

#include <cstdlib>
#include <cstring>

#include "settings/settings_file.h"
#include "settings/settings_numbers.h"

namespace {

typedef SettingsRecord R;
typedef char ListSlots[kListSlots][kListSlotSize];

// ---- Reading a value from the script ----------------------------------------------------------

template <float R::*Field>
void ParseFloat(CTQSettings& store, char* value, size_t length) {
  store.*Field = DecimalToFloat(value);
}

template <int32_t R::*Field>
void ParseInteger(CTQSettings& store, char* value, size_t length) {
  store.*Field = DecimalToInt32(value);
}

// An active index: the signed number goes into the unsigned field as it is, so -1 becomes an index
// far beyond the list that Validate pulls back to 0.
template <uint32_t R::*Field>
void ParseIndex(CTQSettings& store, char* value, size_t length) {
  store.*Field = static_cast<uint32_t>(DecimalToInt32(value));
}

// Anything that begins with a lowercase 'y' means yes.
template <int32_t R::*Field>
void ParseYesNo(CTQSettings& store, char* value, size_t length) {
  store.*Field = (length > 0 && value[0] == 'y') ? 1 : 0;
}

// The value matches a channel word when it is a beginning of the word, or the word followed by
// anything; every other value means both channels.
bool MatchesChannelWord(const char* value, size_t length, const char* word) {
  size_t word_length = strlen(word);
  size_t compared = length < word_length ? length : word_length;
  return memcmp(value, word, compared) == 0;
}

void ParseShowChannel(CTQSettings& store, char* value, size_t length) {
  if (MatchesChannelWord(value, length, "CHANNEL_LEFT")) {
    store.show_channel = CHANNEL_LEFT;
  } else if (MatchesChannelWord(value, length, "CHANNEL_RIGHT")) {
    store.show_channel = CHANNEL_RIGHT;
  } else {
    store.show_channel = CHANNEL_BOTH;
  }
}

// One more entry of a file list, between optional quotes; a file that can not be read is left out.
template <uint32_t (CTQSettings::*Add)(const char*), uint32_t R::*Count>
void ParseListEntry(CTQSettings& store, char* value, size_t length) {
  if (store.*Count >= kMaxListEntries) return;
  if (length > 0 && value[0] == '"') {
    ++value;
    --length;
  }
  if (length > 0 && value[length - 1] == '"') value[length - 1] = '\0';
  if (!FileIsReadable(value)) return;
  (store.*Add)(value);
}

// ---- Writing a key's line ---------------------------------------------------------------------

// The row's "%.Nf" written with as many more decimals as the value needs to read back the same.
template <float R::*Field>
void WriteFloat(const SettingsKeyEntry& row, const CTQSettings& store, FILE* file) {
  const char* precision = strstr(row.format, "%.");
  const int decimals = DecimalsToReadBack(store.*Field, atoi(precision + 2));
  fprintf(file, "%.*s%.*f%s", static_cast<int>(precision - row.format), row.format, decimals,
          static_cast<double>(store.*Field), strchr(precision, 'f') + 1);
}

template <int32_t R::*Field>
void WriteInteger(const SettingsKeyEntry& row, const CTQSettings& store, FILE* file) {
  fprintf(file, row.format, static_cast<int>(store.*Field));
}

template <uint32_t R::*Field>
void WriteIndex(const SettingsKeyEntry& row, const CTQSettings& store, FILE* file) {
  fprintf(file, row.format, static_cast<int>(static_cast<int32_t>(store.*Field)));
}

template <int32_t R::*Field>
void WriteYesNo(const SettingsKeyEntry& row, const CTQSettings& store, FILE* file) {
  fprintf(file, row.format, store.*Field != 0 ? "yes" : "no");
}

void WriteShowChannel(const SettingsKeyEntry& row, const CTQSettings& store, FILE* file) {
  const char* word = store.show_channel == CHANNEL_LEFT    ? "CHANNEL_LEFT"
                     : store.show_channel == CHANNEL_RIGHT ? "CHANNEL_RIGHT"
                                                           : "CHANNEL_BOTH";
  fprintf(file, row.format, word);
}

template <ListSlots R::*Slots, uint32_t R::*Count>
void WriteList(const SettingsKeyEntry& row, const CTQSettings& store, FILE* file) {
  for (uint32_t i = 0; i < store.*Count; ++i) {
    fprintf(file, row.format, (store.*Slots)[i]);
  }
}

// ---- Checking and storing an edited value ------------------------------------------------------
// Every range test is written so that NaN fails it.

int RefuseEdit(const SettingsKeyEntry& row, CTQSettings& store, const char* text) { return 1; }

template <int32_t R::*Field>
int EditInteger(const SettingsKeyEntry& row, CTQSettings& store, const char* text) {
  int32_t value = DecimalToInt32(text);
  if (!(row.edit_low < value && value < row.edit_high)) return 1;
  store.*Field = value;
  return 0;
}

template <float R::*Field>
int EditFloat(const SettingsKeyEntry& row, CTQSettings& store, const char* text) {
  float value = DecimalToFloat(text);
  if (!(row.edit_low < value && value < row.edit_high)) return 1;
  store.*Field = value;
  return 0;
}

// Edited as a percentage, bounds included, stored as a fraction.
template <float R::*Field>
int EditPercent(const SettingsKeyEntry& row, CTQSettings& store, const char* text) {
  float value = DecimalToFloat(text);
  if (!(row.edit_low <= value && value <= row.edit_high)) return 1;
  store.*Field = value / 100.0f;
  return 0;
}

// The decoding thread reads the rate while the edit stores it.
int EditRefreshRate(const SettingsKeyEntry& row, CTQSettings& store, const char* text) {
  float value = DecimalToFloat(text);
  if (!(row.edit_low < value && value < row.edit_high)) return 1;
  store.StoreRefreshRate(value);
  return 0;
}

template <int32_t R::*Field>
int EditYesNo(const SettingsKeyEntry& row, CTQSettings& store, const char* text) {
  if (strcmp(text, "yes") == 0) {
    store.*Field = 1;
  } else if (strcmp(text, "no") == 0) {
    store.*Field = 0;
  } else {
    return 1;
  }
  return 0;
}

int EditShowChannel(const SettingsKeyEntry& row, CTQSettings& store, const char* text) {
  if (strcmp(text, "left") == 0) {
    store.show_channel = CHANNEL_LEFT;
  } else if (strcmp(text, "right") == 0) {
    store.show_channel = CHANNEL_RIGHT;
  } else if (strcmp(text, "both") == 0) {
    store.show_channel = CHANNEL_BOTH;
  } else {
    return 1;
  }
  return 0;
}

}  // namespace

const SettingsKeyEntry kSettingsKeys[kSettingsKeyCount] = {
    {"version", L"version", L" This is the version of the associated script file.", "version = %.2f;\n",
     ParseFloat<&R::version>, WriteFloat<&R::version>, RefuseEdit, 0, 0},
    {"window_width", L"window width", L" Controls the width of the application window.", "window_width = %i;\n",
     ParseInteger<&R::window_width>, WriteInteger<&R::window_width>, EditInteger<&R::window_width>, 0, 3000},
    {"window_height", L"window height", L" Controls the height of the application window.",
     "window_height = %i;\n", ParseInteger<&R::window_height>, WriteInteger<&R::window_height>,
     EditInteger<&R::window_height>, 0, 3000},
    {"fullscreen", L"fullscreen", L" Set this to 'yes' for fullscreen mode, 'no' otherwise.", "fullscreen = %s;\n",
     ParseYesNo<&R::fullscreen>, WriteYesNo<&R::fullscreen>, EditYesNo<&R::fullscreen>, 0, 0},
    {"adapter", L"adapter (monitor)", L" Specifies the target output monitor.", "adapter = %i;\n",
     ParseInteger<&R::adapter>, WriteInteger<&R::adapter>, EditInteger<&R::adapter>, 0, 8},
    {"screen_diagonal", L"screen diagonal size", L" Specifies the screen size (in inches)",
     "screen_diagonal = %.2f;\n", ParseFloat<&R::screen_diagonal>, WriteFloat<&R::screen_diagonal>,
     EditFloat<&R::screen_diagonal>, 0, 1000},
    {"screen_aspect", L"screen aspect ratio", L" Aspect ratio of the display.", "screen_aspect = %.4f;\n",
     ParseFloat<&R::screen_aspect>, WriteFloat<&R::screen_aspect>, EditFloat<&R::screen_aspect>, 0, 10},
    {"show_channel", L"show channel", L" Set to 'left', 'right', or 'both'", "show_channel = %s;\n",
     ParseShowChannel, WriteShowChannel, EditShowChannel, 0, 0},
    {"temporal_interleave", L"temporal interleave", L" Set this to 'yes' if the content is frame interleaved.",
     "temporal_interleave = %s;\n", ParseYesNo<&R::temporal_interleave>, WriteYesNo<&R::temporal_interleave>,
     EditYesNo<&R::temporal_interleave>, 0, 0},
    {"viewer_distance", L"viewer distance", L" Physical viewing distance (in inches)", "viewer_distance = %.2f;\n",
     ParseFloat<&R::viewer_distance>, WriteFloat<&R::viewer_distance>, EditFloat<&R::viewer_distance>, 0, 100000},
    {"invert_channels", L"invert channels", L" Set this to 'yes' to swap left and right channels",
     "invert_channels = %s;\n", ParseYesNo<&R::invert_channels>, WriteYesNo<&R::invert_channels>,
     EditYesNo<&R::invert_channels>, 0, 0},
    {"proscenium", L"proscenium distance", L" Sets the pixel width of the floating window.",
     "proscenium = %.2f;\n", ParseFloat<&R::proscenium>, WriteFloat<&R::proscenium>, EditPercent<&R::proscenium>,
     0, 100},
    {"separation", L"lateral separation", L" Specifies the desired amount of horizontal shift",
     "separation = %.2f;\n", ParseFloat<&R::separation>, WriteFloat<&R::separation>, EditPercent<&R::separation>,
     -100, 100},
    {"encoder", L"encoder shader", L" Specifies the filename of the stereo encoder shader.",
     "encoder += \"%s\";\n", ParseListEntry<&CTQSettings::AddEncoder, &R::encoder_count>,
     WriteList<&R::encoder, &R::encoder_count>, RefuseEdit, 0, 0},
    {"decoder", L"decoder shader", L" Specifies the filename of the stereo decoder shader.",
     "decoder += \"%s\";\n", ParseListEntry<&CTQSettings::AddDecoder, &R::decoder_count>,
     WriteList<&R::decoder, &R::decoder_count>, RefuseEdit, 0, 0},
    {"default_encoder", L"default encoder", L" Specifies the index of the default encoder",
     "default_encoder = %i;\n", ParseIndex<&R::default_encoder>, WriteIndex<&R::default_encoder>, RefuseEdit, 0,
     0},
    {"default_decoder", L"default decoder", L" Specifies the index of the default decoder",
     "default_decoder = %i;\n", ParseIndex<&R::default_decoder>, WriteIndex<&R::default_decoder>, RefuseEdit, 0,
     0},
    {"refresh_rate", L"refresh rate", L" Specifies the refresh rate (in hz) used to render content",
     "refresh_rate = %.2f;\n", ParseFloat<&R::refresh_rate>, WriteFloat<&R::refresh_rate>, EditRefreshRate, 4,
     320},
    {"renderer_width", L"render width", L" The horizontal resolution of the renderer (pre window scaling)",
     "renderer_width = %i;\n", ParseInteger<&R::renderer_width>, WriteInteger<&R::renderer_width>,
     EditInteger<&R::renderer_width>, 0, 3000},
    {"renderer_height", L"render height", L" The vertical resolution of the renderer (pre window scaling)",
     "renderer_height = %i;\n", ParseInteger<&R::renderer_height>, WriteInteger<&R::renderer_height>,
     EditInteger<&R::renderer_height>, 0, 3000},
    {"content", L"current media", L" The filename of the content currently being rendered.",
     "content += \"%s\";\n", ParseListEntry<&CTQSettings::AddContent, &R::content_count>,
     WriteList<&R::content, &R::content_count>, RefuseEdit, 0, 0},
    {"default_content", L"default content", L" The default media to select from a loaded playlist",
     "default_content = %i;\n", ParseIndex<&R::default_content>, WriteIndex<&R::default_content>, RefuseEdit, 0,
     0},
};
