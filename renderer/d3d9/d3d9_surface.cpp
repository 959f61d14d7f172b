// Surfaces: level 0 of a texture (sharing its reference count) or system-memory pixels.
#include <cstring>
#include <new>

#include "renderer/d3d9/d3d9_device.h"
#include "renderer/d3d9/d3d9_formats.h"
#include "renderer/d3d9/d3d9_texture.h"

HRESULT CTQD3DSurface::CreateSystemMemory(CTQD3DDevice* device, UINT width, UINT height, D3DFORMAT format,
                                          CTQD3DSurface** surface) {
  *surface = nullptr;
  if (width == 0 || height == 0 || !D3D9IsColorFormat(format)) return D3DERR_INVALIDCALL;
  if (width > device->MaxTextureSize() || height > device->MaxTextureSize()) return D3DERR_INVALIDCALL;
  CTQD3DSurface* created = new CTQD3DSurface;
  created->pitch_ = static_cast<INT>(width * 4u);
  try {
    created->pixels_.assign(static_cast<size_t>(created->pitch_) * height, 0);
  } catch (const std::bad_alloc&) {
    delete created;
    return E_OUTOFMEMORY;
  }
  created->device_ = device;
  created->width_ = width;
  created->height_ = height;
  created->format_ = format;
  created->SetOwner(device);
  *surface = created;
  return D3D_OK;
}

ULONG CTQD3DSurface::AddRef() {
  if (container_) return container_->AddRef();
  return CTQD3DObject<IDirect3DSurface9>::AddRef();
}

ULONG CTQD3DSurface::Release() {
  if (container_) return container_->Release();
  return CTQD3DObject<IDirect3DSurface9>::Release();
}

void CTQD3DSurface::Destroy() { pixels_.clear(); }

HRESULT CTQD3DSurface::GetDevice(IDirect3DDevice9** ppDevice) {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *ppDevice = device_;
  return D3D_OK;
}

HRESULT CTQD3DSurface::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = D3DSURFACE_DESC{};
  pDesc->Format = format_;
  pDesc->Type = D3DRTYPE_SURFACE;
  pDesc->Usage = container_ ? container_->Usage() : 0;
  pDesc->Pool = container_ ? container_->Pool() : D3DPOOL_SYSTEMMEM;
  pDesc->MultiSampleType = D3DMULTISAMPLE_NONE;
  pDesc->Width = width_;
  pDesc->Height = height_;
  return D3D_OK;
}

HRESULT CTQD3DSurface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (container_) return container_->LockRect(0, pLockedRect, pRect, Flags);
  if (!pLockedRect || locked_) return D3DERR_INVALIDCALL;
  RECT rect = {0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  if (pRect) {
    if (pRect->left < 0 || pRect->top < 0 || pRect->right > rect.right || pRect->bottom > rect.bottom ||
        pRect->left >= pRect->right || pRect->top >= pRect->bottom) {
      return D3DERR_INVALIDCALL;
    }
    rect = *pRect;
  }
  locked_ = TRUE;
  pLockedRect->Pitch = pitch_;
  pLockedRect->pBits = pixels_.data() + static_cast<size_t>(rect.top) * pitch_ +
                       static_cast<size_t>(rect.left) * 4;
  return D3D_OK;
}

HRESULT CTQD3DSurface::UnlockRect() {
  if (container_) return container_->UnlockRect(0);
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = FALSE;
  return D3D_OK;
}
