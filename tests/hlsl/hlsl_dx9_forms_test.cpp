// Forms the Direct3D 9 compiler takes that glslang alone refuses or reads otherwise: one-row and
// one-column matrices, initialiser lists grouped in any way, registers shared between the functions of
// one effect file, brackets of every ordinary form, registers declared out of order, inputs in any order.
// What they compute is checked through the device (tests/d3d9/shader_device_test.cpp); here, that each
// compiles, with the register map Direct3D 9 gives, and that what stays wrong is refused.
#include <gtest/gtest.h>

#include <string>

#include "renderer/hlsl/hlsl_compile.h"

namespace {

HlslCompileResult Compile(const std::string& source) {
  HlslCompileRequest request;
  request.source = source;
  request.entryPoint = "main";
  request.profile = "ps_3_0";
  return CompileHlsl(request);
}

// `body` as the statements of a pixel shader's main, after `declarations` at global scope.
HlslCompileResult CompileBody(const std::string& declarations, const std::string& body) {
  return Compile(declarations + "\nfloat4 main(float2 uv : TEXCOORD0) : COLOR0 {\n" + body + "\n}\n");
}

}  // namespace

TEST(HlslDx9Forms, OneRowAndOneColumnMatricesCompileWhereverTheyStand) {
  const char* globals =
      "float3x3 m : register(c0);\n"
      "float1x4 spread[2] : register(c3);\n"  // column_major: 4 registers each, c3..c10
      "struct Light { float1x3 dir; float3x1 colour; };\n"
      "float2 Twice(float1x2 v) { return v * 2; }\n";
  const char* bodies[] = {
      "return float4(mul(float1x3(uv, 1), m), 1);",
      "return float4(mul(m, float3x1(uv, 1)), 1);",
      "float1x2 v = float1x2(uv); return float4(v, Twice(v));",
      "float2x1 c = float2x1(uv.x, uv.y); return float4(c[0], c[1][0], c._11, c._m10);",
      "float4x1 q = float4x1(1, 2, 3, 4); return mul(float4x4(m[0], 0, m[1], 0, m[2], 0, 0, 0, 0, 1), q).xyzw;",
      "float1x3 r = {1, 2, 3}; return float4(r[0], r._m01);",
      "matrix<float, 1, 3> t = float1x3(uv, 0); vector<float, 3> u = t; return float4(u, 1);",
      "float1x1 k = uv.x; return k;",
      "Light l = (Light)0; l.dir = float1x3(uv, 1); return float4(l.dir[0] + l.colour, 1);",
      "float3x3 o = mul(float3x1(uv, 1), float1x3(1, 2, 3)); return float4(o[2], 1);",
      "return spread[1][0] + spread[0]._m03;",
      "float1 f = float1(uv.x); int1 i = int1(3); int2 j = int2(i, 1); return float4(f * i, j, f.x);",
      "float1 g = 2; float3 h = g * float3(1, 2, 3); return float4(h, mul(g, 2.0));",
      "return (float1x4)uv.xyxy;",
      "float1 f = uv.x; return float4(f[0], f.xx, 1);",
  };
  for (const char* body : bodies) {
    HlslCompileResult result = CompileBody(globals, body);
    EXPECT_EQ(result.status, kHlslOk) << body << "\n" << result.messages;
  }
  // A uniform parameter of one component per register has no layout here: refused, not read wrongly.
  HlslCompileResult parameter = Compile("float4 main(uniform float1x3 r) : COLOR0 { return r.xyzz; }\n");
  EXPECT_EQ(parameter.status, kHlslFailed);
  EXPECT_NE(parameter.messages.find("memory:1: error: uniform parameter 'r' of type float1x3 spans 3 registers"),
            std::string::npos)
      << parameter.messages;
  EXPECT_EQ(Compile("float4 main(uniform row_major float1x3 r) : COLOR0 { return r.xyzz; }\n").status, kHlslOk);
  // spread: two array elements of four registers; nothing else of the file takes c3..c10.
  HlslCompileResult result = CompileBody(globals, "return spread[1][0] + float4(mul(float1x3(uv, 1), m), 1);");
  ASSERT_EQ(result.status, kHlslOk) << result.messages;
  EXPECT_EQ(result.shader.floatConstantRegisters, 11u);
}

TEST(HlslDx9Forms, InitialiserListsCompileHoweverTheyGroupTheirComponents) {
  const char* globals =
      "float4 a : register(c0);\n"
      "struct Tap { float2 offset; float weight; };\n"
      "struct Pair { Tap first; float2x2 turn; };\n"
      "static const float2 ring[4] = { 0, -1, 1, 0, 0, 1, -1, 0 };\n"
      "static const Tap taps[2] = { {float2(1, 2), 3}, {{4, 5}, 6} };\n"
      "static const Pair pairs[2] = { 1, 2, 3, 4, 5, 6, 7, {8, 9, 10, 11, 12, 13, 14} };\n"
      "static const float3x3 rows = { {1, 0, 0}, {0, 1, 0}, {0, 0, 1} };\n"
      "static const float2x2 turns[2] = { { {1, 0}, {0, 1} }, { float2(0, 1), float2(-1, 0) } };\n";
  const char* bodies[] = {
      "float3x3 m = {a.rgb, 1, 1, 1, a.bgr}; return float4(m[1], 1);",
      "float3x3 m = {a.rgb, a.rgb, {1, 2, 3}}; return float4(m[2], 1);",
      "float2x2 m = {a.xyz, 1}; return m[1].xyxy;",
      "float4 v = {uv, 1, 0}; const float2x2 n = {v}; return n[0].xyxy;",
      "float2 p[3] = {a.xyz, a.w, uv}; return float4(p[1], p[2]);",
      "float s = 1, t[2] = {a.x, 2}; float4x4 big = {a, a * 2, saturate(a), float4(uv, s, t[1])}; return big[3];",
      "Tap local[2] = {a.xyz, a.w, 1, 1}; return local[1].offset.xyxy + local[0].weight;",
      "return float4(taps[1].offset, pairs[1].turn[0]) + ring[2].xyxy + rows[1].xyzz + turns[1][0].xyxy;",
  };
  for (const char* body : bodies) {
    HlslCompileResult result = CompileBody(globals, body);
    EXPECT_EQ(result.status, kHlslOk) << body << "\n" << result.messages;
  }
  // Too many or too few components are an error, as on Direct3D 9, not a crash or a silent fill.
  for (const char* body : {"float3x3 m = {a.rgb, 1, 1, 1, a};", "float2 p[2] = {a.xyz};"}) {
    HlslCompileResult result = CompileBody("float4 a : register(c0);", std::string(body) + " return 1;");
    EXPECT_EQ(result.status, kHlslFailed) << body;
    EXPECT_NE(result.messages.find("error"), std::string::npos) << result.messages;
  }
}

// An effect file whose passes share registers compiles for one pass (checked with its values through the
// device: tests/d3d9/shader_device_test.cpp); what the compiled function reads still may not overlap.
TEST(HlslDx9Forms, RegistersAreGivenOnlyToWhatTheCompiledFunctionReads) {
  const char* overlapping[] = {
      "float4 x : register(c2); float4 y : register(c2);\n"
      "float4 Read() { return y; }\nfloat4 main() : COLOR0 { return x + Read(); }\n",
      "sampler2D s : register(s1); sampler2D t : register(s1);\n"
      "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(s, uv) + tex2D(t, uv); }\n",
      "float4 x : register(c2); float4 y : register(c2); static const float4 k = y * 2;\n"
      "float4 main() : COLOR0 { return x + k; }\n",
  };
  for (const char* source : overlapping) {
    HlslCompileResult result = Compile(source);
    EXPECT_EQ(result.status, kHlslFailed) << source;
    EXPECT_TRUE(result.messages.find("overlap") != std::string::npos ||
                result.messages.find("two samplers use register s1") != std::string::npos)
        << result.messages;
  }
}

// The checks that keep malformed brackets away from glslang let every ordinary index, cast, initialiser
// and attribute form through, and an unnamed entry parameter (valid HLSL that glslang alone would end on).
TEST(HlslDx9Forms, BracketsHoldingOneExpressionCompileInEveryForm) {
  const char* globals =
      "#define N 4\n"
      "typedef int Count;\n"
      "struct S { float4 v[2]; };\n"
      "static const float4 o[4] = { {1,0,0,1}, {0,1,0,1}, float4(0,0,1,1), (float4)0.5 };\n"
      "static const int idx[2] = {3, 1};\n"
      "static const float t[2 * 2] = {1, 2, 3, 4};\n"
      "float4x4 m : register(c0);\n";
  const char* forms[] = {
      "o[i + 1]",
      "o[(int)uv.x]",
      "o[int(uv.x * 3)]",
      "o[min(i, 3)]",
      "o[i > 1 ? 1 : 2]",
      "o[idx[i]]",
      "o[(uint)floor(uv.x * 4)]",
      "o[(i)]",
      "o[-1 + i]",
      "o[((int)(uv.y * 2.0)) % 4]",
      "m[1][2] + o[0]",
      "s.v[i]",
      "o[(Count)(i)]",
      "o[N - 1]",
      "o[i].xyzw",
      "(o)[i]",
      "t[uv.y > 0.5 ? 1 : 0]",
      "t[-(-1)] + float4(t[0], 0, 0, 0)[0]",
      "t[0x1u] + t[t[0]] + t[1.0f] + t[5e-1] + t[k++]",
  };
  for (const char* form : forms) {
    const HlslCompileResult result =
        CompileBody(globals, std::string("S s = (S)0; int k = 0; int i = (int)(uv.x * 2);\n"
                                         "[unroll(4)] for (int j = 0; j < 4; j++) k += t[(int)uv.x + j % 4];\n"
                                         "[branch] if (uv.x > 0) k++;\nreturn ") +
                                 form + ";");
    EXPECT_EQ(result.status, kHlslOk) << form << "\n" << result.messages;
  }
  EXPECT_EQ(Compile("float4 main(float2 : TEXCOORD0, uniform float) : COLOR { return 0.5; }\n").status, kHlslOk);
  EXPECT_EQ(Compile("#line 2147483647\nfloat4 main() : COLOR { return 0.5; }\n").status, kHlslOk);
}

TEST(HlslDx9Forms, RegistersOutOfOrderAndUniformParametersOfMainGetTheirPlaces) {
  // The constant array is sized by the highest register, not by the last one declared.
  HlslCompileResult result = Compile(
      "float4 hi : register(c9);\nfloat4 lo : register(c1);\nfloat4 main() : COLOR { return hi + lo; }");
  ASSERT_EQ(result.status, kHlslOk) << result.messages;
  EXPECT_EQ(result.shader.floatConstantRegisters, 10u);
  EXPECT_NE(result.shader.glsl.find("uniform vec4 tq_ps_c[10];"), std::string::npos) << result.shader.glsl;

  // g c0 and m c1 as written; h and k take the next free registers, c2 and c3, with no overlap.
  result = Compile(
      "float4 g : register(c0);\nfloat4 h;\n"
      "float4 main(uniform float k, uniform float4 m : register(c1)) : COLOR { return g * k + h + m; }");
  ASSERT_EQ(result.status, kHlslOk) << result.messages;
  EXPECT_EQ(result.shader.floatConstantRegisters, 4u);
  EXPECT_NE(result.shader.glsl.find("tq_ps_c[3].x"), std::string::npos) << result.shader.glsl;
  EXPECT_NE(result.shader.glsl.find("tq_ps_c[2]"), std::string::npos) << result.shader.glsl;
}

// A vertex shader's outputs and a pixel shader's inputs meet by semantic, whatever order each declares.
TEST(HlslDx9Forms, InputsTakeLocationsFromTheirSemanticsNotTheirOrder) {
  const HlslCompileResult result = Compile(
      "struct PS_IN { float4 pos : POSITION; float2 t1 : TEXCOORD1; float4 colour : COLOR0; float2 t0 : "
      "TEXCOORD0; };\n"
      "float4 main(PS_IN i) : COLOR { return float4(i.t0 + i.t1, 0, 1) * i.colour + i.pos * 0.0; }");
  ASSERT_EQ(result.status, kHlslOk) << result.messages;
  for (const char* expected :
       {"layout(location = 1) in vec2 tq_v_TEXCOORD1;", "layout(location = 8) in vec4 tq_v_COLOR0;",
        "layout(location = 0) in vec2 tq_v_TEXCOORD0;", "#define tq_ps_POSITION0 gl_FragCoord"}) {
    EXPECT_NE(result.shader.glsl.find(expected), std::string::npos) << expected << "\n" << result.shader.glsl;
  }
}
