// Decoder: row-interleaved (line by line). Even rows of the source, counted from the top row 0, carry the
// left view, odd rows the right view. Each eye image repeats every row of its view twice.

sampler2D source : register(s0);
float4 content : register(c8);   // source width, source height, frame counter, frame parity

void main(float2 uv : TEXCOORD0, out float4 left : COLOR0, out float4 right : COLOR1)
{
    // Texture coordinates arrive at pixel corners (no half-texel offset): sample at the pixel centre.
    float2 centre = uv + 0.5 / content.xy;
    float row = floor(centre.y * content.y);
    float leftRow = 2.0 * floor(row * 0.5);               // the even row of this pair
    float rightRow = min(leftRow + 1.0, content.y - 1.0); // an odd height has no right row at the end
    left = tex2D(source, float2(centre.x, (leftRow + 0.5) / content.y));
    right = tex2D(source, float2(centre.x, (rightRow + 0.5) / content.y));
}
