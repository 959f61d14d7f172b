// D3DX 9-shaped HLSL compiler: DX9 HLSL (vs_3_0 / ps_3_0) compiled by the shader compiler
// (renderer/hlsl) in its own process, the compile process (d3dx9_compile_process.h), so that a compiler
// crash or hang is a failed compile and never takes this program down.
//
// Implements, with D3DX 9's names, argument orders and results:
//  - ID3DXBuffer (GetBufferPointer, GetBufferSize, reference counted).
//  - ID3DXInclude (an include handler the caller may pass; Open/Close), D3DXMACRO definitions.
//  - D3DXCompileShader (source text in memory) and D3DXCompileShaderFromFileA (a file; #include is
//    resolved relative to the including file). Profiles vs_2_0, vs_2_a, vs_3_0 (vertex) and ps_2_0,
//    ps_2_a, ps_2_b, ps_3_0 (pixel), all compiled with the shader model 3 rules; any entry function name.
//
// The code buffer holds the translated shader closed by the end token D3DSIO_END (0x0000FFFF)
// (d3d9_shader_code.h), which is what IDirect3DDevice9::CreateVertexShader / CreatePixelShader take. The
// message buffer holds the compiler's text (errors and warnings, "file:line: ..."), also on success when
// there are warnings.
//
// Results: D3D_OK; E_FAIL when the source does not compile (text in the message buffer), also when it
// uses registers or semantics that shader model 3 does not have (overlapping or out-of-range registers);
// D3DXERR_INVALIDDATA when the file cannot be read or is not shader text (binary, undecodable, too large);
// D3DERR_INVALIDCALL for missing arguments or an unknown profile; E_NOTIMPL for a constant table output
// and for the flag D3DXSHADER_PACKMATRIX_ROWMAJOR (both also write one error line). Code beyond what
// shader model 3 holds (more than 512 instruction slots after unrolling, more than 65535 executed
// instructions) is E_FAIL with a message that names the limit. When the compile process crashes, answers
// nothing within its time limit (10 s) or sends a reply that does not parse, the result is E_FAIL with
// "error: the shader compiler stopped while compiling FILE (...)" in the message buffer and on standard
// output; the next compile starts a new compile process.
#pragma once

#include "renderer/d3d9/d3d9.h"

#define D3DXERR_INVALIDDATA MAKE_D3DHRESULT(2905)

// Compile flags. Those that only steer optimisation, debug information or flow-control preferences are
// accepted and have no effect here; the DX9 compatibility rules are always on.
#define D3DXSHADER_DEBUG (1 << 0)
#define D3DXSHADER_SKIPVALIDATION (1 << 1)
#define D3DXSHADER_SKIPOPTIMIZATION (1 << 2)
#define D3DXSHADER_PACKMATRIX_ROWMAJOR (1 << 3)
#define D3DXSHADER_PACKMATRIX_COLUMNMAJOR (1 << 4)
#define D3DXSHADER_PARTIALPRECISION (1 << 5)
#define D3DXSHADER_FORCE_VS_SOFTWARE_NOOPT (1 << 6)
#define D3DXSHADER_FORCE_PS_SOFTWARE_NOOPT (1 << 7)
#define D3DXSHADER_NO_PRESHADER (1 << 8)
#define D3DXSHADER_AVOID_FLOW_CONTROL (1 << 9)
#define D3DXSHADER_PREFER_FLOW_CONTROL (1 << 10)
#define D3DXSHADER_ENABLE_BACKWARDS_COMPATIBILITY (1 << 12)
#define D3DXSHADER_IEEE_STRICTNESS (1 << 13)
#define D3DXSHADER_OPTIMIZATION_LEVEL0 (1 << 14)
#define D3DXSHADER_OPTIMIZATION_LEVEL1 0
#define D3DXSHADER_OPTIMIZATION_LEVEL2 ((1 << 14) | (1 << 15))
#define D3DXSHADER_OPTIMIZATION_LEVEL3 (1 << 15)
#define D3DXSHADER_USE_LEGACY_D3DX9_31_DLL (1 << 16)

struct D3DXMACRO {
  LPCSTR Name;        // a null Name ends the array
  LPCSTR Definition;  // null means an empty definition
};
typedef D3DXMACRO* LPD3DXMACRO;

enum D3DXINCLUDE_TYPE : DWORD { D3DXINC_LOCAL = 0, D3DXINC_SYSTEM = 1 };

// A caller-supplied source of #include files. Open hands out the whole file; Close gets the same pointer
// back once the compiler no longer needs it. pParentData is the data of the including file (null for the
// main source).
class ID3DXInclude {
 public:
  virtual HRESULT Open(D3DXINCLUDE_TYPE IncludeType, LPCSTR pFileName, LPCVOID pParentData, LPCVOID* ppData,
                       UINT* pBytes) = 0;
  virtual HRESULT Close(LPCVOID pData) = 0;

 protected:
  virtual ~ID3DXInclude() = default;
};
typedef ID3DXInclude* LPD3DXINCLUDE;

class ID3DXBuffer : public IUnknown {
 public:
  virtual LPVOID GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

// Constant tables are not produced (the system sets registers by number); only a null output is taken.
class ID3DXConstantTable;
typedef ID3DXConstantTable* LPD3DXCONSTANTTABLE;

HRESULT D3DXCompileShader(LPCSTR pSrcData, UINT SrcDataLen, const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                          LPCSTR pFunctionName, LPCSTR pProfile, DWORD Flags, LPD3DXBUFFER* ppShader,
                          LPD3DXBUFFER* ppErrorMsgs, LPD3DXCONSTANTTABLE* ppConstantTable);

HRESULT D3DXCompileShaderFromFileA(LPCSTR pSrcFile, const D3DXMACRO* pDefines, LPD3DXINCLUDE pInclude,
                                   LPCSTR pFunctionName, LPCSTR pProfile, DWORD Flags, LPD3DXBUFFER* ppShader,
                                   LPD3DXBUFFER* ppErrorMsgs, LPD3DXCONSTANTTABLE* ppConstantTable);
