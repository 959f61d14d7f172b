#include "renderer/hlsl/hlsl_include_files.h"

#include <filesystem>
#include <sstream>
#include <system_error>

#include "renderer/hlsl/hlsl_include_case.h"
#include "renderer/hlsl/hlsl_source_text.h"

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

void CTQHlslIncludes::Initialize(const std::string& mainName, const std::string& mainDirectory,
                                 CTQHlslIncludeSource* handler) {
  Shutdown();
  main_name_ = mainName;
  main_directory_ = mainDirectory;
  handler_ = handler;
}

std::string CTQHlslIncludes::DirectoryOf(const std::string& includerName) const {
  if (includerName.empty() || includerName == main_name_) return main_directory_;
  return std::filesystem::path(includerName).parent_path().string();
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
  if (handler_) {
    const void* parent = nullptr;
    auto found = parent_data_.find(includerName);
    if (found != parent_data_.end()) parent = found->second;
    const void* data = nullptr;
    uint32_t size = 0;
    const bool opened = handler_->Open(system, name.c_str(), parent, &data, &size);
    if (!opened || (!data && size > 0)) {
      *error = opened ? std::string() : handler_->FailureReason();
      if (error->empty()) *error = "the include handler could not open '" + name + "'";
      return false;
    }
    handler_data_.push_back(data);
    *resolvedName = handler_->ResolvedName(data);
    if (resolvedName->empty()) *resolvedName = name;
    parent_data_[*resolvedName] = data;
    if (!DecodeHlslSourceText(static_cast<const char*>(data), size, text, error)) {
      *error = "'" + name + "': " + *error;
      return false;
    }
  } else {
    std::filesystem::path path(name);
    std::string dir = path.root_path().string();
    std::string below = path.relative_path().string();
    if (path.is_relative()) {
      dir = DirectoryOf(includerName);
      below = name;
      if (!dir.empty()) path = std::filesystem::path(dir) / path;
    }
    *resolvedName = path.lexically_normal().string();
    std::error_code ec;
    if (!std::filesystem::exists(*resolvedName, ec)) {
      // Written for a system whose file names ignore letter case?
      const std::string found = FindHlslIncludeIgnoringCase(dir, below, error);
      if (!error->empty()) return false;
      if (!found.empty()) *resolvedName = found;
    }
    if (!ReadHlslSourceFile(*resolvedName, text, error)) return false;
  }
  bytes_ += text->size();
  if (bytes_ > kMaxHlslIncludeBytes) {
    *error = "included files exceed " + std::to_string(kMaxHlslIncludeBytes) + " bytes";
    return false;
  }
  if (!macro_sizes_.Scan(*text, *resolvedName, error)) return false;
  bool seen = !seen_files_.insert(*resolvedName).second;
  if (TakePragmaOnce(text)) {
    if (seen && pragma_once_files_.count(*resolvedName)) text->clear();
    pragma_once_files_.insert(*resolvedName);
  }
  return true;
}

void CTQHlslIncludes::Shutdown() {
  if (handler_) {
    for (auto it = handler_data_.rbegin(); it != handler_data_.rend(); ++it) handler_->Close(*it);
  }
  handler_data_.clear();
  parent_data_.clear();
  pragma_once_files_.clear();
  seen_files_.clear();
  macro_sizes_ = CTQHlslMacroSizes();
  handler_ = nullptr;
  count_ = 0;
  bytes_ = 0;
}
