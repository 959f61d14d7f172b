#include "renderer/hlsl/hlsl_include_files.h"

#include <sstream>

namespace {

// Finds a `#pragma once` line and blanks it (glslang would warn that it does not implement it).
bool TakePragmaOnce(std::string* text) {
  size_t pos = 0;
  while (pos < text->size()) {
    size_t end = text->find('\n', pos);
    if (end == std::string::npos) end = text->size();
    std::istringstream line(text->substr(pos, end - pos));
    std::string hash, pragma, once;
    line >> hash;
    if (hash == "#") {
      line >> pragma >> once;
    } else if (hash == "#pragma") {
      pragma = "pragma";
      line >> once;
    }
    if (pragma == "pragma" && once == "once") {
      text->replace(pos, end - pos, "");
      return true;
    }
    pos = end + 1;
  }
  return false;
}

}  // namespace

void CTQHlslIncludes::Initialize(const std::string& mainName, CTQHlslIncludeSource* source) {
  Shutdown();
  mainName_ = mainName;
  source_ = source;
}

bool CTQHlslIncludes::Open(const std::string& name, bool system, const std::string& includerName, size_t depth,
                           std::string* resolvedName, std::string* text, std::string* error) {
  if (depth > kMaxHlslIncludeDepth) {
    *error = "#include nested more than " + std::to_string(kMaxHlslIncludeDepth) +
             " levels deep (a file that includes itself, or a cycle of includes?)";
    return false;
  }
  if (++count_ > kMaxHlslIncludeCount) {
    *error = "more than " + std::to_string(kMaxHlslIncludeCount) + " #include directives";
    return false;
  }
  if (!source_) {
    *error = "'" + name + "' cannot be opened: no include look-up";
    return false;
  }
  HlslIncludeQuery query;
  query.name = name;
  query.system = system;
  query.includerName = includerName.empty() ? mainName_ : includerName;
  query.depth = static_cast<uint32_t>(depth);
  HlslIncludeAnswer answer = source_->Open(query);
  if (!answer.found) {
    *error = answer.text;
    return false;
  }
  *resolvedName = answer.resolvedName;
  *text = std::move(answer.text);
  bytes_ += text->size();
  if (bytes_ > kMaxHlslIncludeBytes) {
    *error = "included files exceed " + std::to_string(kMaxHlslIncludeBytes) + " bytes";
    return false;
  }
  if (!macroSizes_.Scan(*text, *resolvedName, error)) return false;
  bool seen = !seenFiles_.insert(*resolvedName).second;
  if (TakePragmaOnce(text)) {
    if (seen && pragmaOnceFiles_.count(*resolvedName)) text->clear();
    pragmaOnceFiles_.insert(*resolvedName);
  }
  return true;
}

void CTQHlslIncludes::Shutdown() {
  pragmaOnceFiles_.clear();
  seenFiles_.clear();
  macroSizes_ = CTQHlslMacroSizes();
  source_ = nullptr;
  count_ = 0;
  bytes_ = 0;
}
