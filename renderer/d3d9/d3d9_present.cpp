// Present: executes the frame (or recognises it as the previous one), stretches the back buffer into the
// window flipped to the window's bottom-up rows once a fence says the frame is drawn, swaps, and paces to
// the screen's refresh rate when the swap does not wait for the retrace itself. A frame that takes long to
// draw is shown by a later Present; the frames presented until then are dropped.
#include <GL/glcorearb.h>

#include <cstring>
#include <thread>
#include <vector>

#include "common/error_line.h"
#include "renderer/d3d9/d3d9_device.h"
#include "renderer/d3d9/d3d9_formats.h"

namespace {

// How long Present waits for a new frame to be drawn before it returns and leaves the swap to a later
// Present: far more than an ordinary frame needs, short enough that the window keeps answering.
constexpr std::chrono::milliseconds kFrameDrawWait{200};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

HRESULT CTQD3DDevice::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                              const RGNDATA* pDirtyRegion) {
  if (hDestWindowOverride || pDirtyRegion) {
    WriteErrorLine("Present: window overrides and dirty regions are not implemented");
    return D3DERR_INVALIDCALL;
  }
  if (in_scene_) return D3DERR_INVALIDCALL;
  const LONG backWidth = static_cast<LONG>(parameters_.BackBufferWidth);
  const LONG backHeight = static_cast<LONG>(parameters_.BackBufferHeight);
  RECT source = {0, 0, backWidth, backHeight};
  if (pSourceRect) {
    source = *pSourceRect;
    if (source.left < 0 || source.top < 0 || source.right > backWidth || source.bottom > backHeight ||
        source.left >= source.right || source.top >= source.bottom) {
      return D3DERR_INVALIDCALL;
    }
  }
  MakeCurrent();
  const auto period = std::chrono::nanoseconds(1000000000LL / (refresh_rate_ ? refresh_rate_ : 60));
  if (show_pending_) {
    // No new frame is started while the previous one is still being drawn; waiting up to a period for
    // it paces the caller as a swap would.
    DropFrame();
    if (FrameDrawn(period)) PaceToRefresh(ShowDrawnFrame());
    return D3D_OK;
  }

  // The frame: drawn again only when its commands differ from the previous frame's.
  const bool sameFrame = frame_repeat_.RepeatsPrevious();
  if (sameFrame) {
    for (D3D9Command& command : pending_) ReleaseCommand(command);
    pending_.clear();
  } else {
    Flush();
  }
  frame_repeat_.EndFrame(sameFrame);

  GLSurfaceState surface = {};
  GLTakeSurfaceState(dc_, &surface);
  const LONG surfaceWidth = surface.offscreen ? backWidth : surface.pixelWidth;
  const LONG surfaceHeight = surface.offscreen ? backHeight : surface.pixelHeight;
  RECT dest = {0, 0, surfaceWidth, surfaceHeight};
  if (pDestRect) {
    const double ratio = surface.devicePixelRatio;
    dest.left = static_cast<LONG>(pDestRect->left * ratio + 0.5);
    dest.top = static_cast<LONG>(pDestRect->top * ratio + 0.5);
    dest.right = static_cast<LONG>(pDestRect->right * ratio + 0.5);
    dest.bottom = static_cast<LONG>(pDestRect->bottom * ratio + 0.5);
  }

  const bool redraw = !sameFrame || !presented_once_ || surface.damaged || !SameRect(source, last_source_) ||
                      !SameRect(dest, last_dest_) || surfaceWidth != last_surface_width_ ||
                      surfaceHeight != last_surface_height_;
  std::chrono::steady_clock::duration swapTime{};
  if (redraw && surfaceWidth > 0 && surfaceHeight > 0) {
    last_source_ = source;
    last_dest_ = dest;
    last_surface_width_ = surfaceWidth;
    last_surface_height_ = surfaceHeight;
    // Copying the back buffer into the window, and the swap, would wait for the whole frame to be
    // drawn: they happen once a fence says it is.
    frame_fence_ = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    show_pending_ = TRUE;
    if (!FrameDrawn(kFrameDrawWait)) return D3D_OK;
    swapTime = ShowDrawnFrame();
  }
  PaceToRefresh(swapTime);
  return D3D_OK;
}

bool CTQD3DDevice::FrameDrawn(std::chrono::nanoseconds timeout) {
  if (!frame_fence_) return true;
  const GLenum result = glClientWaitSync(frame_fence_, 0, static_cast<GLuint64>(timeout.count()));
  if (result == GL_TIMEOUT_EXPIRED) return false;
  // Signalled, or a failed wait, which would fail again: never wait for it forever.
  glDeleteSync(frame_fence_);
  frame_fence_ = nullptr;
  return true;
}

std::chrono::steady_clock::duration CTQD3DDevice::ShowDrawnFrame() {
  MakeCurrent();
  BlitToWindow(window_framebuffer_, last_source_, last_dest_, last_surface_width_, last_surface_height_);
  const auto before = std::chrono::steady_clock::now();
  // A window that is not exposed (minimised, not yet mapped) shows nothing; the first Present after it
  // is exposed draws again.
  presented_once_ = SwapBuffers(dc_);
  show_pending_ = FALSE;
  presented_back_version_ = back_buffer_->renderVersion;
  return std::chrono::steady_clock::now() - before;
}

void CTQD3DDevice::DropFrame() {
  for (D3D9Command& command : pending_) ReleaseCommand(command);
  pending_.clear();
  frame_repeat_.DropFrame();
}

void CTQD3DDevice::BlitToWindow(unsigned framebuffer, const RECT& source, const RECT& dest, LONG surfaceWidth,
                                LONG surfaceHeight) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, read_framebuffer_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, back_buffer_->GLTexture(), 0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
  if (framebuffer) {
    const GLenum buffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &buffer);
  } else {
    glDrawBuffer(GL_BACK);
  }
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  applied_render_states_valid_ = FALSE;
  const bool coversSurface = dest.left <= 0 && dest.top <= 0 && dest.right >= surfaceWidth &&
                             dest.bottom >= surfaceHeight;
  if (!coversSurface) {
    const GLfloat black[4] = {0, 0, 0, 1};
    glClearBufferfv(GL_COLOR, 0, black);
  }
  const bool sameSize = source.right - source.left == dest.right - dest.left &&
                        source.bottom - source.top == dest.bottom - dest.top;
  // The back buffer's row 0 is the top row; the window's row 0 is the bottom one.
  glBlitFramebuffer(source.left, source.top, source.right, source.bottom, dest.left, surfaceHeight - dest.top,
                    dest.right, surfaceHeight - dest.bottom, GL_COLOR_BUFFER_BIT,
                    sameSize ? GL_NEAREST : GL_LINEAR);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  applied_targets_[0] = applied_targets_[1] = ~0u;
}

void CTQD3DDevice::PaintWindow() {
  // A frame still being drawn is shown by a later Present, whole.
  if (show_pending_) return;
  MakeCurrent();
  GLSurfaceState surface = {};
  GLTakeSurfaceState(dc_, &surface);
  const LONG width = surface.pixelWidth;
  const LONG height = surface.pixelHeight;
  if (surface.offscreen || width <= 0 || height <= 0) return;
  const bool pictureHeld = presented_once_ && last_surface_width_ > 0 && last_surface_height_ > 0 &&
                           back_buffer_->renderVersion == presented_back_version_;
  RECT dest = {0, 0, 0, 0};  // empty: the whole surface is cleared to black
  if (pictureHeld) {
    auto scale = [](LONG value, LONG to, LONG from) {
      return static_cast<LONG>(static_cast<long long>(value) * to / from);
    };
    dest.left = scale(last_dest_.left, width, last_surface_width_);
    dest.top = scale(last_dest_.top, height, last_surface_height_);
    dest.right = scale(last_dest_.right, width, last_surface_width_);
    dest.bottom = scale(last_dest_.bottom, height, last_surface_height_);
  }
  BlitToWindow(0, pictureHeld ? last_source_ : dest, dest, width, height);
  presented_once_ = SwapBuffers(dc_) && pictureHeld;
  last_dest_ = dest;
  last_surface_width_ = width;
  last_surface_height_ = height;
}

void CTQD3DDevice::PaceToRefresh(std::chrono::steady_clock::duration swapTime) {
  if (parameters_.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE) return;
  const auto period = std::chrono::nanoseconds(1000000000LL / (refresh_rate_ ? refresh_rate_ : 60));
  const auto now = std::chrono::steady_clock::now();
  // A swap that took a good part of a period waited for the retrace itself.
  if (swapTime >= period / 4) {
    last_present_ = now;
    return;
  }
  const auto next = last_present_ + period;
  if (next <= now) {
    last_present_ = now;
    return;
  }
  std::this_thread::sleep_until(next);
  last_present_ = next;
}

HRESULT CTQD3DDevice::GetFrontBufferData(UINT iSwapChain, IDirect3DSurface9* pDestSurface) {
  if (iSwapChain != 0 || !pDestSurface) return D3DERR_INVALIDCALL;
  CTQD3DSurface* dest = static_cast<CTQD3DSurface*>(pDestSurface);
  if (dest->Container() || dest->Format() != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
  MakeCurrent();
  const LONG width = window_framebuffer_ ? static_cast<LONG>(parameters_.BackBufferWidth) : last_surface_width_;
  const LONG height = window_framebuffer_ ? static_cast<LONG>(parameters_.BackBufferHeight) : last_surface_height_;
  if (static_cast<LONG>(dest->Width()) != width || static_cast<LONG>(dest->Height()) != height) {
    return D3DERR_INVALIDCALL;
  }
  GLuint framebuffer = window_framebuffer_;
  GLuint picture = 0;
  if (!window_framebuffer_) {
    // A window's own pixels cannot be read back everywhere (software renderers keep no front buffer to
    // read), so the last presented picture is composed again from the back buffer, which still holds it
    // unless something was drawn into it since.
    if (!presented_once_ || back_buffer_->renderVersion != presented_back_version_) return D3DERR_NOTAVAILABLE;
    glGenTextures(1, &picture);
    glActiveTexture(GL_TEXTURE0 + kD3D9UploadTextureUnit);
    glBindTexture(GL_TEXTURE_2D, picture);
    D3D9AllocateColorLevel(static_cast<unsigned>(width), static_cast<unsigned>(height));
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, picture, 0);
    BlitToWindow(framebuffer, last_source_, last_dest_, width, height);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  std::vector<BYTE> rows(static_cast<size_t>(width) * height * 4);
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  if (picture) {
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &picture);
  }
  // The window's rows run bottom-up, the surface's top-down; what a screen shows is opaque.
  for (LONG y = 0; y < height; ++y) {
    BYTE* row = dest->Pixels() + static_cast<size_t>(y) * dest->Pitch();
    memcpy(row, rows.data() + static_cast<size_t>(height - 1 - y) * width * 4, static_cast<size_t>(width) * 4);
    for (LONG x = 0; x < width; ++x) row[x * 4 + 3] = 0xFF;
  }
  return D3D_OK;
}
