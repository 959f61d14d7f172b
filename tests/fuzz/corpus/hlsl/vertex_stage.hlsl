void main(float4 p : POSITION, out float4 o : POSITION, out float2 t : TEXCOORD0) { o = p; t = p.xy; }
