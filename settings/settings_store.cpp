// The store itself: reset, the three file lists and their active entries, validation after a load,
// and the one field that the decoding thread shares.
#include <cstring>

#include "settings/settings.h"

CTQSettings g_settings;

namespace {

typedef char ListSlots[kListSlots][kListSlotSize];

// How many bytes of name go into a slot: all of it up to 259 bytes. A longer name is cut at 259
// bytes, moved back to the start of the UTF-8 character that the cut would split, so that the entry
// never ends in half a character. Bytes that are no UTF-8 (more than three continuation bytes in a
// row) are cut at the limit itself.
size_t StoredLength(const char* name) {
  const size_t limit = kListSlotSize - 1;
  size_t length = strnlen(name, limit);
  if (length < limit || name[limit] == '\0') return length;
  for (size_t back = 0; back <= 3; ++back) {
    if ((static_cast<unsigned char>(name[length - back]) & 0xC0) != 0x80) return length - back;
  }
  return length;
}

// Copies the name into the next free slot; the slot is all zero, so it stays terminated.
uint32_t AddToList(ListSlots& slots, uint32_t& count, const char* name) {
  if (name == nullptr) return 0;
  if (count >= kMaxListEntries) return count;
  memcpy(slots[count], name, StoredLength(name));
  return ++count;
}

// Removes one entry and closes the gap; the active entry itself can not be removed, and the active
// index follows the entry it named.
uint32_t RemoveFromList(ListSlots& slots, uint32_t& count, uint32_t& active, uint32_t index) {
  if (index >= count) return 0;
  if (index == active) return 0;
  if (active > index) --active;
  for (uint32_t i = index; i < count; ++i) {
    memset(slots[i], 0, kListSlotSize);
    if (i + 1 < count) memcpy(slots[i], slots[i + 1], kListSlotSize);
  }
  return --count;
}

const char* ListEntry(const ListSlots& slots, uint32_t count, uint32_t index) {
  return index < count ? slots[index] : nullptr;
}

}  // namespace

CTQSettings::CTQSettings() { Reset(); }

CTQSettings::~CTQSettings() {}

void CTQSettings::Reset() { memset(static_cast<SettingsRecord*>(this), 0, sizeof(SettingsRecord)); }

int CTQSettings::Validate() {
  if (encoder_count == 0 || decoder_count == 0) return 0;
  if (default_encoder >= encoder_count) default_encoder = 0;
  if (default_decoder >= decoder_count) default_decoder = 0;
  if (default_content >= content_count) default_content = 0;
  return 1;
}

uint32_t CTQSettings::AddContent(const char* name) { return AddToList(content, content_count, name); }
uint32_t CTQSettings::AddEncoder(const char* name) { return AddToList(encoder, encoder_count, name); }
uint32_t CTQSettings::AddDecoder(const char* name) { return AddToList(decoder, decoder_count, name); }

uint32_t CTQSettings::RemoveContent(uint32_t index) {
  return RemoveFromList(content, content_count, default_content, index);
}
uint32_t CTQSettings::RemoveEncoder(uint32_t index) {
  return RemoveFromList(encoder, encoder_count, default_encoder, index);
}
uint32_t CTQSettings::RemoveDecoder(uint32_t index) {
  return RemoveFromList(decoder, decoder_count, default_decoder, index);
}

const char* CTQSettings::GetContent(uint32_t index) const { return ListEntry(content, content_count, index); }
const char* CTQSettings::GetEncoder(uint32_t index) const { return ListEntry(encoder, encoder_count, index); }
const char* CTQSettings::GetDecoder(uint32_t index) const { return ListEntry(decoder, decoder_count, index); }

const char* CTQSettings::GetActiveContent() const { return ListEntry(content, content_count, default_content); }
const char* CTQSettings::GetActiveEncoder() const { return ListEntry(encoder, encoder_count, default_encoder); }
const char* CTQSettings::GetActiveDecoder() const { return ListEntry(decoder, decoder_count, default_decoder); }

// A 4-byte float is loaded and stored whole by the hardware; the atomic builtins make that explicit
// to the compiler and to the thread sanitizer without turning the record's field into an atomic type.
float CTQSettings::LoadRefreshRate() const {
  float value;
  __atomic_load(&refresh_rate, &value, __ATOMIC_RELAXED);
  return value;
}

void CTQSettings::StoreRefreshRate(float value) { __atomic_store(&refresh_rate, &value, __ATOMIC_RELAXED); }
