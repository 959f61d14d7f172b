// Implicit truncations and conversions that the Direct3D 9 compiler accepts with warnings.
sampler2D image : register(s0);
float4 c0 : register(c0);
float4 main(float2 uv : TEXCOORD0) : COLOR
{
    float3 rgb = tex2D(image, uv);
    float grey = rgb;
    float2 t = c0;
    if (grey) rgb = rgb * 0.5;
    return float4(rgb, t.x);
}
