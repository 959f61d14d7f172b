// COLOR1 declared before COLOR0 in the returned structure: each must still land in its own target.
float4 c0 : register(c0);
float4 c1 : register(c1);

struct PS_OUT
{
    float4 second : COLOR1;
    float4 first  : COLOR0;
};

PS_OUT main(float2 uv : TEXCOORD0)
{
    PS_OUT o;
    o.second = c1;
    o.first = c0;
    return o;
}
