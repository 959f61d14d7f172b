float4 main(float2 uv : TEXCOORD0) : COLOR
{
    return ((((((((uv.x + 1) * 2) - 3) / 4) + 5) * 6) - 7) / 8) + -+-+-+uv.y + !!!!uv.x;
}
