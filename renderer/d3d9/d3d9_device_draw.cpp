// Recording commands, and executing them in OpenGL.
#include <GL/glcorearb.h>

#include <algorithm>
#include <cstring>

#include "common/error_line.h"
#include "renderer/d3d9/d3d9_device.h"
#include "renderer/d3d9/d3d9_formats.h"

namespace {

// Recorded commands beyond which a frame is executed without waiting for Present.
constexpr size_t kMaxPendingCommands = 256;

GLenum GLPrimitive(D3DPRIMITIVETYPE type) {
  switch (type) {
    case D3DPT_POINTLIST:
      return GL_POINTS;
    case D3DPT_LINELIST:
      return GL_LINES;
    case D3DPT_LINESTRIP:
      return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST:
      return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP:
      return GL_TRIANGLE_STRIP;
    default:
      return GL_TRIANGLE_FAN;
  }
}

void ColorToFloats(D3DCOLOR color, GLfloat rgba[4]) {
  rgba[0] = ((color >> 16) & 0xFF) / 255.0f;
  rgba[1] = ((color >> 8) & 0xFF) / 255.0f;
  rgba[2] = (color & 0xFF) / 255.0f;
  rgba[3] = ((color >> 24) & 0xFF) / 255.0f;
}

}  // namespace

void CTQD3DDevice::Record(D3D9Command&& command) {
  frame_repeat_.Record(command);
  for (CTQD3DTexture* target : command.targets) {
    if (!target) continue;
    target->AddRefInternal();
    ++target->pendingUses;
  }
  for (CTQD3DTexture* texture : command.textures) {
    if (!texture) continue;
    texture->AddRefInternal();
    ++texture->pendingUses;
  }
  if (command.vertexShader) command.vertexShader->AddRefInternal();
  if (command.pixelShader) command.pixelShader->AddRefInternal();
  pending_.push_back(std::move(command));
  if (pending_.size() >= kMaxPendingCommands) Flush();
}

void CTQD3DDevice::ReleaseCommand(D3D9Command& command) {
  for (CTQD3DTexture*& target : command.targets) {
    if (!target) continue;
    --target->pendingUses;
    target->ReleaseInternal();
    target = nullptr;
  }
  for (CTQD3DTexture*& texture : command.textures) {
    if (!texture) continue;
    --texture->pendingUses;
    texture->ReleaseInternal();
    texture = nullptr;
  }
  if (command.vertexShader) command.vertexShader->ReleaseInternal();
  if (command.pixelShader) command.pixelShader->ReleaseInternal();
  command.vertexShader = nullptr;
  command.pixelShader = nullptr;
}

void CTQD3DDevice::Flush() {
  if (pending_.empty()) return;
  MakeCurrent();
  // Executing may release the last reference of a texture whose destruction resets the applied state, so
  // the list is taken out first.
  std::vector<D3D9Command> commands;
  commands.swap(pending_);
  // Rows changed by the processor go to GL before any command runs. Every recorded command that uses a
  // texture was recorded after the texture's last change (a change executes the commands before it
  // first), so each command still sees the contents it was recorded with. Uploaded in the middle of the
  // frame, after a clear, the copy would wait until the driver has carried out the clear, and the rest
  // of the frame would wait behind it.
  for (D3D9Command& command : commands) {
    for (CTQD3DTexture* texture : command.textures) {
      if (texture) texture->UploadPendingRows();
    }
  }
  for (D3D9Command& command : commands) Execute(command);
  for (D3D9Command& command : commands) ReleaseCommand(command);
  frame_repeat_.MarkExecuted();
}

void CTQD3DDevice::BeforeTextureChange(CTQD3DTexture* texture) {
  if (texture->pendingUses > 0) Flush();
}

// Marks a binding as unknown, so that the next use binds again.
constexpr unsigned kUnknownBinding = ~0u;

void CTQD3DDevice::ResetAppliedState() {
  applied_targets_[0] = applied_targets_[1] = kUnknownBinding;
  applied_depth_attached_ = FALSE;
  applied_program_ = 0;
  for (unsigned& name : applied_textures_) name = kUnknownBinding;
  memset(applied_sampler_valid_, 0, sizeof(applied_sampler_valid_));
  applied_render_states_valid_ = FALSE;
}

void CTQD3DDevice::ForgetTexture(unsigned glTexture) {
  for (unsigned& name : applied_textures_) {
    if (name == glTexture) name = kUnknownBinding;
  }
  for (unsigned& name : applied_targets_) {
    if (name == glTexture) name = kUnknownBinding;
  }
}

void CTQD3DDevice::Execute(D3D9Command& command) {
  if (command.kind == D3D9Command::kClear) {
    ExecuteClear(command);
  } else {
    ExecuteDraw(command);
  }
  for (CTQD3DTexture* target : command.targets) {
    if (target) ++target->renderVersion;
  }
}

void CTQD3DDevice::BindTargets(CTQD3DTexture* const targets[2], bool withDepth) {
  const unsigned names[2] = {targets[0] ? targets[0]->GLTexture() : 0u, targets[1] ? targets[1]->GLTexture() : 0u};
  const BOOL depth = withDepth && DepthServes(targets[0]);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, draw_framebuffer_);
  if (names[0] == applied_targets_[0] && names[1] == applied_targets_[1] && depth == applied_depth_attached_)
    return;
  for (int i = 0; i < 2; ++i) {
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, names[i], 0);
  }
  glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, DepthAttachment(), GL_RENDERBUFFER, depth ? depth_buffer_ : 0);
  const GLenum buffers[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
  glDrawBuffers(names[1] ? 2 : 1, buffers);
  applied_targets_[0] = names[0];
  applied_targets_[1] = names[1];
  // Whether depth testing is on follows the attachment as well as the states.
  if (depth != applied_depth_attached_) applied_render_states_valid_ = FALSE;
  applied_depth_attached_ = depth;
}

void CTQD3DDevice::ExecuteClear(const D3D9Command& command) {
  CTQD3DTexture* target = command.targets[0];
  const DWORD depthFlags = command.clearFlags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
  const bool depthReached = depthFlags != 0 && DepthServes(target);
  // Only draws that test depth read the depth buffer: a clear of all of it waits for the first of them,
  // and costs nothing in a frame that never tests depth.
  const bool deferred = depthReached && command.clearRects.empty() && target->Width() == depth_width_ &&
                        target->Height() == depth_height_;
  if (deferred) {
    DeferDepthClear(depthFlags, command.clearZ, command.clearStencil);
  } else if (depthReached) {
    ApplyPendingDepthClear();
  }
  BindTargets(command.targets, depthReached && !deferred);
  glViewport(0, 0, target->Width(), target->Height());
  // A clear writes every channel and ignores the depth write state; the draw states are applied again
  // by the next draw.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  applied_render_states_valid_ = FALSE;
  GLfloat color[4];
  ColorToFloats(command.clearColor, color);
  const size_t rects = command.clearRects.empty() ? 1 : command.clearRects.size();
  for (size_t r = 0; r < rects; ++r) {
    if (command.clearRects.empty()) {
      glDisable(GL_SCISSOR_TEST);
    } else {
      // Render targets are stored top row first, so Direct3D rectangles are GL rectangles as they are.
      const D3DRECT& rect = command.clearRects[r];
      if (rect.x2 <= rect.x1 || rect.y2 <= rect.y1) continue;
      glEnable(GL_SCISSOR_TEST);
      glScissor(rect.x1, rect.y1, rect.x2 - rect.x1, rect.y2 - rect.y1);
    }
    if (command.clearFlags & D3DCLEAR_TARGET) {
      glClearBufferfv(GL_COLOR, 0, color);
      if (command.targets[1]) glClearBufferfv(GL_COLOR, 1, color);
    }
    if (applied_depth_attached_) {
      const bool depth = (command.clearFlags & D3DCLEAR_ZBUFFER) != 0;
      const bool stencil = (command.clearFlags & D3DCLEAR_STENCIL) != 0 &&
                           parameters_.AutoDepthStencilFormat == D3DFMT_D24S8;
      if (depth && stencil) {
        glClearBufferfi(GL_DEPTH_STENCIL, 0, command.clearZ, static_cast<GLint>(command.clearStencil));
      } else if (depth) {
        glClearBufferfv(GL_DEPTH, 0, &command.clearZ);
      } else if (stencil) {
        const GLint value = static_cast<GLint>(command.clearStencil);
        glClearBufferiv(GL_STENCIL, 0, &value);
      }
    }
  }
  glDisable(GL_SCISSOR_TEST);
}

void CTQD3DDevice::ApplyRenderStates(const D3D9RenderStates& s) {
  const D3D9RenderStates& a = applied_render_states_;
  const bool all = !applied_render_states_valid_;
  const bool depthTest = s.zEnable != D3DZB_FALSE && applied_depth_attached_;
  if (all || s.zEnable != a.zEnable || s.zFunc != a.zFunc || s.zWriteEnable != a.zWriteEnable) {
    if (depthTest) {
      glEnable(GL_DEPTH_TEST);
    } else {
      glDisable(GL_DEPTH_TEST);
    }
    glDepthFunc(D3D9GLCompareFunc(s.zFunc));
    glDepthMask(s.zWriteEnable ? GL_TRUE : GL_FALSE);
  }
  if (all || s.cullMode != a.cullMode) {
    // Targets are drawn y-flipped, which turns Direct3D's clockwise front faces into GL's
    // counter-clockwise ones.
    if (s.cullMode == D3DCULL_NONE) {
      glDisable(GL_CULL_FACE);
    } else {
      glEnable(GL_CULL_FACE);
      glFrontFace(GL_CCW);
      glCullFace(s.cullMode == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    }
  }
  if (all || s.alphaBlendEnable != a.alphaBlendEnable || s.srcBlend != a.srcBlend || s.destBlend != a.destBlend ||
      s.blendOp != a.blendOp) {
    if (s.alphaBlendEnable) {
      glEnable(GL_BLEND);
    } else {
      glDisable(GL_BLEND);
    }
    glBlendFunc(D3D9GLBlendFactor(s.srcBlend), D3D9GLBlendFactor(s.destBlend));
    glBlendEquation(D3D9GLBlendOp(s.blendOp));
  }
  if (all || s.colorWriteEnable != a.colorWriteEnable) {
    // D3DCOLORWRITEENABLE_RED 1, GREEN 2, BLUE 4, ALPHA 8.
    glColorMask((s.colorWriteEnable & 1) != 0, (s.colorWriteEnable & 2) != 0, (s.colorWriteEnable & 4) != 0,
                (s.colorWriteEnable & 8) != 0);
  }
  // The scissor rectangle is always the whole target (SetScissorRect is not offered), so the scissor
  // test changes nothing and stays off.
  applied_render_states_ = s;
  applied_render_states_valid_ = TRUE;
}

void CTQD3DDevice::ApplySampler(UINT unit, CTQD3DTexture* texture, const D3D9SamplerStates& s) {
  // Its rows changed by the processor went to GL when the frame's commands were taken up (Flush).
  const unsigned name = texture ? texture->GLTexture() : 0u;
  if (applied_textures_[unit] != name) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, name);
    applied_textures_[unit] = name;
  }
  if (applied_sampler_valid_[unit] && memcmp(&applied_samplers_[unit], &s, sizeof(s)) == 0) return;
  const GLuint sampler = samplers_[unit];
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, D3D9GLAddressMode(s.addressU));
  glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, D3D9GLAddressMode(s.addressV));
  glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, D3D9GLMagFilter(s.magFilter));
  glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, D3D9GLMinFilter(s.minFilter));
  GLfloat border[4];
  ColorToFloats(s.borderColor, border);
  glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
  applied_samplers_[unit] = s;
  applied_sampler_valid_[unit] = TRUE;
}

void CTQD3DDevice::ExecuteDraw(D3D9Command& c) {
  const D3D9Program* program = programs_.Get(c.vertexShader->Code(), c.pixelShader->Code());
  if (!program) return;
  CTQD3DTexture* target = c.targets[0];
  // Depth writes happen only with the depth test on, in Direct3D 9 as in GL.
  const bool testsDepth = c.renderStates.zEnable != D3DZB_FALSE && DepthServes(target);
  if (testsDepth) ApplyPendingDepthClear();
  BindTargets(c.targets, testsDepth);
  glViewport(0, 0, target->Width(), target->Height());
  ApplyRenderStates(c.renderStates);
  if (applied_program_ != program->program) {
    glUseProgram(program->program);
    applied_program_ = program->program;
  }

  // Constants: the register files are uploaded as they are, one float4 per register.
  if (program->vertexConstants >= 0) {
    const GLsizei count = static_cast<GLsizei>(
        std::min<size_t>(program->vertexConstantCount, c.vertexConstants.size() / 4));
    glUniform4fv(program->vertexConstants, count, c.vertexConstants.data());
  }
  if (program->pixelConstants >= 0) {
    const GLsizei count = static_cast<GLsizei>(
        std::min<size_t>(program->pixelConstantCount, c.pixelConstants.size() / 4));
    glUniform4fv(program->pixelConstants, count, c.pixelConstants.data());
  }
  for (const D3D9PlainUniform& uniform : program->plainUniforms) {
    const std::vector<float>& file = uniform.pixelStage ? c.pixelConstants : c.vertexConstants;
    D3D9UploadPlainUniform(uniform, file);
  }
  if (program->pixelOffset >= 0) {
    // Half a pixel moves GL's pixel centres onto Direct3D 9's integer ones, where a full-target quad
    // samples texel i exactly at its edge i/W. Direct3D hardware, with its fixed-point texel addressing,
    // lands on texel i there; GL's float interpolation may land a hair below. Stopping 1/256 of a pixel
    // short of the half keeps every sample inside texel i, as on Direct3D 9.
    const float shift = 1.0f - 1.0f / 128.0f;
    glUniform2f(program->pixelOffset, shift / target->Width(), -shift / target->Height());
  }

  for (UINT unit = 0; unit < D3D_MAX_SAMPLERS; ++unit) {
    if (program->samplerUnitsUsed & (1u << unit)) ApplySampler(unit, c.textures[unit], c.samplers[unit]);
  }

  // Vertices: the recorded copy goes into the stream buffer, fed to the inputs by semantic.
  const size_t bytes = c.vertices.size();
  if (bytes > vertex_buffer_size_) {
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), c.vertices.data(), GL_STREAM_DRAW);
    vertex_buffer_size_ = bytes;
  } else {
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertex_buffer_size_), nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), c.vertices.data());
  }
  for (GLuint location = 0; location < 16; ++location) glDisableVertexAttribArray(location);
  size_t offset = 0;
  auto feed = [&](int semantic, GLint size, GLenum type, GLboolean normalized, size_t bytesUsed) {
    const int location = program->attributeLocation[semantic];
    if (location >= 0) {
      glEnableVertexAttribArray(location);
      glVertexAttribPointer(location, size, type, normalized, c.stride, reinterpret_cast<const void*>(offset));
    }
    offset += bytesUsed;
  };
  feed(kSemanticPosition, 3, GL_FLOAT, GL_FALSE, 12);
  if (c.fvf & D3DFVF_NORMAL) feed(kSemanticNormal, 3, GL_FLOAT, GL_FALSE, 12);
  if (c.fvf & D3DFVF_PSIZE) feed(kSemanticPointSize, 1, GL_FLOAT, GL_FALSE, 4);
  if (c.fvf & D3DFVF_DIFFUSE) feed(kSemanticColor0, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);
  if (c.fvf & D3DFVF_SPECULAR) feed(kSemanticColor1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4);
  const UINT texCount = (c.fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (UINT i = 0; i < texCount; ++i) {
    static const GLint kFloats[4] = {2, 3, 4, 1};
    const GLint floats = kFloats[(c.fvf >> (16 + 2 * i)) & 3];
    feed(kSemanticTexcoord0 + static_cast<int>(i), floats, GL_FLOAT, GL_FALSE, 4 * static_cast<size_t>(floats));
  }
  glDrawArrays(GLPrimitive(c.primitiveType), 0, static_cast<GLsizei>(c.vertexCount));
}
