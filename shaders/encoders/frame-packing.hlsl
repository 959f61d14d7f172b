// Encoder: HDMI 1.4 frame packing.
// The left eye on top, a black band, the right eye below, each eye at full resolution: the picture a 3D
// TV takes in its frame-packing mode. The layout follows the back buffer's height H: a band of H / 49
// rows and each eye H * 24 / 49 rows, counted in whole rows. A render size of 1920x2205 gives the 1080p
// layout (eyes of 1080 rows, a band of 45) and 1280x1470 the 720p one (720 and 30); at other heights the
// rows left under the right eye stay black. Show it full screen with the display mode set to that size.

sampler2D leftEye : register(s0);    // the image for the left eye (Show Channel and Swap Eyes choose it)
sampler2D rightEye : register(s1);   // the image for the right eye
float4 content : register(c8);       // eye image width, eye image height, frame counter, frame parity
float4 stereoWindow : register(c9);  // proscenium, separation: fractions of the picture width

// Centre of this back-buffer pixel in picture coordinates: texture coordinates arrive at pixel corners
// (no half-texel offset), and one pixel spans fwidth(uv).
float2 PixelCentre(float2 uv)
{
    return uv + 0.5 * fwidth(uv);
}

// The eye pictures as shown, at a position (0,0) top-left to (1,1) bottom-right of an eye's picture.
// The floating window blacks out a band of width proscenium at the left edge of the left eye and at the
// right edge of the right eye. The separation moves the left eye left and the right eye right by half of
// it each; an eye shows black where it has no picture after the move.
float3 LeftView(float2 pos)
{
    float u = pos.x + 0.5 * stereoWindow.y;
    float shown = (pos.x >= stereoWindow.x && u >= 0.0 && u < 1.0) ? 1.0 : 0.0;
    return tex2D(leftEye, float2(u, pos.y)).rgb * shown;
}

float3 RightView(float2 pos)
{
    float u = pos.x - 0.5 * stereoWindow.y;
    float shown = (pos.x <= 1.0 - stereoWindow.x && u >= 0.0 && u < 1.0) ? 1.0 : 0.0;
    return tex2D(rightEye, float2(u, pos.y)).rgb * shown;
}

float4 main(float2 uv : TEXCOORD0, float2 vpos : VPOS) : COLOR0
{
    float2 pos = PixelCentre(uv);
    // Back-buffer height in rows: one row spans fwidth(uv.y).
    float height = floor(1.0 / fwidth(uv.y) + 0.5);
    // Whole rows; the half row keeps a division from landing just under a whole number.
    float band = floor((height + 0.5) / 49.0);
    float eyeRows = max(floor((height * 24.0 + 0.5) / 49.0), 1.0);
    float rightTop = eyeRows + band;
    // vpos is this pixel's integer position in the back buffer, (0, 0) at the top-left.
    float row = vpos.y;
    if (row < eyeRows)
    {
        return float4(LeftView(float2(pos.x, (row + 0.5) / eyeRows)), 1.0);
    }
    if (row >= rightTop && row < rightTop + eyeRows)
    {
        return float4(RightView(float2(pos.x, (row - rightTop + 0.5) / eyeRows)), 1.0);
    }
    return float4(0.0, 0.0, 0.0, 1.0);
}
