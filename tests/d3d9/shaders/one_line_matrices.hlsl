// Matrices of one row or one column, as constructors, constants, indexed, swizzled and in mul().
float3x3 m : register(c0);                 // c0..c2, one column each
float1x3 spread : register(c4);            // column_major 1x3: c4.x, c5.x, c6.x
row_major float1x2 packed : register(c7);  // one register: c7.xy

void main(float2 uv : TEXCOORD0, out float4 o0 : COLOR0, out float4 o1 : COLOR1)
{
    float1x3 row = float1x3(float2(1, 2), 4);
    float3 a = mul(row, m);                                   // a row vector times m
    float3x1 column = float3x1(1, 2, 4);
    float3 b = mul(m, column);                                // m times a column vector
    float dotted = mul(row, column);                          // 1x3 times 3x1: one value
    float2x2 outer = mul(float2x1(2, 3), float1x2(packed));   // 2x1 times 1x2: a 2x2 matrix
    float4x1 q = float4x1(5, 6, 7, 8);
    o0 = float4(a, dotted) / 255.0;
    o1 = float4(b.y, outer[1][0] * 10 + outer[0][1], spread._m01 + spread[0][2],
                q[2] + row[0][1] + row._m02 + column[2][0] + column._21) / 255.0;
}
