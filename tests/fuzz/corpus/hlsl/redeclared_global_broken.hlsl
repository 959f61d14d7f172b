sampler a;
float4 a.
float4 main() : COLOR { return a; }
