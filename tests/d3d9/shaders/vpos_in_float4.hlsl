// `in` spelling of VPOS with a float4 parameter.
float4 main(in float4 vpos : VPOS) : COLOR
{
    return float4(vpos.xy, 0, 255) / 255.0;
}
