// The one settings store of the player: every setting and the three file lists (playlist, encoder
// shaders, decoder shaders), filled from settings.ini at start and written back at a normal exit.
// A plain fixed-size record: strings live in fixed slots, Reset clears it with one zero-fill.
#pragma once

#include <cstdint>

enum {
  CHANNEL_LEFT = 0,
  CHANNEL_RIGHT = 1,
  CHANNEL_BOTH = 2,
};

constexpr unsigned kListSlotSize = 260;   // bytes per file-name slot, terminator included
constexpr unsigned kMaxListEntries = 15;  // entries in use at most; the 16th slot stays empty
constexpr unsigned kListSlots = 16;

// The stored values, in declaration order, named after their script keys. Kept apart from the class
// so that Reset can zero-fill them in one go without touching the object's virtual table pointer.
struct SettingsRecord {
  // May hold anything the script gave, NaN, infinities, 0 and negative rates included: readers that
  // divide by it or sleep for it check it first.
  float refresh_rate;
  int32_t renderer_width;
  int32_t renderer_height;
  char content[kListSlots][kListSlotSize];
  uint32_t content_count;
  uint32_t default_content;
  float viewer_distance;
  float screen_diagonal;
  float separation;
  float screen_aspect;
  int32_t invert_channels;
  int32_t temporal_interleave;
  float proscenium;
  uint8_t show_channel;
  char encoder[kListSlots][kListSlotSize];
  char decoder[kListSlots][kListSlotSize];
  uint32_t encoder_count;
  uint32_t decoder_count;
  uint32_t default_encoder;
  uint32_t default_decoder;
  float version;
  int32_t window_width;
  int32_t window_height;
  int32_t adapter;
  int32_t fullscreen;
};

class CTQSettings : public SettingsRecord {
 public:
  CTQSettings();
  virtual ~CTQSettings();

  void Reset();
  // 0 on success, 1 on failure (no file, not a readable regular file, empty, or no usable encoder
  // or decoder entry).
  int Load(const char* path);
  // 0 on success, 1 on failure; the previous file stays untouched when writing fails.
  int Save(const char* path);
  // 1 when the store is usable (at least one encoder and one decoder); pulls stray active indices
  // back to 0. 0 when not usable.
  int Validate();

  uint32_t AddContent(const char* name);
  uint32_t AddEncoder(const char* name);
  uint32_t AddDecoder(const char* name);
  uint32_t RemoveContent(uint32_t index);
  uint32_t RemoveEncoder(uint32_t index);
  uint32_t RemoveDecoder(uint32_t index);
  const char* GetContent(uint32_t index) const;
  const char* GetEncoder(uint32_t index) const;
  const char* GetDecoder(uint32_t index) const;
  const char* GetActiveContent() const;
  const char* GetActiveEncoder() const;
  const char* GetActiveDecoder() const;
  uint32_t GetContentCount() const { return content_count; }
  uint32_t GetEncoderCount() const { return encoder_count; }
  uint32_t GetDecoderCount() const { return decoder_count; }

  // The decoding thread reads refresh_rate while the main thread may store an edit into it.
  float LoadRefreshRate() const;
  void StoreRefreshRate(float value);
};

// The process-wide store, read and written by every subsystem on the main thread (refresh_rate also
// by the decoding thread, through LoadRefreshRate).
extern CTQSettings g_settings;
