// The device: creation, its GL objects, resources it creates, render targets and scenes.
#include "renderer/d3d9/d3d9_device.h"

#include <GL/glcorearb.h>

#include <cstring>

#include "common/error_line.h"
#include "renderer/d3d9/d3d9_formats.h"
#include "shell/win32/win32_user.h"

namespace {

#ifndef NDEBUG
// Debug builds report GL errors as they happen, instead of asking glGetError after every call.
void APIENTRY OnGLDebugMessage(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message, const void*) {
  if (type == GL_DEBUG_TYPE_ERROR) WriteErrorLine("OpenGL: %s", message);
}

void WatchGLErrors() {
  GLint count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &count);
  for (GLint i = 0; i < count; ++i) {
    const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
    if (name && strcmp(name, "GL_KHR_debug") == 0) {
      glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
      glDebugMessageCallback(OnGLDebugMessage, nullptr);
      return;
    }
  }
}
#endif

}  // namespace

HRESULT CTQD3DDevice::Create(CTQD3DDirect3D* direct3d, HWND window, const D3DPRESENT_PARAMETERS& parameters,
                             IDirect3DDevice9** device) {
  CTQD3DDevice* created = new CTQD3DDevice;
  created->direct3d_ = direct3d;
  created->SetOwner(direct3d);
  const HRESULT hr = created->Initialize(window, parameters);
  if (FAILED(hr)) {
    created->Release();
    return hr;
  }
  *device = created;
  return D3D_OK;
}

HRESULT CTQD3DDevice::Initialize(HWND window, const D3DPRESENT_PARAMETERS& parameters) {
  parameters_ = parameters;
  window_ = window;
  if (parameters.MultiSampleType != D3DMULTISAMPLE_NONE) {
    WriteErrorLine("CreateDevice: multisampling is not implemented");
    return D3DERR_NOTAVAILABLE;
  }
  if (parameters.PresentationInterval != D3DPRESENT_INTERVAL_DEFAULT &&
      parameters.PresentationInterval != D3DPRESENT_INTERVAL_ONE &&
      parameters.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE) {
    WriteErrorLine("CreateDevice: presentation interval 0x%x is not implemented", parameters.PresentationInterval);
    return D3DERR_INVALIDCALL;
  }
  D3DFORMAT format = parameters.BackBufferFormat;
  if (format == D3DFMT_UNKNOWN && parameters.Windowed) format = D3DFMT_X8R8G8B8;
  if (!D3D9IsColorFormat(format)) {
    WriteErrorLine("CreateDevice: back buffer format %u is not available", (UINT)format);
    return D3DERR_NOTAVAILABLE;
  }
  const unsigned depthFormat = parameters.EnableAutoDepthStencil
                                   ? D3D9DepthInternalFormat(parameters.AutoDepthStencilFormat)
                                   : 0;
  if (parameters.EnableAutoDepthStencil && !depthFormat) {
    WriteErrorLine("CreateDevice: depth format %u is not available", (UINT)parameters.AutoDepthStencilFormat);
    return D3DERR_NOTAVAILABLE;
  }

  dc_ = GetDC(window);
  if (!dc_) {
    WriteErrorLine("CreateDevice: the window has no render surface");
    return D3DERR_NOTAVAILABLE;
  }
  context_ = wglCreateContext(dc_);
  if (!context_) return D3DERR_NOTAVAILABLE;
  MakeCurrent();
  if (wglGetCurrentContext() != context_) {
    WriteErrorLine("CreateDevice: the OpenGL context cannot be made current");
    return D3DERR_NOTAVAILABLE;
  }

#ifndef NDEBUG
  WatchGLErrors();
#endif

  // A zero back-buffer dimension of a windowed device takes the size of the window's client area (which
  // holds the render surface and a docked status bar), in pixels, as Direct3D 9 does.
  GLSurfaceState surface = {};
  GLTakeSurfaceState(dc_, &surface);
  RECT client = {};
  if (parameters_.Windowed && !surface.offscreen && GetClientRect(window_, &client)) {
    const double ratio = surface.devicePixelRatio;
    if (parameters_.BackBufferWidth == 0) {
      parameters_.BackBufferWidth = static_cast<UINT>((client.right - client.left) * ratio + 0.5);
    }
    if (parameters_.BackBufferHeight == 0) {
      parameters_.BackBufferHeight = static_cast<UINT>((client.bottom - client.top) * ratio + 0.5);
    }
  }
  if (parameters_.BackBufferWidth == 0 || parameters_.BackBufferHeight == 0) {
    WriteErrorLine("CreateDevice: the back buffer has no size");
    return D3DERR_INVALIDCALL;
  }
  parameters_.BackBufferFormat = format;
  if (parameters_.BackBufferCount == 0) parameters_.BackBufferCount = 1;

  UINT screenWidth = 0, screenHeight = 0;
  GLGetPrimaryScreenMode(&screenWidth, &screenHeight, &refresh_rate_);
  if (!surface.offscreen) {
    wglSwapIntervalEXT(parameters_.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    GLSetSurfacePaintHandler(
        dc_, [](void* device) { static_cast<CTQD3DDevice*>(device)->PaintWindow(); }, this);
  }

  glGenFramebuffers(1, &draw_framebuffer_);
  glGenFramebuffers(1, &read_framebuffer_);
  glGenVertexArrays(1, &vertex_array_);
  glGenBuffers(1, &vertex_buffer_);
  glGenSamplers(D3D_MAX_SAMPLERS, samplers_);
  glBindVertexArray(vertex_array_);
  glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
  for (UINT unit = 0; unit < D3D_MAX_SAMPLERS; ++unit) glBindSampler(unit, samplers_[unit]);

  const HRESULT hr = CTQD3DTexture::Create(this, parameters_.BackBufferWidth, parameters_.BackBufferHeight,
                                           D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &back_buffer_);
  if (FAILED(hr)) return hr;
  // The device keeps the back buffer through an internal reference only, so that it does not count on the
  // device itself; GetRenderTarget hands out public references.
  back_buffer_->AddRefInternal();
  back_buffer_->Release();
  targets_[0] = back_buffer_;
  back_buffer_->AddRefInternal();

  if (depthFormat) {
    glGenRenderbuffers(1, &depth_buffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_buffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, parameters_.BackBufferWidth, parameters_.BackBufferHeight);
    depth_width_ = parameters_.BackBufferWidth;
    depth_height_ = parameters_.BackBufferHeight;
  }
  if (surface.offscreen) {
    // A device without a window presents into this picture of the back buffer's size.
    glGenTextures(1, &window_texture_);
    glActiveTexture(GL_TEXTURE0 + kD3D9UploadTextureUnit);
    glBindTexture(GL_TEXTURE_2D, window_texture_);
    D3D9AllocateColorLevel(parameters_.BackBufferWidth, parameters_.BackBufferHeight);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &window_framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, window_framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, window_texture_, 0);
    const GLfloat black[4] = {0, 0, 0, 1};
    glClearBufferfv(GL_COLOR, 0, black);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
  }
  if (glGetError() != GL_NO_ERROR) {
    WriteErrorLine("CreateDevice: OpenGL refused the device's buffers");
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  SetDefaultStates();
  return D3D_OK;
}

void CTQD3DDevice::SetDefaultStates() {
  render_states_[D3DRS_ZENABLE] = parameters_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  render_states_[D3DRS_FILLMODE] = 3;   // D3DFILL_SOLID
  render_states_[D3DRS_SHADEMODE] = 2;  // D3DSHADE_GOURAUD
  render_states_[D3DRS_ZWRITEENABLE] = TRUE;
  render_states_[D3DRS_LASTPIXEL] = TRUE;
  render_states_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  render_states_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  render_states_[D3DRS_CULLMODE] = D3DCULL_CCW;
  render_states_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  render_states_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  render_states_[D3DRS_LIGHTING] = TRUE;
  render_states_[D3DRS_COLORWRITEENABLE] = 0xF;
  render_states_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  render_states_[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
  render_states_[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
  render_states_[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
  for (UINT stage = 0; stage < D3D_MAX_SAMPLERS; ++stage) {
    DWORD* states = sampler_states_[stage];
    states[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    states[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    states[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    states[D3DSAMP_BORDERCOLOR] = 0;
    states[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    states[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    states[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    states[D3DSAMP_MAXANISOTROPY] = 1;
  }
}

void CTQD3DDevice::Destroy() {
  if (!context_) {
    if (dc_) ReleaseDC(window_, dc_);
    return;
  }
  MakeCurrent();
  for (D3D9Command& command : pending_) ReleaseCommand(command);
  pending_.clear();
  for (CTQD3DTexture*& texture : textures_) {
    if (texture) texture->ReleaseInternal();
    texture = nullptr;
  }
  for (CTQD3DTexture*& target : targets_) {
    if (target) target->ReleaseInternal();
    target = nullptr;
  }
  if (vertex_shader_) vertex_shader_->ReleaseInternal();
  if (pixel_shader_) pixel_shader_->ReleaseInternal();
  vertex_shader_ = nullptr;
  pixel_shader_ = nullptr;
  if (back_buffer_) back_buffer_->ReleaseInternal();
  back_buffer_ = nullptr;
  programs_.Destroy();
  glDeleteSamplers(D3D_MAX_SAMPLERS, samplers_);
  glDeleteBuffers(1, &vertex_buffer_);
  glDeleteVertexArrays(1, &vertex_array_);
  glDeleteFramebuffers(1, &draw_framebuffer_);
  glDeleteFramebuffers(1, &read_framebuffer_);
  if (window_framebuffer_) glDeleteFramebuffers(1, &window_framebuffer_);
  if (window_texture_) glDeleteTextures(1, &window_texture_);
  if (depth_framebuffer_) glDeleteFramebuffers(1, &depth_framebuffer_);
  if (depth_buffer_) glDeleteRenderbuffers(1, &depth_buffer_);
  if (frame_fence_) glDeleteSync(frame_fence_);
  frame_fence_ = nullptr;
  show_pending_ = FALSE;
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context_);
  context_ = nullptr;
  ReleaseDC(window_, dc_);
  dc_ = nullptr;
}

void CTQD3DDevice::MakeCurrent() {
  if (wglGetCurrentContext() != context_ || wglGetCurrentDC() != dc_) {
    wglMakeCurrent(dc_, context_);
    // Another context may have been current in between: nothing GL remembers for this one is lost, but
    // the applied-state cache is cheap to rebuild, so start from scratch.
    ResetAppliedState();
  }
}

HRESULT CTQD3DDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                    D3DPOOL Pool, IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (pSharedHandle) {
    WriteErrorLine("CreateTexture: shared handles are not implemented");
    return D3DERR_INVALIDCALL;
  }
  if (Width == 0 || Height == 0) return D3DERR_INVALIDCALL;
  if (Levels > 1 || (Levels == 0 && (Width > 1 || Height > 1))) {
    WriteErrorLine("CreateTexture: textures with more than one level are not implemented");
    return D3DERR_INVALIDCALL;
  }
  MakeCurrent();
  CTQD3DTexture* texture = nullptr;
  const HRESULT hr = CTQD3DTexture::Create(this, Width, Height, Usage, Format, Pool, &texture);
  if (FAILED(hr)) return hr;
  *ppTexture = texture;
  return D3D_OK;
}

HRESULT CTQD3DDevice::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                                  IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
  if (!ppSurface) return D3DERR_INVALIDCALL;
  *ppSurface = nullptr;
  if (Pool != D3DPOOL_SYSTEMMEM || pSharedHandle) {
    WriteErrorLine("CreateOffscreenPlainSurface: only system-memory surfaces are implemented");
    return D3DERR_INVALIDCALL;
  }
  CTQD3DSurface* surface = nullptr;
  const HRESULT hr = CTQD3DSurface::CreateSystemMemory(this, Width, Height, Format, &surface);
  if (FAILED(hr)) return hr;
  *ppSurface = surface;
  return D3D_OK;
}

HRESULT CTQD3DDevice::CreateVertexShader(const DWORD* pFunction, IDirect3DVertexShader9** ppShader) {
  if (!pFunction || !ppShader) return D3DERR_INVALIDCALL;
  *ppShader = nullptr;
  MakeCurrent();
  CTQD3DVertexShader* shader = nullptr;
  const HRESULT hr = CTQD3DVertexShader::Create(this, pFunction, &shader);
  if (FAILED(hr)) return hr;
  *ppShader = shader;
  return D3D_OK;
}

HRESULT CTQD3DDevice::CreatePixelShader(const DWORD* pFunction, IDirect3DPixelShader9** ppShader) {
  if (!pFunction || !ppShader) return D3DERR_INVALIDCALL;
  *ppShader = nullptr;
  MakeCurrent();
  CTQD3DPixelShader* shader = nullptr;
  const HRESULT hr = CTQD3DPixelShader::Create(this, pFunction, &shader);
  if (FAILED(hr)) return hr;
  *ppShader = shader;
  return D3D_OK;
}

void CTQD3DDevice::ForgetShader(unsigned long long shaderId) {
  MakeCurrent();
  programs_.ForgetShader(shaderId);
  applied_program_ = 0;
}

HRESULT CTQD3DDevice::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) {
  if (!ppRenderTarget) return D3DERR_INVALIDCALL;
  *ppRenderTarget = nullptr;
  if (RenderTargetIndex > 1) return D3DERR_INVALIDCALL;
  if (!targets_[RenderTargetIndex]) return D3DERR_NOTFOUND;
  CTQD3DSurface* surface = targets_[RenderTargetIndex]->Level0();
  surface->AddRef();
  *ppRenderTarget = surface;
  return D3D_OK;
}

HRESULT CTQD3DDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
  if (RenderTargetIndex > 1) {
    WriteErrorLine("SetRenderTarget: only render targets 0 and 1 are implemented");
    return D3DERR_INVALIDCALL;
  }
  if (RenderTargetIndex == 0 && !pRenderTarget) return D3DERR_INVALIDCALL;
  CTQD3DTexture* texture = nullptr;
  if (pRenderTarget) {
    texture = static_cast<CTQD3DSurface*>(pRenderTarget)->Container();
    if (!texture || !texture->IsRenderTarget()) return D3DERR_INVALIDCALL;
  }
  if (texture) texture->AddRefInternal();
  if (targets_[RenderTargetIndex]) targets_[RenderTargetIndex]->ReleaseInternal();
  targets_[RenderTargetIndex] = texture;
  return D3D_OK;
}

HRESULT CTQD3DDevice::GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) {
  if (!pRenderTarget || !pDestSurface) return D3DERR_INVALIDCALL;
  CTQD3DTexture* source = static_cast<CTQD3DSurface*>(pRenderTarget)->Container();
  CTQD3DSurface* dest = static_cast<CTQD3DSurface*>(pDestSurface);
  if (!source || !source->IsRenderTarget() || dest->Container() || dest->Width() != source->Width() ||
      dest->Height() != source->Height() || dest->Format() != source->Format()) {
    return D3DERR_INVALIDCALL;
  }
  MakeCurrent();
  Flush();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, read_framebuffer_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, source->GLTexture(), 0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, dest->Pitch() / 4);
  glReadPixels(0, 0, source->Width(), source->Height(), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, dest->Pixels());
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  return D3D_OK;
}

HRESULT CTQD3DDevice::BeginScene() {
  if (in_scene_) return D3DERR_INVALIDCALL;
  in_scene_ = TRUE;
  return D3D_OK;
}

HRESULT CTQD3DDevice::EndScene() {
  if (!in_scene_) return D3DERR_INVALIDCALL;
  in_scene_ = FALSE;
  return D3D_OK;
}
