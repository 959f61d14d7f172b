// Encoder: column-interleaved, with ghost reduction.
// Even columns of the picture, counted from the left column 0, show the left eye, odd columns the right
// eye, each corrected for what the display leaks of the other eye. The columns are those of the back
// buffer: the pattern is exact only when the render size equals the display size and the picture is
// shown full screen.

// ---- Display settings: type your display's values here ----------------------------------------------
// Leak of the other eye's picture into each eye, per channel (red, green, blue), as a fraction of full
// intensity in linear light, measured with the crosstalk calibration pictures (see shaders/README.md).
static const float3 kLeak = float3(0.03, 0.03, 0.03);
// How much of the leak to cancel, 0 to 1: 0 gives the plain encoder's picture, 1 cancels all of it.
static const float kStrength = 1.0;
// -------------------------------------------------------------------------------------------------------

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

// The sRGB transfer curve of IEC 61966-2-1: a straight segment near black and a 2.4 power above it. Eye
// images hold sRGB-encoded colour; the back buffer takes sRGB-encoded colour. Above the straight segment
// each way is a polynomial fitted to the power curve, within 6e-7 of it in float arithmetic (under a
// 6000th of an 8-bit step), as pow() costs a software renderer several times as much. Encoding takes the
// polynomial in the fourth root of c: the curve is too steep near black for a polynomial in c itself.
float3 SrgbToLinear(float3 c)
{
    float3 curve = (((((((((-0.156514559 * c + 0.907881591) * c - 2.32391111) * c + 3.47815234) * c
                 - 3.42291552) * c + 2.40544008) * c - 1.36426212) * c + 0.966064838) * c + 0.473220825) * c
                 + 0.0360038594) * c + 0.000839706663;
    return c <= 0.04045 ? c / 12.92 : curve;
}

float3 LinearToSrgb(float3 c)
{
    float3 root = sqrt(sqrt(c));
    float3 curve = ((((((((-0.116778286 * root + 0.735975454) * root - 2.06691492) * root
                 + 3.42616942) * root - 3.75958918) * root + 2.94257502) * root - 1.82905152) * root
                 + 1.62289508) * root + 0.101927602) * root - 0.0572086943;
    return c <= 0.0031308 ? c * 12.92 : curve;
}

// Ghost reduction, in linear light and per channel, with c = leak * strength:
//   out = eye * (1 - c) + c * (1 - other)
// The display adds about c * other to what each eye sees; the second term adds c * (1 - other), so the
// eye sees eye * (1 - c) + c wherever the other eye is bright or dark, and the ghost is gone. Black comes
// up to c, which is the price of the cancelling.
float3 ReduceGhost(float3 eye, float3 other)
{
    float3 c = kLeak * kStrength;
    float3 corrected = SrgbToLinear(eye) * (1.0 - c) + c * (1.0 - SrgbToLinear(other));
    return LinearToSrgb(saturate(corrected));
}

float4 main(float2 uv : TEXCOORD0, float2 vpos : VPOS) : COLOR0
{
    float2 pos = PixelCentre(uv);
    float3 l = LeftView(pos);
    float3 r = RightView(pos);
    // vpos is this pixel's integer position in the back buffer, (0, 0) at the top-left.
    float parity = vpos.x - 2.0 * floor(vpos.x * 0.5);
    return float4(parity < 0.5 ? ReduceGhost(l, r) : ReduceGhost(r, l), 1.0);
}
