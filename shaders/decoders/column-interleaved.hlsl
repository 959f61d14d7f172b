// Decoder: column-interleaved. Even columns of the source, counted from the left column 0, carry the
// left view, odd columns the right view. Each eye image repeats every column of its view twice.

sampler2D source : register(s0);
float4 content : register(c8);   // source width, source height, frame counter, frame parity

void main(float2 uv : TEXCOORD0, out float4 left : COLOR0, out float4 right : COLOR1)
{
    // Texture coordinates arrive at pixel corners (no half-texel offset): sample at the pixel centre.
    float2 centre = uv + 0.5 / content.xy;
    float column = floor(centre.x * content.x);
    float leftColumn = 2.0 * floor(column * 0.5);                // the even column of this pair
    float rightColumn = min(leftColumn + 1.0, content.x - 1.0);  // an odd width ends without one
    left = tex2D(source, float2((leftColumn + 0.5) / content.x, centre.y));
    right = tex2D(source, float2((rightColumn + 0.5) / content.x, centre.y));
}
