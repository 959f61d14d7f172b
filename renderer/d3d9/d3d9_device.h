// The device: one OpenGL 4.1 core context on the window's render surface (an offscreen surface for a null
// window), the shadow state of Direct3D 9 (render and sampler states, textures, shaders, render targets,
// 256 vertex and 224 pixel float4 constant registers that persist across draws), and the frame's recorded
// commands.
//
// Draws and clears are recorded with a copy of the state they need and a digest of it; Present executes
// the frame, unless its digest equals the previous frame's (same draws, states, constants, shaders, targets
// and texture contents), in which case the picture already on screen is kept. Anything that must see the
// results earlier (locking a texture a recorded command uses, reading a render target) executes the
// recorded commands first.
#pragma once

#include <chrono>
#include <vector>

#include "renderer/d3d9/d3d9_command.h"
#include "renderer/d3d9/d3d9_direct3d.h"
#include "renderer/d3d9/d3d9_frame_repeat.h"
#include "renderer/d3d9/d3d9_program.h"
#include "renderer/d3d9/d3d9_shader.h"
#include "renderer/d3d9/d3d9_texture.h"
#include "shell/win32/win32_gl.h"

class CTQD3DDevice final : public CTQD3DObject<IDirect3DDevice9> {
 public:
  static HRESULT Create(CTQD3DDirect3D* direct3d, HWND window, const D3DPRESENT_PARAMETERS& parameters,
                        IDirect3DDevice9** device);

  // IDirect3DDevice9
  HRESULT GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
  HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface) override;
  HRESULT GetFrontBufferData(UINT iSwapChain, IDirect3DSurface9* pDestSurface) override;
  HRESULT CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) override;
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                        IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
  HRESULT CreateVertexShader(const DWORD* pFunction, IDirect3DVertexShader9** ppShader) override;
  HRESULT CreatePixelShader(const DWORD* pFunction, IDirect3DPixelShader9** ppShader) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
  HRESULT SetFVF(DWORD FVF) override;
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
  HRESULT SetVertexShader(IDirect3DVertexShader9* pShader) override;
  HRESULT SetPixelShader(IDirect3DPixelShader9* pShader) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT SetVertexShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount) override;
  HRESULT GetVertexShaderConstantF(UINT StartRegister, float* pConstantData, UINT Vector4fCount) override;
  HRESULT SetPixelShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount) override;
  HRESULT GetPixelShaderConstantF(UINT StartRegister, float* pConstantData, UINT Vector4fCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, const void* pVertexStreamZeroData,
                          UINT VertexStreamZeroStride) override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;

  // Layer-internal.
  void MakeCurrent();
  UINT MaxTextureSize() const { return direct3d_->Limits().maxTextureSize; }
  // Executes every recorded command.
  void Flush();
  // Before the processor changes a texture: executes recorded commands that use it.
  void BeforeTextureChange(CTQD3DTexture* texture);
  // A shader is going away: its linked programs go with it.
  void ForgetShader(unsigned long long shaderId);
  // A GL texture is going away: forget where it was bound.
  void ForgetTexture(unsigned glTexture);
  // Frames Present did not draw again because nothing had changed, since the device was created.
  unsigned long long SkippedFrames() const { return frame_repeat_.SkippedFrames(); }

 private:
  CTQD3DDevice() = default;
  ~CTQD3DDevice() override = default;
  void Destroy() override;
  HRESULT Initialize(HWND window, const D3DPRESENT_PARAMETERS& parameters);
  void SetDefaultStates();

  // Recording and execution (d3d9_device_draw.cpp).
  void Record(D3D9Command&& command);
  void Execute(D3D9Command& command);
  void ExecuteClear(const D3D9Command& command);
  void ExecuteDraw(D3D9Command& command);
  // Binds the targets to the draw framebuffer, with the depth buffer attached when `withDepth` and it
  // serves them.
  void BindTargets(CTQD3DTexture* const targets[2], bool withDepth);
  // The depth buffer serves targets that fit in it, as a Direct3D 9 depth surface must be at least as
  // large as the render target.
  bool DepthServes(const CTQD3DTexture* target) const;
  unsigned DepthAttachment() const;
  // Clears of the whole depth buffer are held back until a draw tests depth or a part of the buffer is
  // cleared (d3d9_depth_clear.cpp).
  void DeferDepthClear(DWORD flags, float z, DWORD stencil);
  void ApplyPendingDepthClear();
  void ApplyRenderStates(const D3D9RenderStates& states);
  void ApplySampler(UINT unit, CTQD3DTexture* texture, const D3D9SamplerStates& states);
  void ReleaseCommand(D3D9Command& command);
  void ResetAppliedState();

  // Presenting (d3d9_present.cpp).
  // The back buffer's source rectangle into the destination of a bottom-up framebuffer (0: the window).
  void BlitToWindow(unsigned framebuffer, const RECT& source, const RECT& dest, LONG surfaceWidth,
                    LONG surfaceHeight);
  void PaceToRefresh(std::chrono::steady_clock::duration swapTime);
  // Waits up to `timeout` for the drawing of the frame waiting to be shown; true when it is drawn (or
  // when no frame waits).
  bool FrameDrawn(std::chrono::nanoseconds timeout);
  // Copies the drawn frame into the window and swaps; how long the swap took.
  std::chrono::steady_clock::duration ShowDrawnFrame();
  // Present while the previous frame is still being drawn: this frame is dropped undrawn.
  void DropFrame();
  // The window surface was exposed: shows at once what it showed last, stretched to its size now, or
  // black when nothing was presented or the back buffer no longer holds that picture.
  void PaintWindow();

  CTQD3DDirect3D* direct3d_ = nullptr;
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  HGLRC context_ = nullptr;
  D3DPRESENT_PARAMETERS parameters_ = {};
  UINT refresh_rate_ = 60;

  // GL objects.
  CTQD3DTexture* back_buffer_ = nullptr;  // internal reference
  unsigned depth_buffer_ = 0;
  UINT depth_width_ = 0;
  UINT depth_height_ = 0;
  unsigned depth_framebuffer_ = 0;  // the depth buffer alone, for the held-back clears
  DWORD pending_depth_clear_ = 0;   // D3DCLEAR_ZBUFFER / D3DCLEAR_STENCIL of the held-back clear
  float pending_depth_value_ = 1.0f;
  DWORD pending_stencil_value_ = 0;
  unsigned draw_framebuffer_ = 0;
  unsigned read_framebuffer_ = 0;
  unsigned window_framebuffer_ = 0;  // the picture of a device without a window
  unsigned window_texture_ = 0;
  unsigned vertex_array_ = 0;
  unsigned vertex_buffer_ = 0;
  size_t vertex_buffer_size_ = 0;
  unsigned samplers_[D3D_MAX_SAMPLERS] = {};
  CTQD3DProgramCache programs_;

  // Shadow state.
  DWORD render_states_[256] = {};
  DWORD sampler_states_[D3D_MAX_SAMPLERS][14] = {};
  CTQD3DTexture* textures_[D3D_MAX_SAMPLERS] = {};  // internal references
  CTQD3DVertexShader* vertex_shader_ = nullptr;     // internal reference
  CTQD3DPixelShader* pixel_shader_ = nullptr;       // internal reference
  CTQD3DTexture* targets_[2] = {};                  // internal references
  float vertex_constants_[D3D_VERTEX_CONSTANT_REGISTERS * 4] = {};
  float pixel_constants_[D3D_PIXEL_CONSTANT_REGISTERS * 4] = {};
  DWORD fvf_ = 0;
  BOOL in_scene_ = FALSE;

  // The frame being recorded.
  std::vector<D3D9Command> pending_;
  CTQD3DFrameRepeat frame_repeat_;

  // What GL has applied, so that execution changes only what differs.
  unsigned applied_targets_[2] = {};
  BOOL applied_depth_attached_ = FALSE;
  unsigned applied_program_ = 0;
  unsigned applied_textures_[D3D_MAX_SAMPLERS] = {};
  D3D9SamplerStates applied_samplers_[D3D_MAX_SAMPLERS] = {};
  BOOL applied_sampler_valid_[D3D_MAX_SAMPLERS] = {};
  D3D9RenderStates applied_render_states_ = {};
  BOOL applied_render_states_valid_ = FALSE;

  // Presentation.
  BOOL presented_once_ = FALSE;
  RECT last_source_ = {};
  RECT last_dest_ = {};
  LONG last_surface_width_ = 0;
  LONG last_surface_height_ = 0;
  unsigned long long presented_back_version_ = 0;
  std::chrono::steady_clock::time_point last_present_ = {};
  // The fence after the last frame sent to GL, while the frame waits to be drawn before it is shown. A
  // frame that takes long to draw (a slow shader on a software renderer) is shown by a later Present,
  // and the frames presented meanwhile are dropped, so that Present never holds the caller for long.
  struct __GLsync* frame_fence_ = nullptr;
  BOOL show_pending_ = FALSE;
};
