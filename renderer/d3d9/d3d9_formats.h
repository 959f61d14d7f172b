// Direct3D 9 enumerations mapped onto OpenGL ones, in one table per kind. GL enumerations are passed as
// unsigned int so that this header stays free of GL headers.
#pragma once

#include "renderer/d3d9/d3d9.h"

// Colour formats that textures, render targets and surfaces can have.
BOOL D3D9IsColorFormat(D3DFORMAT format);
// D3DFMT_A8R8G8B8 keeps its alpha; D3DFMT_X8R8G8B8 reads alpha as 1.
BOOL D3D9FormatHasAlpha(D3DFORMAT format);
// Gives the texture bound to GL_TEXTURE_2D of the active unit a width x height level 0 of 8-bit RGBA,
// undefined contents. The level is asked for as unsized RGBA with the B, G, R, A byte order as the hint,
// which lets the driver store it in the order that uploads and read-backs use (Mesa's software renderer
// then copies rows as they are instead of swapping bytes in every pixel); a driver that would give it
// fewer than 8 bits a channel gets GL_RGBA8 instead. GL errors are left for the caller to read.
void D3D9AllocateColorLevel(unsigned width, unsigned height);
// Depth-stencil formats for the automatic depth buffer; 0 when not one.
unsigned D3D9DepthInternalFormat(D3DFORMAT format);

// Sampler and render-state values; 0 when the value is not one Direct3D 9 defines.
unsigned D3D9GLAddressMode(DWORD d3dAddress);
unsigned D3D9GLBlendFactor(DWORD d3dBlend);
unsigned D3D9GLBlendOp(DWORD d3dBlendOp);
unsigned D3D9GLCompareFunc(DWORD d3dCmp);
// Minification filter for a min filter and a mip filter of a texture with one level.
unsigned D3D9GLMinFilter(DWORD minFilter);
unsigned D3D9GLMagFilter(DWORD magFilter);
