#include "renderer/d3d9/d3dx9_shader.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_compiler.h"
#include "renderer/hlsl/hlsl_source_text.h"

namespace {

constexpr DWORD kEndToken = 0x0000FFFF;  // D3DSIO_END: closes the code handed to Create*Shader

class CTQD3DXBuffer : public ID3DXBuffer {
 public:
  explicit CTQD3DXBuffer(size_t size) : bytes_(size) {}
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  LPVOID GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
  DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

 private:
  std::vector<unsigned char> bytes_;
  std::atomic<ULONG> references_{1};
};

ID3DXBuffer* NewBuffer(const void* data, size_t size) {
  CTQD3DXBuffer* buffer = new CTQD3DXBuffer(size);
  if (size > 0) std::memcpy(buffer->GetBufferPointer(), data, size);
  return buffer;
}

// The message buffer holds NUL-terminated text, as D3DX's does.
ID3DXBuffer* NewTextBuffer(const std::string& text) { return NewBuffer(text.c_str(), text.size() + 1); }

void WriteError(const char* message) {
  std::printf("[TQ] Error: ");
  std::printf("%s", message);
  std::printf("\n");
}

bool StageOfProfile(const char* profile, bool* vertexStage) {
  static const char* const kVertex[] = {"vs_2_0", "vs_2_a", "vs_3_0"};
  static const char* const kPixel[] = {"ps_2_0", "ps_2_a", "ps_2_b", "ps_3_0"};
  for (const char* p : kVertex) {
    if (std::strcmp(profile, p) == 0) return *vertexStage = true;
  }
  for (const char* p : kPixel) {
    if (std::strcmp(profile, p) == 0) {
      *vertexStage = false;
      return true;
    }
  }
  return false;
}

// "#define NAME VALUE" lines for the macros; false when a name is not an identifier (optionally with a
// parameter list).
bool DefineLines(const D3DXMACRO* defines, std::string* lines, std::string* error) {
  for (const D3DXMACRO* d = defines; d && d->Name; ++d) {
    std::string name = d->Name;
    size_t identifierEnd = 0;
    while (identifierEnd < name.size() && (std::isalnum(static_cast<unsigned char>(name[identifierEnd])) ||
                                           name[identifierEnd] == '_'))
      ++identifierEnd;
    bool valid = identifierEnd > 0 && !std::isdigit(static_cast<unsigned char>(name[0])) &&
                 (identifierEnd == name.size() || (name[identifierEnd] == '(' && name.back() == ')' &&
                                                   name.find('\n') == std::string::npos));
    if (!valid) {
      *error = "invalid macro name '" + name + "'";
      return false;
    }
    std::string value = d->Definition ? d->Definition : "";
    for (char& c : value) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    *lines += "#define " + name + " " + value + "\n";
  }
  return true;
}

HRESULT CompileShader(HlslCompileInput* input, const D3DXMACRO* pDefines, LPCSTR pFunctionName,
                      LPD3DXBUFFER* ppShader, LPD3DXBUFFER* ppErrorMsgs) {
  std::string log;
  HRESULT hr = S_OK;
  if (!DefineLines(pDefines, &input->defines, &log)) {
    hr = D3DERR_INVALIDCALL;
  } else {
    input->entryPoint = pFunctionName;
    std::vector<uint32_t> spirv;
    hr = CompileHlslToSpirv(*input, &spirv, &log);
    if (SUCCEEDED(hr)) {
      spirv.push_back(kEndToken);
      if (ppShader) *ppShader = NewBuffer(spirv.data(), spirv.size() * sizeof(uint32_t));
    }
  }
  if (ppErrorMsgs && !log.empty()) *ppErrorMsgs = NewTextBuffer(log);
  return hr;
}

// Checks the arguments both entry points share and clears the outputs. A non-null result is returned
// at once.
HRESULT CheckArguments(LPCSTR pFunctionName, LPCSTR pProfile, DWORD Flags, LPD3DXBUFFER* ppShader,
                       LPD3DXBUFFER* ppErrorMsgs, LPD3DXCONSTANTTABLE* ppConstantTable, bool* vertexStage) {
  if (ppShader) *ppShader = nullptr;
  if (ppErrorMsgs) *ppErrorMsgs = nullptr;
  if (ppConstantTable) {
    *ppConstantTable = nullptr;
    WriteError("D3DXCompileShader: constant tables are not implemented");
    return E_NOTIMPL;
  }
  if (Flags & D3DXSHADER_PACKMATRIX_ROWMAJOR) {
    WriteError("D3DXCompileShader: D3DXSHADER_PACKMATRIX_ROWMAJOR is not implemented");
    return E_NOTIMPL;
  }
  if (!pFunctionName || !pProfile || !StageOfProfile(pProfile, vertexStage)) {
    if (ppErrorMsgs) {
      *ppErrorMsgs = NewTextBuffer(std::string("error: unsupported profile '") + (pProfile ? pProfile : "") +
                                   "' or missing entry point name\n");
    }
    return D3DERR_INVALIDCALL;
  }
  return S_OK;
}

}  // namespace

HRESULT D3DXCompileShader(LPCSTR pSrcData, UINT SrcDataLen, const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                          LPCSTR pFunctionName, LPCSTR pProfile, DWORD Flags, LPD3DXBUFFER* ppShader,
                          LPD3DXBUFFER* ppErrorMsgs, LPD3DXCONSTANTTABLE* ppConstantTable) {
  HlslCompileInput input;
  HRESULT hr = CheckArguments(pFunctionName, pProfile, Flags, ppShader, ppErrorMsgs, ppConstantTable,
                              &input.vertexStage);
  if (FAILED(hr)) return hr;
  if (!pSrcData && SrcDataLen > 0) return D3DERR_INVALIDCALL;
  std::string error;
  if (!DecodeHlslSourceText(pSrcData, SrcDataLen, &input.text, &error)) {
    if (ppErrorMsgs) *ppErrorMsgs = NewTextBuffer("memory: error: " + error + "\n");
    return D3DXERR_INVALIDDATA;
  }
  input.mainName = "memory";
  input.includeHandler = pInclude;
  return CompileShader(&input, pDefines, pFunctionName, ppShader, ppErrorMsgs);
}

HRESULT D3DXCompileShaderFromFileA(LPCSTR pSrcFile, const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                                   LPCSTR pFunctionName, LPCSTR pProfile, DWORD Flags, LPD3DXBUFFER* ppShader,
                                   LPD3DXBUFFER* ppErrorMsgs, LPD3DXCONSTANTTABLE* ppConstantTable) {
  HlslCompileInput input;
  HRESULT hr = CheckArguments(pFunctionName, pProfile, Flags, ppShader, ppErrorMsgs, ppConstantTable,
                              &input.vertexStage);
  if (FAILED(hr)) return hr;
  if (!pSrcFile) return D3DERR_INVALIDCALL;
  std::string error;
  if (!ReadHlslSourceFile(pSrcFile, &input.text, &error)) {
    if (ppErrorMsgs) *ppErrorMsgs = NewTextBuffer(std::string(pSrcFile) + ": error: " + error + "\n");
    return D3DXERR_INVALIDDATA;
  }
  input.mainName = pSrcFile;
  input.mainDirectory = std::filesystem::path(pSrcFile).parent_path().string();
  input.includeHandler = pInclude;
  return CompileShader(&input, pDefines, pFunctionName, ppShader, ppErrorMsgs);
}
