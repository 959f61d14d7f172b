// The stereo renderer: owns every Direct3D 9 object of the player (device, source texture, the two eye
// render targets, the back buffer, the embedded vertex shader and the user's decoder and encoder pixel
// shaders) and composes each frame in two passes: the decoder splits the source into the left and right
// eye images, the encoder combines them into the back buffer, which is then presented.
//
// One static instance, g_renderer, used on the main thread only. Every operation but the accessors returns
// 0 for success and 1 for failure. Errors are written to standard output as "[TQ] Error: " lines.
#pragma once

#include <cstdint>

#include "renderer/d3d9/d3d9.h"

// Longest shader file name kept, in bytes; the buffers hold one more for the terminator.
constexpr unsigned kShaderNameMax = 159;
constexpr unsigned kShaderNameBuffer = 160;
// Height of the main window's status bar: in windowed mode the picture is presented above it.
constexpr int32_t kStatusBarHeight = 22;

class CTQRenderer {
 public:
  CTQRenderer();
  virtual ~CTQRenderer();

  // Creates the device for `window` (null: an offscreen surface) and loads both shaders. A render width or
  // height of 0 keeps the stored value; null shader names keep the stored names. Returns 1 when already
  // initialised (nothing changes) or on any failure (the renderer is then shut down).
  int Initialize(HWND window, uint32_t renderWidth, uint32_t renderHeight, const char* decoderFile,
                 const char* encoderFile, int32_t fullscreen);
  // Releases every device object; safe to repeat. Keeps the sizes, window, full-screen flag and names.
  int Shutdown();

  // Compiles both shader files again (null: the stored name). On failure the renderer is shut down.
  int LoadShaders(const char* decoderFile, const char* encoderFile);

  // Eye render targets of the content size (0 in either keeps the current size). A failure shuts the
  // renderer down.
  int CreateEyeTargets(uint32_t width, uint32_t height);
  int ReleaseEyeTargets();
  int ReleasePixelShaders();

  // Source for movies: a dynamic texture of the frame size, filled through LockSource/UnlockSource.
  int CreateSourceTexture(uint32_t width, uint32_t height);
  // Source for still images: the image file at its own size and format.
  int LoadImageTexture(const char* path);
  // Locks the movie source: *bits points at the top row's first byte, rows are *pitch bytes apart, pixels
  // are bytes B, G, R, A. Returns 1 (outputs untouched) when not initialised, an output is null or there
  // is no source; 1 with null/0 outputs when the lock itself fails.
  int LockSource(uint8_t** bits, int32_t* pitch);
  int UnlockSource();

  // Composes and presents one frame; 1 at once when not initialised.
  int RenderFrame();
  // Chooses where RenderFrame presents: the whole window (1) or above the status bar (0).
  int SetFullscreen(int32_t fullscreen);

  // Movie frames uploaded since start or the last Shutdown; the player adds one before every upload.
  uint32_t GetFrameCount() const { return frame_count_; }
  void IncrementFrameCount() { ++frame_count_; }
  uint32_t GetContentWidth() const { return content_width_; }
  uint32_t GetContentHeight() const { return content_height_; }

  bool IsInitialized() const { return initialized_ != 0; }
  // The screen's refresh rate in hertz as read at Initialize; 0 before.
  uint32_t GetDisplayRefreshRate() const { return display_mode_.RefreshRate; }
  uint32_t GetRenderWidth() const { return render_width_; }
  uint32_t GetRenderHeight() const { return render_height_; }
  const char* GetDecoderFile() const { return decoder_file_; }
  const char* GetEncoderFile() const { return encoder_file_; }
  // The device objects, for reading pictures back (no reference is added; null when absent).
  IDirect3DDevice9* GetDevice() const { return device_; }
  IDirect3DSurface9* GetEyeSurface(int eye) const { return eye_surfaces_[eye == 0 ? 0 : 1]; }
  IDirect3DSurface9* GetBackBufferSurface() const { return back_buffer_; }

 private:
  void StoreShaderName(char* buffer, const char* name);
  void BindEyeTextures();

  int32_t fullscreen_;
  int32_t initialized_;
  uint32_t render_width_;
  uint32_t render_height_;
  uint32_t content_width_;
  uint32_t content_height_;
  uint32_t frame_count_;
  HWND window_;
  D3DDISPLAYMODE display_mode_;
  IDirect3D9* d3d_;
  IDirect3DDevice9* device_;
  IDirect3DTexture9* source_texture_;
  IDirect3DTexture9* eye_textures_[2];
  IDirect3DSurface9* eye_surfaces_[2];
  IDirect3DSurface9* back_buffer_;
  IDirect3DVertexShader9* vertex_shader_;
  IDirect3DPixelShader9* decoder_shader_;
  IDirect3DPixelShader9* encoder_shader_;
  char decoder_file_[kShaderNameBuffer];
  char encoder_file_[kShaderNameBuffer];
};

// The one renderer of the process.
extern CTQRenderer g_renderer;
