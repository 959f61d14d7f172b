// The shader-model limits of vs_3_0 / ps_3_0, through the compiler's entry: 512 instruction slots after
// unrolling, 65535 executed instructions. What exceeds them is refused with a message that names the
// limit; what stays within them, however slow, compiles.
#include <gtest/gtest.h>

#include <string>

#include "renderer/hlsl/hlsl_compile.h"

namespace {

HlslCompileResult Compile(const std::string& text, const std::string& profile = "ps_3_0") {
  HlslCompileRequest request;
  request.source = text;
  request.sourceName = "limits.hlsl";
  request.entryPoint = "main";
  request.profile = profile;
  return CompileHlsl(request);
}

// A pixel shader summing `count` texture reads in a loop with the given attribute.
std::string TextureLoop(const std::string& attribute, int count) {
  return "sampler2D src : register(s0);\n"
         "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n"
         "  float4 a = 0;\n"
         "  " +
         attribute + " for (int i = 0; i < " + std::to_string(count) +
         "; i++) a += tex2D(src, uv + i * 0.0001);\n"
         "  return a;\n"
         "}\n";
}

TEST(InstructionLimits, AnUnrolledLoopBeyondTheSlotsIsRefusedNamingTheLimit) {
  HlslCompileResult reply = Compile(TextureLoop("[unroll]", 4096));
  EXPECT_LT(reply.status, 0);
  EXPECT_TRUE(reply.shader.glsl.empty());
  EXPECT_NE(reply.messages.find("limits.hlsl: error: the shader needs at least"), std::string::npos)
      << reply.messages;
  EXPECT_NE(reply.messages.find("instruction slots after unrolling its loops; ps_3_0 allows 512"),
            std::string::npos)
      << reply.messages;

  // The same loop 64 times fits; so does 4096 times as a loop (each pass executes, the code is there once).
  EXPECT_EQ(Compile(TextureLoop("[unroll]", 64)).status, 0);
  EXPECT_EQ(Compile(TextureLoop("[loop]", 4096)).status, 0);
  EXPECT_EQ(Compile(TextureLoop("", 4096)).status, 0);
}

TEST(InstructionLimits, ALoopExecutingTooManyInstructionsIsRefused) {
  HlslCompileResult reply = Compile(TextureLoop("[loop]", 20000));
  EXPECT_LT(reply.status, 0);
  EXPECT_NE(reply.messages.find("executes at least"), std::string::npos) << reply.messages;
  EXPECT_NE(reply.messages.find("instructions per pixel; ps_3_0 allows 65535"), std::string::npos)
      << reply.messages;

  // Nested loops multiply; counting down and by steps count the same way; a vertex shader names vertices.
  reply = Compile(
      "float4 c : register(c0);\n"
      "float4 main(float4 p : POSITION) : POSITION {\n"
      "  float4 a = p;\n"
      "  for (int i = 300; i > 0; i--) for (float j = 0; j <= 300; j += 2) a = a * c + c;\n"
      "  return a;\n"
      "}\n",
      "vs_3_0");
  EXPECT_LT(reply.status, 0);
  EXPECT_NE(reply.messages.find("instructions per vertex; vs_3_0 allows 65535"), std::string::npos)
      << reply.messages;
}

TEST(InstructionLimits, CountsFollowCallsAndNeverAssumeAStaleLoopStart) {
  // A function called in an unrolled loop counts at each call.
  HlslCompileResult reply = Compile(
      "sampler2D src : register(s0);\n"
      "float4 Read(float2 uv) { return tex2D(src, uv) * tex2D(src, uv.yx) + tex2D(src, uv * 2); }\n"
      "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n"
      "  float4 a = 0;\n"
      "  [unroll] for (int i = 0; i < 200; i++) a += Read(uv + i);\n"
      "  return a;\n"
      "}\n");
  EXPECT_LT(reply.status, 0);
  EXPECT_NE(reply.messages.find("instruction slots"), std::string::npos) << reply.messages;

  // After the first loop the counter's value is not its start any more: the second loop is counted
  // once, not as 100 more passes from 0.
  reply = Compile(
      "sampler2D src : register(s0);\n"
      "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n"
      "  float4 a = 0;\n"
      "  int i = 0;\n"
      "  [unroll] for (; i < 60; i++) a += tex2D(src, uv + i * 0.01);\n"
      "  [unroll] for (; i < 100; i++) a += tex2D(src, uv - i * 0.01);\n"
      "  return a;\n"
      "}\n");
  EXPECT_EQ(reply.status, 0) << reply.messages;
}

}  // namespace
