// Side-by-side decoder written as an effect file: texture object, sampler_state, annotations and a
// technique around main. Only main is compiled.
#pragma warning(disable: 3571)

texture SourceTexture < string ResourceName = "source.png"; >;

sampler SourceSampler : register(s0) = sampler_state
{
    Texture = <SourceTexture>;
    MinFilter = POINT;
    MagFilter = POINT;
    AddressU = CLAMP;
};

float4 frame : register(c0);
float4 size  : register(c8);

struct PS_OUTPUT
{
    float4 left  : COLOR0;
    float4 right : COLOR1;
};

PS_OUTPUT main(float2 tex : TEXCOORD0)
{
    PS_OUTPUT o;
    float2 half_uv = float2(tex.x * 0.5, tex.y);
    [unroll] for (int i = 0; i < 1; i++)
    {
        o.left  = tex2D(SourceSampler, half_uv);
        o.right = tex2D(SourceSampler, half_uv + float2(0.5, 0.0));
    }
    return o;
}

technique SideBySide < string Description = "side by side"; >
{
    pass P0
    {
        PixelShader = compile ps_3_0 main();
    }
}
