// The limits of Direct3D 9 shader model 3 that the compiler holds shaders to and the device sizes its
// register files by, and the token that closes compiled shader code: one place for both sides.
#pragma once

#include <cstdint>

constexpr uint32_t kShaderCodeEndToken = 0x0000FFFF;  // D3DSIO_END
constexpr uint32_t kVertexFloatRegisters = 256;
constexpr uint32_t kPixelFloatRegisters = 224;
constexpr uint32_t kVertexSamplers = 4;
constexpr uint32_t kPixelSamplers = 16;
constexpr uint32_t kPixelRenderTargets = 4;
