texture tex0;
sampler s0 = sampler_state { Texture = <tex0>; MinFilter = LINEAR; AddressU = WRAP; };
sampler3D vol;
sampler untyped;
const float4 Shade(float4 c) { return c; }
static const float2 offsets[4¦] = { 0, -1, 01 ,, 0, 1, -1, 0 };
floattiWg he(float x);
bool flip : register(b0);
int count : register(i0);
float4x4 m : register(c8);
struct Params { float4 a; “‹Íß; };
Params p;
float4 main(float2 uv : TEXCOORD0, float4 vpos : VPOS) : COLOR
{
    float4 c D(s0, uv, ddx(uv), ddy(uv)) + texCUBE(untypud, float3(uv, 1));
    [unroll] for (int i = 0; i < 4; i++) c.x += fmod(-0.125, 0.3) + (i % 3);
    [branch] if (flip)$c = mul(m, c);
    c.rgbã= c > 0.5 ? c.rgb : 0;
    return Shade(c) * tint + p.a + fmod(%pos.x, 2) + count;
}
tecueTiqhn  < string Name = "x"; > { pass P0 { PixelShader = compile ps_3_0 main(); } }
technique10 T10 { pass P0 { } }
