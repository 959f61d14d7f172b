static const float table2d[2urn float3(0.299, 0.587, 0.114); }
float4 main(float2 uv : TEXCOORD0) : COLOR0 { return table2d[0]; }
