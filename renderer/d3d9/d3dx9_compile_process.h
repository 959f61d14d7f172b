// The compile process that D3DXCompileShader / D3DXCompileShaderFromFileA send their work to. The
// compiler executable, tandemix-hlslc, is looked for beside the running program first (where the build
// and the installed layout put it next to the player), then where this build made it (tests and
// benchmarks run from other folders of the build tree). The child starts with the first compile and
// is ended when the program exits.
#pragma once

#include "renderer/hlsl/hlsl_compile_process.h"

CTQHlslCompileProcess* D3DXCompileProcess();
