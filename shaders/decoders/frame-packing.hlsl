// Decoder: HDMI 1.4 frame packing. The left view on top, a black band, the right view below, each view
// at full resolution: 1920x2205 sources hold views of 1080 rows with a band of 45, 1280x1470 sources views
// of 720 rows with a band of 30. In general the band is source height / 49 rows and each view source
// height * 24 / 49 rows, in whole rows. The band is left out; each view is stretched to the full height
// of its eye image.

sampler2D source : register(s0);
float4 content : register(c8);   // source width, source height, frame counter, frame parity

void main(float2 uv : TEXCOORD0, out float4 left : COLOR0, out float4 right : COLOR1)
{
    // Texture coordinates arrive at pixel corners (no half-texel offset): sample at the pixel centre.
    float2 centre = uv + 0.5 / content.xy;
    // Whole rows; the half row keeps a division from landing just under a whole number.
    float band = floor((content.y + 0.5) / 49.0);
    float viewRows = max(floor((content.y * 24.0 + 0.5) / 49.0), 1.0);
    // The row of each view that this row of the eye image shows.
    float viewRow = min(floor(centre.y * viewRows), viewRows - 1.0);
    left = tex2D(source, float2(centre.x, (viewRow + 0.5) / content.y));
    right = tex2D(source, float2(centre.x, (viewRows + band + viewRow + 0.5) / content.y));
}
