// The depth buffer and its held-back clears. Nothing reads the depth buffer but a draw that tests depth
// (it cannot be locked or copied), so a clear of all of it is only recorded, and carried out just before
// the first draw that tests depth or before a clear of a part of it; a later whole clear replaces what
// it clears. A frame whose draws never test depth, as the stereo pipeline's, never writes it.
#include <GL/glcorearb.h>

#include "renderer/d3d9/d3d9_device.h"

bool CTQD3DDevice::DepthServes(const CTQD3DTexture* target) const {
  return depth_buffer_ && target && target->Width() <= depth_width_ && target->Height() <= depth_height_;
}

unsigned CTQD3DDevice::DepthAttachment() const {
  return parameters_.AutoDepthStencilFormat == D3DFMT_D24S8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
}

void CTQD3DDevice::DeferDepthClear(DWORD flags, float z, DWORD stencil) {
  // Stencil exists only in a D24S8 buffer.
  if (parameters_.AutoDepthStencilFormat != D3DFMT_D24S8) flags &= ~static_cast<DWORD>(D3DCLEAR_STENCIL);
  if (flags & D3DCLEAR_ZBUFFER) pending_depth_value_ = z;
  if (flags & D3DCLEAR_STENCIL) pending_stencil_value_ = stencil;
  pending_depth_clear_ |= flags;
}

void CTQD3DDevice::ApplyPendingDepthClear() {
  if (!pending_depth_clear_) return;
  if (!depth_framebuffer_) {
    glGenFramebuffers(1, &depth_framebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, depth_framebuffer_);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, DepthAttachment(), GL_RENDERBUFFER, depth_buffer_);
    glDrawBuffer(GL_NONE);
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, depth_framebuffer_);
  glDisable(GL_SCISSOR_TEST);
  glDepthMask(GL_TRUE);
  // The draw states are applied again by the next draw.
  applied_render_states_valid_ = FALSE;
  const bool depth = (pending_depth_clear_ & D3DCLEAR_ZBUFFER) != 0;
  const bool stencil = (pending_depth_clear_ & D3DCLEAR_STENCIL) != 0;
  const GLint stencilValue = static_cast<GLint>(pending_stencil_value_);
  if (depth && stencil) {
    glClearBufferfi(GL_DEPTH_STENCIL, 0, pending_depth_value_, stencilValue);
  } else if (depth) {
    glClearBufferfv(GL_DEPTH, 0, &pending_depth_value_);
  } else {
    glClearBufferiv(GL_STENCIL, 0, &stencilValue);
  }
  pending_depth_clear_ = 0;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw_framebuffer_);
}
