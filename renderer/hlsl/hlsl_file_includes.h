// Include look-up from files, as Direct3D 9's compiler does when compiling a file without an include
// handler: an #include names a file relative to the file that includes it (the main source's folder for
// its own includes); an absolute name is taken as it is. The command-line tool adds its -I folders,
// searched in order when the name is not found beside the including file. In each place a name that does
// not exist as written is looked for letter case aside (hlsl_include_case.h).
#pragma once

#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_compile_process.h"

class CTQHlslFileIncludes : public CTQHlslIncludeResolver {
 public:
  // mainName: the main source's name as the compile names it (its includes come with it as includer).
  // mainDirectory: the folder of the main source ("" = the working folder).
  void Initialize(const std::string& mainName, const std::string& mainDirectory,
                  const std::vector<std::string>& searchDirectories = {});
  HlslIncludeAnswer Resolve(const HlslIncludeQuery& query) override;

 private:
  std::string DirectoryOf(const std::string& includerName) const;

  std::string main_name_;
  std::string main_directory_;
  std::vector<std::string> search_directories_;
};
