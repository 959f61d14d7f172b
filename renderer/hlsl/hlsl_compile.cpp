#include "renderer/hlsl/hlsl_compile.h"

#include <cctype>
#include <cstring>
#include <filesystem>

#include "renderer/hlsl/hlsl_compiler.h"
#include "renderer/hlsl/hlsl_source_text.h"

namespace {

// "#define NAME VALUE" lines for the macros; false when a name is not an identifier (optionally with a
// parameter list).
bool DefineLines(const std::vector<HlslDefine>& defines, std::string* lines, std::string* error) {
  for (const HlslDefine& define : defines) {
    const std::string& name = define.name;
    size_t identifierEnd = 0;
    while (identifierEnd < name.size() &&
           (std::isalnum(static_cast<unsigned char>(name[identifierEnd])) || name[identifierEnd] == '_'))
      ++identifierEnd;
    bool valid = identifierEnd > 0 && !std::isdigit(static_cast<unsigned char>(name[0])) &&
                 (identifierEnd == name.size() ||
                  (name[identifierEnd] == '(' && name.back() == ')' && name.find('\n') == std::string::npos));
    if (!valid) {
      *error = "invalid macro name '" + name + "'";
      return false;
    }
    std::string value = define.definition;
    for (char& c : value) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    *lines += "#define " + name + " " + value + "\n";
  }
  return true;
}

}  // namespace

HlslCompileResult CompileHlsl(const HlslCompileRequest& request) {
  HlslCompileResult result;
  HlslCompileInput input;
  if (!HlslStageOfProfile(request.profile.c_str(), &input.vertexStage)) {
    result.messages = "error: unsupported profile '" + request.profile + "' or missing entry point name\n";
    result.status = kHlslInvalidCall;
    return result;
  }
  std::string error;
  if (!request.fromFile) {
    input.mainName = request.sourceName.empty() ? "memory" : request.sourceName;
    if (!DecodeHlslSourceText(request.source.data(), request.source.size(), &input.text, &error)) {
      result.messages = input.mainName + ": error: " + error + "\n";
      result.status = kHlslInvalidData;
      return result;
    }
  } else {
    input.mainName = request.sourceFile;
    input.mainDirectory = std::filesystem::path(request.sourceFile).parent_path().string();
    if (!ReadHlslSourceFile(request.sourceFile, &input.text, &error)) {
      result.messages = request.sourceFile + ": error: " + error + "\n";
      result.status = kHlslInvalidData;
      return result;
    }
  }
  if (!DefineLines(request.defines, &input.defines, &result.messages)) {
    result.status = kHlslInvalidCall;
    return result;
  }
  input.includeHandler = request.includes;
  input.entryPoint = request.entryPoint;
  input.profile = request.profile;
  result.status = CompileHlslModule(input, &result.spirv, &result.shader, &result.messages);
  return result;
}
