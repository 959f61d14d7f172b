// Includes named in another letter case than the folder and file they name, as shader packs written on
// systems whose file names ignore letter case do.
#include "LIB/Common.HLSLI"
float4 c0 : register(c0);
float4 main(float2 uv : TEXCOORD0) : COLOR
{
    return Scaled(c0);
}
