// Textures and surfaces of the graphics layer.
//
// A texture is one GL texture (RGBA8, stored top row first). Dynamic and managed textures keep a
// system-memory copy that LockRect hands out (B, G, R, A bytes, 64-byte aligned pitch); UnlockRect marks
// the changed rows and raises the content version, and the rows go up to GL as GL_BGRA /
// GL_UNSIGNED_INT_8_8_8_8_REV the next time a draw needs the texture. Render-target textures (the back
// buffer among them) are drawn into through a framebuffer object.
//
// A surface is either level 0 of a texture, sharing the texture's reference count as in Direct3D 9, or a
// system-memory surface (CreateOffscreenPlainSurface) with its own pixels and count.
#pragma once

#include <vector>

#include "renderer/d3d9/d3d9_object.h"

class CTQD3DDevice;
class CTQD3DTexture;

// The texture unit through which textures are created and uploaded, next to the sampler units, so that
// those keep their bindings.
constexpr unsigned kD3D9UploadTextureUnit = D3D_MAX_SAMPLERS;

class CTQD3DSurface final : public CTQD3DObject<IDirect3DSurface9> {
 public:
  // A system-memory surface with one reference.
  static HRESULT CreateSystemMemory(CTQD3DDevice* device, UINT width, UINT height, D3DFORMAT format,
                                    CTQD3DSurface** surface);

  // A level surface counts on its texture.
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect() override;

  // The texture this surface is level 0 of, or null for a system-memory surface.
  CTQD3DTexture* Container() const { return container_; }
  // Pixels and pitch of a system-memory surface.
  BYTE* Pixels() { return pixels_.data(); }
  INT Pitch() const { return pitch_; }
  UINT Width() const { return width_; }
  UINT Height() const { return height_; }
  D3DFORMAT Format() const { return format_; }

 private:
  friend class CTQD3DTexture;
  CTQD3DSurface() = default;
  ~CTQD3DSurface() override = default;
  void Destroy() override;

  CTQD3DTexture* container_ = nullptr;
  CTQD3DDevice* device_ = nullptr;
  UINT width_ = 0;
  UINT height_ = 0;
  D3DFORMAT format_ = D3DFMT_UNKNOWN;
  // System-memory surfaces only.
  INT pitch_ = 0;
  std::vector<BYTE> pixels_;
  BOOL locked_ = FALSE;
};

class CTQD3DTexture final : public CTQD3DObject<IDirect3DTexture9> {
 public:
  // Needs the device's GL context current. Refuses zero sizes, sizes beyond the GL limit, other formats.
  static HRESULT Create(CTQD3DDevice* device, UINT width, UINT height, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        CTQD3DTexture** texture);

  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return 1; }
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;

  // Replaces the whole level with B, G, R, A rows (any pool and usage but render targets).
  HRESULT UploadPixels(const BYTE* rows, INT pitch);
  // Sends rows changed through LockRect to GL; called with the device's context current.
  void UploadPendingRows();

  unsigned GLTexture() const { return gl_texture_; }
  UINT Width() const { return width_; }
  UINT Height() const { return height_; }
  D3DFORMAT Format() const { return format_; }
  BOOL IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
  DWORD Usage() const { return usage_; }
  D3DPOOL Pool() const { return pool_; }
  CTQD3DSurface* Level0() { return &surface_; }
  unsigned long long Id() const { return id_; }

  // Changes of the contents from the processor (UnlockRect, UploadPixels) and from drawing.
  unsigned long long contentVersion = 0;
  unsigned long long renderVersion = 0;
  // Number of recorded, not yet executed commands that use the texture; the frame of the last recorded
  // command that drew into it.
  int pendingUses = 0;
  unsigned long long lastTargetFrame = 0;

 private:
  CTQD3DTexture() = default;
  ~CTQD3DTexture() override = default;
  void Destroy() override;

  CTQD3DDevice* device_ = nullptr;
  unsigned long long id_ = 0;
  UINT width_ = 0;
  UINT height_ = 0;
  DWORD usage_ = 0;
  D3DFORMAT format_ = D3DFMT_UNKNOWN;
  D3DPOOL pool_ = D3DPOOL_DEFAULT;
  unsigned gl_texture_ = 0;
  std::vector<BYTE> memory_;  // lockable textures: the system-memory copy
  INT pitch_ = 0;
  BOOL locked_ = FALSE;
  LONG dirty_top_ = 0;  // rows [dirty_top_, dirty_bottom_) wait for upload
  LONG dirty_bottom_ = 0;
  LONG lock_top_ = 0;
  LONG lock_bottom_ = 0;
  CTQD3DSurface surface_;
};
