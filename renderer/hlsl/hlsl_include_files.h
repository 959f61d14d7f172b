// Finds and reads the files a shader #includes: relative to the including file (the main source's own
// directory for its includes), or through a caller's include source. Bounds what hostile sources can ask
// for: nesting depth (an include of itself or a cycle ends here), number of includes and total bytes.
// A file that holds `#pragma once` is included only once. Every text passes the macro-size bound
// (hlsl_macro_limit.h) before glslang reads it.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_include_source.h"
#include "renderer/hlsl/hlsl_macro_limit.h"

constexpr size_t kMaxHlslIncludeDepth = 32;
constexpr size_t kMaxHlslIncludeCount = 256;
constexpr size_t kMaxHlslIncludeBytes = 8u << 20;

class CTQHlslIncludes {
 public:
  // mainName: how the main source is named in messages and by the includer argument of Open.
  // mainDirectory: where includes of the main source are looked up ("" = the working directory).
  // handler: the caller's include source, or null to read files.
  void Initialize(const std::string& mainName, const std::string& mainDirectory, CTQHlslIncludeSource* handler);

  // Resolves `name` (from #include "name", or <name> when `system`), included by the file named
  // `includerName` at nesting `depth` (1 = included by the main source). On success *resolvedName names
  // the file for messages and for its own includes, and *text holds its decoded text.
  bool Open(const std::string& name, bool system, const std::string& includerName, size_t depth,
            std::string* resolvedName, std::string* text, std::string* error);

  // The macro-size bound for a text glslang reads that does not come through Open (the main source,
  // the macro definitions of the caller).
  bool CheckMacros(const std::string& text, const std::string& name, std::string* error) {
    return macro_sizes_.Scan(text, name, error);
  }

  // Gives the handler back everything it opened. Safe to repeat.
  void Shutdown();

  virtual ~CTQHlslIncludes() = default;

 private:
  std::string DirectoryOf(const std::string& includerName) const;

  std::string main_name_;
  std::string main_directory_;
  CTQHlslIncludeSource* handler_ = nullptr;
  std::vector<const void*> handler_data_;           // open handler data, closed by Shutdown
  std::map<std::string, const void*> parent_data_;  // resolved name -> its handler data
  CTQHlslMacroSizes macro_sizes_;
  std::set<std::string> pragma_once_files_;
  std::set<std::string> seen_files_;
  size_t count_ = 0;
  size_t bytes_ = 0;
};
