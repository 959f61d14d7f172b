// glslang lowers HLSL `fmod` and `%` to SPIR-V's floor-style modulo (OpFMod, OpSMod: the result takes
// the sign of the divisor), while Direct3D 9 truncates (the result takes the sign of the dividend:
// fmod(-0.125, 0.3) = -0.125, -5 % 3 = -2). Rewriting them to OpFRem / OpSRem gives HLSL's results.
#pragma once

#include <cstdint>
#include <vector>

// Rewrites the module in place. Returns false when the instruction stream is malformed.
bool UseTruncatingModulo(std::vector<uint32_t>* spirv);
