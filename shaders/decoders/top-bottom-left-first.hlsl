// Decoder: top and bottom (over-under), left view in the top half, right view in the bottom half.
// Each half is stretched to the full height of its eye image, so half-height and full-height sources
// decode alike.

sampler2D source : register(s0);
float4 content : register(c8);   // source width, source height, frame counter, frame parity

void main(float2 uv : TEXCOORD0, out float4 left : COLOR0, out float4 right : COLOR1)
{
    // Texture coordinates arrive at pixel corners (no half-texel offset): sample at the pixel centre.
    float2 centre = uv + 0.5 / content.xy;
    float2 inHalf = float2(centre.x, centre.y * 0.5);
    left = tex2D(source, inHalf);
    right = tex2D(source, inHalf + float2(0.0, 0.5));
}
