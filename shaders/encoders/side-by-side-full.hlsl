// Encoder: side by side, full resolution.
// The left eye in the left half of the picture, the right eye in the right half, each at full resolution,
// for two projectors or a double-wide display. Set the render size to twice the eye's width
// (renderer_width = 3840, renderer_height = 1080 for 1080p eyes): each half of the back buffer then holds
// its eye pixel for pixel. The floating window and the separation apply to each eye's own picture.

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

float4 main(float2 uv : TEXCOORD0) : COLOR0
{
    float2 pos = PixelCentre(uv);
    float2 inEye = float2(frac(pos.x * 2.0), pos.y);  // position inside the eye's own picture
    return float4(pos.x < 0.5 ? LeftView(inEye) : RightView(inEye), 1.0);
}
