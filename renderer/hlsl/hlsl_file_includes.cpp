#include "renderer/hlsl/hlsl_file_includes.h"

#include <filesystem>
#include <system_error>

#include "renderer/hlsl/hlsl_source_text.h"

void CTQHlslFileIncludes::Initialize(const std::string& mainName, const std::string& mainDirectory,
                                     const std::vector<std::string>& searchDirectories) {
  mainName_ = mainName;
  mainDirectory_ = mainDirectory;
  searchDirectories_ = searchDirectories;
}

std::string CTQHlslFileIncludes::DirectoryOf(const std::string& includerName) const {
  if (includerName.empty() || includerName == mainName_) return mainDirectory_;
  return std::filesystem::path(includerName).parent_path().string();
}

HlslIncludeAnswer CTQHlslFileIncludes::Resolve(const HlslIncludeQuery& query) {
  HlslIncludeAnswer answer;
  std::filesystem::path name(query.name);
  std::vector<std::string> candidates;
  if (name.is_relative()) {
    std::string dir = DirectoryOf(query.includerName);
    candidates.push_back((dir.empty() ? name : std::filesystem::path(dir) / name).lexically_normal().string());
    for (const std::string& search : searchDirectories_) {
      candidates.push_back((std::filesystem::path(search) / name).lexically_normal().string());
    }
  } else {
    candidates.push_back(name.lexically_normal().string());
  }
  std::string firstError;
  for (const std::string& path : candidates) {
    std::error_code ignored;
    // Beside the including file the reason it could not be read is the one to tell; the search folders
    // are tried only for a name that is not there.
    if (!firstError.empty() && !std::filesystem::exists(path, ignored)) continue;
    std::string error;
    if (ReadHlslSourceFile(path, &answer.text, &error)) {
      answer.found = true;
      answer.resolvedName = path;
      return answer;
    }
    if (firstError.empty()) firstError = error;
  }
  answer.text = firstError;
  return answer;
}
