#define A0 x
#define A1 A0 A0
#define A2 A1 A1
#define SQ(v) ((v) * (v))
#define STR(a) #a
#define CAT(a, b) a##b
float4 c0 : register(c0);
float4 main(float2 uv : TEXCOORD0) : COLOR { float CAT(x, 1) = SQ(uv.x); return c0 * x1; }
