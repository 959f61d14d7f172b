// Two pixel shaders in one effect file, each with its own constants and sampler on the same registers.
// Compiling one of them gives registers only to what it reads.
float4 tintA : register(c2);
float4 tintB : register(c2);
bool flagA : register(b0);
bool flagB : register(b0);
int countA : register(i0);
int countB : register(i0);
sampler2D imageA : register(s0);
sampler2D imageB : register(s0);
float4 offsetA;  // no register: one is given only when its pass is compiled
float4 offsetB;

float4 Scaled(float4 v, int n) { return v * n; }

float4 OtherPass(float2 uv : TEXCOORD0) : COLOR0
{
    return flagA ? Scaled(tex2D(imageA, uv) * tintA, countA) + offsetA : 0;
}

float4 main(float2 uv : TEXCOORD0) : COLOR0
{
    return flagB ? Scaled(tex2D(imageB, uv) * tintB, countB) + offsetB : 0;
}

technique Two
{
    pass P0 { PixelShader = compile ps_3_0 OtherPass(); }
    pass P1 { PixelShader = compile ps_3_0 main(); }
}
