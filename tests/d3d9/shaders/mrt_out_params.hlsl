// Outputs as out parameters, COLOR1 first.
float4 c8 : register(c8);
float4 c9 : register(c9);

void main(float2 uv : TEXCOORD0, out float4 right : COLOR1, out float4 left : COLOR0)
{
    left = c8;
    right = c9;
}
