float4 main() : COLOR { float4 a = {{}}; return a; }
