int count : register(i0);
float4 main( { return count; }
