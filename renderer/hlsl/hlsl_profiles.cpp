// The profiles the compiler takes. Apart from the compiler itself, so that a caller that only sends
// compiles to the compile process can check a profile without linking it.
#include <cstring>

#include "renderer/hlsl/hlsl_compile.h"

bool HlslStageOfProfile(const char* profile, bool* vertexStage) {
  static const char* const kVertex[] = {"vs_2_0", "vs_2_a", "vs_3_0"};
  static const char* const kPixel[] = {"ps_2_0", "ps_2_a", "ps_2_b", "ps_3_0"};
  for (const char* p : kVertex) {
    if (std::strcmp(profile, p) == 0) return *vertexStage = true;
  }
  for (const char* p : kPixel) {
    if (std::strcmp(profile, p) == 0) {
      *vertexStage = false;
      return true;
    }
  }
  return false;
}
