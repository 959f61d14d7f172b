// The depth buffer and its held-back clears. Nothing reads the depth buffer but a draw that tests depth
// (it cannot be locked or copied), so a clear of all of it is only recorded, and carried out just before
// the first draw that tests depth or before a clear of a part of it; a later whole clear replaces what
// it clears. A frame whose draws never test depth, as the stereo pipeline's, never writes it.
#include <GL/glcorearb.h>

#include "renderer/d3d9/d3d9_device.h"

bool CTQD3DDevice::DepthServes(const CTQD3DTexture* target) const {
  return depthBuffer_ && target && target->Width() <= depthWidth_ && target->Height() <= depthHeight_;
}

unsigned CTQD3DDevice::DepthAttachment() const {
  return parameters_.AutoDepthStencilFormat == D3DFMT_D24S8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
}

void CTQD3DDevice::DeferDepthClear(DWORD flags, float z, DWORD stencil) {
  // Stencil exists only in a D24S8 buffer.
  if (parameters_.AutoDepthStencilFormat != D3DFMT_D24S8) flags &= ~static_cast<DWORD>(D3DCLEAR_STENCIL);
  if (flags & D3DCLEAR_ZBUFFER) pendingDepthValue_ = z;
  if (flags & D3DCLEAR_STENCIL) pendingStencilValue_ = stencil;
  pendingDepthClear_ |= flags;
}

void CTQD3DDevice::ApplyPendingDepthClear() {
  if (!pendingDepthClear_) return;
  if (!depthFramebuffer_) {
    glGenFramebuffers(1, &depthFramebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, depthFramebuffer_);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, DepthAttachment(), GL_RENDERBUFFER, depthBuffer_);
    glDrawBuffer(GL_NONE);
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, depthFramebuffer_);
  glDisable(GL_SCISSOR_TEST);
  glDepthMask(GL_TRUE);
  // The draw states are applied again by the next draw.
  appliedRenderStatesValid_ = FALSE;
  const bool depth = (pendingDepthClear_ & D3DCLEAR_ZBUFFER) != 0;
  const bool stencil = (pendingDepthClear_ & D3DCLEAR_STENCIL) != 0;
  const GLint stencilValue = static_cast<GLint>(pendingStencilValue_);
  if (depth && stencil) {
    glClearBufferfi(GL_DEPTH_STENCIL, 0, pendingDepthValue_, stencilValue);
  } else if (depth) {
    glClearBufferfv(GL_DEPTH, 0, &pendingDepthValue_);
  } else {
    glClearBufferiv(GL_STENCIL, 0, &stencilValue);
  }
  pendingDepthClear_ = 0;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer_);
}
