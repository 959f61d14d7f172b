#include "renderer/hlsl/hlsl_spirv_modulo.h"

#include <cstddef>

namespace {
constexpr uint32_t kSpirvMagic = 0x07230203;
constexpr uint32_t kHeaderWords = 5;
constexpr uint32_t kOpSRem = 138;
constexpr uint32_t kOpSMod = 139;
constexpr uint32_t kOpFRem = 140;
constexpr uint32_t kOpFMod = 141;
}  // namespace

bool UseTruncatingModulo(std::vector<uint32_t>* spirv) {
  std::vector<uint32_t>& words = *spirv;
  if (words.size() < kHeaderWords || words[0] != kSpirvMagic) return false;
  size_t i = kHeaderWords;
  while (i < words.size()) {
    uint32_t count = words[i] >> 16;
    uint32_t opcode = words[i] & 0xFFFF;
    if (count == 0 || i + count > words.size()) return false;
    if (opcode == kOpFMod) words[i] = (count << 16) | kOpFRem;
    if (opcode == kOpSMod) words[i] = (count << 16) | kOpSRem;
    i += count;
  }
  return true;
}
