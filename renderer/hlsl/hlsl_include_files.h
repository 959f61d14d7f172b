// The #include bookkeeping of one compile: each include is resolved by an include source (the player's,
// over the compile process's pipes: relative to the including file, or through a caller's ID3DXInclude;
// the command-line tool's, with its -I folders). Bounds what hostile sources can ask for: nesting depth
// (an include of itself or a cycle ends here), number of includes and total bytes.
// A file that holds `#pragma once` is included only once. Every text passes the macro-size bound
// (hlsl_macro_limit.h) before glslang reads it.
#pragma once

#include <cstddef>
#include <set>
#include <string>

#include "renderer/hlsl/hlsl_compile_process.h"
#include "renderer/hlsl/hlsl_macro_limit.h"

constexpr size_t kMaxHlslIncludeDepth = 32;
constexpr size_t kMaxHlslIncludeCount = 256;
constexpr size_t kMaxHlslIncludeBytes = 8u << 20;

class CTQHlslIncludes {
 public:
  // mainName: how the main source is named in messages. source: resolves and reads each include, or null
  // when the compile has no include look-up (every #include then fails).
  void Initialize(const std::string& mainName, CTQHlslIncludeSource* source);

  // Resolves `name` (from #include "name", or <name> when `system`), included by the file named
  // `includerName` at nesting `depth` (1 = included by the main source). On success *resolvedName names
  // the file for messages and for its own includes, and *text holds its decoded text.
  bool Open(const std::string& name, bool system, const std::string& includerName, size_t depth,
            std::string* resolvedName, std::string* text, std::string* error);

  // The macro-size bound for a text glslang reads that does not come through Open (the main source,
  // the macro definitions of the caller).
  bool CheckMacros(const std::string& text, const std::string& name, std::string* error) {
    return macroSizes_.Scan(text, name, error);
  }

  // Forgets this compile's includes. Safe to repeat.
  void Shutdown();

  virtual ~CTQHlslIncludes() = default;

 private:
  std::string mainName_;
  CTQHlslIncludeSource* source_ = nullptr;
  CTQHlslMacroSizes macroSizes_;
  std::set<std::string> pragmaOnceFiles_;
  std::set<std::string> seenFiles_;
  size_t count_ = 0;
  size_t bytes_ = 0;
};
