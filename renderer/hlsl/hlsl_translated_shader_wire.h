// A translated shader (GLSL and register map, shader_translation.h) as bytes: what the compile process
// sends back and what the code buffer of D3DXCompileShader carries to Create*Shader. Decoding is length-
// checked (hlsl_wire.h) and checks every enumerated value, so damaged code is refused, never half read.
#pragma once

#include <string>

#include "renderer/hlsl/shader_translation.h"

std::string EncodeTranslatedShader(const TranslatedShader& shader);
bool DecodeTranslatedShader(const std::string& bytes, TranslatedShader* shader);
