float f(); static float x = f(); float4 main() : COLOR { return x; }
