// Initialiser lists whose braces do not follow the elements, members and rows they fill.
float4 a : register(c0);
struct Tap { float2 offset; float weight; };
struct Pair { Tap first; float2x2 turn; };
static const float2 ring[4] = { 0, -1, 1, 0, 0, 1, -1, 0 };
static const Tap taps[2] = { {1, 2, 3}, {{4, 5}, 6} };
static const Pair pairs[2] = { 1, 2, 3, 4, 5, 6, 7, {8, 9, 10, 11, 12, 13, 14} };
static const float2x2 turns[2] = { float3(1, 0, 0), 1, float2(0, 1), -1, 0 };
float4 main(float2 uv : TEXCOORD0) : COLOR0
{
    float s = 1, t[2] = {a.x, 2};
    float3x3 m = {a.rgb, 1, 1, 1, a.bgr};
    float4x4 big = {a, a * 2, saturate(a), float4(uv, s, t[1])};
    Tap local[2] = {a.xyz, -a.w, 1, dot(a, a)};
    float2 p[3] = {a.xyz, a.w, uv};
    return float4(m[1], 1) + big[3] + local[1].offset.xyxy + p[2].xyxy + taps[1].weight + pairs[1].turn[0].xyxy +
           ring[2].xyxy + turns[1][0].xyxy;
}
