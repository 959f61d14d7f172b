// Initialiser lists that group their components otherwise than by element, member or matrix row.
float4 a : register(c0);
float4 b : register(c1);

struct Tap { float2 offset; float weight; };
static const Tap taps[2] = { {1, 2, 3}, {4, 5, 6} };   // braces per element, not per member
static const Tap flat[2] = { 1, 2, 3, 4, 5, 6 };       // no inner braces at all
static const float2x2 pairs[2] = { float3(1, 2, 3), 4, 5, float3(6, 7, 8) };  // entries across matrices

void main(float2 uv : TEXCOORD0, out float4 o0 : COLOR0, out float4 o1 : COLOR1)
{
    float3x3 m = {a.rgb, 1, 1, 1, b.rgb};   // rows: a.rgb, (1, 1, 1), b.rgb
    float4 v = {a.xy, 2, 3};
    o0 = float4(m[0][1] + m[1][2], m[2][0], m[2].z + m[1].y, v.z + v.w + v.y) / 255.0;
    o1 = float4(taps[1].offset.y + taps[0].weight, flat[1].weight + flat[0].offset.y,
                pairs[0][1][0] * 10 + pairs[1][0][1], pairs[1][1][1]) / 255.0;
}
