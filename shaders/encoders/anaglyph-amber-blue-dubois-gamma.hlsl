// Encoder: anaglyph for amber-blue glasses, Dubois, gamma-encoded colour.
// Eric Dubois' least-squares matrices for amber-blue glasses (amber filter on the left eye).
// The matrices are applied to the gamma-encoded colour values as they are, the older and simpler way:
// mid-tones come out darker and ghosting stronger than with the linear-light version
// (anaglyph-amber-blue-dubois.hlsl). Kept for the look some users are used to.

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

// Output = clamp(ML * left + MR * right), on gamma-encoded colour, in units of 1/65536 (the integer
// tables that FFmpeg documents for its stereo3d filter). The left eye always drives the first-named
// colour of the glasses.
static const float3 kLeftToRed = float3(69599.0, -13435.0, 19595.0);
static const float3 kLeftToGreen = float3(-1704.0, 59507.0, 4456.0);
static const float3 kLeftToBlue = float3(-2490.0, -11338.0, 1442.0);
static const float3 kRightToRed = float3(-1048.0, -8061.0, -1114.0);
static const float3 kRightToGreen = float3(393.0, 4063.0, -1114.0);
static const float3 kRightToBlue = float3(6160.0, 12124.0, 59703.0);

float4 main(float2 uv : TEXCOORD0) : COLOR0
{
    float2 pos = PixelCentre(uv);
    float3 l = LeftView(pos);
    float3 r = RightView(pos);
    float3 colour = float3(dot(kLeftToRed, l) + dot(kRightToRed, r),
                           dot(kLeftToGreen, l) + dot(kRightToGreen, r),
                           dot(kLeftToBlue, l) + dot(kRightToBlue, r)) / 65536.0;
    return float4(saturate(colour), 1.0);
}
