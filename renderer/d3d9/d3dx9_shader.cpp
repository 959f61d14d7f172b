#include "renderer/d3d9/d3dx9_shader.h"

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/error_line.h"
#include "renderer/d3d9/d3d9_shader_code.h"
#include "renderer/d3d9/d3dx9_compile_process.h"
#include "renderer/d3d9/d3dx9_include_resolver.h"
#include "renderer/hlsl/hlsl_compile.h"
#include "renderer/hlsl/hlsl_file_includes.h"
#include "renderer/hlsl/hlsl_source_text.h"

namespace {

static_assert(kHlslOk == S_OK && kHlslFailed == E_FAIL && kHlslOutOfMemory == E_OUTOFMEMORY &&
                  kHlslInvalidCall == D3DERR_INVALIDCALL && kHlslInvalidPointer == E_POINTER &&
                  kHlslInvalidData == D3DXERR_INVALIDDATA,
              "the compiler's results are the HRESULTs handed on");

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

// Runs the compile in the compile process. A file is read here, and includes are resolved here: through
// the caller's handler, or as files relative to the including file. The code buffer carries the
// translated shader closed by the end token.
HRESULT CompileShader(const HlslCompileRequest& request, const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                      LPD3DXBUFFER* ppShader, LPD3DXBUFFER* ppErrorMsgs) {
  HlslCompileJob job;
  std::string mainDirectory;
  if (request.fromFile) {
    std::string error;
    if (!ReadHlslSourceFile(request.sourceFile, &job.text, &error)) {
      if (ppErrorMsgs) *ppErrorMsgs = NewTextBuffer(request.sourceFile + ": error: " + error + "\n");
      return D3DXERR_INVALIDDATA;
    }
    job.mainName = request.sourceFile;
    mainDirectory = std::filesystem::path(request.sourceFile).parent_path().string();
  } else {
    job.text = request.source;
  }
  for (const D3DXMACRO* d = pDefines; d && d->Name; ++d) {
    job.defines.push_back({d->Name, d->Definition ? d->Definition : ""});
  }
  job.entryPoint = request.entryPoint;
  job.profile = request.profile;
  CTQHlslFileIncludes files;
  files.Initialize(job.mainName.empty() ? "memory" : job.mainName, mainDirectory);
  CTQD3DXIncludeResolver handled(pInclude);
  CTQHlslIncludeResolver* includes = pInclude ? static_cast<CTQHlslIncludeResolver*>(&handled) : &files;
  HlslCompileReply reply;
  HRESULT hr = E_FAIL;
  if (D3DXCompileProcess()->Compile(job, includes, &reply) == CTQHlslCompileProcess::kAnswered) {
    hr = reply.status;
    if (SUCCEEDED(hr) && ppShader) {
      std::vector<DWORD> code = PackShaderCode(reply.code);
      *ppShader = NewBuffer(code.data(), code.size() * sizeof(DWORD));
    }
  } else {
    // The compiler crashed, hung or could not be started: the program goes on, and says why once.
    std::string line = reply.log.substr(0, reply.log.find('\n'));
    if (line.rfind("error: ", 0) == 0) line.erase(0, 7);
    WriteErrorLine("%s", line.c_str());
  }
  if (ppErrorMsgs && !reply.log.empty()) *ppErrorMsgs = NewTextBuffer(reply.log);
  return hr;
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
  return CompileShader(request, pDefines, pInclude, ppShader, ppErrorMsgs);
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
  return CompileShader(request, pDefines, pInclude, ppShader, ppErrorMsgs);
}
