#include "renderer/d3d9/d3d9_shader_code.h"

#include <cstring>

#include "renderer/d3d9/d3d9.h"

namespace {

constexpr DWORD kShaderCodeTag = 0x48535154;  // "TQSH"
// Far beyond any shader the compiler makes: the compile process's frames are bounded below this.
constexpr DWORD kMaxShaderCodeBytes = 64u << 20;

}  // namespace

std::vector<DWORD> PackShaderCode(const std::string& bytes) {
  const size_t words = (bytes.size() + 3) / 4;
  std::vector<DWORD> code(2 + words + 1, 0);
  code[0] = kShaderCodeTag;
  code[1] = static_cast<DWORD>(bytes.size());
  if (!bytes.empty()) std::memcpy(&code[2], bytes.data(), bytes.size());
  code.back() = D3DSIO_END;
  return code;
}

bool UnpackShaderCode(const DWORD* code, std::string* bytes) {
  if (!code || code[0] != kShaderCodeTag || code[1] > kMaxShaderCodeBytes) return false;
  const size_t words = (code[1] + 3) / 4;
  if (code[2 + words] != D3DSIO_END) return false;
  bytes->assign(reinterpret_cast<const char*>(code + 2), code[1]);
  return true;
}
