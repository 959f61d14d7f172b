// Internal contract between the HLSL compiler (d3dx9_shader.cpp, which produces SPIR-V) and the device
// (d3d9_device.cpp, which creates GL shader objects): SPIR-V from the HLSL front end is turned into GLSL
// 4.10 that follows the Direct3D 9 conventions the device relies on:
//
//  - Float constant registers c0..cN-1 are one array `uniform vec4 <floatConstantArray>[floatConstantRegisters]`,
//    element i being register ci, a direct image of the device's shadow register file.
//    Where a shader still holds int/bool constants (the HLSL bridges turn the usual forms into float
//    constants; int/bool cannot share the flattened array), every constant
//    of that shader is a uniform listed in `plainConstants` (glslName "tq_ps_c.c<register>", a member of
//    a uniform of structure type); its value comes from the float register file too, converted:
//    kFloat is float/vecN (glUniform*fv), kInt is int (glUniform1iv, the float truncated), kBool is
//    uint (glUniform1uiv, 1 where the float is not 0).
//  - Samplers are `uniform sampler2D` named in `samplers`, each bound to texture unit = its s register;
//    an array of `count` samplers takes the units of its s registers, one after the other.
//  - Varyings have fixed locations by semantic: TEXCOORDn -> n (0..7), COLORn -> 8 + n (0..1),
//    so any vertex/pixel shader pair links. Pixel outputs COLORn / SV_TARGETn -> location n.
//    Vertex inputs (attributes) by semantic: POSITION -> 0, NORMAL -> 1, COLOR0/COLOR1 -> 2/3,
//    TEXCOORD0..7 -> 8..15 (FVF 0x102 feeds locations 0 and 8). A vertex output POSITION is gl_Position.
//  - Names are stage-prefixed (tq_vs_... / tq_ps_...), so the two stages of a program never share a
//    uniform by accident.
//  - `words` may end with the D3DSIO_END token (0x0000FFFF) that closes the code buffer of
//    D3DXCompileShader; it is ignored.
//  - Every render target, the back buffer included, is stored top row first (Direct3D 9 memory order).
//    The vertex stage therefore ends with
//        gl_Position.xy += tq_PixelOffset * gl_Position.w;   gl_Position.y = -gl_Position.y;
//    where `uniform vec2 tq_PixelOffset` is set by the device at each draw to (1/W, -1/H) of render
//    target 0 (Direct3D 9 puts pixel centres on integer coordinates; GL puts them at +0.5).
//  - A pixel input with semantic VPOS reads the pixel's integer position, (0,0) at the top-left:
//    floor(gl_FragCoord.xy) in that flipped target.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_status.h"

struct TranslatedSampler {
  std::string glslName;
  uint32_t unit;       // the s register (of element 0 of an array)
  uint32_t count = 1;  // elements of an array of samplers
};

struct TranslatedPlainConstant {
  std::string glslName;
  uint32_t firstRegister;  // the c register holding element 0
  uint32_t registerCount;  // registers spanned (arrays, matrices)
  enum Kind { kFloat, kInt, kBool } kind;
  uint32_t components;  // 1..4 per register
  uint32_t arraySize;   // 1 for a non-array
};

struct TranslatedShader {
  bool isPixelShader = false;
  std::string glsl;                // complete "#version 410 core" source
  std::string floatConstantArray;  // empty when the shader reads no float registers
  uint32_t floatConstantRegisters = 0;
  std::vector<TranslatedPlainConstant> plainConstants;
  std::vector<TranslatedSampler> samplers;
  bool usesPixelOffset = false;  // vertex stage declares tq_PixelOffset
};

// Translates one SPIR-V module produced by D3DXCompileShader / D3DXCompileShaderFromFileA.
// Returns kHlslOk, or a failing status with the reason in *log.
HlslStatus TranslateSpirvToGlsl(const uint32_t* words, size_t wordCount, TranslatedShader* out, std::string* log);
