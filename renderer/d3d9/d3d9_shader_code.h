// The code that D3DXCompileShader hands out and Create*Shader takes: the translated shader's bytes
// (hlsl_translated_shader_wire.h) in DWORDs, led by a tag and the byte count and closed by the end token
// D3DSIO_END, so that code of unknown length can be measured and checked as Direct3D 9 byte code is.
#pragma once

#include <string>
#include <vector>

#include "shell/win32/win32_types.h"

std::vector<DWORD> PackShaderCode(const std::string& bytes);

// The bytes of packed code; false for code that is not (a wrong tag, an absurd length, no end token
// where the length says).
bool UnpackShaderCode(const DWORD* code, std::string* bytes);
