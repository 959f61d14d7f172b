// The entry function is called something else: this does not compile for entry "main".
float4 PixelShaderFunction(float2 uv : TEXCOORD0) : COLOR
{
    return float4(uv, 0, 1);
}
