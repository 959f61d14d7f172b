// The key table: one row per script key, with the key's name in the script, its display name and
// help text in the property windows, how its value is read from and written to the script, and how
// an edited value is checked and stored. The script reader and writer and the edits all walk it.
#pragma once

#include <cstddef>
#include <cstdio>

#include "settings/settings.h"

struct SettingsKeyEntry {
  const char* key;              // script key, matched case-sensitively
  const wchar_t* display_name;  // shown in the property windows, names the setting in edits
  const wchar_t* description;   // help text; begins with one space
  const char* format;           // printf format of the key's line (one line per entry for a list)
  // Stores the value text (NUL-terminated, length bytes, quotes and blanks as written).
  void (*parse)(CTQSettings& store, char* value, size_t length);
  // Writes the key's line, or one line per entry for a list.
  void (*write)(const SettingsKeyEntry& row, const CTQSettings& store, FILE* file);
  // Checks an edited value (UTF-8) against edit_low/edit_high and stores it: 0 stored, 1 refused.
  int (*edit)(const SettingsKeyEntry& row, CTQSettings& store, const char* text);
  double edit_low;
  double edit_high;
};

constexpr unsigned kSettingsKeyCount = 22;
extern const SettingsKeyEntry kSettingsKeys[kSettingsKeyCount];
