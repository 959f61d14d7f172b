// CTQRenderer resources: the eye render targets, the source texture (movie frames or a still image) and
// its lock for uploads, and the release of the pixel shaders.
#include "common/error_line.h"
#include "renderer/com_release.h"
#include "renderer/d3d9/d3dx9.h"
#include "renderer/renderer.h"

int CTQRenderer::CreateEyeTargets(uint32_t width, uint32_t height) {
  ReleaseEyeTargets();
  if (width != 0 && height != 0) {
    content_width_ = width;
    content_height_ = height;
  }
  if (content_width_ == 0 || content_height_ == 0) {
    return 0;
  }
  if (device_ == nullptr) {
    return 1;  // shut down: there is nothing to create the targets on
  }
  for (int eye = 0; eye < 2; ++eye) {
    HRESULT hr = device_->CreateTexture(content_width_, content_height_, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                        D3DPOOL_DEFAULT, &eye_textures_[eye], nullptr);
    if (hr < 0) {
      eye_textures_[eye] = nullptr;
      WriteErrorLine("Error creating source texture: hr=0x%x", static_cast<unsigned>(hr));
      Shutdown();
      return 1;
    }
  }
  eye_textures_[0]->GetSurfaceLevel(0, &eye_surfaces_[0]);
  eye_textures_[1]->GetSurfaceLevel(0, &eye_surfaces_[1]);
  return 0;
}

int CTQRenderer::ReleaseEyeTargets() {
  ReleaseAndClear(eye_textures_[0]);
  ReleaseAndClear(eye_textures_[1]);
  ReleaseAndClear(eye_surfaces_[0]);
  ReleaseAndClear(eye_surfaces_[1]);
  return 0;
}

int CTQRenderer::ReleasePixelShaders() {
  ReleaseAndClear(decoder_shader_);
  ReleaseAndClear(encoder_shader_);
  return 0;
}

int CTQRenderer::CreateSourceTexture(uint32_t width, uint32_t height) {
  if (initialized_ == 0) {
    return 1;
  }
  ReleaseAndClear(source_texture_);
  HRESULT hr = device_->CreateTexture(width, height, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                      &source_texture_, nullptr);
  if (hr < 0) {
    source_texture_ = nullptr;
    WriteErrorLine("Error creating source texture: hr=0x%x", static_cast<unsigned>(hr));
    return 1;
  }
  return CreateEyeTargets(width, height);
}

int CTQRenderer::LoadImageTexture(const char* path) {
  if (initialized_ == 0) {
    return 1;
  }
  ReleaseAndClear(source_texture_);
  HRESULT hr = D3DXCreateTextureFromFileExA(device_, path, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0,
                                            D3DFMT_FROM_FILE, D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                            0, nullptr, nullptr, &source_texture_);
  if (hr < 0) {
    source_texture_ = nullptr;
    WriteErrorLine("Failed to create image texture!");
    return 1;
  }
  D3DSURFACE_DESC desc = {};
  source_texture_->GetLevelDesc(0, &desc);
  return CreateEyeTargets(desc.Width, desc.Height);
}

int CTQRenderer::LockSource(uint8_t** bits, int32_t* pitch) {
  if (initialized_ == 0 || bits == nullptr || pitch == nullptr || source_texture_ == nullptr) {
    return 1;
  }
  D3DLOCKED_RECT locked = {};
  if (source_texture_->LockRect(0, &locked, nullptr, 0) < 0) {
    *bits = nullptr;
    *pitch = 0;
    return 1;
  }
  *bits = static_cast<uint8_t*>(locked.pBits);
  *pitch = locked.Pitch;
  return 0;
}

int CTQRenderer::UnlockSource() {
  if (initialized_ == 0 || source_texture_ == nullptr) {
    return 1;
  }
  source_texture_->UnlockRect(0);
  return 0;
}
