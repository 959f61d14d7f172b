struct Out { float4 c1 : COLOR1; float4 c0 : COLOR0; float d : DEPTH; };
Out main(float4 col : COLOR0, float2 t : TEXCOORD, uniform float4 scale : register(c3), uniform float bias)
{
    Out o = (Out)0;
    o.c0 = col * scale + bias;
    o.c1 = float4(t, 0, 1);
    return o;
}
