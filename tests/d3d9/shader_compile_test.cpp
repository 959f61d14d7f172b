// What D3DXCompileShader / D3DXCompileShaderFromFileA add to the compiler, without a device: the compile
// process (crashes, threads), the HRESULTs, the code and message buffers, the arguments they
// refuse, the reading of files and the resolving of includes. What the compiler itself takes or refuses
// is checked at its own entry (tests/hlsl).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "renderer/d3d9/d3d9_shader_code.h"
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

Compiled CompileFile(const std::string& path) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* messages = nullptr;
  const HRESULT hr = D3DXCompileShaderFromFileA(path.c_str(), nullptr, nullptr, "main", "ps_3_0", 0, &code,
                                                &messages, nullptr);
  return Collect(hr, code, messages);
}

Compiled CompileText(const std::string& text, const char* profile = "ps_3_0", ID3DXInclude* include = nullptr,
                     const D3DXMACRO* defines = nullptr) {
  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* messages = nullptr;
  HRESULT hr = D3DXCompileShader(text.data(), static_cast<UINT>(text.size()), defines, include, "main", profile, 0,
                                 &code, &messages, nullptr);
  return Collect(hr, code, messages);
}

// A compile that failed with `hr`, no code, and `message` in its messages.
::testing::AssertionResult Failed(const Compiled& c, HRESULT hr, const std::string& message) {
  if (c.hr == hr && c.code.empty() && c.messages.find(message) != std::string::npos) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "result 0x" << std::hex << c.hr << " with " << std::dec << c.code.size()
                                       << " code words and the messages:\n"
                                       << c.messages;
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
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

}  // namespace

TEST(ShaderCompile, FailuresReturnAFailingResultWithTheCompilerText) {
  EXPECT_TRUE(Failed(CompileFile(kShaders + "/syntax_error.hlsl"), E_FAIL, "syntax_error.hlsl:4"));
  // A text in memory is named "memory" in the messages that come back from the compile process.
  EXPECT_TRUE(Failed(CompileText("float4 main() : COLOR {\n  return y;\n}\n"), E_FAIL, "memory:2:"));
  EXPECT_TRUE(Failed(CompileFile(kShaders + "/does_not_exist.hlsl"), D3DXERR_INVALIDDATA, "cannot open"));
  EXPECT_TRUE(Failed(CompileFile(""), D3DXERR_INVALIDDATA, ""));
}

// A real glslang crash: the compile process ends on it, the compile fails with a message naming the
// file, this process runs on, and the next compile (in a new compile process) succeeds. If a later
// glslang no longer crashes on the fixture, it needs replacing by one that does.
TEST(ShaderCompile, ACompileThatCrashesTheCompilerFailsWithAMessageAndTheNextOneWorks) {
  const std::string crasher = kShaders + "/glslang_crash.hlsl";
  // (ended on SIGSEGV; in a sanitizer build the sanitizer takes the signal and exits)
  EXPECT_TRUE(Failed(CompileFile(crasher), E_FAIL,
                     "error: the shader compiler stopped while compiling " + crasher + " (it "));
  // The next compile works, and warnings (this file has several) do not fail it.
  const Compiled next = CompileFile(kShaders + "/truncation.hlsl");
  EXPECT_EQ(next.hr, S_OK) << next.messages;
  EXPECT_FALSE(next.code.empty());
}

// Threads compiling the same source at once (start-up compiles the user's shaders ahead while the renderer
// may ask for them) wait for one compile: each gets the complete result, and a failure, which is not
// cached, reaches every one of them with its text instead of leaving them waiting.
TEST(ShaderCompile, TheSameSourceOnSeveralThreadsAtOnceGivesEachTheWholeResult) {
  // Sources no other case compiles, so that no thread finds them in the compile cache.
  const std::string good = "float4 main(float2 uv : TEXCOORD0) : COLOR { return float4(uv, 0.125, 1); }\n";
  const std::string bad = "float4 main(float2 uv : TEXCOORD0) : COLOR { return undefined_x; }\n";
  Compiled goods[4], bads[4];
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&, i] {
      goods[i] = CompileText(good);
      bads[i] = CompileText(bad);
    });
  for (std::thread& thread : threads) thread.join();
  const Compiled alone = CompileText(good);
  ASSERT_EQ(alone.hr, S_OK) << alone.messages;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(goods[i].code, alone.code) << "thread " << i << ": " << goods[i].messages;
    EXPECT_TRUE(Failed(bads[i], E_FAIL, "undefined_x"));
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

TEST(ShaderCompile, MacrosAreDefined) {
  const D3DXMACRO macros[] = {{"GAIN", "0.25"}, {"TWICE(x)", "(2.0 * (x))"}, {nullptr, nullptr}};
  Compiled c = CompileText("float4 main() : COLOR { return GAIN * TWICE(1.0); }", "ps_3_0", nullptr, macros);
  EXPECT_EQ(c.hr, S_OK) << c.messages;
}

// What the reading of a file and of its includes refuses or takes; what the compiler refuses in any text
// is checked at the compiler's entry (tests/hlsl).
TEST_F(ShaderFiles, HostileFilesFailOrCompileWithAMessage) {
  const std::string body = "float4 main(float2 uv : TEXCOORD0) : COLOR { return float4(uv, 0, 1); }\n";
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
  // Each line doubles the one before: A40 would be 2^40 tokens.
  std::string bomb;
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
      {"binary.hlsl", binary, D3DXERR_INVALIDDATA, "not shader text"},
      {"controls.hlsl", std::string(2048, '\x01'), D3DXERR_INVALIDDATA, "not shader text"},
      {"bom8.hlsl", "\xEF\xBB\xBF" + body, S_OK, ""},
      {"utf16le.hlsl", Utf16(body, false), S_OK, ""},
      {"utf16be.hlsl", Utf16(body, true), S_OK, ""},
      {"utf16odd.hlsl", Utf16(body, false) + "x", D3DXERR_INVALIDDATA, "odd number"},
      {"latin1_comment.hlsl",
       "// Gr\xF6\xDF"
       "e\n" +
           body,
       S_OK, ""},
      {"self.hlsl", "#include \"self.hlsl\"\n" + body, E_FAIL, "#include nested more than"},
      {"guarded_self.hlsl", "#ifndef ONCE\n#define ONCE\n#include \"guarded_self.hlsl\"\n" + body + "#endif\n",
       S_OK, ""},
      {"cycle_a.hlsl", "#include \"sub/cycle_b.hlsli\"\n" + body, E_FAIL, "#include nested more than"},
      {"missing_include.hlsl", "#include \"nowhere.hlsli\"\n" + body, E_FAIL, "nowhere.hlsli"},
      {"macro_bomb_include.hlsl", "#define A0 x\n#include \"sub/bomb.hlsli\"\n" + body, E_FAIL,
       "expands to more than"},
  };
  Write("sub/cycle_b.hlsli", "#include \"../cycle_a.hlsl\"\n");
  Write("sub/bomb.hlsli", bomb);
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

TEST(ShaderTranslation, CodeThatIsNotFromTheCompilerIsRefused) {
  std::string bytes;
  TranslatedShader out;
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
