#include "renderer/d3d9/d3d9_formats.h"

#include <GL/glcorearb.h>

BOOL D3D9IsColorFormat(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

BOOL D3D9FormatHasAlpha(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8; }

void D3D9AllocateColorLevel(unsigned width, unsigned height) {
  const GLsizei w = static_cast<GLsizei>(width);
  const GLsizei h = static_cast<GLsizei>(height);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  GLint bits[4] = {};
  const GLenum channels[4] = {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE,
                              GL_TEXTURE_ALPHA_SIZE};
  for (int i = 0; i < 4; ++i) glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, channels[i], &bits[i]);
  // No level at all (the driver refused it) is left to the caller's error check.
  const bool refused = bits[0] == 0 && bits[1] == 0 && bits[2] == 0 && bits[3] == 0;
  if (!refused && (bits[0] != 8 || bits[1] != 8 || bits[2] != 8 || bits[3] != 8)) {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  }
}

unsigned D3D9DepthInternalFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D16:
      return GL_DEPTH_COMPONENT16;
    case D3DFMT_D24X8:
      return GL_DEPTH_COMPONENT24;
    case D3DFMT_D24S8:
      return GL_DEPTH24_STENCIL8;
    default:
      return 0;
  }
}

unsigned D3D9GLAddressMode(DWORD d3dAddress) {
  switch (d3dAddress) {
    case D3DTADDRESS_WRAP:
      return GL_REPEAT;
    case D3DTADDRESS_MIRROR:
      return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
      return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
      return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
      return GL_MIRROR_CLAMP_TO_EDGE;
    default:
      return 0;
  }
}

unsigned D3D9GLBlendFactor(DWORD d3dBlend) {
  switch (d3dBlend) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_ONE:
      return GL_ONE;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    default:
      return 0;
  }
}

unsigned D3D9GLBlendOp(DWORD d3dBlendOp) {
  switch (d3dBlendOp) {
    case D3DBLENDOP_ADD:
      return GL_FUNC_ADD;
    case D3DBLENDOP_SUBTRACT:
      return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
      return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
      return GL_MIN;
    case D3DBLENDOP_MAX:
      return GL_MAX;
    default:
      return 0;
  }
}

unsigned D3D9GLCompareFunc(DWORD d3dCmp) {
  switch (d3dCmp) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
      return GL_LEQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    case D3DCMP_ALWAYS:
      return GL_ALWAYS;
    default:
      return 0;
  }
}

unsigned D3D9GLMinFilter(DWORD minFilter) {
  // Textures have one level, so the mip filter changes nothing.
  return minFilter == D3DTEXF_POINT || minFilter == D3DTEXF_NONE ? GL_NEAREST : GL_LINEAR;
}

unsigned D3D9GLMagFilter(DWORD magFilter) {
  return magFilter == D3DTEXF_POINT || magFilter == D3DTEXF_NONE ? GL_NEAREST : GL_LINEAR;
}
