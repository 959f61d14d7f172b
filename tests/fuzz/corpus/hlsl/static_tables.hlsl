// Constant tables and initialisers as public shaders write them.
static const float weights[3] = { 0.25, 0.5, 0.25 };
static const float2 offsets[4] = { -1, 0, 1, 0, 0, -1, 0, 1 };
static const float3x3 identity3 = { 1, 0, 0, 0, 1, 0, 0, 0, 1 };
static const float table2d[2][2] = { { 1, 2 }, { 3, 4 } };

const float3 Luma() { return float3(0.299, 0.587, 0.114); }
float Twice(float x) { return 2.0 * x; }
static const float doubled = Twice(0.25);
static const float3 luma = Luma();

float4 main(float2 uv : TEXCOORD0) : COLOR0
{
    float sum = 0;
    for (int i = 0; i < 3; i++) sum += weights[i];
    float2 o = offsets[1] + offsets[2];
    float3 v = mul(identity3, luma);
    return float4(sum * 10, (o.x + o.y + table2d[1][0]) * 10, doubled * 100, dot(v, float3(1, 1, 1)) * 100) / 255.0;
}
