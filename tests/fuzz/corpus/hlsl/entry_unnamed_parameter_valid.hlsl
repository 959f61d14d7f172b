float4 main(float2 : TEXCOORD0, uniform float) : COLOR { return 0.5; }
