// Encoder: anaglyph for green-magenta glasses, Dubois, in linear light.
// Eric Dubois' least-squares matrices for green-magenta glasses (green filter on the left eye), applied to
// linear light as they were fitted: the eye colours are decoded from sRGB, mixed, clamped and encoded
// again. Colours and mid-tones come out as the fit intends, with less ghosting than when the encoded
// values are mixed (anaglyph-green-magenta-dubois-gamma.hlsl, the older look).

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

// Output = clamp(ML * left + MR * right) in linear light, with the matrices as Dubois publishes them (three
// decimals). The left eye always drives the first-named colour of the glasses.
static const float3 kLeftToRed = float3(-0.062, -0.158, -0.039);
static const float3 kLeftToGreen = float3(0.284, 0.668, 0.143);
static const float3 kLeftToBlue = float3(-0.015, -0.027, 0.021);
static const float3 kRightToRed = float3(0.529, 0.705, 0.024);
static const float3 kRightToGreen = float3(-0.016, -0.015, -0.065);
static const float3 kRightToBlue = float3(0.009, 0.075, 0.937);

float4 main(float2 uv : TEXCOORD0) : COLOR0
{
    float2 pos = PixelCentre(uv);
    float3 l = SrgbToLinear(LeftView(pos));
    float3 r = SrgbToLinear(RightView(pos));
    float3 colour = float3(dot(kLeftToRed, l) + dot(kRightToRed, r),
                           dot(kLeftToGreen, l) + dot(kRightToGreen, r),
                           dot(kLeftToBlue, l) + dot(kRightToBlue, r));
    return float4(LinearToSrgb(saturate(colour)), 1.0);
}
