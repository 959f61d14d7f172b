// CTQRenderer life cycle: construction, Initialize (device and vertex shader), Shutdown, presentation mode.
#include "renderer/renderer.h"

#include <cstring>

#include "common/error_line.h"
#include "renderer/com_release.h"
#include "renderer/d3d9/d3dx9.h"
#include "renderer/shader_warmup.h"
#include "renderer/vertex_shader.h"

CTQRenderer g_renderer;

namespace {

// The compiler's message text, which need not end with a terminator.
int MessageLength(ID3DXBuffer* messages) {
  if (messages == nullptr || messages->GetBufferPointer() == nullptr) {
    return 0;
  }
  const char* text = static_cast<const char*>(messages->GetBufferPointer());
  return static_cast<int>(strnlen(text, messages->GetBufferSize()));
}

const char* MessageText(ID3DXBuffer* messages) {
  return MessageLength(messages) > 0 ? static_cast<const char*>(messages->GetBufferPointer()) : "";
}

}  // namespace

CTQRenderer::CTQRenderer()
    : fullscreen_(0),
      initialized_(0),
      render_width_(0),
      render_height_(0),
      content_width_(0),
      content_height_(0),
      frame_count_(0),
      window_(nullptr),
      display_mode_(),
      d3d_(nullptr),
      device_(nullptr),
      source_texture_(nullptr),
      eye_textures_{nullptr, nullptr},
      eye_surfaces_{nullptr, nullptr},
      back_buffer_(nullptr),
      vertex_shader_(nullptr),
      decoder_shader_(nullptr),
      encoder_shader_(nullptr) {
  memset(decoder_file_, 0, sizeof(decoder_file_));
  memset(encoder_file_, 0, sizeof(encoder_file_));
}

// Releases nothing: Shutdown does, explicitly, before the process ends.
CTQRenderer::~CTQRenderer() {}

int CTQRenderer::Initialize(HWND window, uint32_t renderWidth, uint32_t renderHeight, const char* decoderFile,
                            const char* encoderFile, int32_t fullscreen) {
  if (initialized_ != 0) {
    return 1;
  }
  if (window != nullptr) {
    window_ = window;
  }
  fullscreen_ = fullscreen;
  if (renderWidth != 0) {
    render_width_ = renderWidth;
  }
  if (renderHeight != 0) {
    render_height_ = renderHeight;
  }

  ID3DXBuffer* code = nullptr;
  ID3DXBuffer* messages = nullptr;
  auto fail = [&]() {
    ReleaseAndClear(code);
    ReleaseAndClear(messages);
    Shutdown();
    return 1;
  };

  DWORD behaviour = D3DCREATE_MULTITHREADED;
  // An earlier failed attempt may have left its Direct3D object behind; do not leak it.
  ReleaseAndClear(d3d_);
  d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
  if (d3d_ == nullptr) {
    return 1;
  }
  if (d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &display_mode_) < 0) {
    return 1;
  }
  // Only a definite "not available" stops here; the device itself gets a 16-bit depth buffer.
  if (d3d_->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, display_mode_.Format, D3DUSAGE_DEPTHSTENCIL,
                              D3DRTYPE_SURFACE, D3DFMT_D24S8) == D3DERR_NOTAVAILABLE) {
    return fail();
  }
  D3DCAPS9 caps;
  memset(&caps, 0, sizeof(caps));
  if (d3d_->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps) < 0) {
    return fail();
  }
  behaviour |= caps.VertexProcessingCaps != 0 ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                              : D3DCREATE_SOFTWARE_VERTEXPROCESSING;

  D3DPRESENT_PARAMETERS params;
  memset(&params, 0, sizeof(params));
  params.BackBufferWidth = render_width_;
  params.BackBufferHeight = render_height_;
  params.MultiSampleType = D3DMULTISAMPLE_NONE;
  params.MultiSampleQuality = 0;
  params.hDeviceWindow = nullptr;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  params.Flags = 0;
  params.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
  if (fullscreen_ != 0) {
    params.BackBufferFormat = D3DFMT_A8R8G8B8;
    params.BackBufferCount = 2;
    params.SwapEffect = D3DSWAPEFFECT_FLIP;
    params.Windowed = FALSE;
    params.FullScreen_RefreshRateInHz = 60;
  } else {
    params.BackBufferFormat = display_mode_.Format;
    params.BackBufferCount = 0;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = TRUE;
    params.FullScreen_RefreshRateInHz = 0;
  }
  if (d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, behaviour, &params, &device_) < 0) {
    device_ = nullptr;
    return fail();
  }
  device_->GetRenderTarget(0, &back_buffer_);
  if (back_buffer_ == nullptr) {
    return fail();
  }

  HRESULT hr = D3DXCompileShader(kVertexShaderSource, static_cast<UINT>(strlen(kVertexShaderSource)), nullptr,
                                 nullptr, "main", "vs_3_0", 0, &code, &messages, nullptr);
  if (hr < 0) {
    WriteErrorLine("Error compiling vertex shader: %.*s\n", MessageLength(messages), MessageText(messages));
    return fail();
  }
  hr = device_->CreateVertexShader(static_cast<const DWORD*>(code->GetBufferPointer()), &vertex_shader_);
  if (hr < 0) {
    vertex_shader_ = nullptr;
    WriteErrorLine("Error creating vertex shader: hr=0x%x\n", static_cast<unsigned>(hr));
    return fail();
  }
  ReleaseAndClear(code);
  ReleaseAndClear(messages);

  if (LoadShaders(decoderFile, encoderFile) != 0) {
    return fail();
  }
  // The compiles that start-up began ahead are used up by now.
  FinishShaderWarmUp();
  if (CreateEyeTargets(0, 0) != 0) {
    return fail();
  }
  initialized_ = 1;
  return 0;
}

int CTQRenderer::Shutdown() {
  FinishShaderWarmUp();
  initialized_ = 0;
  frame_count_ = 0;
  memset(&display_mode_, 0, sizeof(display_mode_));
  ReleasePixelShaders();
  ReleaseEyeTargets();
  ReleaseAndClear(source_texture_);
  ReleaseAndClear(vertex_shader_);
  ReleaseAndClear(back_buffer_);
  ReleaseAndClear(device_);
  ReleaseAndClear(d3d_);
  return 0;
}

int CTQRenderer::SetFullscreen(int32_t fullscreen) {
  fullscreen_ = fullscreen;
  return 0;
}
