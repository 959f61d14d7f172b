#include "renderer/hlsl/hlsl_include_case.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string FindHlslIncludeIgnoringCase(const std::string& directory, const std::string& name,
                                        std::string* error) {
  namespace fs = std::filesystem;
  error->clear();
  const fs::path relative(name);
  if (relative.empty() || !relative.is_relative()) return "";
  fs::path current = directory.empty() ? fs::path(".") : fs::path(directory);
  for (const fs::path& part : relative) {
    const std::string text = part.string();
    std::error_code ec;
    if (text.empty() || text == "." || text == ".." || fs::exists(current / part, ec)) {
      current /= part;
      continue;
    }
    std::vector<std::string> matches;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string entry = it->path().filename().string();
      if (SameIgnoringCase(entry, text)) matches.push_back(entry);
    }
    if (matches.empty()) return "";
    if (matches.size() > 1) {
      std::sort(matches.begin(), matches.end());
      *error = "'" + name + "' matches both '" + (current / matches[0]).lexically_normal().string() + "' and '" +
               (current / matches[1]).lexically_normal().string() + "', which differ only in letter case";
      return "";
    }
    current /= matches[0];
  }
  std::error_code ec;
  if (!fs::is_regular_file(current, ec)) return "";
  return current.lexically_normal().string();
}
