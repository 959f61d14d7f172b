// The settings script reader, the scanner behind CTQSettings::Load, on a script already in memory.
//
// A script is a sequence of statements "key = value;" or "key += value;" with "//" comments to the
// end of the line. The scanner makes one forward pass. Text at statement level that does not begin
// with a key is passed over up to and including the next ';' or line end, whichever comes first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/settings.h"

enum SettingsCharClass {
  CHAR_BLANK,     // NUL, tab, space
  CHAR_LINE_END,  // LF, CR
  CHAR_PLUS,
  CHAR_EQUALS,
  CHAR_SEMICOLON,
  CHAR_SLASH,
  CHAR_WORD,  // every other byte, 128 and above included
};

SettingsCharClass ClassifyChar(uint8_t byte);

// Index of the first word byte among the first n bytes of text, passing over blanks, line ends,
// '+', '=', ';', lone slashes and "//" comments; n when there is none.
size_t SkipBlanks(const char* text, size_t n);

// Reads one statement from buffer + offset, where r bytes are left; returns how many bytes it used
// (at least 1 while r is not 0). May overwrite the statement's ';' with NUL.
size_t ParseStatement(CTQSettings& store, char* buffer, size_t offset, size_t r);

// Runs the statements of buffer[0 .. size-1] into the store (the store is not reset first). The byte
// at buffer[size] must exist; the scanner reads only below size and writes only ';' bytes it found.
void ParseScript(CTQSettings& store, char* buffer, size_t size);
