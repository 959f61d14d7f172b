// A bound on how deeply a shader's expressions and blocks nest, and the pairing of their brackets.
// glslang's HLSL parser and its tree walks recurse once per level: 20,000 nested parentheses (or an
// expression of 20,000 chained operators) overflow the stack and end the process. Real shaders stay far
// below the bound. Unpaired brackets are a syntax error that can also crash glslang.
#pragma once

#include <string>

#include "renderer/hlsl/hlsl_tokens.h"

constexpr int kMaxHlslNesting = 4096;

// The nesting of a position is the number of open brackets plus the operators chained at each open
// level since its last `,` or `;` (a closed bracket counts as one operator of the level around it).
// Returns false, with "file:line: error: ..." in *error, when any position exceeds kMaxHlslNesting, or
// when the brackets ( ) [ ] { } do not pair up (one left open, closed by the wrong kind, or closed
// without being opened).
bool CheckHlslNesting(const HlslTokenList& list, std::string* error);
