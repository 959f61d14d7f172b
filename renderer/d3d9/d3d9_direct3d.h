// The Direct3D object: adapter 0 is the primary screen, with the limits of the OpenGL 4.1 implementation.
#pragma once

#include "renderer/d3d9/d3d9_object.h"

struct D3D9AdapterLimits {
  UINT maxTextureSize;
};

class CTQD3DDirect3D final : public CTQD3DObject<IDirect3D9> {
 public:
  // Null when no OpenGL 4.1 core context can be made.
  static CTQD3DDirect3D* Create();

  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
  HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                            D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
  HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override;
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;

  const D3D9AdapterLimits& Limits() const { return limits_; }

 private:
  CTQD3DDirect3D() = default;
  ~CTQD3DDirect3D() override = default;
  void Destroy() override {}
  D3D9AdapterLimits limits_ = {};
};
