#line 100 "other.hlsl"
float4 c0 : register(c0);
#line 2147483647
float4 main(float2 uv : TEXCOORD0) : COLOR
#line 0 ""
{ return c0; }
