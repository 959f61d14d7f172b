#include "renderer/hlsl/hlsl_file_includes.h"

#include <filesystem>
#include <system_error>

#include "renderer/hlsl/hlsl_include_case.h"
#include "renderer/hlsl/hlsl_source_text.h"

void CTQHlslFileIncludes::Initialize(const std::string& mainName, const std::string& mainDirectory,
                                     const std::vector<std::string>& searchDirectories) {
  main_name_ = mainName;
  main_directory_ = mainDirectory;
  search_directories_ = searchDirectories;
}

std::string CTQHlslFileIncludes::DirectoryOf(const std::string& includerName) const {
  if (includerName.empty() || includerName == main_name_) return main_directory_;
  return std::filesystem::path(includerName).parent_path().string();
}

HlslIncludeAnswer CTQHlslFileIncludes::Resolve(const HlslIncludeQuery& query) {
  namespace fs = std::filesystem;
  HlslIncludeAnswer answer;
  const fs::path name(query.name);
  struct Place {
    std::string folder;  // "" = the working folder
    std::string below;   // the name below it
  };
  std::vector<Place> places;
  if (name.is_relative()) {
    places.push_back({DirectoryOf(query.includerName), query.name});
    for (const std::string& search : search_directories_) places.push_back({search, query.name});
  } else {
    places.push_back({name.root_path().string(), name.relative_path().string()});
  }
  std::string firstError;
  for (const Place& place : places) {
    std::string path = (place.folder.empty() ? fs::path(place.below) : fs::path(place.folder) / place.below)
                           .lexically_normal()
                           .string();
    std::error_code ignored;
    if (!fs::exists(path, ignored)) {
      // Written for a system whose file names ignore letter case?
      std::string ambiguity;
      const std::string found = FindHlslIncludeIgnoringCase(place.folder, place.below, &ambiguity);
      if (!ambiguity.empty()) {
        answer.text = ambiguity;
        return answer;
      }
      if (!found.empty()) path = found;
    }
    // Beside the including file the reason it could not be read is the one to tell; the search folders
    // are tried only for a name that is not there.
    if (!firstError.empty() && !fs::exists(path, ignored)) continue;
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
