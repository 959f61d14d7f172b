void main(float4 p : POSITION, out float4 o : POSITION, out float: t : TEXCOO0) :D{ o = p; t = p.xy; }
