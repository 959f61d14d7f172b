float4 main(float2 uv : TEXCOORD0, in float4 pos : SV_Position, float vface : VFACE) : COLOR
{
    float e;
    float m = frexp(uv.x, e);
    return noise(uv) + m + pos.x + vface;
}
