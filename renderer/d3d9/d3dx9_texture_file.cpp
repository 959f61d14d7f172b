// D3DXCreateTextureFromFileExA: an image file read from the local file system, decoded by FFmpeg's image
// decoders at its own size, converted to B, G, R, A rows and put into a new texture.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "common/error_line.h"
#include "renderer/d3d9/d3d9_device.h"
#include "renderer/d3d9/d3d9_texture.h"
#include "renderer/d3d9/d3dx9_png_chunks.h"
#include "renderer/d3d9/d3dx9_tex.h"

namespace {

// No accepted image needs a larger file: 4 bytes a pixel at the pixel budget, plus headers.
constexpr long long kMaxImageFileBytes = 4ll * TQ_D3DX_MAX_IMAGE_PIXELS + (1 << 20);

struct ImageKind {
  AVCodecID codec;
  D3DXIMAGE_FILEFORMAT fileFormat;
};

bool EndsWithTga(const char* path) {
  const size_t length = strlen(path);
  if (length < 4) return false;
  const char* ext = path + length - 4;
  return ext[0] == '.' && (ext[1] | 0x20) == 't' && (ext[2] | 0x20) == 'g' && (ext[3] | 0x20) == 'a';
}

// The decoder from the file's signature; Targa files have none and are known by their extension.
bool DetectImageKind(const std::vector<uint8_t>& data, const char* path, ImageKind* kind) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (data.size() >= 8 && memcmp(data.data(), kPng, 8) == 0) {
    *kind = {AV_CODEC_ID_PNG, D3DXIFF_PNG};
  } else if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    *kind = {AV_CODEC_ID_MJPEG, D3DXIFF_JPG};
  } else if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    *kind = {AV_CODEC_ID_BMP, D3DXIFF_BMP};
  } else if (data.size() >= 4 && memcmp(data.data(), "DDS ", 4) == 0) {
    *kind = {AV_CODEC_ID_DDS, D3DXIFF_DDS};
  } else if (data.size() >= 18 && EndsWithTga(path)) {
    *kind = {AV_CODEC_ID_TARGA, D3DXIFF_TGA};
  } else {
    return false;
  }
  return true;
}

// Reads a regular local file whole. D3DERR_NOTAVAILABLE when it cannot be opened or is no regular file.
HRESULT ReadImageFile(const char* path, std::vector<uint8_t>* data) {
  struct stat info;
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return D3DERR_NOTAVAILABLE;
  if (info.st_size <= 0 || info.st_size > kMaxImageFileBytes) return D3DXERR_INVALIDDATA;
  FILE* file = fopen(path, "rb");
  if (!file) return D3DERR_NOTAVAILABLE;
  data->resize(static_cast<size_t>(info.st_size) + AV_INPUT_BUFFER_PADDING_SIZE);
  const size_t read = fread(data->data(), 1, static_cast<size_t>(info.st_size), file);
  fclose(file);
  if (read != static_cast<size_t>(info.st_size)) return D3DERR_NOTAVAILABLE;
  memset(data->data() + read, 0, AV_INPUT_BUFFER_PADDING_SIZE);
  data->resize(read);
  return D3D_OK;
}

// Decodes the one picture of an image file; the decoder refuses pictures above maxPixels before it
// allocates them.
HRESULT DecodeImage(const std::vector<uint8_t>& data, AVCodecID codecId, int64_t maxPixels, AVFrame* frame) {
  const AVCodec* codec = avcodec_find_decoder(codecId);
  if (!codec) return D3DXERR_INVALIDDATA;
  AVCodecContext* context = avcodec_alloc_context3(codec);
  AVPacket* packet = av_packet_alloc();
  HRESULT hr = D3DXERR_INVALIDDATA;
  if (context && packet) {
    context->max_pixels = maxPixels;
    context->thread_count = 1;
    if (avcodec_open2(context, codec, nullptr) == 0) {
      // The packet borrows the file's bytes, which carry the decoder's zeroed padding after them.
      packet->data = const_cast<uint8_t*>(data.data());
      packet->size = static_cast<int>(data.size());
      if (avcodec_send_packet(context, packet) == 0 && avcodec_send_packet(context, nullptr) == 0) {
        const int result = avcodec_receive_frame(context, frame);
        if (result == 0 && frame->width > 0 && frame->height > 0) {
          hr = D3D_OK;
        } else if (result == AVERROR(ENOMEM)) {
          hr = E_OUTOFMEMORY;
        }
      }
    }
  }
  av_packet_free(&packet);
  avcodec_free_context(&context);
  return hr;
}

// The full-range YUV formats of JPEG, as swscale wants them: the plain format plus a range flag.
AVPixelFormat PlainYuvFormat(AVPixelFormat format, int* fullRange) {
  *fullRange = 0;
  switch (format) {
    case AV_PIX_FMT_YUVJ420P:
      *fullRange = 1;
      return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
      *fullRange = 1;
      return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
      *fullRange = 1;
      return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
      *fullRange = 1;
      return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
      *fullRange = 1;
      return AV_PIX_FMT_YUV411P;
    default:
      return format;
  }
}

HRESULT ConvertToBgra(const AVFrame* frame, std::vector<uint8_t>* bgra) {
  const int width = frame->width;
  const int height = frame->height;
  int fullRange = 0;
  const AVPixelFormat source = PlainYuvFormat(static_cast<AVPixelFormat>(frame->format), &fullRange);
  if (frame->color_range == AVCOL_RANGE_JPEG) fullRange = 1;
  SwsContext* scaler = sws_getContext(width, height, source, width, height, AV_PIX_FMT_BGRA,
                                      SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr,
                                      nullptr);
  if (!scaler) return D3DXERR_INVALIDDATA;
  int* inverse = nullptr;
  int* table = nullptr;
  int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
  if (sws_getColorspaceDetails(scaler, &inverse, &srcRange, &table, &dstRange, &brightness, &contrast,
                               &saturation) >= 0) {
    sws_setColorspaceDetails(scaler, inverse, fullRange, table, 1, brightness, contrast, saturation);
  }
  try {
    bgra->assign(static_cast<size_t>(width) * height * 4, 0);
  } catch (const std::bad_alloc&) {
    sws_freeContext(scaler);
    return E_OUTOFMEMORY;
  }
  uint8_t* destination[4] = {bgra->data(), nullptr, nullptr, nullptr};
  const int destinationPitch[4] = {width * 4, 0, 0, 0};
  const int rows = sws_scale(scaler, frame->data, frame->linesize, 0, height, destination, destinationPitch);
  sws_freeContext(scaler);
  return rows == height ? D3D_OK : D3DXERR_INVALIDDATA;
}

bool SizeIsTheImages(UINT requested) {
  return requested == 0 || requested == D3DX_DEFAULT || requested == D3DX_DEFAULT_NONPOW2 ||
         requested == D3DX_FROM_FILE;
}

}  // namespace

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                     UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                     DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                     PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture) {
  if (!pDevice || !pSrcFile || !ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (MipLevels != 1 && MipLevels != D3DX_FROM_FILE) {
    WriteErrorLine("D3DXCreateTextureFromFileExA: mipmap chains are not implemented");
    return D3DERR_INVALIDCALL;
  }
  if (ColorKey != 0) {
    WriteErrorLine("D3DXCreateTextureFromFileExA: colour keys are not implemented");
    return D3DERR_INVALIDCALL;
  }
  if ((Usage & ~(DWORD)D3DUSAGE_DYNAMIC) != 0 || (Pool != D3DPOOL_DEFAULT && Pool != D3DPOOL_MANAGED)) {
    WriteErrorLine("D3DXCreateTextureFromFileExA: usage 0x%x in pool %u is not implemented", Usage, (UINT)Pool);
    return D3DERR_INVALIDCALL;
  }
  if (Format != D3DFMT_FROM_FILE && Format != D3DFMT_UNKNOWN && Format != D3DFMT_A8R8G8B8 &&
      Format != D3DFMT_X8R8G8B8) {
    WriteErrorLine("D3DXCreateTextureFromFileExA: format %u is not implemented", (UINT)Format);
    return D3DERR_INVALIDCALL;
  }
  // No resizing happens, so the filters have nothing to do.
  (void)Filter;
  (void)MipFilter;
  (void)pPalette;

  std::vector<uint8_t> data;
  HRESULT hr = ReadImageFile(pSrcFile, &data);
  if (FAILED(hr)) return hr;
  ImageKind kind;
  if (!DetectImageKind(data, pSrcFile, &kind)) return D3DXERR_INVALIDDATA;
  if (kind.codec == AV_CODEC_ID_PNG) {
    StripPngTextChunks(&data);
    // The bytes after the shortened file are the decoder's padding again: zeroed (growing a vector
    // value-initialises, and the capacity already holds them).
    const size_t size = data.size();
    data.resize(size + AV_INPUT_BUFFER_PADDING_SIZE);
    data.resize(size);
  }

  CTQD3DDevice* device = static_cast<CTQD3DDevice*>(pDevice);
  const int64_t maxSide = device->MaxTextureSize();
  const int64_t maxPixels = std::min<int64_t>(TQ_D3DX_MAX_IMAGE_PIXELS, maxSide * maxSide);
  AVFrame* frame = av_frame_alloc();
  if (!frame) return E_OUTOFMEMORY;
  hr = DecodeImage(data, kind.codec, maxPixels, frame);
  std::vector<uint8_t>().swap(data);
  if (SUCCEEDED(hr) && (frame->width > maxSide || frame->height > maxSide)) hr = D3DXERR_INVALIDDATA;
  const UINT width = SUCCEEDED(hr) ? static_cast<UINT>(frame->width) : 0;
  const UINT height = SUCCEEDED(hr) ? static_cast<UINT>(frame->height) : 0;
  if (SUCCEEDED(hr) &&
      ((!SizeIsTheImages(Width) && Width != width) || (!SizeIsTheImages(Height) && Height != height))) {
    WriteErrorLine("D3DXCreateTextureFromFileExA: resizing images is not implemented");
    hr = D3DERR_INVALIDCALL;
  }
  D3DFORMAT fileFormat = D3DFMT_X8R8G8B8;
  if (SUCCEEDED(hr)) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA)) fileFormat = D3DFMT_A8R8G8B8;
  }
  std::vector<uint8_t> bgra;
  if (SUCCEEDED(hr)) hr = ConvertToBgra(frame, &bgra);
  av_frame_free(&frame);
  if (FAILED(hr)) return hr;

  const D3DFORMAT format = (Format == D3DFMT_FROM_FILE || Format == D3DFMT_UNKNOWN) ? fileFormat : Format;
  IDirect3DTexture9* texture = nullptr;
  hr = pDevice->CreateTexture(width, height, 1, Usage, format, Pool, &texture, nullptr);
  if (FAILED(hr)) return hr;
  hr = static_cast<CTQD3DTexture*>(texture)->UploadPixels(bgra.data(), static_cast<INT>(width * 4));
  if (FAILED(hr)) {
    texture->Release();
    return hr;
  }
  if (pSrcInfo) {
    pSrcInfo->Width = width;
    pSrcInfo->Height = height;
    pSrcInfo->Depth = 1;
    pSrcInfo->MipLevels = 1;
    pSrcInfo->Format = fileFormat;
    pSrcInfo->ResourceType = D3DRTYPE_TEXTURE;
    pSrcInfo->ImageFileFormat = kind.fileFormat;
  }
  *ppTexture = texture;
  return D3D_OK;
}
