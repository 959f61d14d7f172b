// Decoder: side by side, left view in the left half of the source, right view in the right half.
// Each half is stretched to the full width of its eye image, so half-width (squeezed) and full-width
// sources decode alike; the encoder scales the eye images to the render size.

sampler2D source : register(s0);
float4 content : register(c8);   // source width, source height, frame counter, frame parity

void main(float2 uv : TEXCOORD0, out float4 left : COLOR0, out float4 right : COLOR1)
{
    // Texture coordinates arrive at pixel corners (no half-texel offset): sample at the pixel centre.
    float2 centre = uv + 0.5 / content.xy;
    float2 inHalf = float2(centre.x * 0.5, centre.y);
    left = tex2D(source, inHalf);
    right = tex2D(source, inHalf + float2(0.5, 0.0));
}
