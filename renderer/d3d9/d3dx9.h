// The D3DX 9-shaped helpers in one include: HLSL compilation (d3dx9_shader.h) and texture loading from
// image files (d3dx9_tex.h), together with the Direct3D 9-shaped API they work on.
#pragma once

#include "renderer/d3d9/d3d9.h"
#include "renderer/d3d9/d3dx9_shader.h"
#include "renderer/d3d9/d3dx9_tex.h"
