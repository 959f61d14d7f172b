// One-row and one-column matrices and one-component vectors in every place they can stand.
float3x3 m : register(c0);
float1x4 spread[2] : register(c3);
row_major float3x1 rows : register(c11);
matrix<float, 1, 2> pair;
struct Light { float1x3 dir; float3x1 colour; float1 gain; };
Light light;
float2 Twice(float1x2 v) { return v * 2; }
float4 main(float2 uv : TEXCOORD0, uniform row_major float1x3 extra) : COLOR0
{
    float1x3 r = {1, 2, 3};
    float3x1 c = float3x1(uv, 1);
    float1x1 k = uv.x;
    float1 f = float1(uv.x);
    int1 i = int1(3);
    float3x3 o = mul(float3x1(uv, 1), float1x3(1, 2, 3));
    float3 a = mul(float1x3(uv, 1), m) + mul(m, c) + r[0] + c._m10 + r._12 + light.dir[0] + rows;
    return float4(a + o[2] + extra, f[0] * i + k + mul(r, c) + spread[1][0].x + spread[0]._m03 + light.gain) +
           Twice(pair).xyxy + (float1x4)uv.xyxy;
}
