// Line and column parity from VPOS, as interleaving encoders compute it.
float4 main(float2 uv : TEXCOORD0, float2 vpos : VPOS) : COLOR
{
    return float4(vpos.x, vpos.y, fmod(vpos.x, 2.0), fmod(vpos.y, 2.0)) / 255.0;
}
