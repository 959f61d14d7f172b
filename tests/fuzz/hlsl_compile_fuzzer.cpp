// libFuzzer target for the whole shader compile as a user's file reaches it: D3DXCompileShader with
// entry "main" and ps_3_0, which runs the compile in the compile process, so the pre-pass, glslang's
// preprocessor and parser, the SPIR-V step and the GLSL translation all see the bytes there. The text
// after a line "//@include" is what every #include of the input reads (through an include handler, over
// the pipes), so include handling and nesting are fuzzed too.
// Any input must give either code or a failure with an error message, in this process. A crash or hang of
// the compiler is such a failure ("the shader compiler stopped while compiling ..."): it is counted, and
// the count is printed when the run ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "renderer/d3d9/d3dx9_compile_process.h"
#include "renderer/d3d9/d3dx9_shader.h"

namespace {

const char kIncludeMark[] = "//@include\n";

// Hands out the same text for every name, the way one file including itself or another would.
class FuzzIncludes : public ID3DXInclude {
 public:
  explicit FuzzIncludes(const std::string* text) : text_(text) {}
  HRESULT Open(D3DXINCLUDE_TYPE, LPCSTR, LPCVOID, LPCVOID* ppData, UINT* pBytes) override {
    if (text_ == nullptr) return E_FAIL;
    *ppData = text_->data();
    *pBytes = static_cast<UINT>(text_->size());
    ++open_;
    return S_OK;
  }
  HRESULT Close(LPCVOID) override {
    --open_;
    return S_OK;
  }
  int open() const { return open_; }

 private:
  const std::string* text_;
  int open_ = 0;
};

void PrintStops() {
  std::fprintf(stderr, "hlsl_compile_fuzzer: the compile process stopped (crashed or hung) on %d inputs\n",
               D3DXCompileProcess()->StoppedCount());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  D3DXCompileProcess();  // made first, so that the count is printed before it ends at exit
  std::atexit(PrintStops);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t mark = input.find(kIncludeMark);
  const std::string main = input.substr(0, mark);
  std::string included;
  if (mark != std::string::npos) included = input.substr(mark + sizeof(kIncludeMark) - 1);
  FuzzIncludes includes(mark != std::string::npos ? &included : nullptr);

  LPD3DXBUFFER code = nullptr;
  LPD3DXBUFFER errors = nullptr;
  HRESULT hr = D3DXCompileShader(main.data(), static_cast<UINT>(main.size()), nullptr, &includes, "main", "ps_3_0",
                                 0, &code, &errors, nullptr);
  if (includes.open() != 0) abort();  // every opened include is given back
  if (SUCCEEDED(hr)) {
    if (code == nullptr || code->GetBufferSize() < 8) abort();
  } else {
    // A failed compile always explains itself.
    if (code != nullptr || errors == nullptr || strlen(static_cast<const char*>(errors->GetBufferPointer())) == 0)
      abort();
  }
  if (code) code->Release();
  if (errors) errors->Release();
  return 0;
}
