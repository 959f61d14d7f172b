#pragma once
#include "self.hlsli"
#include <system.hlsli>
float4 c0 : register(c0);
float4 main(float2 uv : TEXCOORD0) : COLOR { return c0; }
//@include
#ifndef ONCE
#define ONCE
float4 Helper(float4 v) { return v * 2; }
#endif
#include "again.hlsli"
