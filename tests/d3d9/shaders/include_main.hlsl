#include "lib/common.hlsli"
#include "lib/common.hlsli"
float4 c0 : register(c0);
float4 main(float2 uv : TEXCOORD0) : COLOR
{
    return Scaled(c0);
}
