// What `[` `]` hold in a shader: an array size, an index or an attribute, each one expression (or
// nothing, for an array of unknown size). glslang 12 reads one expression there and, when the closing
// `]` does not follow it (`float2 o[4 x] = {...}`, `o[4,4]`, `o[4h]`), goes on with a broken declaration
// and dereferences null. Such text is a syntax error for the Direct3D 9 compiler too, so it is refused
// before glslang with a message. Runs on balanced brackets (hlsl_nesting_limit.h checks them first).
#pragma once

#include <string>

#include "renderer/hlsl/hlsl_tokens.h"

// Returns false, with "file:line: error: ..." in *error, at the first `[...]` that does not hold one
// expression.
bool CheckHlslBracketContents(const HlslTokenList& list, std::string* error);
