// The bytes of a shader file (or of a source given in memory) as the UTF-8 text the compiler reads:
// a UTF-8 byte-order mark is dropped, UTF-16 with a byte-order mark is converted, trailing NUL bytes
// (a length that counts the terminator) are ignored. Binary data and oversized files are refused.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kMaxHlslSourceBytes = 1 << 20;  // one file, after conversion

// Returns false with the reason in *error ("not shader text: ...").
bool DecodeHlslSourceText(const char* bytes, size_t size, std::string* text, std::string* error);

// Reads a whole file (at most kMaxHlslSourceBytes * 2 bytes, UTF-16 being twice as large) and decodes it.
// Only regular files are read, so a device or FIFO name cannot block the compiler.
bool ReadHlslSourceFile(const std::string& path, std::string* text, std::string* error);
