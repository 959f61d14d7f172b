// A bound on macro expansion. A few lines such as `#define A1 A0 A0`, `#define A2 A1 A1`, ... expand to
// billions of tokens, and glslang's preprocessor would work on them for minutes. Each text is scanned
// before glslang reads it (the main source, then every include as it is opened), with the sizes of the
// macros defined so far: a macro whose body expands to more than kMaxHlslMacroTokens tokens, counting
// each parameter as one token, is refused.
#pragma once

#include <cstddef>
#include <map>
#include <string>

constexpr size_t kMaxHlslMacroTokens = 1u << 20;

class CTQHlslMacroSizes {
 public:
  // Reads the #define lines of `text`. Returns false with "name: error: ..." in *error when a macro is
  // too large.
  bool Scan(const std::string& text, const std::string& name, std::string* error);

  virtual ~CTQHlslMacroSizes() = default;

 private:
  std::map<std::string, size_t> sizes_;  // expanded token count of each macro
};
