// Decoder: checkerboard. Source pixels whose column + row is even (the top-left pixel among them) carry
// the left view, the others the right view. Each eye takes, in every pair of columns, the pixel of its
// own view in the current row, so each view is repeated across its missing pixels.

sampler2D source : register(s0);
float4 content : register(c8);   // source width, source height, frame counter, frame parity

void main(float2 uv : TEXCOORD0, out float4 left : COLOR0, out float4 right : COLOR1)
{
    // Texture coordinates arrive at pixel corners (no half-texel offset): sample at the pixel centre.
    float2 centre = uv + 0.5 / content.xy;
    float2 pixel = floor(centre * content.xy);
    float pairStart = 2.0 * floor(pixel.x * 0.5);
    float rowParity = pixel.y - 2.0 * floor(pixel.y * 0.5);
    // In an even row the left view sits on the even column of the pair, in an odd row on the odd one.
    float leftColumn = min(pairStart + rowParity, content.x - 1.0);
    float rightColumn = min(pairStart + 1.0 - rowParity, content.x - 1.0);
    left = tex2D(source, float2((leftColumn + 0.5) / content.x, centre.y));
    right = tex2D(source, float2((rightColumn + 0.5) / content.x, centre.y));
}
