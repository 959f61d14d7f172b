// HLSL shader files of the forms public Direct3D 9 shaders use, compiled by D3DXCompileShaderFromFileA,
// drawn by the device and read back: registers, samplers, MRT outputs, VPOS, fmod and the bridged
// constructs must give the values Direct3D 9 gives.
#include <optional>
#include <string>

#include "tests/d3d9/device_test_support.h"

namespace {

const std::string kShaders = TQ_TEST_SHADER_DIR;

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

class ShaderDeviceTest : public DeviceTest {
 protected:
  static constexpr UINT kWidth = 8;
  static constexpr UINT kHeight = 6;

  // Binds each texture to the next sampler stage, from stage 0; they are released at the end of the test.
  void Bind(std::initializer_list<IDirect3DTexture9*> textures) {
    for (IDirect3DTexture9* texture : textures) device_->SetTexture(bound_++, Owned(texture));
  }
  void BindSolid(std::initializer_list<uint32_t> colours) {
    for (uint32_t colour : colours) Bind({MakeTexture(2, 2, [colour](UINT, UINT) { return colour; })});
  }

  IDirect3DPixelShader9* CompileFile(const std::string& name) {
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* messages = nullptr;
    const HRESULT hr = D3DXCompileShaderFromFileA((kShaders + "/" + name).c_str(), nullptr, nullptr, "main",
                                                  "ps_3_0", 0, &code, &messages, nullptr);
    return CreatePixelShader(CodeOfCompile(hr, code, messages));
  }

  // Draws the quad with `shader` into two kWidth x kHeight targets; returns their pixels.
  void Draw(IDirect3DPixelShader9* shader, std::vector<uint32_t>* first, std::vector<uint32_t>* second = nullptr) {
    ASSERT_NE(shader, nullptr);
    IDirect3DSurface9* surfaces[2] = {MakeTargetSurface(kWidth, kHeight), MakeTargetSurface(kWidth, kHeight)};
    device_->BeginScene();
    device_->SetRenderTarget(0, surfaces[0]);
    device_->SetRenderTarget(1, surfaces[1]);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0);
    device_->SetVertexShader(vertex_shader_);
    device_->SetPixelShader(shader);
    DrawQuad();
    device_->EndScene();
    *first = ReadTarget(surfaces[0]);
    if (second) *second = ReadTarget(surfaces[1]);
    device_->SetPixelShader(nullptr);
    EXPECT_EQ(shader->Release(), 0u);
  }

  DWORD bound_ = 0;

  void SetConstant(UINT reg, float x, float y = 0, float z = 0, float w = 0) {
    const float v[4] = {x, y, z, w};
    device_->SetPixelShaderConstantF(reg, v, 1);
  }

  // Draws with `shader`; expects `first` all over target 0 and, when given, `second` all over target 1.
  void DrawAndExpect(IDirect3DPixelShader9* shader, uint32_t first, std::optional<uint32_t> second = {}) {
    std::vector<uint32_t> pixels[2];
    Draw(shader, &pixels[0], &pixels[1]);
    EXPECT_TRUE(SamePixels(pixels[0], std::vector<uint32_t>(kWidth * kHeight, first), kWidth));
    if (second) {
      EXPECT_TRUE(SamePixels(pixels[1], std::vector<uint32_t>(kWidth * kHeight, *second), kWidth));
    }
  }
};

}  // namespace

TEST_F(ShaderDeviceTest, RegistersReachTheShaderByNumber) {
  // c0 + arr[1] (arr at c12) -> target 0; (p5.xy, arr[2].w, row 1 of mul(m, x-axis)) -> target 1.
  // Registers in 1/255 units, so the 8-bit targets hold them exactly.
  SetConstant(0, 1 / 255.f, 2 / 255.f, 3 / 255.f, 4 / 255.f);
  SetConstant(13, 10 / 255.f, 20 / 255.f, 30 / 255.f, 40 / 255.f);
  SetConstant(5, 5 / 255.f, 6 / 255.f, 7, 8);
  SetConstant(14, 0, 0, 0, 9 / 255.f);
  const float mScaled[16] = {11, 12 / 255.f, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34, 41, 42, 43, 44};
  device_->SetPixelShaderConstantF(16, mScaled, 4);
  // mul(m, (1,0,0,0)).y = m[1][0] = c16.y: column-major packing, a register holds a matrix column.
  DrawAndExpect(CompileFile("registers.hlsl"), Argb(44, 11, 22, 33), Argb(12, 5, 6, 9));
}

TEST_F(ShaderDeviceTest, ColourOutputsLandInTheTargetOfTheirNumber) {
  SetConstant(0, 0.2f, 0.4f, 0.6f, 0.8f);
  SetConstant(1, 0.8f, 0.6f, 0.4f, 0.2f);
  // struct { COLOR1; COLOR0; }
  DrawAndExpect(CompileFile("mrt_struct_order.hlsl"), Argb(204, 51, 102, 153), Argb(51, 204, 153, 102));

  SetConstant(8, 0.2f, 0.4f, 0.6f, 0.8f);
  SetConstant(9, 0.8f, 0.6f, 0.4f, 0.2f);
  // out COLOR1 before out COLOR0
  DrawAndExpect(CompileFile("mrt_out_params.hlsl"), Argb(204, 51, 102, 153), Argb(51, 204, 153, 102));
}

TEST_F(ShaderDeviceTest, VposIsTheIntegerPixelPositionFromTheTopLeft) {
  for (const char* file : {"vpos_parity.hlsl", "vpos_in_float4.hlsl"}) {
    SCOPED_TRACE(file);
    std::vector<uint32_t> pixels;
    Draw(CompileFile(file), &pixels);
    const bool parity = std::string(file) == "vpos_parity.hlsl";
    EXPECT_TRUE(SamePixels(pixels,
                           PixelsOf(kWidth, kHeight,
                                    [parity](UINT x, UINT y) {
                                      return parity ? Argb(y % 2, x, y, x % 2) : Argb(255, x, y, 0);
                                    }),
                           kWidth));
  }
}

TEST_F(ShaderDeviceTest, ModuloTakesTheSignOfTheDividend) {
  SetConstant(0, -0.125f, 0.3f, -5.0f, 3.0f);
  // 32 + 8 * (fmod(-0.125, 0.3), -0.125 % 0.3, -5 % 3, fmod(0.125, 0.3)) = (31, 31, 16, 33); the
  // floor-style modulo of GLSL would give (33, 33, 40, 33).
  DrawAndExpect(CompileFile("modulo_sign.hlsl"), Argb(33, 31, 31, 16));
}

TEST_F(ShaderDeviceTest, UnregisteredConstantsTakeFreeRegistersAndInitialValuesAreKept) {
  // brightness -> c2, tint -> c3, colourMatrix -> c4..c6; redLum = 0.25 written in the file.
  SetConstant(2, 10);
  SetConstant(3, 0, 20);
  SetConstant(5, 30);  // colourMatrix[0][1]: column 1, row 0
  BindSolid({0xFF000000u, 0xFF000000u, 0xFF000000u});
  DrawAndExpect(CompileFile("unregistered.hlsl"), Argb(64, 10, 20, 30));
}

TEST_F(ShaderDeviceTest, SamplersWithoutRegisterTakeTheNextFreeUnitsInOrder) {
  BindSolid({0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u});
  DrawAndExpect(CompilePixelShader(R"(
sampler a;                        // s1
sampler2D fixed0 : register(s0);
sampler b;                        // s2
void main(float2 uv : TEXCOORD0, out float4 o0 : COLOR0, out float4 o1 : COLOR1) {
  o0 = tex2D(a, uv) + tex2D(fixed0, uv) * 0.0;
  o1 = tex2D(b, uv);
})"),
                0xFF00FF00u, 0xFFFF0000u);
}

TEST_F(ShaderDeviceTest, ConstantsAndSamplersTheShaderNeverReadsTakeNoRegister) {
  BindSolid({0xFF0000FFu, 0xFF00FF00u});
  SetConstant(0, 0.2f);
  SetConstant(1, 0.6f);
  DrawAndExpect(CompilePixelShader(R"(
float4 unused;              // never read: no register
float4 tint;                // c0
sampler2D unusedSampler;    // never read: no register
sampler2D image;            // s0
float4 main(float2 uv : TEXCOORD0) : COLOR { return tex2D(image, uv) + tint; })"),
                Argb(255, 51, 0, 255));  // blue from s0, plus 0.2 red from c0
}

TEST_F(ShaderDeviceTest, EffectFileDecodesSideBySideThroughItsSampler) {
  // 16 x 6 source: the left half's texels are (x, y), the right half's (x + 100, y).
  Bind({MakeTexture(16, kHeight,
                    [](UINT x, UINT y) { return x < 8 ? Argb(255, x, y, 0) : Argb(255, x - 8 + 100, y, 0); })});
  std::vector<uint32_t> left, right;
  Draw(CompileFile("effect_decoder.fx"), &left, &right);
  // The eye targets are 8 wide, each half of the 16-wide source sampled at u = x / 8 / 2: texel x of the half.
  EXPECT_TRUE(
      SamePixels(left, PixelsOf(kWidth, kHeight, [](UINT x, UINT y) { return Argb(255, x, y, 0); }), kWidth));
  EXPECT_TRUE(SamePixels(right, PixelsOf(kWidth, kHeight, [](UINT x, UINT y) { return Argb(255, x + 100, y, 0); }),
                         kWidth));
}

TEST_F(ShaderDeviceTest, BridgedStaticTablesAndIncludesGiveTheWrittenValues) {
  DrawAndExpect(CompileFile("static_tables.hlsl"), Argb(100, 10, 30, 50));

  SetConstant(0, 10 / 255.f, 20 / 255.f, 30 / 255.f, 40 / 255.f);
  // Scaled(c0) from lib/common.hlsli: c0 * 2
  DrawAndExpect(CompileFile("include_main.hlsl"), Argb(80, 20, 40, 60));
}

TEST_F(ShaderDeviceTest, MatrixConstantsWorkBesideIntAndBoolConstants) {
  const char* source = R"(
float4x4 m : register(c4);
int n : register(c1);
bool flip : register(b0);  // first free float register: c0
float4 main(float2 uv : TEXCOORD0) : COLOR {
  return (flip ? mul(m, float4(1, 0, 0, 0)) : float4(0, 0, 0, 1)) * n / 255.0;
})";
  const float columns[16] = {1, 2, 3, 4, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
  device_->SetPixelShaderConstantF(4, columns, 4);
  SetConstant(1, 5.75f);  // an int reads the value truncated
  SetConstant(0, 1);
  DrawAndExpect(CompilePixelShader(source), Argb(20, 5, 10, 15));  // column 0 of m, times 5
  SetConstant(0, 0);
  DrawAndExpect(CompilePixelShader(source), Argb(5, 0, 0, 0));
}

TEST_F(ShaderDeviceTest, StructureConstantsTakeOneRegisterPerMemberInOrder) {
  const char* source = R"(
struct Light { float4 colour; float2x2 turn; float weights[2]; int count; bool on; };
struct Pair { Light inner; float scale; };
Light fixed : register(c4);  // colour c4, turn c5..c6, weights c7..c8, count c9, on c10
float4 before;               // c0
Pair pairs[2];               // 8 registers each; the first free run of 16 is c11..c26
float4 after;                // c1
void main(float2 uv : TEXCOORD0, out float4 o0 : COLOR0, out float4 o1 : COLOR1) {
  o0 = float4(fixed.turn[1][0], fixed.weights[1], fixed.count / 255.0, fixed.on ? 0.2 : 0.0);
  o1 = float4(pairs[1].inner.colour.x, pairs[1].scale, pairs[0].inner.weights[0], after.w) + before * 0.0;
})";
  SetConstant(5, 0, 10 / 255.f);  // turn[1][0]: row 1 of column 0
  SetConstant(8, 20 / 255.f);
  SetConstant(9, 30.5f);
  SetConstant(10, 1);
  SetConstant(19, 40 / 255.f);  // pairs[1].inner.colour
  SetConstant(26, 50 / 255.f);  // pairs[1].scale
  SetConstant(14, 60 / 255.f);  // pairs[0].inner.weights[0]
  SetConstant(1, 0, 0, 0, 70 / 255.f);
  DrawAndExpect(CompilePixelShader(source), Argb(51, 10, 20, 30), Argb(70, 40, 50, 60));
}

TEST_F(ShaderDeviceTest, SamplerArraysTakeOneUnitPerElement) {
  BindSolid(
      {Argb(255, 10, 0, 0), Argb(255, 20, 0, 0), Argb(255, 30, 0, 0), Argb(255, 40, 0, 0), Argb(255, 50, 0, 0)});
  DrawAndExpect(CompilePixelShader(R"(
sampler2D pair[2] : register(s1);
sampler2D fixed0 : register(s0);
sampler2D later[2];  // s3, s4
void main(float2 uv : TEXCOORD0, out float4 o0 : COLOR0, out float4 o1 : COLOR1) {
  o0 = tex2D(pair[1], uv) + tex2D(pair[0], uv) * 0.0 + tex2D(fixed0, uv) * 0.0;
  o1 = tex2D(later[1], uv) + tex2D(later[0], uv) * 0.0;
})"),
                Argb(255, 30, 0, 0), Argb(255, 50, 0, 0));
}

TEST_F(ShaderDeviceTest, EveryLookupFormAndInputSemanticCompilesAndLinks) {
  for (const char* file : {"lookups.hlsl", "truncation.hlsl"}) {
    SCOPED_TRACE(file);
    std::vector<uint32_t> pixels;
    Draw(CompileFile(file), &pixels);
    EXPECT_EQ(pixels.size(), static_cast<size_t>(kWidth) * kHeight);
  }
}

TEST_F(ShaderDeviceTest, OneRowAndOneColumnMatricesFollowTheirShapes) {
  // m: one column per register (column_major); spread: one component per register.
  SetConstant(0, 10, 20, 5);
  SetConstant(1, 1, 1, 1);
  SetConstant(2, 0, 10, 0);
  SetConstant(4, 30, 99, 99, 99);
  SetConstant(5, 40, 99, 99, 99);
  SetConstant(6, 50, 99, 99, 99);
  SetConstant(7, 3, 5);
  // (1, 2, 4) times m = (10 + 40 + 20, 1 + 2 + 4, 0 + 20 + 0); (1, 2, 4) . (1, 2, 4) = 21.
  // m times (1, 2, 4): row 1 = (20, 1, 10) -> 62; outer product (2, 3)x(3, 5): [1][0] = 9, [0][1] = 10;
  // spread = (30, 40, 50); 7 + 2 + 4 + 4 + 2.
  DrawAndExpect(CompileFile("one_line_matrices.hlsl"), Argb(21, 70, 7, 20), Argb(19, 62, 100, 90));
}

TEST_F(ShaderDeviceTest, InitialiserListsFillComponentsInOrderHoweverGrouped) {
  SetConstant(0, 10, 20, 30, 40);
  SetConstant(1, 50, 60, 70, 80);
  // m = rows (10, 20, 30), (1, 1, 1), (50, 60, 70); v = (10, 20, 2, 3).
  // taps = {(1, 2), 3}, {(4, 5), 6}; pairs = [[1, 2], [3, 4]], [[5, 6], [7, 8]].
  DrawAndExpect(CompileFile("mixed_initialisers.hlsl"), Argb(25, 21, 50, 71), Argb(8, 8, 8, 36));
}

TEST_F(ShaderDeviceTest, EffectPassesShareRegistersAndTheCompiledOneTakesThem) {
  BindSolid({0xFFFFFFFFu});
  SetConstant(0, 1);                                               // flagB: the first free register
  SetConstant(1, 2);                                               // countB: the next one
  SetConstant(2, 10 / 255.f, 20 / 255.f, 30 / 255.f, 40 / 255.f);  // tintB
  SetConstant(3, 1 / 255.f, 2 / 255.f, 3 / 255.f, 4 / 255.f);      // offsetB: after c2, which tintB holds
  DrawAndExpect(CompileFile("two_passes_one_file.fx"), Argb(84, 21, 42, 63));
}
