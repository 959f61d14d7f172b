// D3DX 9-shaped texture loading from image files (d3dx9_texture_file.cpp), decoded by FFmpeg.
//
// Implements: D3DXCreateTextureFromFileExA for jpg, bmp, dds, png and tga files at the image's own size
// (D3DX_DEFAULT_NONPOW2 or D3DX_DEFAULT / 0 for the size, which are the same here, or the exact size of
// the image), one level, D3DFMT_FROM_FILE / D3DFMT_UNKNOWN / D3DFMT_A8R8G8B8 / D3DFMT_X8R8G8B8,
// D3DX_FILTER_NONE, no colour key, no palette. A file's own format is D3DFMT_A8R8G8B8 when its pixels carry
// alpha and D3DFMT_X8R8G8B8 otherwise (block-compressed DDS files are decoded to those formats too).
// D3DXIMAGE_INFO is filled when asked for.
//
// Only local files are read: a name is never handed to FFmpeg as a protocol or an image-sequence pattern.
// Images wider or taller than the device's texture limit, or above the pixel budget, are refused with
// D3DXERR_INVALIDDATA before their pixels are allocated; decoding runs inside a memory budget, so a small
// file that inflates to a huge picture fails instead of exhausting memory.
#pragma once

#include "renderer/d3d9/d3d9.h"

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_FROM_FILE ((UINT)-3)
#define D3DFMT_FROM_FILE ((D3DFORMAT)-3)

#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)

#define D3DXERR_INVALIDDATA MAKE_D3DHRESULT(2905)

// The largest image accepted, in pixels (a 64-megapixel picture needs 256 MiB as 32-bit pixels).
#define TQ_D3DX_MAX_IMAGE_PIXELS (64u * 1024u * 1024u)

enum D3DXIMAGE_FILEFORMAT : DWORD {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_HDR = 7,
  D3DXIFF_PFM = 8
};

struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};

// Loads an image file into a new texture with one reference. Failures: D3DERR_INVALIDCALL for bad
// arguments or unsupported options, D3DERR_NOTAVAILABLE for a name that is not a readable regular file,
// D3DXERR_INVALIDDATA for a file that is not a decodable image within the pixel budget and the texture
// size limit, E_OUTOFMEMORY when memory runs out.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                     UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                     DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                     PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture);
