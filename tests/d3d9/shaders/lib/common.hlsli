// Included from ../include_main.hlsl; includes its own neighbour by a path relative to this file.
#ifndef COMMON_HLSLI
#define COMMON_HLSLI
#include "scale.hlsli"
float4 Scaled(float4 v) { return v * SCALE; }
#endif
