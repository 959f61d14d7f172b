// The settings script: the scanner that reads it, and Load and Save of the store.
#include "settings/settings_script.h"

#include <cstdlib>
#include <cstring>

#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "settings/settings_numbers.h"

SettingsCharClass ClassifyChar(uint8_t byte) {
  switch (byte) {
    case '\0':
    case '\t':
    case ' ':
      return CHAR_BLANK;
    case '\n':
    case '\r':
      return CHAR_LINE_END;
    case '+':
      return CHAR_PLUS;
    case '=':
      return CHAR_EQUALS;
    case ';':
      return CHAR_SEMICOLON;
    case '/':
      return CHAR_SLASH;
    default:
      return CHAR_WORD;
  }
}

static SettingsCharClass ClassAt(const char* text, size_t i) {
  return ClassifyChar(static_cast<uint8_t>(text[i]));
}

size_t SkipBlanks(const char* text, size_t n) {
  bool in_comment = false;
  for (size_t i = 0; i < n; ++i) {
    SettingsCharClass c = ClassAt(text, i);
    if (in_comment) {
      if (c == CHAR_LINE_END) in_comment = false;
    } else if (c == CHAR_WORD) {
      return i;
    } else if (c == CHAR_SLASH && i + 1 < n && ClassAt(text, i + 1) == CHAR_SLASH) {
      in_comment = true;
    }
  }
  return n;
}

namespace {

// Scans from the key (s) for the statement's ';'. Each '=' starts the value anew at the first word
// byte after it; the ';' that follows a value ends the statement and is replaced by NUL for the
// row's conversion. Returns the bytes used: through the ';', or all n when no statement end comes.
size_t ParseValue(CTQSettings& store, const SettingsKeyEntry& row, char* s, size_t n) {
  size_t start = 0;  // 0: no '=' seen yet
  for (size_t i = 0; i < n; ++i) {
    SettingsCharClass c = ClassAt(s, i);
    if (c == CHAR_EQUALS) {
      start = i + 1 + SkipBlanks(s + i + 1, n - (i + 1));
    } else if (c == CHAR_SEMICOLON && start != 0) {
      // An empty value (nothing but blanks, line ends or comments after the '='): the search for
      // its first byte ran past this ';'. The statement ends here and the key keeps its value.
      if (start < i) {
        s[i] = '\0';
        row.parse(store, s + start, i - start);
      }
      return i + 1;
    }
  }
  return n;
}

// Passes over text that begins with no key, up to and including the next ';' or line end.
size_t SkipUnknownText(const char* text, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    SettingsCharClass c = ClassAt(text, i);
    if (c == CHAR_SEMICOLON || c == CHAR_LINE_END) return i + 1;
  }
  return n;
}

}  // namespace

size_t ParseStatement(CTQSettings& store, char* buffer, size_t offset, size_t r) {
  if (r == 0) return 0;
  char* statement = buffer + offset;
  size_t pos = SkipBlanks(statement, r);
  if (pos == r) return r;
  size_t left = r - pos;
  for (const SettingsKeyEntry& row : kSettingsKeys) {
    size_t key_length = strlen(row.key);
    if (key_length <= left && memcmp(statement + pos, row.key, key_length) == 0) {
      return pos + ParseValue(store, row, statement + pos, left);
    }
  }
  return pos + SkipUnknownText(statement + pos, left);
}

void ParseScript(CTQSettings& store, char* buffer, size_t size) {
  size_t p = 0;
  while (p < size) p += ParseStatement(store, buffer, p, size - p);
}

int CTQSettings::Load(const char* path) {
  if (path == nullptr) return 1;
  Reset();
  char* buffer;
  size_t size;
  if (ReadWholeFile(path, &buffer, &size) != 0) return 1;
  ParseScript(*this, buffer, size);
  free(buffer);
  return Validate() ? 0 : 1;
}

int CTQSettings::Save(const char* path) {
  if (path == nullptr) return 1;
  ReplacementFile replacement;
  if (BeginReplacement(path, &replacement) != 0) return 1;
  // Numbers are written with a '.' whatever the process locale says, so that every run reads them.
  locale_t classic = ClassicLocale();
  locale_t previous = classic ? uselocale(classic) : static_cast<locale_t>(0);
  fprintf(replacement.file, "//\n// Vantor Script\n//\n\n");
  for (const SettingsKeyEntry& row : kSettingsKeys) row.write(row, *this, replacement.file);
  if (previous) uselocale(previous);
  return CommitReplacement(&replacement);
}
