struct S { float a; };
static const float2 o[(4) x] = {0, 1, 2, 3};
static const float2 p[(int)4.5 + (S)0] = {0, 1, 2, 3};
float4 main() : COLOR { return o[0].xyxy; }
