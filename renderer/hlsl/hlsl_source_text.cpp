#include "renderer/hlsl/hlsl_source_text.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

namespace {

void AppendUtf8(char32_t code, std::string* out) {
  if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | (code >> 6));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += static_cast<char>(0xE0 | (code >> 12));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (code >> 18));
    *out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool DecodeUtf16(const unsigned char* p, size_t size, bool bigEndian, std::string* out, std::string* error) {
  if (size % 2 != 0) {
    *error = "not shader text: UTF-16 file with an odd number of bytes";
    return false;
  }
  auto unit = [&](size_t i) -> char32_t {
    return bigEndian ? static_cast<char32_t>((p[i] << 8) | p[i + 1])
                     : static_cast<char32_t>(p[i] | (p[i + 1] << 8));
  };
  for (size_t i = 0; i < size; i += 2) {
    char32_t code = unit(i);
    if (code >= 0xD800 && code <= 0xDBFF) {
      char32_t low = i + 3 < size ? unit(i + 2) : 0;
      if (low < 0xDC00 || low > 0xDFFF) {
        *error = "not shader text: invalid UTF-16 surrogate pair";
        return false;
      }
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      *error = "not shader text: invalid UTF-16 surrogate pair";
      return false;
    }
    AppendUtf8(code, out);
  }
  return true;
}

}  // namespace

bool DecodeHlslSourceText(const char* bytes, size_t size, std::string* text, std::string* error) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  text->clear();
  if (size >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
    bool bigEndian = p[0] == 0xFE;
    size_t body = size - 2;
    while (body >= 2 && p[2 + body - 1] == 0 && p[2 + body - 2] == 0) body -= 2;  // trailing NUL units
    if (!DecodeUtf16(p + 2, body, bigEndian, text, error)) return false;
  } else {
    size_t start = (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) ? 3 : 0;
    size_t end = size;
    while (end > start && p[end - 1] == 0) --end;
    text->assign(bytes + start, end - start);
  }
  if (text->size() > kMaxHlslSourceBytes) {
    *error = "shader source larger than " + std::to_string(kMaxHlslSourceBytes) + " bytes";
    return false;
  }
  // Text files hold no NUL bytes and few control characters; a stray one in a comment is tolerated.
  size_t controls = 0;
  for (unsigned char c : *text) {
    if (c == 0) {
      *error = "not shader text: the data contains NUL bytes (a binary file?)";
      return false;
    }
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v' && c != 0x1A) ++controls;
  }
  if (controls > 0 && controls * 100 > text->size()) {
    *error = "not shader text: the data is mostly control characters (a binary file?)";
    return false;
  }
  return true;
}

bool ReadHlslSourceFile(const std::string& path, std::string* text, std::string* error) {
  struct stat info;
  if (path.empty() || stat(path.c_str(), &info) != 0) {
    *error = "cannot open '" + path + "'";
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *error = "'" + path + "' is not a regular file";
    return false;
  }
  if (static_cast<unsigned long long>(info.st_size) > 2ull * kMaxHlslSourceBytes + 4) {
    *error = "'" + path + "' is larger than " + std::to_string(kMaxHlslSourceBytes) + " bytes";
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = "cannot open '" + path + "'";
    return false;
  }
  std::vector<char> bytes(static_cast<size_t>(info.st_size) + 1);
  size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (got == bytes.size()) {
    *error = "'" + path + "' grew while it was read";
    return false;
  }
  if (!DecodeHlslSourceText(bytes.data(), got, text, error)) {
    *error = "'" + path + "': " + *error;
    return false;
  }
  return true;
}
