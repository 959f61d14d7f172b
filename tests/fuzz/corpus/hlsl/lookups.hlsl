// Every DX9 texture lookup form, inputs TEXCOORD0..7 and COLOR0, output : COLOR.
sampler s0 : register(s0);
sampler2D s1 : register(s1);

struct PS_INPUT
{
    float4 colour : COLOR0;
    float2 t0 : TEXCOORD0;
    float2 t1 : TEXCOORD1;
    float2 t2 : TEXCOORD2;
    float2 t3 : TEXCOORD3;
    float4 t4 : TEXCOORD4;
    float4 t5 : TEXCOORD5;
    float2 t6 : TEXCOORD6;
    float2 t7 : TEXCOORD7;
};

float4 main(PS_INPUT i) : COLOR
{
    float4 a = tex2D(s0, i.t0);
    float4 b = tex2Dlod(s1, float4(i.t1, 0, 0));
    float4 c = tex2Dbias(s0, i.t4);
    float4 d = tex2Dproj(s1, i.t5);
    float4 e = tex2D(s0, i.t2, ddx(i.t3), ddy(i.t3));
    return (a + b + c + d + e) * i.colour + float4(i.t6, i.t7);
}
