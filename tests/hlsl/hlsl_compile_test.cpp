// The shader compiler's entry on its own, without a device: a request in, the GLSL with its register map
// and the module out, or the refusal with its status and text.
#include "renderer/hlsl/hlsl_compile.h"

#include <gtest/gtest.h>

#include <map>
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

// Serves named texts and checks that every text it handed out comes back.
class MapIncludes : public CTQHlslIncludeSource {
 public:
  std::map<std::string, std::string> files;
  int open = 0;
  bool Open(bool, const char* name, const void*, const void** data, uint32_t* bytes) override {
    auto found = files.find(name);
    if (found == files.end()) return false;
    *data = found->second.data();
    *bytes = static_cast<uint32_t>(found->second.size());
    ++open;
    return true;
  }
  void Close(const void*) override { --open; }
};

}  // namespace

TEST(HlslCompile, GivesTheGlslWithItsRegisterMapAndTheModule) {
  HlslCompileResult result = CompileHlsl(PixelRequest(kPixelShader));
  ASSERT_EQ(result.status, kHlslOk) << result.messages;
  ASSERT_FALSE(result.spirv.empty());
  EXPECT_EQ(result.spirv.front(), 0x07230203u);
  EXPECT_TRUE(result.shader.isPixelShader);
  EXPECT_EQ(result.shader.glsl.rfind("#version 410", 0), 0u) << result.shader.glsl;
  ASSERT_EQ(result.shader.samplers.size(), 1u);
  EXPECT_EQ(result.shader.samplers[0].unit, 1u);
  EXPECT_GE(result.shader.floatConstantRegisters, 3u);
}

// The second compile of a source is answered from the compile cache: it must give the translation too.
TEST(HlslCompile, ACachedCompileGivesTheSameTranslation) {
  const HlslCompileResult first = CompileHlsl(PixelRequest(kPixelShader));
  const HlslCompileResult again = CompileHlsl(PixelRequest(kPixelShader));
  ASSERT_EQ(again.status, kHlslOk) << again.messages;
  EXPECT_EQ(again.spirv, first.spirv);
  EXPECT_FALSE(again.shader.glsl.empty());
  EXPECT_EQ(again.shader.glsl, first.shader.glsl);
  EXPECT_EQ(again.shader.samplers.size(), first.shader.samplers.size());
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

  result = CompileHlsl(PixelRequest(std::string("\x01\x02\x03\x00\x04", 5)));
  EXPECT_EQ(result.status, kHlslInvalidData);
  EXPECT_EQ(result.messages.rfind("memory: error: ", 0), 0u) << result.messages;

  HlslCompileRequest missing = PixelRequest("");
  missing.fromFile = true;
  missing.sourceFile = "no/such/shader.hlsl";
  result = CompileHlsl(missing);
  EXPECT_EQ(result.status, kHlslInvalidData);
  EXPECT_EQ(result.messages.rfind("no/such/shader.hlsl: error: ", 0), 0u) << result.messages;

  result = CompileHlsl(PixelRequest("float4 main() : COLOR0 { return oops; }\n"));
  EXPECT_EQ(result.status, kHlslFailed);
  EXPECT_NE(result.messages.find("memory:1"), std::string::npos) << result.messages;
  EXPECT_TRUE(result.spirv.empty());
  EXPECT_TRUE(result.shader.glsl.empty());
}

TEST(HlslCompile, IncludedFilesComeFromTheIncludeSourceAndAreGivenBack) {
  MapIncludes includes;
  includes.files["tint.hlsl"] = "float4 tint : register(c2);\n";
  HlslCompileRequest request = PixelRequest(
      "#include \"tint.hlsl\"\n"
      "float4 main() : COLOR0 { return tint * SCALE; }\n");
  request.includes = &includes;
  HlslCompileResult result = CompileHlsl(request);
  EXPECT_EQ(result.status, kHlslOk) << result.messages;
  EXPECT_EQ(includes.open, 0);

  request.source = "#include \"absent.hlsl\"\nfloat4 main() : COLOR0 { return 1; }\n";
  result = CompileHlsl(request);
  EXPECT_EQ(result.status, kHlslFailed);
  EXPECT_NE(result.messages.find("could not open 'absent.hlsl'"), std::string::npos) << result.messages;
  EXPECT_EQ(includes.open, 0);
}
