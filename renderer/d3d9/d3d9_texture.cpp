// Textures: one GL texture each, with a system-memory copy for the lockable ones.
#include "renderer/d3d9/d3d9_texture.h"

#include <GL/glcorearb.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "common/error_line.h"
#include "renderer/d3d9/d3d9_device.h"
#include "renderer/d3d9/d3d9_formats.h"

namespace {

INT AlignedPitch(UINT width) { return static_cast<INT>((width * 4u + 63u) & ~63u); }

}  // namespace

HRESULT CTQD3DTexture::Create(CTQD3DDevice* device, UINT width, UINT height, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, CTQD3DTexture** texture) {
  *texture = nullptr;
  if (width == 0 || height == 0) return D3DERR_INVALIDCALL;
  if ((usage & ~(DWORD)(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY)) != 0) {
    WriteErrorLine("CreateTexture: usage 0x%x is not implemented", usage);
    return D3DERR_INVALIDCALL;
  }
  if (!D3D9IsColorFormat(format)) {
    WriteErrorLine("CreateTexture: format %u is not implemented", (UINT)format);
    return D3DERR_INVALIDCALL;
  }
  const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
  const bool dynamic = (usage & D3DUSAGE_DYNAMIC) != 0;
  if ((renderTarget && (dynamic || pool != D3DPOOL_DEFAULT)) ||
      (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED) || (dynamic && pool == D3DPOOL_MANAGED)) {
    return D3DERR_INVALIDCALL;
  }
  if (width > device->MaxTextureSize() || height > device->MaxTextureSize()) return D3DERR_INVALIDCALL;

  const bool lockable = dynamic || pool == D3DPOOL_MANAGED;
  std::vector<BYTE> memory;
  const INT pitch = AlignedPitch(width);
  if (lockable) {
    // The system-memory copy; a size the machine cannot give fails here instead of later.
    try {
      memory.assign(static_cast<size_t>(pitch) * height, 0);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glActiveTexture(GL_TEXTURE0 + kD3D9UploadTextureUnit);
  glBindTexture(GL_TEXTURE_2D, name);
  // One level, said before the storage is made: with the default filter, which uses mipmaps, the driver
  // would reserve (and clear) a whole mipmap chain, a third more memory than the one level ever used.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  // Stored as the bytes B, G, R, A come where the driver allows, so that uploads and read-backs need no
  // conversion.
  D3D9AllocateColorLevel(width, height);
  if (!D3D9FormatHasAlpha(format)) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, 0);
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    WriteErrorLine("CreateTexture: OpenGL refused a %ux%u texture (0x%x)", width, height, error);
    return error == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_INVALIDCALL;
  }

  CTQD3DTexture* created = new CTQD3DTexture;
  created->device_ = device;
  created->id_ = D3D9NextObjectId();
  created->width_ = width;
  created->height_ = height;
  created->usage_ = usage;
  created->format_ = format;
  created->pool_ = pool;
  created->gl_texture_ = name;
  created->memory_.swap(memory);
  created->pitch_ = lockable ? pitch : 0;
  created->surface_.container_ = created;
  created->surface_.device_ = device;
  created->surface_.width_ = width;
  created->surface_.height_ = height;
  created->surface_.format_ = format;
  created->SetOwner(device);
  *texture = created;
  return D3D_OK;
}

void CTQD3DTexture::Destroy() {
  device_->MakeCurrent();
  device_->ForgetTexture(gl_texture_);
  glDeleteTextures(1, &gl_texture_);
  gl_texture_ = 0;
}

HRESULT CTQD3DTexture::GetDevice(IDirect3DDevice9** ppDevice) {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *ppDevice = device_;
  return D3D_OK;
}

HRESULT CTQD3DTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  if (Level != 0 || !pDesc) return D3DERR_INVALIDCALL;
  return surface_.GetDesc(pDesc);
}

HRESULT CTQD3DTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
  if (!ppSurfaceLevel) return D3DERR_INVALIDCALL;
  *ppSurfaceLevel = nullptr;
  if (Level != 0) return D3DERR_INVALIDCALL;
  AddRef();
  *ppSurfaceLevel = &surface_;
  return D3D_OK;
}

HRESULT CTQD3DTexture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (Level != 0 || !pLockedRect || memory_.empty() || locked_) {
    if (pLockedRect && memory_.empty()) {
      WriteErrorLine("LockRect: only dynamic and managed textures can be locked");
    }
    return D3DERR_INVALIDCALL;
  }
  RECT rect = {0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
  if (pRect) {
    if (pRect->left < 0 || pRect->top < 0 || pRect->right > rect.right || pRect->bottom > rect.bottom ||
        pRect->left >= pRect->right || pRect->top >= pRect->bottom) {
      return D3DERR_INVALIDCALL;
    }
    rect = *pRect;
  }
  // Commands recorded before the lock must see the contents as they were.
  if (!(Flags & D3DLOCK_READONLY)) device_->BeforeTextureChange(this);
  locked_ = TRUE;
  lock_top_ = (Flags & D3DLOCK_READONLY) ? 0 : rect.top;
  lock_bottom_ = (Flags & D3DLOCK_READONLY) ? 0 : rect.bottom;
  pLockedRect->Pitch = pitch_;
  pLockedRect->pBits = memory_.data() + static_cast<size_t>(rect.top) * pitch_ +
                       static_cast<size_t>(rect.left) * 4;
  return D3D_OK;
}

HRESULT CTQD3DTexture::UnlockRect(UINT Level) {
  if (Level != 0 || !locked_) return D3DERR_INVALIDCALL;
  locked_ = FALSE;
  if (lock_bottom_ > lock_top_) {
    if (dirty_bottom_ > dirty_top_) {
      dirty_top_ = std::min(dirty_top_, lock_top_);
      dirty_bottom_ = std::max(dirty_bottom_, lock_bottom_);
    } else {
      dirty_top_ = lock_top_;
      dirty_bottom_ = lock_bottom_;
    }
    ++contentVersion;
  }
  return D3D_OK;
}

HRESULT CTQD3DTexture::UploadPixels(const BYTE* rows, INT pitch) {
  if (!rows || IsRenderTarget() || pitch < static_cast<INT>(width_ * 4)) return D3DERR_INVALIDCALL;
  device_->BeforeTextureChange(this);
  if (!memory_.empty()) {
    for (UINT y = 0; y < height_; ++y) {
      memcpy(memory_.data() + static_cast<size_t>(y) * pitch_, rows + static_cast<size_t>(y) * pitch, width_ * 4u);
    }
    dirty_top_ = 0;
    dirty_bottom_ = static_cast<LONG>(height_);
  } else {
    device_->MakeCurrent();
    glActiveTexture(GL_TEXTURE0 + kD3D9UploadTextureUnit);
    glBindTexture(GL_TEXTURE_2D, gl_texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch / 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_BGRA,
                    GL_UNSIGNED_INT_8_8_8_8_REV, rows);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  ++contentVersion;
  return D3D_OK;
}

void CTQD3DTexture::UploadPendingRows() {
  if (dirty_bottom_ <= dirty_top_) return;
  glActiveTexture(GL_TEXTURE0 + kD3D9UploadTextureUnit);
  glBindTexture(GL_TEXTURE_2D, gl_texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch_ / 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, dirty_top_, static_cast<GLsizei>(width_), dirty_bottom_ - dirty_top_,
                  GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, memory_.data() + static_cast<size_t>(dirty_top_) * pitch_);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  dirty_top_ = dirty_bottom_ = 0;
}
