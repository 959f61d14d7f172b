texture tex0;
sampler s0 = sampler_state { Texture = <tex0>; MinFilter = LINEAR; AddressU = WRAP; };
sampler3D vol;
sampler untyped;
const float4 Shade(float4 c) { return c; }
static const float2 offsets[4] = { 0, -1, 1, 0, 0, 1, -1, 0 };
float Weight(float x) { return x * 0.5; }
static float w = Weight(2.0);
float4 tint = float4(1, 0.5, 0.25, 1);
bool flip : register(b0);
int count : register(i0);
float4x4 m : register(c8);
struct Params { float4 a; float2 b; };
Params p;
float4 main(float2 uv : TEXCOORD0, float4 vpos : VPOS) : COLOR
{
    float4 c = tex2D(s0, uv + offsets[1]) * w + tex3D(untyped, float3(uv, 0)).x;
    c += tex2Dlod(s0, float4(uv, 0, 0)) + tex2Dbias(s0, float4(uv, 0, 1)) + tex2Dproj(s0, float4(uv, 0, 1));
    c += tex2D(s0, uv, ddx(uv), ddy(uv)) + texCUBE(untyped, float3(uv, 1));
    [unroll] for (int i = 0; i < 4; i++) c.x += fmod(-0.125, 0.3) + (i % 3);
    [branch] if (flip) c = mul(m, c);
    c.rgb = c > 0.5 ? c.rgb : 0;
    return Shade(c) * tint + p.a + fmod(vpos.x, 2) + count;
}
technique T < string Name = "x"; > { pass P0 { PixelShader = compile ps_3_0 main(); } }
technique10 T10 { pass P0 { } }
