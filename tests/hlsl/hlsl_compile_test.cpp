// The shader compiler's entry on its own, without a device: a request in, the GLSL with its register map
// and the module out, or the refusal with its status and text (sources that would crash glslang among them).
#include "renderer/hlsl/hlsl_compile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kPixelShader[] =
    "sampler2D image : register(s1);\n"
    "float4 tint : register(c2);\n"
    "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(image, uv) * tint * SCALE; }\n";

HlslCompileRequest PixelRequest(const std::string& source) {
  HlslCompileRequest request;
  request.source = source;
  request.entryPoint = "main";
  request.profile = "ps_3_0";
  request.defines.push_back({"SCALE", "1.0"});
  return request;
}

}  // namespace

// The second compile of the source is answered from the compile cache: it must give the translation too.
TEST(HlslCompile, GivesTheGlslWithItsRegisterMapAndTheModuleAlsoFromTheCache) {
  const HlslCompileResult result = CompileHlsl(PixelRequest(kPixelShader));
  ASSERT_EQ(result.status, kHlslOk) << result.messages;
  EXPECT_FALSE(result.spirv.empty());
  EXPECT_TRUE(result.shader.isPixelShader);
  ASSERT_EQ(result.shader.samplers.size(), 1u);
  EXPECT_EQ(result.shader.samplers[0].unit, 1u);
  EXPECT_GE(result.shader.floatConstantRegisters, 3u);

  const HlslCompileResult again = CompileHlsl(PixelRequest(kPixelShader));
  ASSERT_EQ(again.status, kHlslOk) << again.messages;
  EXPECT_EQ(again.spirv, result.spirv);
  EXPECT_FALSE(again.shader.glsl.empty());
  EXPECT_EQ(again.shader.glsl, result.shader.glsl);
  EXPECT_EQ(again.shader.samplers.size(), 1u);
}

TEST(HlslCompile, RefusalsCarryTheirStatusAndText) {
  HlslCompileRequest profile = PixelRequest(kPixelShader);
  profile.profile = "ps_4_0";
  HlslCompileResult result = CompileHlsl(profile);
  EXPECT_EQ(result.status, kHlslInvalidCall);
  EXPECT_NE(result.messages.find("unsupported profile 'ps_4_0'"), std::string::npos) << result.messages;

  HlslCompileRequest macro = PixelRequest(kPixelShader);
  macro.defines.push_back({"1BAD", "x"});
  result = CompileHlsl(macro);
  EXPECT_EQ(result.status, kHlslInvalidCall);
  EXPECT_EQ(result.messages, "invalid macro name '1BAD'");

  HlslCompileRequest missing = PixelRequest("");
  missing.fromFile = true;
  missing.sourceFile = "no/such/shader.hlsl";
  result = CompileHlsl(missing);
  EXPECT_EQ(result.status, kHlslInvalidData);
  EXPECT_EQ(result.messages.rfind("no/such/shader.hlsl: error: ", 0), 0u) << result.messages;
}

// Sources the compiler refuses, each with the text that says why. Many of them would crash glslang or
// make it run out of memory; they are refused before it sees them.
TEST(HlslCompile, SourcesThatCannotWorkAreRefusedWithTheirReason) {
  const std::string body = "float4 main(float2 uv : TEXCOORD0) : COLOR { return float4(uv, 0, 1); }\n";
  std::string chain = "float4 c0 : register(c0);\nfloat4 main() : COLOR { return c0.x";
  for (int i = 0; i < 20000; ++i) chain += "+c0.x";
  // Each line doubles the one before: A40 would be 2^40 tokens.
  std::string bomb = "#define A0 x\n";
  for (int i = 1; i <= 40; ++i)
    bomb += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" + std::to_string(i - 1) + "\n";
  struct Case {
    std::string source;
    std::string message;
    HlslStatus status = kHlslFailed;
  };
  const Case cases[] = {
      {std::string("\x01\x02\x03\x00\x04", 5), "memory: error: ", kHlslInvalidData},
      {"float4 main() : COLOR0 { return oops; }\n", "memory:1"},
      // glslang only warns about a missing entry point and emits an empty shader.
      {"", "entry point 'main' not found"},
      {"// nothing here\n", "entry point 'main' not found"},
      {"float4 main() : COLOR { return " + std::string(20000, '(') + "1" + std::string(20000, ')') + "; }\n",
       "nested more than"},
      {chain + "; }\n", "nested more than"},
      {bomb + "float bombed() { float x = 1; return A40; }\n" + body, "expands to more than"},
      // Unpaired brackets end glslang 12 (a file cut short after `float a[`).
      {"float a a[", "memory:1: error: '[' is not closed"},
      {body + "}\n", "memory:2: error: '}' without a matching"},
      {"float4 main() : COLOR { return float4(1, 0, 0, 1]; }\n", "']' without a matching"},
      // Brackets that do not hold one expression make glslang go on with a broken declaration and crash.
      {"static const float2 o[4 x] = {0, 1, 2, 3};\n" + body,
       "memory:1: error: '[' ... ']' does not hold one expression"},
      {"static const float2 o[4h] = {0, 1, 2, 3};\n" + body, "needs a decimal point"},
      {"static const float o[4, 4] = {0, 1, 2, 3};\n" + body, "does not hold one"},
      {"static const float o[(4) x] = {0, 1, 2, 3};\n" + body, "does not hold one"},
      {"sampler a;\nfloat4 a;\n" + body, "memory:2: error: 'a' is declared again"},
      {"sampler a;\nfloat4 a.\n" + body, "memory:2: error: 'a' is declared again"},
      {body + "sampler a; float a", "error: the text ends inside a declaration"},
      // Register layouts that cannot work.
      {"float4 a : register(c224);\nfloat4 main() : COLOR { return a; }", "the last is c223"},
      {"sampler2D s : register(s16);\nfloat4 main(float2 uv : TEXCOORD0) : COLOR { return tex2D(s, uv); }",
       "the last is s15"},
      {"sampler2D s[3] : register(s14);\nfloat4 main(float2 uv : TEXCOORD0) : COLOR { return tex2D(s[2], uv); }",
       "uses s16; the last is s15"},
      {"sampler2D s[2] : register(s0); sampler2D t : register(s1);\n"
       "float4 main(float2 uv : TEXCOORD0) : COLOR { return tex2D(s[0], uv) + tex2D(t, uv); }",
       "two samplers use register s1"},
      {"float4x4 m : register(c4);\n"
       "float4 main(float2 uv : TEXCOORD0, uniform int n) : COLOR { return mul(m, float4(uv, 0, 1)) * n; }",
       "declare them as globals"},
      // Structure constants: one that holds itself, and one far larger than the register file.
      {"struct A { A a; }; A x;\nfloat4 main() : COLOR { return 0; }", "error"},
      {"struct S { float x; }; S s[100000] : register(c0);\nfloat4 main() : COLOR { return s[0].x; }",
       "no free constant register for 's'"},
      // noise() exists only for texture shaders; glslang would otherwise crash generating its code.
      {"float4 main(float2 uv : TEXCOORD0) : COLOR {\n  return noise(uv);\n}",
       "memory:2: error: intrinsic 'noise' is not available in vertex or pixel shaders"},
      // Shader model 4.1 intrinsics and an empty nested initialiser list: glslang would crash on them.
      {"float4 main() : COLOR { uint n = GetRenderTargetSampleCount(); return n; }",
       "memory:1: error: intrinsic 'GetRenderTargetSampleCount' is not available before shader model 4.1"},
      {"float4 main() : COLOR {\n  float4 a = {{}, 1};\n  return a;\n}",
       "memory:2: error: empty '{}' inside an initialiser list"},
      {"static float4 a = {{}};\nfloat4 main() : COLOR { return a; }", "empty '{}' inside an initialiser list"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source.substr(0, 160));
    HlslCompileRequest request = PixelRequest(c.source);
    request.defines.clear();
    const HlslCompileResult result = CompileHlsl(request);
    EXPECT_EQ(result.status, c.status);
    EXPECT_NE(result.messages.find(c.message), std::string::npos) << result.messages;
    EXPECT_TRUE(result.spirv.empty());
    EXPECT_TRUE(result.shader.glsl.empty());
  }
}
