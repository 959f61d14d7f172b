// fmod and % take the sign of the dividend in HLSL.
float4 c0 : register(c0);   // (-0.125, 0.3, -5, 3)
float4 main(float2 uv : TEXCOORD0) : COLOR
{
    int a = (int)c0.z;
    int b = (int)c0.w;
    // Encoded as 32 + 8 * value in 8-bit targets.
    return (32.0 + 8.0 * float4(fmod(c0.x, c0.y), c0.x % c0.y, (float)(a % b), fmod(-c0.x, c0.y))) / 255.0;
}
