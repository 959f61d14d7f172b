// Direct3DCreate9 and the Direct3D object.
#include "renderer/d3d9/d3d9_direct3d.h"

#include <GL/glcorearb.h>

#include <atomic>

#include "common/error_line.h"
#include "renderer/d3d9/d3d9_device.h"
#include "renderer/d3d9/d3d9_formats.h"
#include "shell/win32/win32_gl.h"

unsigned long long D3D9NextObjectId() {
  static std::atomic<unsigned long long> next{1};
  return next++;
}

IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
  if (SDKVersion != D3D_SDK_VERSION) {
    WriteErrorLine("Direct3DCreate9: SDK version %u is not %u", SDKVersion, (UINT)D3D_SDK_VERSION);
    return nullptr;
  }
  return CTQD3DDirect3D::Create();
}

CTQD3DDirect3D* CTQD3DDirect3D::Create() {
  // Reads the limits of the OpenGL implementation through a short-lived context; no context, no Direct3D.
  HDC dc = GetDC(nullptr);
  if (!dc) return nullptr;
  HGLRC context = wglCreateContext(dc);
  if (!context || !wglMakeCurrent(dc, context)) {
    if (context) wglDeleteContext(context);
    ReleaseDC(nullptr, dc);
    return nullptr;
  }
  GLint maxTextureSize = 0;
  GLint maxDrawBuffers = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
  glGetIntegerv(GL_MAX_DRAW_BUFFERS, &maxDrawBuffers);
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
  ReleaseDC(nullptr, dc);
  if (maxTextureSize <= 0 || maxDrawBuffers < 2) {
    WriteErrorLine("Direct3DCreate9: the OpenGL implementation lacks two draw buffers");
    return nullptr;
  }
  CTQD3DDirect3D* direct3d = new CTQD3DDirect3D;
  direct3d->limits_.maxTextureSize = static_cast<UINT>(maxTextureSize);
  return direct3d;
}

HRESULT CTQD3DDirect3D::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
  if (Adapter != D3DADAPTER_DEFAULT || !pMode) return D3DERR_INVALIDCALL;
  UINT width = 0, height = 0, refresh = 0;
  if (!GLGetPrimaryScreenMode(&width, &height, &refresh)) return D3DERR_NOTAVAILABLE;
  pMode->Width = width;
  pMode->Height = height;
  pMode->RefreshRate = refresh;
  pMode->Format = D3DFMT_X8R8G8B8;
  return D3D_OK;
}

HRESULT CTQD3DDirect3D::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                          DWORD Usage, D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
  if (Adapter != D3DADAPTER_DEFAULT || DeviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
  if (AdapterFormat != D3DFMT_X8R8G8B8) return D3DERR_NOTAVAILABLE;
  if (Usage & D3DUSAGE_DEPTHSTENCIL) {
    const bool ok = Usage == D3DUSAGE_DEPTHSTENCIL && RType == D3DRTYPE_SURFACE &&
                    D3D9DepthInternalFormat(CheckFormat) != 0;
    return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  if ((Usage & ~(DWORD)(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) != 0) return D3DERR_NOTAVAILABLE;
  if (RType != D3DRTYPE_TEXTURE && RType != D3DRTYPE_SURFACE) return D3DERR_NOTAVAILABLE;
  return D3D9IsColorFormat(CheckFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT CTQD3DDirect3D::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) {
  if (Adapter != D3DADAPTER_DEFAULT || DeviceType != D3DDEVTYPE_HAL || !pCaps) return D3DERR_INVALIDCALL;
  *pCaps = D3DCAPS9{};
  pCaps->DeviceType = D3DDEVTYPE_HAL;
  pCaps->AdapterOrdinal = Adapter;
  pCaps->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  pCaps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  pCaps->PrimitiveMiscCaps = D3DPMISCCAPS_INDEPENDENTWRITEMASKS;
  pCaps->TextureCaps = 0;  // any size, not only powers of two
  pCaps->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFPOINT |
                             D3DPTFILTERCAPS_MAGFLINEAR;
  pCaps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                              D3DPTADDRESSCAPS_BORDER;
  pCaps->MaxTextureWidth = limits_.maxTextureSize;
  pCaps->MaxTextureHeight = limits_.maxTextureSize;
  // Vertex shaders run on the OpenGL implementation: hardware vertex processing.
  pCaps->VertexProcessingCaps = D3DVTXPCAPS_TEXGEN;
  pCaps->MaxPrimitiveCount = 0xFFFFF;
  pCaps->MaxStreams = 1;
  pCaps->MaxStreamStride = 255;
  pCaps->VertexShaderVersion = D3DVS_VERSION(3, 0);
  pCaps->MaxVertexShaderConst = D3D_VERTEX_CONSTANT_REGISTERS;
  pCaps->PixelShaderVersion = D3DPS_VERSION(3, 0);
  pCaps->NumSimultaneousRTs = 2;
  return D3D_OK;
}

HRESULT CTQD3DDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                     D3DPRESENT_PARAMETERS* pPresentationParameters,
                                     IDirect3DDevice9** ppReturnedDeviceInterface) {
  if (!ppReturnedDeviceInterface) return D3DERR_INVALIDCALL;
  *ppReturnedDeviceInterface = nullptr;
  if (Adapter != D3DADAPTER_DEFAULT || DeviceType != D3DDEVTYPE_HAL || !pPresentationParameters) {
    return D3DERR_INVALIDCALL;
  }
  const DWORD vertexProcessing = BehaviorFlags &
                                 (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                  D3DCREATE_MIXED_VERTEXPROCESSING);
  if (vertexProcessing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
      vertexProcessing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      vertexProcessing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    WriteErrorLine("CreateDevice: exactly one vertex processing flag is needed");
    return D3DERR_INVALIDCALL;
  }
  const HWND window = pPresentationParameters->hDeviceWindow ? pPresentationParameters->hDeviceWindow
                                                             : hFocusWindow;
  return CTQD3DDevice::Create(this, window, *pPresentationParameters, ppReturnedDeviceInterface);
}
