#include "renderer/d3d9/d3dx9_shader.h"

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "common/error_line.h"
#include "renderer/hlsl/hlsl_compile.h"

namespace {

static_assert(kHlslOk == S_OK && kHlslFailed == E_FAIL && kHlslOutOfMemory == E_OUTOFMEMORY &&
                  kHlslInvalidCall == D3DERR_INVALIDCALL && kHlslInvalidPointer == E_POINTER &&
                  kHlslInvalidData == D3DXERR_INVALIDDATA,
              "the compiler's results are the HRESULTs handed on");

// The caller's ID3DXInclude as the compiler's source of included files.
class CTQD3DXIncludeSource : public CTQHlslIncludeSource {
 public:
  explicit CTQD3DXIncludeSource(ID3DXInclude* include) : include_(include) {}
  bool Open(bool system, const char* name, const void* parent, const void** data, uint32_t* bytes) override {
    return SUCCEEDED(include_->Open(system ? D3DXINC_SYSTEM : D3DXINC_LOCAL, name, parent, data, bytes));
  }
  void Close(const void* data) override { include_->Close(data); }

 private:
  ID3DXInclude* include_;
};

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

// Compiles the request with the macros and include handler of the call, and hands out the module closed by
// the end token, and the compiler's text.
HRESULT CompileShader(HlslCompileRequest* request, const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                      LPD3DXBUFFER* ppShader, LPD3DXBUFFER* ppErrorMsgs) {
  for (const D3DXMACRO* d = pDefines; d && d->Name; ++d) {
    request->defines.push_back({d->Name, d->Definition ? d->Definition : ""});
  }
  CTQD3DXIncludeSource includes(pInclude);
  if (pInclude) request->includes = &includes;
  HlslCompileResult result = CompileHlsl(*request);
  if (SUCCEEDED(result.status) && ppShader) {
    result.spirv.push_back(D3DSIO_END);
    *ppShader = NewBuffer(result.spirv.data(), result.spirv.size() * sizeof(uint32_t));
  }
  if (ppErrorMsgs && !result.messages.empty()) *ppErrorMsgs = NewTextBuffer(result.messages);
  return result.status;
}

// Checks the arguments both entry points share and clears the outputs. A non-null result is returned
// at once.
HRESULT CheckArguments(LPCSTR pFunctionName, LPCSTR pProfile, DWORD Flags, LPD3DXBUFFER* ppShader,
                       LPD3DXBUFFER* ppErrorMsgs, LPD3DXCONSTANTTABLE* ppConstantTable) {
  if (ppShader) *ppShader = nullptr;
  if (ppErrorMsgs) *ppErrorMsgs = nullptr;
  if (ppConstantTable) {
    *ppConstantTable = nullptr;
    WriteErrorLine("D3DXCompileShader: constant tables are not implemented");
    return E_NOTIMPL;
  }
  if (Flags & D3DXSHADER_PACKMATRIX_ROWMAJOR) {
    WriteErrorLine("D3DXCompileShader: D3DXSHADER_PACKMATRIX_ROWMAJOR is not implemented");
    return E_NOTIMPL;
  }
  bool vertexStage = false;
  if (!pFunctionName || !pProfile || !HlslStageOfProfile(pProfile, &vertexStage)) {
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
  HRESULT hr = CheckArguments(pFunctionName, pProfile, Flags, ppShader, ppErrorMsgs, ppConstantTable);
  if (FAILED(hr)) return hr;
  if (!pSrcData && SrcDataLen > 0) return D3DERR_INVALIDCALL;
  HlslCompileRequest request;
  if (SrcDataLen > 0) request.source.assign(pSrcData, SrcDataLen);
  request.entryPoint = pFunctionName;
  request.profile = pProfile;
  return CompileShader(&request, pDefines, pInclude, ppShader, ppErrorMsgs);
}

HRESULT D3DXCompileShaderFromFileA(LPCSTR pSrcFile, const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                                   LPCSTR pFunctionName, LPCSTR pProfile, DWORD Flags, LPD3DXBUFFER* ppShader,
                                   LPD3DXBUFFER* ppErrorMsgs, LPD3DXCONSTANTTABLE* ppConstantTable) {
  HRESULT hr = CheckArguments(pFunctionName, pProfile, Flags, ppShader, ppErrorMsgs, ppConstantTable);
  if (FAILED(hr)) return hr;
  if (!pSrcFile) return D3DERR_INVALIDCALL;
  HlslCompileRequest request;
  request.fromFile = true;
  request.sourceFile = pSrcFile;
  request.entryPoint = pFunctionName;
  request.profile = pProfile;
  return CompileShader(&request, pDefines, pInclude, ppShader, ppErrorMsgs);
}
