float4 main(float2 uv : TEXCOORD0) : COLOR
{
    return float4(uv, 0, 1)   // missing semicolon
}
