// int and bool constants next to float ones: they read the values of float registers.
float4 scale : register(c0);
int count : register(c1);
bool enabled : register(b0);
float4 main(float2 uv : TEXCOORD0) : COLOR
{
    return (enabled ? scale * count : float4(0, 0, 0, 255)) / 255.0;
}
