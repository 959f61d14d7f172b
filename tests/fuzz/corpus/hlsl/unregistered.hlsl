// Constants and samplers without register(), and globals with initial values.
float brightness;                  // first free register: c2 (c0, c1 are taken below)
float4 tint;                       // c3
float4 explicit0 : register(c0);
float4 explicit1 : register(c1);
float3x3 colourMatrix;             // three registers: c4..c6
float redLum = 0.25;               // initial value: kept as a constant
sampler first;                     // s1 (s0 is taken below)
sampler2D second;                  // s2
sampler2D fixed0 : register(s0);

float4 main(float2 uv : TEXCOORD0) : COLOR
{
    float4 a = tex2D(first, uv) + tex2D(second, uv) + tex2D(fixed0, uv);
    return float4(brightness, tint.y, colourMatrix[0][1], redLum * 255.0) / 255.0 + a * 0.0 + explicit0 * 0.0 + explicit1 * 0.0;
}
