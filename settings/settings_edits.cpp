// Edits by display name: the value is converted to UTF-8 and handed to the row's edit rule.
#include "settings/settings_edits.h"

#include <codecvt>
#include <cwchar>
#include <locale>

#include "settings/settings_keys.h"

namespace {

constexpr size_t kEditTextSize = 260;  // bytes; the conversion may use 259, terminator included

const SettingsKeyEntry* FindRow(const wchar_t* name) {
  if (name == nullptr) return nullptr;
  for (const SettingsKeyEntry& row : kSettingsKeys) {
    if (wcscmp(row.display_name, name) == 0) return &row;
  }
  return nullptr;
}

// UTF-16 (a wchar_t per unit or per code point; surrogate pairs are joined) to UTF-8 in text,
// which is zero-filled. 0 on success; 1 for text that is not valid or needs more than 258 bytes.
int ToUtf8(const wchar_t* value, char (&text)[kEditTextSize]) {
  std::codecvt_utf8_utf16<wchar_t> converter;
  std::mbstate_t state{};
  const wchar_t* end = value + wcslen(value);
  const wchar_t* value_next = value;
  char* text_next = text;
  std::codecvt_base::result result = converter.out(state, value, end, value_next, text, text + (kEditTextSize - 2),
                                                   text_next);
  return (result == std::codecvt_base::ok && value_next == end) ? 0 : 1;
}

}  // namespace

int ApplyEdit(const wchar_t* name, const wchar_t* value) {
  if (value == nullptr) return 1;
  char text[kEditTextSize] = {};
  if (ToUtf8(value, text) != 0) return 1;
  const SettingsKeyEntry* row = FindRow(name);
  if (row == nullptr) return 1;
  return row->edit(*row, g_settings, text);
}

const wchar_t* GetDescription(const wchar_t* name) {
  const SettingsKeyEntry* row = FindRow(name);
  return row ? row->description : nullptr;
}
