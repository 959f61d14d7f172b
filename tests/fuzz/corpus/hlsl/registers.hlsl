// Registers as the player and public shaders use them: vectors, a partial vector, an array, a matrix.
float4 c0 : register(c0);
float2 p5 : register(c5);
float4 arr[3] : register(c12);
float4x4 m : register(c16);

float4 main(float2 uv : TEXCOORD0, out float4 second : COLOR1) : COLOR0
{
    second = float4(p5, arr[2].w, mul(m, float4(1, 0, 0, 0)).y);
    return c0 + arr[1];
}
