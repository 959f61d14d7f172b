// libFuzzer target for the settings script reader: any bytes as settings.ini must be read without
// touching memory outside the buffer, without undefined behaviour and without hanging; the store
// that comes out is written back and read again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "settings/settings_script.h"

namespace {

// Runs the reader over a private copy with exactly one byte past the text, as Load provides it.
void ReadScript(CTQSettings& store, const char* data, size_t size) {
  char* buffer = static_cast<char*>(calloc(size + 1, 1));
  if (buffer == nullptr) return;
  memcpy(buffer, data, size);
  store.Reset();
  ParseScript(store, buffer, size);
  free(buffer);
  store.Validate();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CTQSettings store;
  ReadScript(store, reinterpret_cast<const char*>(data), size);

  char* written = nullptr;
  size_t written_size = 0;
  FILE* file = open_memstream(&written, &written_size);
  if (file == nullptr) return 0;
  for (const SettingsKeyEntry& row : kSettingsKeys) row.write(row, store, file);
  fclose(file);
  ReadScript(store, written, written_size);
  free(written);
  return 0;
}
