#include "renderer/d3d9/d3dx9_compile_process.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr char kCompilerName[] = "tandemix-hlslc";

std::string FindCompiler() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    std::filesystem::path beside = self.parent_path() / kCompilerName;
    if (access(beside.c_str(), X_OK) == 0) return beside.string();
  }
  return TQ_HLSLC_BUILD_PATH;
}

void EndCompileProcess() { D3DXCompileProcess()->Shutdown(); }

}  // namespace

CTQHlslCompileProcess* D3DXCompileProcess() {
  static CTQHlslCompileProcess* process = [] {
    static CTQHlslCompileProcess instance;
    instance.Initialize(FindCompiler());
    std::atexit(EndCompileProcess);
    return &instance;
  }();
  return process;
}
