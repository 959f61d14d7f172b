// D3DXCompileShader / D3DXCompileShaderFromFileA without a device, through the compile process: results,
// message buffers, includes, hostile files, and the GLSL contract the device relies on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "renderer/d3d9/d3d9_shader_code.h"
#include "renderer/d3d9/d3dx9_compile_process.h"
#include "renderer/d3d9/d3dx9_shader.h"
#include "renderer/hlsl/hlsl_translated_shader_wire.h"
#include "renderer/hlsl/shader_translation.h"

namespace {

const std::string kShaders = TQ_TEST_SHADER_DIR;

const char kSmallShader[] =
    "float4 c0 : register(c0);\nfloat4 main(float2 uv : TEXCOORD0) : COLOR { return c0; }\n";

struct Compiled {
  HRESULT hr = E_FAIL;
  std::vector<DWORD> code;
  std::string messages;
};

Compiled Collect(HRESULT hr, ID3DXBuffer* code, ID3DXBuffer* messages) {
  Compiled c;
  c.hr = hr;
  if (code) {
    const DWORD* words = static_cast<const DWORD*>(code->GetBufferPointer());
    c.code.assign(words, words + code->GetBufferSize() / 4);
    EXPECT_EQ(code->Release(), 0u);
  }
  if (messages) {
    c.messages = static_cast<const char*>(messages->GetBufferPointer());
    EXPECT_EQ(messages->Release(), 0u);
  }
  return c;
}

Compiled CompileFile(const std::string& path, const char* profile = "ps_3_0", const D3DXMACRO* defines = nullptr,
                     ID3DXInclude* include = nullptr) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* messages = nullptr;
  HRESULT hr = D3DXCompileShaderFromFileA(path.c_str(), defines, include, "main", profile, 0, &code, &messages,
                                          nullptr);
  return Collect(hr, code, messages);
}

Compiled CompileText(const std::string& text, const char* profile = "ps_3_0", ID3DXInclude* include = nullptr) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* messages = nullptr;
  HRESULT hr = D3DXCompileShader(text.data(), static_cast<UINT>(text.size()), nullptr, include, "main", profile, 0,
                                 &code, &messages, nullptr);
  return Collect(hr, code, messages);
}

// The translated shader that the code buffer carries.
TranslatedShader Translate(const Compiled& c) {
  TranslatedShader out;
  std::string bytes;
  EXPECT_TRUE(!c.code.empty() && UnpackShaderCode(c.code.data(), &bytes));
  EXPECT_TRUE(DecodeTranslatedShader(bytes, &out));
  return out;
}

class ShaderFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) /
           ("tq_shader_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = (dir_ / name).string();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::filesystem::path dir_;
};

std::string Utf16(const std::string& ascii, bool bigEndian) {
  std::string out = bigEndian ? std::string("\xFE\xFF", 2) : std::string("\xFF\xFE", 2);
  for (char c : ascii) {
    if (bigEndian) out += '\0';
    out += c;
    if (!bigEndian) out += '\0';
  }
  return out;
}

}  // namespace

TEST(ShaderCompile, CodeIsClosedByTheEndTokenAndWarningsDoNotFail) {
  Compiled c = CompileFile(kShaders + "/truncation.hlsl");
  ASSERT_EQ(c.hr, S_OK) << c.messages;
  ASSERT_GT(c.code.size(), 3u);
  EXPECT_EQ(c.code.back(), 0x0000FFFFu);
  EXPECT_FALSE(Translate(c).glsl.empty());
}

// The checks that keep malformed brackets away from glslang must let every ordinary index, cast and
// initialiser form through.
TEST(ShaderCompile, OrdinaryIndexCastAndInitialiserFormsCompile) {
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
  };
  for (const char* form : forms) {
    const std::string text =
        std::string(
            "#define N 4\n"
            "typedef int Count;\n"
            "struct S { float4 v[2]; };\n"
            "static const float4 o[4] = { {1,0,0,1}, {0,1,0,1}, float4(0,0,1,1), (float4)0.5 };\n"
            "static const int idx[2] = {3, 1};\n"
            "float4x4 m : register(c0);\n"
            "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n"
            "  S s = (S)0;\n"
            "  int i = (int)(uv.x * 2);\n"
            "  return ") +
        form + ";\n}\n";
    Compiled c = CompileText(text);
    EXPECT_EQ(c.hr, S_OK) << form << "\n" << c.messages;
  }
}

TEST(ShaderCompile, FailuresReturnAFailingResultWithTheCompilerText) {
  Compiled syntax = CompileFile(kShaders + "/syntax_error.hlsl");
  EXPECT_EQ(syntax.hr, E_FAIL);
  EXPECT_TRUE(syntax.code.empty());
  EXPECT_NE(syntax.messages.find("syntax_error.hlsl:4"), std::string::npos) << syntax.messages;

  // glslang only warns about a missing entry point and emits an empty shader; here it is an error.
  Compiled noMain = CompileFile(kShaders + "/no_main.hlsl");
  EXPECT_EQ(noMain.hr, E_FAIL);
  EXPECT_TRUE(noMain.code.empty());
  EXPECT_NE(noMain.messages.find("entry point 'main' not found"), std::string::npos) << noMain.messages;

  Compiled missing = CompileFile(kShaders + "/does_not_exist.hlsl");
  EXPECT_EQ(missing.hr, D3DXERR_INVALIDDATA);
  EXPECT_NE(missing.messages.find("cannot open"), std::string::npos) << missing.messages;

  Compiled emptyName = CompileFile("");
  EXPECT_EQ(emptyName.hr, D3DXERR_INVALIDDATA);
}

// Code that shader model 3 cannot hold is refused as Direct3D 9's compiler refuses it: 4096 texture reads
// in an unrolled loop need far more than ps_3_0's 512 instruction slots.
TEST(ShaderCompile, AnUnrolledLoopBeyondTheShaderModelIsRefusedNamingTheLimit) {
  Compiled c = CompileText(
      "sampler2D src : register(s0); float4 main(float2 uv : TEXCOORD0) : COLOR0 { float4 a = 0; [unroll] for "
      "(int i = 0; i < 4096; i++) a += tex2D(src, uv + i * 0.0001); return a; }");
  EXPECT_EQ(c.hr, E_FAIL);
  EXPECT_TRUE(c.code.empty());
  EXPECT_NE(c.messages.find("instruction slots after unrolling its loops; ps_3_0 allows 512"), std::string::npos)
      << c.messages;
}

// A real glslang crash: the compile process ends on it, the compile fails with a message naming the
// file, this process runs on, and the next compile (in a new compile process) succeeds. If a later
// glslang no longer crashes on the fixture, it needs replacing by one that does.
TEST(ShaderCompile, ACompileThatCrashesTheCompilerFailsWithAMessageAndTheNextOneWorks) {
  const std::string crasher = kShaders + "/glslang_crash.hlsl";
  Compiled crashed = CompileFile(crasher);
  EXPECT_EQ(crashed.hr, E_FAIL);
  EXPECT_TRUE(crashed.code.empty());
  // (ended on SIGSEGV; in a sanitizer build the sanitizer takes the signal and exits)
  EXPECT_EQ(crashed.messages.rfind("error: the shader compiler stopped while compiling " + crasher + " (it ", 0),
            0u)
      << crashed.messages;
  Compiled next = CompileFile(kShaders + "/truncation.hlsl");
  EXPECT_EQ(next.hr, S_OK) << next.messages;
  EXPECT_FALSE(Translate(next).glsl.empty());
}

// A compile process that answers nothing in time is a failed compile with a message, and this process
// runs on: the next compile, with the time limit back, starts a new child and succeeds.
TEST(ShaderCompile, ACompileProcessThatDoesNotAnswerInTimeIsAFailedCompile) {
  // The child runs (the limit below is for a compile, not for a child's start).
  ASSERT_EQ(CompileText(kSmallShader).hr, S_OK);
  CTQHlslCompileProcess* process = D3DXCompileProcess();
  process->SetTimeLimitMs(1);
  // Thousands of statements take glslang far longer than a millisecond.
  std::string text = "float4 main(float2 uv : TEXCOORD0) : COLOR0 {\n  float4 a = uv.xyxy;\n";
  for (int i = 0; i < 3000; ++i) text += "  a = a * 1.0001 + " + std::to_string(i) + ".5;\n";
  text += "  return a;\n}\n";
  Compiled late = CompileText(text);
  process->SetTimeLimitMs(kDefaultHlslCompileTimeLimitMs);
  EXPECT_EQ(late.hr, E_FAIL);
  EXPECT_TRUE(late.code.empty());
  EXPECT_EQ(late.messages, "error: the shader compiler stopped while compiling memory (no answer within 0.0 s)\n");
  Compiled next = CompileText(std::string(kSmallShader) + "static const float unseen = 1;\n");
  EXPECT_EQ(next.hr, S_OK) << next.messages;
  EXPECT_FALSE(Translate(next).glsl.empty());
}

// Threads compiling the same source at once (start-up compiles the user's shaders ahead while the renderer
// may ask for them): each gets the complete result, and a failure reaches every one of them with its text.
TEST(ShaderCompile, TheSameSourceOnSeveralThreadsAtOnceGivesEachTheWholeResult) {
  for (int round = 0; round < 3; ++round) {
    const std::string value = std::to_string(0.125 * (round + 1));
    const std::string good = "float4 main(float2 uv : TEXCOORD0) : COLOR { return float4(uv, " + value +
                             ", 1); }\n";
    const std::string bad = "float4 main(float2 uv : TEXCOORD0) : COLOR { return undefined_" +
                            std::to_string(round) + "; }\n";
    Compiled goods[4], bads[4];
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
      threads.emplace_back([&, i] {
        goods[i] = CompileText(good);
        bads[i] = CompileText(bad);
      });
    }
    for (std::thread& thread : threads) thread.join();
    const Compiled alone = CompileText(good);
    ASSERT_EQ(alone.hr, S_OK) << alone.messages;
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(goods[i].hr, S_OK) << goods[i].messages;
      EXPECT_EQ(goods[i].code, alone.code) << "thread " << i;
      EXPECT_EQ(bads[i].hr, E_FAIL);
      EXPECT_TRUE(bads[i].code.empty());
      EXPECT_NE(bads[i].messages.find("undefined_" + std::to_string(round)), std::string::npos)
          << bads[i].messages;
    }
  }
}

TEST(ShaderCompile, ArgumentsItDoesNotImplementFailLoudly) {
  ID3DXBuffer* code = reinterpret_cast<ID3DXBuffer*>(1);
  ID3DXConstantTable* table = reinterpret_cast<ID3DXConstantTable*>(1);
  EXPECT_EQ(D3DXCompileShader(kSmallShader, sizeof(kSmallShader) - 1, nullptr, nullptr, "main", "ps_3_0", 0, &code,
                              nullptr, &table),
            E_NOTIMPL);
  EXPECT_EQ(code, nullptr);
  EXPECT_EQ(table, nullptr);
  EXPECT_EQ(D3DXCompileShader(kSmallShader, sizeof(kSmallShader) - 1, nullptr, nullptr, "main", "ps_3_0",
                              D3DXSHADER_PACKMATRIX_ROWMAJOR, &code, nullptr, nullptr),
            E_NOTIMPL);
  EXPECT_EQ(CompileText(kSmallShader, "ps_4_0").hr, D3DERR_INVALIDCALL);
  EXPECT_EQ(CompileText(kSmallShader, "fx_2_0").hr, D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCompileShader(nullptr, 10, nullptr, nullptr, "main", "ps_3_0", 0, &code, nullptr, nullptr),
            D3DERR_INVALIDCALL);
  // Optimisation and debug flags are accepted; the source length may count the terminator.
  ID3DXBuffer* ok = nullptr;
  EXPECT_EQ(D3DXCompileShader(kSmallShader, sizeof(kSmallShader), nullptr, nullptr, "main", "ps_3_0",
                              D3DXSHADER_DEBUG | D3DXSHADER_OPTIMIZATION_LEVEL3, &ok, nullptr, nullptr),
            S_OK);
  ASSERT_NE(ok, nullptr);
  ok->Release();
}

TEST(ShaderCompile, MacrosAreDefinedAndInvalidNamesRefused) {
  const std::string source = "float4 main() : COLOR { return GAIN * TWICE(1.0); }";
  D3DXMACRO macros[] = {{"GAIN", "0.25"}, {"TWICE(x)", "(2.0 * (x))"}, {nullptr, nullptr}};
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* messages = nullptr;
  HRESULT hr = D3DXCompileShader(source.data(), static_cast<UINT>(source.size()), macros, nullptr, "main",
                                 "ps_3_0", 0, &code, &messages, nullptr);
  Compiled c = Collect(hr, code, messages);
  EXPECT_EQ(c.hr, S_OK) << c.messages;
  D3DXMACRO bad[] = {{"1X", "2"}, {nullptr, nullptr}};
  EXPECT_EQ(D3DXCompileShader(source.data(), static_cast<UINT>(source.size()), bad, nullptr, "main", "ps_3_0", 0,
                              &code, nullptr, nullptr),
            D3DERR_INVALIDCALL);
}

TEST_F(ShaderFiles, HostileFilesFailOrCompileWithAMessage) {
  const std::string body = "float4 main(float2 uv : TEXCOORD0) : COLOR { return float4(uv, 0, 1); }\n";
  std::string deep = "float4 main() : COLOR { return " + std::string(20000, '(') + "1" + std::string(20000, ')') +
                     "; }\n";
  std::string chain = "float4 c0 : register(c0);\nfloat4 main() : COLOR { return c0.x";
  for (int i = 0; i < 20000; ++i) chain += "+c0.x";
  chain += "; }\n";
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  std::string controls(2048, '\x01');
  // Each line doubles the one before: A40 would be 2^40 tokens.
  std::string bomb = "#define A0 x\n";
  for (int i = 1; i <= 40; ++i)
    bomb += "#define A" + std::to_string(i) + " A" + std::to_string(i - 1) + " A" + std::to_string(i - 1) + "\n";
  bomb += "float bombed() { float x = 1; return A40; }\n";

  struct Case {
    std::string name;
    std::string bytes;
    HRESULT hr;
    std::string message;  // expected in the message buffer ("" = anything)
  };
  const std::vector<Case> cases = {
      {"empty.hlsl", "", E_FAIL, "entry point 'main' not found"},
      {"only_comment.hlsl", "// nothing here\n", E_FAIL, "entry point 'main' not found"},
      {"binary.hlsl", binary, D3DXERR_INVALIDDATA, "not shader text"},
      {"controls.hlsl", controls, D3DXERR_INVALIDDATA, "not shader text"},
      {"bom8.hlsl", "\xEF\xBB\xBF" + body, S_OK, ""},
      {"utf16le.hlsl", Utf16(body, false), S_OK, ""},
      {"utf16be.hlsl", Utf16(body, true), S_OK, ""},
      {"utf16odd.hlsl", Utf16(body, false) + "x", D3DXERR_INVALIDDATA, "odd number"},
      {"latin1_comment.hlsl",
       "// Gr\xF6\xDF"
       "e\n" +
           body,
       S_OK, ""},
      {"deep.hlsl", deep, E_FAIL, "nested more than"},
      {"chain.hlsl", chain, E_FAIL, "nested more than"},
      {"self.hlsl", "#include \"self.hlsl\"\n" + body, E_FAIL, "#include nested more than"},
      {"guarded_self.hlsl", "#ifndef ONCE\n#define ONCE\n#include \"guarded_self.hlsl\"\n" + body + "#endif\n",
       S_OK, ""},
      {"cycle_a.hlsl", "#include \"sub/cycle_b.hlsli\"\n" + body, E_FAIL, "#include nested more than"},
      {"missing_include.hlsl", "#include \"nowhere.hlsli\"\n" + body, E_FAIL, "nowhere.hlsli"},
      {"macro_bomb.hlsl", bomb + body, E_FAIL, "expands to more than"},
      {"macro_bomb_include.hlsl", "#define A0 x\n#include \"sub/bomb.hlsli\"\n" + body, E_FAIL,
       "expands to more than"},
      // Unpaired brackets end glslang 12 (a file cut short after `float a[`); they are refused first.
      {"cut_in_array.hlsl", "float a a[", E_FAIL, "cut_in_array.hlsl:1: error: '[' is not closed"},
      {"stray_brace.hlsl", body + "}\n", E_FAIL, "stray_brace.hlsl:2: error: '}' without a matching"},
      {"crossed.hlsl", "float4 main() : COLOR { return float4(1, 0, 0, 1]; }\n", E_FAIL, "']' without a matching"},
      // An unnamed entry parameter also ends glslang; it is valid HLSL and compiles.
      {"unnamed_parameter.hlsl", "float4 main(float2 : TEXCOORD0, uniform float) : COLOR { return 0.5; }\n", S_OK,
       ""},
      {"huge_line.hlsl", "#line 2147483647\n" + body, S_OK, ""},
      // Brackets that do not hold one expression make glslang go on with a broken declaration and crash.
      {"size_two_operands.hlsl", "static const float2 o[4 x] = {0, 1, 2, 3};\n" + body, E_FAIL,
       "size_two_operands.hlsl:1: error: '[' ... ']' does not hold one expression"},
      {"size_suffix.hlsl", "static const float2 o[4h] = {0, 1, 2, 3};\n" + body, E_FAIL, "needs a decimal point"},
      {"size_list.hlsl", "static const float o[4, 4] = {0, 1, 2, 3};\n" + body, E_FAIL, "does not hold one"},
      {"redeclared.hlsl", "sampler a;\nfloat4 a;\n" + body, E_FAIL,
       "redeclared.hlsl:2: error: 'a' is declared again"},
      {"redeclared_broken.hlsl", "sampler a;\nfloat4 a.\n" + body, E_FAIL,
       "redeclared_broken.hlsl:2: error: 'a' is declared again"},
      {"cut_declaration.hlsl", body + "sampler a; float a", E_FAIL, "error: the text ends inside a declaration"},
      {"size_not_a_cast.hlsl", "static const float o[(4) x] = {0, 1, 2, 3};\n" + body, E_FAIL,
       "does not hold one"},
      {"brackets.hlsl",
       "static const float t[2 * 2] = {1, 2, 3, 4};\n"
       "float4 main(float2 uv : TEXCOORD0) : COLOR {\n"
       "  float4 r = 0;\n"
       "  int k = 0;\n"
       "  [unroll(4)] for (int i = 0; i < 4; i++) r.x += t[(int)uv.x + i % 4];\n"
       "  [branch] if (uv.x > 0) r.y = t[uv.y > 0.5 ? 1 : 0];\n"
       "  r.z = t[int(uv.x)] + t[-(-1)] + t[(uint)floor(uv.y)] + float4(t[0], 0, 0, 0)[0];\n"
       "  r.w = t[0x1u] + t[t[0]] + t[1.0f] + t[5e-1] + t[k++];\n"
       "  return r;\n"
       "}\n",
       S_OK, ""},
  };
  Write("sub/cycle_b.hlsli", "#include \"../cycle_a.hlsl\"\n");
  Write("sub/bomb.hlsli", bomb.substr(bomb.find('\n') + 1));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Compiled result = CompileFile(Write(c.name, c.bytes));
    EXPECT_EQ(result.hr, c.hr) << result.messages;
    EXPECT_NE(result.messages.find(c.message), std::string::npos) << result.messages;
    EXPECT_EQ(result.code.empty(), FAILED(c.hr));
  }
  // Not a regular file: refused without reading (a FIFO or device would block or never end).
  EXPECT_EQ(CompileFile(dir_.string()).hr, D3DXERR_INVALIDDATA);
  EXPECT_EQ(CompileFile("/dev/zero").hr, D3DXERR_INVALIDDATA);
}

// A shader file cut short anywhere, as a partial copy or download leaves it: every prefix of a real
// effect-style decoder compiles or fails with a message, never ends the process.
TEST_F(ShaderFiles, FilesCutShortAnywhereFailWithAMessage) {
  std::ifstream in(kShaders + "/effect_decoder.fx", std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(whole.size(), 500u);
  for (size_t length = 0; length < whole.size(); length += 3) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    Compiled result = CompileFile(Write("cut.fx", whole.substr(0, length)));
    if (FAILED(result.hr)) {
      EXPECT_NE(result.messages.find("error"), std::string::npos) << result.messages;
    }
    EXPECT_EQ(result.code.empty(), FAILED(result.hr));
  }
}

TEST_F(ShaderFiles, IncludesResolveRelativeToTheIncludingFileAndEditsAreSeen) {
  std::string main = Write("main.hlsl", "#include \"lib/a.hlsli\"\nfloat4 main() : COLOR { return A; }\n");
  Write("lib/a.hlsli", "#include \"b.hlsli\"\n#define A float4(B, 0, 0, 1)\n");
  Write("lib/b.hlsli", "#define B 0.25\n");
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path("/");  // includes do not depend on the working directory
  Compiled first = CompileFile(main);
  std::filesystem::current_path(previous);
  ASSERT_EQ(first.hr, S_OK) << first.messages;

  // Same file again: same code. An edited include: new code (the cache key covers included text).
  Compiled again = CompileFile(main);
  EXPECT_EQ(again.code, first.code);
  Write("lib/b.hlsli", "#define B 0.5\n");
  Compiled edited = CompileFile(main);
  ASSERT_EQ(edited.hr, S_OK) << edited.messages;
  EXPECT_NE(edited.code, first.code);
}

TEST_F(ShaderFiles, IncludesNamedInAnotherLetterCaseFindTheirOneFile) {
  // Folder and file names in another case, also in the included file's own include.
  std::string main = Write("main.hlsl", "#include \"Lib/Common.HLSLI\"\nfloat4 main() : COLOR { return A; }\n");
  Write("lib/common.hlsli", "#include \"../Shared/B.inc\"\n#define A float4(B, 0, 0, 1)\n");
  Write("shared/b.inc", "#define B 0.25\n");
  Compiled folded = CompileFile(main);
  ASSERT_EQ(folded.hr, S_OK) << folded.messages;

  // The exact name wins; two names that differ only in case are an error that names both.
  Write("lib/Twin.inc", "#define B 0.5\n");
  Write("lib/twin.inc", "#define B 0.75\n");
  std::string exact = Write("exact.hlsl", "#include \"lib/twin.inc\"\nfloat4 main() : COLOR { return B; }\n");
  EXPECT_EQ(CompileFile(exact).hr, S_OK);
  std::string twins = Write("twins.hlsl", "#include \"lib/TWIN.inc\"\nfloat4 main() : COLOR { return B; }\n");
  Compiled ambiguous = CompileFile(twins);
  EXPECT_TRUE(FAILED(ambiguous.hr));
  EXPECT_NE(ambiguous.messages.find("'lib/TWIN.inc' matches both '" + (dir_ / "lib/Twin.inc").string() +
                                    "' and '" + (dir_ / "lib/twin.inc").string() + "'"),
            std::string::npos)
      << ambiguous.messages;

  // A name that no file has in any case still fails as a missing file.
  std::string missing = Write("missing.hlsl",
                              "#include \"lib/absent.inc\"\nfloat4 main() : COLOR { return 1; }\n");
  Compiled absent = CompileFile(missing);
  EXPECT_TRUE(FAILED(absent.hr));
  EXPECT_NE(absent.messages.find("absent.inc"), std::string::npos) << absent.messages;
}

namespace {

// Serves files from a map; records what it was asked for and checks that everything is closed.
class MapInclude : public ID3DXInclude {
 public:
  HRESULT Open(D3DXINCLUDE_TYPE type, LPCSTR name, LPCVOID parent, LPCVOID* data, UINT* bytes) override {
    auto found = files.find(name);
    if (found == files.end()) return E_FAIL;
    asked.push_back(std::string(name) + (type == D3DXINC_SYSTEM ? " system" : " local"));
    parents[name] = parent;
    *data = found->second.data();
    *bytes = static_cast<UINT>(found->second.size());
    ++open;
    return S_OK;
  }
  HRESULT Close(LPCVOID) override {
    --open;
    return S_OK;
  }
  std::map<std::string, std::string> files;
  std::map<std::string, LPCVOID> parents;
  std::vector<std::string> asked;
  int open = 0;
};

}  // namespace

TEST(ShaderCompile, IncludeHandlerServesIncludesWithTheirParentsData) {
  MapInclude include;
  include.files["a.h"] = "#include <b.h>\n#define A 0.5\n";
  include.files["b.h"] = "#define B 0.25\n";
  Compiled c = CompileText("#include \"a.h\"\nfloat4 main() : COLOR { return float4(A, B, 0, 1); }\n", "ps_3_0",
                           &include);
  EXPECT_EQ(c.hr, S_OK) << c.messages;
  EXPECT_EQ(include.asked, (std::vector<std::string>{"a.h local", "b.h system"}));
  EXPECT_EQ(include.parents["a.h"], nullptr);
  EXPECT_EQ(include.parents["b.h"], include.files["a.h"].data());
  EXPECT_EQ(include.open, 0);
}

TEST(ShaderTranslation, VertexShaderFollowsTheDeviceContract) {
  Compiled vs = CompileText(R"(
float4x4 modelViewProj : register(c4);
struct VS_OUTPUT { float4 position : POSITION; float2 uv : TEXCOORD0; float4 tint : COLOR0; };
VS_OUTPUT main(float4 position : POSITION, float2 uv : TEXCOORD0) {
  VS_OUTPUT o;
  o.position = mul(modelViewProj, position);
  o.uv = uv;
  o.tint = float4(uv, 0, 1);
  return o;
})",
                            "vs_3_0");
  ASSERT_EQ(vs.hr, S_OK) << vs.messages;
  TranslatedShader t = Translate(vs);
  EXPECT_FALSE(t.isPixelShader);
  EXPECT_TRUE(t.usesPixelOffset);
  EXPECT_EQ(t.floatConstantArray, "tq_vs_c");
  EXPECT_EQ(t.floatConstantRegisters, 8u);
  EXPECT_EQ(t.glsl.compare(0, 12, "#version 410"), 0) << t.glsl;
  for (const char* expected :
       {"uniform vec2 tq_PixelOffset;", "layout(location = 0) in vec4 tq_a_POSITION0;",
        "layout(location = 8) in vec2 tq_a_TEXCOORD0;", "layout(location = 0) out vec2 tq_v_TEXCOORD0;",
        "layout(location = 8) out vec4 tq_v_COLOR0;", "gl_Position.xy += tq_PixelOffset * gl_Position.w;",
        "gl_Position.y = -gl_Position.y;"}) {
    EXPECT_NE(t.glsl.find(expected), std::string::npos) << expected << "\n" << t.glsl;
  }
}

TEST(ShaderTranslation, InputsTakeLocationsFromTheirSemanticsNotTheirOrder) {
  Compiled ps = CompileText(R"(
struct PS_IN { float4 pos : POSITION; float2 t1 : TEXCOORD1; float4 colour : COLOR0; float2 t0 : TEXCOORD0; };
float4 main(PS_IN i) : COLOR { return float4(i.t0 + i.t1, 0, 1) * i.colour + i.pos * 0.0; })");
  ASSERT_EQ(ps.hr, S_OK) << ps.messages;
  TranslatedShader t = Translate(ps);
  for (const char* expected :
       {"layout(location = 1) in vec2 tq_v_TEXCOORD1;", "layout(location = 8) in vec4 tq_v_COLOR0;",
        "layout(location = 0) in vec2 tq_v_TEXCOORD0;", "#define tq_ps_POSITION0 gl_FragCoord"}) {
    EXPECT_NE(t.glsl.find(expected), std::string::npos) << expected << "\n" << t.glsl;
  }
}

TEST(ShaderTranslation, RegisterLayoutsThatCannotWorkAreRefused) {
  struct Case {
    const char* source;
    const char* message;  // from the compiler or the translation
  };
  const Case cases[] = {
      {"float4 a : register(c3); float4 b : register(c3);\nfloat4 main() : COLOR { return a + b; }", "overlap"},
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
    SCOPED_TRACE(c.source);
    Compiled compiled = CompileText(c.source);
    EXPECT_TRUE(FAILED(compiled.hr));
    EXPECT_TRUE(compiled.code.empty());
    EXPECT_NE(compiled.messages.find(c.message), std::string::npos) << compiled.messages;
  }
}

TEST(ShaderTranslation, RegistersOutOfDeclarationOrderSizeTheArrayByTheHighest) {
  Compiled ps = CompileText(
      "float4 hi : register(c9);\nfloat4 lo : register(c1);\n"
      "float4 main() : COLOR { return hi + lo; }");
  ASSERT_EQ(ps.hr, S_OK) << ps.messages;
  TranslatedShader t = Translate(ps);
  EXPECT_EQ(t.floatConstantRegisters, 10u);
  EXPECT_NE(t.glsl.find("uniform vec4 tq_ps_c[10];"), std::string::npos) << t.glsl;
}

TEST(ShaderTranslation, UniformParametersOfMainTakeFreeRegistersAfterTheGlobals) {
  Compiled ps = CompileText(
      "float4 g : register(c0);\nfloat4 h;\n"
      "float4 main(uniform float k, uniform float4 m : register(c1)) : COLOR { return g * k + h + m; }");
  ASSERT_EQ(ps.hr, S_OK) << ps.messages;
  TranslatedShader t = Translate(ps);
  // g c0 and m c1 as written; h and k take the next free registers, c2 and c3, with no overlap.
  EXPECT_EQ(t.floatConstantRegisters, 4u);
  EXPECT_NE(t.glsl.find("tq_ps_c[3].x"), std::string::npos) << t.glsl;
  EXPECT_NE(t.glsl.find("tq_ps_c[2]"), std::string::npos) << t.glsl;
}

TEST(ShaderTranslation, CodeThatIsNotFromTheCompilerIsRefused) {
  std::string bytes;
  TranslatedShader out;
  const DWORD spirvHeader[] = {0x07230203, 0x00010000, 0, 1, 0, 0x0000FFFF};
  EXPECT_FALSE(UnpackShaderCode(spirvHeader, &bytes));
  EXPECT_FALSE(UnpackShaderCode(nullptr, &bytes));
  Compiled ps = CompileText(kSmallShader);
  ASSERT_EQ(ps.hr, S_OK);
  // A length that does not end at the end token, and a translated shader cut short.
  std::vector<DWORD> longer = ps.code;
  longer[1] += 4;
  longer.push_back(0);
  EXPECT_FALSE(UnpackShaderCode(longer.data(), &bytes));
  ASSERT_TRUE(UnpackShaderCode(ps.code.data(), &bytes));
  EXPECT_FALSE(DecodeTranslatedShader(bytes.substr(0, bytes.size() - 1), &out));
  std::vector<DWORD> cut = PackShaderCode(bytes.substr(0, bytes.size() / 2));
  ASSERT_TRUE(UnpackShaderCode(cut.data(), &bytes));
  EXPECT_FALSE(DecodeTranslatedShader(bytes, &out));
}
