// The digest of recorded commands and frames, and the rule that a frame equal to the previous one is
// not drawn again.
#include "renderer/d3d9/d3d9_frame_repeat.h"

#include "renderer/d3d9/d3d9_shader.h"
#include "renderer/d3d9/d3d9_texture.h"

namespace {

// Adds bytes to a 64-bit FNV-1a digest.
unsigned long long Digest(unsigned long long digest, const void* data, size_t size) {
  const BYTE* bytes = static_cast<const BYTE*>(data);
  for (size_t i = 0; i < size; ++i) {
    digest ^= bytes[i];
    digest *= 1099511628211ull;
  }
  return digest;
}

}  // namespace

unsigned long long CTQD3DFrameRepeat::CommandDigest(const D3D9Command& c) const {
  unsigned long long d = kDigestSeed;
  d = Digest(d, &c.kind, sizeof(c.kind));
  for (const CTQD3DTexture* target : c.targets) {
    const unsigned long long id = target ? target->Id() : 0;
    d = Digest(d, &id, sizeof(id));
  }
  if (c.kind == D3D9Command::kClear) {
    d = Digest(d, &c.clearFlags, sizeof(c.clearFlags));
    d = Digest(d, &c.clearColor, sizeof(c.clearColor));
    d = Digest(d, &c.clearZ, sizeof(c.clearZ));
    d = Digest(d, &c.clearStencil, sizeof(c.clearStencil));
    if (!c.clearRects.empty()) d = Digest(d, c.clearRects.data(), c.clearRects.size() * sizeof(D3DRECT));
    return d;
  }
  const unsigned long long shaders[2] = {c.vertexShader->Code().id, c.pixelShader->Code().id};
  d = Digest(d, shaders, sizeof(shaders));
  for (UINT unit = 0; unit < D3D_MAX_SAMPLERS; ++unit) {
    const CTQD3DTexture* texture = c.textures[unit];
    if (!texture) continue;
    // A texture drawn earlier in this frame holds what this frame's own commands make of it; any other
    // texture holds what the processor and earlier frames left in it.
    unsigned long long identity[4] = {unit, texture->Id(), 0, 0};
    if (texture->lastTargetFrame != frame_number_) {
      identity[2] = texture->contentVersion;
      identity[3] = texture->renderVersion;
    }
    d = Digest(d, identity, sizeof(identity));
    d = Digest(d, &c.samplers[unit], sizeof(D3D9SamplerStates));
  }
  d = Digest(d, &c.renderStates, sizeof(c.renderStates));
  if (!c.vertexConstants.empty()) d = Digest(d, c.vertexConstants.data(), c.vertexConstants.size() * 4);
  if (!c.pixelConstants.empty()) d = Digest(d, c.pixelConstants.data(), c.pixelConstants.size() * 4);
  d = Digest(d, &c.fvf, sizeof(c.fvf));
  d = Digest(d, &c.primitiveType, sizeof(c.primitiveType));
  d = Digest(d, &c.stride, sizeof(c.stride));
  d = Digest(d, c.vertices.data(), c.vertices.size());
  return d;
}

void CTQD3DFrameRepeat::Record(const D3D9Command& command) {
  const unsigned long long digest = CommandDigest(command);
  digest_ = Digest(digest_, &digest, sizeof(digest));
  for (CTQD3DTexture* target : command.targets) {
    if (target) target->lastTargetFrame = frame_number_;
  }
}

void CTQD3DFrameRepeat::EndFrame(bool skipped) {
  if (skipped) ++skipped_frames_;
  previous_digest_ = digest_;
  previous_valid_ = true;
  StartFrame();
}

void CTQD3DFrameRepeat::DropFrame() {
  if (executed_) previous_valid_ = false;
  StartFrame();
}

void CTQD3DFrameRepeat::StartFrame() {
  digest_ = kDigestSeed;
  executed_ = false;
  ++frame_number_;
}
