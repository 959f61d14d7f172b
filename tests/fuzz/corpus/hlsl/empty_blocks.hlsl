float4 main() : COLOR { {} { {} } float4 a = {}; float4 b[2] = {{1,2,3,4},{5,6,7,8}}; return a + b[1]; }
