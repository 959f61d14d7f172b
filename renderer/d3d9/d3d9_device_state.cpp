// The device's shadow state: Set* calls only write it (and check it), and Clear / DrawPrimitiveUP record
// commands with a copy of what they need.
#include <cstring>

#include "common/error_line.h"
#include "renderer/d3d9/d3d9_device.h"
#include "renderer/d3d9/d3d9_formats.h"

namespace {

bool IsBoolean(DWORD value) { return value == TRUE || value == FALSE; }

// Render states this layer carries out or that have no effect with shaders; each value is checked.
bool RenderStateValueSupported(D3DRENDERSTATETYPE state, DWORD value) {
  switch (state) {
    case D3DRS_ZENABLE:
      return value == D3DZB_FALSE || value == D3DZB_TRUE;
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_SCISSORTESTENABLE:
    case D3DRS_DITHERENABLE:
    case D3DRS_LASTPIXEL:
    case D3DRS_LIGHTING:
    case D3DRS_SPECULARENABLE:
    case D3DRS_FOGENABLE:
      // Fixed-function lighting, specular and fog do nothing when shaders draw.
      return IsBoolean(value);
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_STENCILENABLE:
    case D3DRS_SRGBWRITEENABLE:
    case D3DRS_SEPARATEALPHABLENDENABLE:
      return value == FALSE;
    case D3DRS_FILLMODE:
      return value == 3;  // D3DFILL_SOLID
    case D3DRS_SHADEMODE:
      return value == 1 || value == 2;
    case D3DRS_CULLMODE:
      return value >= D3DCULL_NONE && value <= D3DCULL_CCW;
    case D3DRS_ZFUNC:
    case D3DRS_ALPHAFUNC:
      return D3D9GLCompareFunc(value) != 0;
    case D3DRS_ALPHAREF:
      return value <= 0xFF;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_SRCBLENDALPHA:
    case D3DRS_DESTBLENDALPHA:
      return D3D9GLBlendFactor(value) != 0;
    case D3DRS_BLENDOP:
    case D3DRS_BLENDOPALPHA:
      return D3D9GLBlendOp(value) != 0;
    case D3DRS_COLORWRITEENABLE:
      return value <= 0xF;
    default:
      return false;
  }
}

bool SamplerStateValueSupported(D3DSAMPLERSTATETYPE type, DWORD value) {
  switch (type) {
    case D3DSAMP_ADDRESSU:
    case D3DSAMP_ADDRESSV:
    case D3DSAMP_ADDRESSW:
      return D3D9GLAddressMode(value) != 0;
    case D3DSAMP_BORDERCOLOR:
      return true;
    case D3DSAMP_MAGFILTER:
    case D3DSAMP_MINFILTER:
      return value == D3DTEXF_POINT || value == D3DTEXF_LINEAR || value == D3DTEXF_ANISOTROPIC ||
             (type == D3DSAMP_MINFILTER && value == D3DTEXF_NONE);
    case D3DSAMP_MIPFILTER:
      return value <= D3DTEXF_LINEAR;
    case D3DSAMP_MIPMAPLODBIAS:
    case D3DSAMP_MAXMIPLEVEL:
      return value == 0;  // textures have one level
    case D3DSAMP_MAXANISOTROPY:
      return value >= 1;
    case D3DSAMP_SRGBTEXTURE:
      return value == FALSE;
    default:
      return false;
  }
}

UINT VerticesFor(D3DPRIMITIVETYPE type, UINT primitives) {
  switch (type) {
    case D3DPT_POINTLIST:
      return primitives;
    case D3DPT_LINELIST:
      return primitives * 2;
    case D3DPT_LINESTRIP:
      return primitives + 1;
    case D3DPT_TRIANGLELIST:
      return primitives * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return primitives + 2;
    default:
      return 0;
  }
}

}  // namespace

// Bytes of one vertex of a flexible vertex format this layer can feed; 0 when it cannot.
UINT D3D9FvfVertexSize(DWORD fvf) {
  const DWORD known = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE | D3DFVF_SPECULAR |
                      D3DFVF_TEXCOUNT_MASK | 0xFFFF0000u;
  if ((fvf & ~known) != 0 || (fvf & 0x400E) != D3DFVF_XYZ) return 0;  // positions must be XYZ
  UINT size = 12;
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_PSIZE) size += 4;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  const UINT texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (texCount > 8) return 0;
  for (UINT i = 0; i < texCount; ++i) {
    static const UINT kFloats[4] = {2, 3, 4, 1};
    size += 4 * kFloats[(fvf >> (16 + 2 * i)) & 3];
  }
  return size;
}

HRESULT CTQD3DDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  if (Sampler >= D3D_MAX_SAMPLERS || Type < D3DSAMP_ADDRESSU || Type > D3DSAMP_DMAPOFFSET) {
    WriteErrorLine("SetSamplerState: sampler %u state %u is not implemented", Sampler, (UINT)Type);
    return D3DERR_INVALIDCALL;
  }
  if (!SamplerStateValueSupported(Type, Value)) {
    WriteErrorLine("SetSamplerState: state %u value %u is not implemented", (UINT)Type, Value);
    return D3DERR_INVALIDCALL;
  }
  sampler_states_[Sampler][Type] = Value;
  return D3D_OK;
}

HRESULT CTQD3DDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  if (State >= 256 || !RenderStateValueSupported(State, Value)) {
    WriteErrorLine("SetRenderState: state %u value %u is not implemented", (UINT)State, Value);
    return D3DERR_INVALIDCALL;
  }
  render_states_[State] = Value;
  return D3D_OK;
}

HRESULT CTQD3DDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  if (pIndexData) {
    WriteErrorLine("SetIndices: index buffers are not implemented");
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

HRESULT CTQD3DDevice::SetFVF(DWORD FVF) {
  if (FVF != 0 && D3D9FvfVertexSize(FVF) == 0) {
    WriteErrorLine("SetFVF: vertex format 0x%x is not implemented", FVF);
    return D3DERR_INVALIDCALL;
  }
  fvf_ = FVF;
  return D3D_OK;
}

HRESULT CTQD3DDevice::SetVertexShader(IDirect3DVertexShader9* pShader) {
  CTQD3DVertexShader* shader = static_cast<CTQD3DVertexShader*>(pShader);
  if (shader) shader->AddRefInternal();
  if (vertex_shader_) vertex_shader_->ReleaseInternal();
  vertex_shader_ = shader;
  return D3D_OK;
}

HRESULT CTQD3DDevice::SetPixelShader(IDirect3DPixelShader9* pShader) {
  CTQD3DPixelShader* shader = static_cast<CTQD3DPixelShader*>(pShader);
  if (shader) shader->AddRefInternal();
  if (pixel_shader_) pixel_shader_->ReleaseInternal();
  pixel_shader_ = shader;
  return D3D_OK;
}

HRESULT CTQD3DDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  if (Stage >= D3D_MAX_SAMPLERS) {
    WriteErrorLine("SetTexture: stage %u is not implemented", Stage);
    return D3DERR_INVALIDCALL;
  }
  if (pTexture && pTexture->GetType() != D3DRTYPE_TEXTURE) return D3DERR_INVALIDCALL;
  CTQD3DTexture* texture = static_cast<CTQD3DTexture*>(static_cast<IDirect3DTexture9*>(pTexture));
  if (texture) texture->AddRefInternal();
  if (textures_[Stage]) textures_[Stage]->ReleaseInternal();
  textures_[Stage] = texture;
  return D3D_OK;
}

namespace {

HRESULT SetConstants(float* registers, UINT registerCount, UINT start, const float* data, UINT count) {
  if (!data || start > registerCount || count > registerCount - start) return D3DERR_INVALIDCALL;
  memcpy(registers + start * 4, data, count * 4 * sizeof(float));
  return D3D_OK;
}

HRESULT GetConstants(const float* registers, UINT registerCount, UINT start, float* data, UINT count) {
  if (!data || start > registerCount || count > registerCount - start) return D3DERR_INVALIDCALL;
  memcpy(data, registers + start * 4, count * 4 * sizeof(float));
  return D3D_OK;
}

}  // namespace

HRESULT CTQD3DDevice::SetVertexShaderConstantF(UINT StartRegister, const float* pConstantData,
                                               UINT Vector4fCount) {
  return SetConstants(vertex_constants_, D3D_VERTEX_CONSTANT_REGISTERS, StartRegister, pConstantData,
                      Vector4fCount);
}

HRESULT CTQD3DDevice::GetVertexShaderConstantF(UINT StartRegister, float* pConstantData, UINT Vector4fCount) {
  return GetConstants(vertex_constants_, D3D_VERTEX_CONSTANT_REGISTERS, StartRegister, pConstantData,
                      Vector4fCount);
}

HRESULT CTQD3DDevice::SetPixelShaderConstantF(UINT StartRegister, const float* pConstantData, UINT Vector4fCount) {
  return SetConstants(pixel_constants_, D3D_PIXEL_CONSTANT_REGISTERS, StartRegister, pConstantData, Vector4fCount);
}

HRESULT CTQD3DDevice::GetPixelShaderConstantF(UINT StartRegister, float* pConstantData, UINT Vector4fCount) {
  return GetConstants(pixel_constants_, D3D_PIXEL_CONSTANT_REGISTERS, StartRegister, pConstantData, Vector4fCount);
}

HRESULT CTQD3DDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                            DWORD Stencil) {
  if ((Count == 0) != (pRects == nullptr) || Flags == 0 ||
      (Flags & ~(DWORD)(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0) {
    return D3DERR_INVALIDCALL;
  }
  if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depth_buffer_) return D3DERR_INVALIDCALL;
  if ((Flags & D3DCLEAR_STENCIL) && parameters_.AutoDepthStencilFormat != D3DFMT_D24S8) return D3DERR_INVALIDCALL;
  if (!targets_[0]) return D3DERR_INVALIDCALL;
  D3D9Command command;
  command.kind = D3D9Command::kClear;
  command.clearFlags = Flags;
  command.clearColor = Color;
  command.clearZ = Z < 0.0f ? 0.0f : (Z > 1.0f ? 1.0f : Z);
  command.clearStencil = Stencil;
  if (Count) command.clearRects.assign(pRects, pRects + Count);
  for (UINT i = 0; i < 2; ++i) command.targets[i] = targets_[i];
  Record(std::move(command));
  return D3D_OK;
}

HRESULT CTQD3DDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                      const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  const UINT vertexCount = VerticesFor(PrimitiveType, PrimitiveCount);
  if (!in_scene_ || !pVertexStreamZeroData || PrimitiveCount == 0 || vertexCount == 0 || !targets_[0]) {
    return D3DERR_INVALIDCALL;
  }
  if (!vertex_shader_ || !pixel_shader_) {
    WriteErrorLine("DrawPrimitiveUP: drawing without a vertex and a pixel shader is not implemented");
    return D3DERR_INVALIDCALL;
  }
  const UINT vertexSize = D3D9FvfVertexSize(fvf_);
  if (vertexSize == 0 || VertexStreamZeroStride < vertexSize) return D3DERR_INVALIDCALL;

  D3D9Command command;
  command.kind = D3D9Command::kDraw;
  for (UINT i = 0; i < 2; ++i) command.targets[i] = targets_[i];
  command.vertexShader = vertex_shader_;
  command.pixelShader = pixel_shader_;
  for (const TranslatedSampler& sampler : pixel_shader_->Code().translated.samplers) {
    for (UINT unit = sampler.unit; unit < sampler.unit + sampler.count && unit < D3D_MAX_SAMPLERS; ++unit) {
      command.textures[unit] = textures_[unit];
      const DWORD* states = sampler_states_[unit];
      D3D9SamplerStates& copy = command.samplers[unit];
      copy.addressU = states[D3DSAMP_ADDRESSU];
      copy.addressV = states[D3DSAMP_ADDRESSV];
      copy.borderColor = states[D3DSAMP_BORDERCOLOR];
      copy.magFilter = states[D3DSAMP_MAGFILTER];
      copy.minFilter = states[D3DSAMP_MINFILTER];
      copy.mipFilter = states[D3DSAMP_MIPFILTER];
    }
  }
  D3D9RenderStates& rs = command.renderStates;
  rs.zEnable = render_states_[D3DRS_ZENABLE];
  rs.zWriteEnable = render_states_[D3DRS_ZWRITEENABLE];
  rs.zFunc = render_states_[D3DRS_ZFUNC];
  rs.cullMode = render_states_[D3DRS_CULLMODE];
  rs.alphaBlendEnable = render_states_[D3DRS_ALPHABLENDENABLE];
  rs.srcBlend = render_states_[D3DRS_SRCBLEND];
  rs.destBlend = render_states_[D3DRS_DESTBLEND];
  rs.blendOp = render_states_[D3DRS_BLENDOP];
  rs.colorWriteEnable = render_states_[D3DRS_COLORWRITEENABLE];
  rs.scissorTestEnable = render_states_[D3DRS_SCISSORTESTENABLE];
  const UINT vertexRegisters = vertex_shader_->Code().registersUsed;
  const UINT pixelRegisters = pixel_shader_->Code().registersUsed;
  command.vertexConstants.assign(vertex_constants_, vertex_constants_ + vertexRegisters * 4);
  command.pixelConstants.assign(pixel_constants_, pixel_constants_ + pixelRegisters * 4);
  command.fvf = fvf_;
  command.primitiveType = PrimitiveType;
  command.vertexCount = vertexCount;
  command.stride = VertexStreamZeroStride;
  const BYTE* vertices = static_cast<const BYTE*>(pVertexStreamZeroData);
  command.vertices.assign(vertices, vertices + static_cast<size_t>(vertexCount) * VertexStreamZeroStride);
  Record(std::move(command));
  return D3D_OK;
}
