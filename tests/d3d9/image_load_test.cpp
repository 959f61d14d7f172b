// D3DXCreateTextureFromFileExA on images made at test time: the ffmpeg CLI writes png, bmp, tga and jpg
// files of a known picture, DDS and hostile PNG files are written here byte by byte; all of them also
// damaged on purpose.
#include <sys/resource.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "tests/d3d9/device_test_support.h"

namespace {

constexpr UINT kWidth = 17;  // odd sizes: the image's own size, never a power of two
constexpr UINT kHeight = 9;

// Four flat quadrants (so that JPEG keeps them), alpha rising to the right. 0xAARRGGBB.
uint32_t Picture(UINT x, UINT y) {
  static const uint32_t kColors[4] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xC8C8C8u};
  const uint32_t alpha = 0x40u + x * 10u;
  return alpha << 24 | kColors[(y >= 4 ? 2 : 0) + (x >= 8 ? 1 : 0)];
}

std::string MediaPath(const std::string& name) {
  mkdir("d3d9_image_media", 0755);
  return "d3d9_image_media/" + name;
}

// Writes `bytes` as the file `name` of the media folder; returns its path.
std::string WriteMedia(const std::string& name, const std::string& bytes) {
  const std::string path = MediaPath(name);
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The picture as raw BGRA, encoded by the ffmpeg CLI into `name` with the given pixel format.
std::string Encode(const std::string& name, const char* pixelFormat) {
  std::string raw;  // 0xAARRGGBB words in little-endian memory order: B, G, R, A
  for (uint32_t p : PixelsOf(kWidth, kHeight, Picture)) raw.append(reinterpret_cast<const char*>(&p), 4);
  const std::string bgra = WriteMedia("picture.bgra", raw), path = MediaPath(name);
  const std::string command = "ffmpeg -v error -y -f rawvideo -pix_fmt bgra -s " + std::to_string(kWidth) + "x" +
                              std::to_string(kHeight) + " -i " + bgra + " -pix_fmt " + pixelFormat + " -q:v 1 " +
                              path;
  EXPECT_EQ(system(command.c_str()), 0) << command;
  return path;
}

void Put32(std::string* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) *out += static_cast<char>(value >> (8 * i));
}
void Put32BigEndian(std::string* out, uint32_t value) {
  for (int i = 3; i >= 0; --i) *out += static_cast<char>(value >> (8 * i));
}

std::string DdsHeader(UINT width, UINT height, uint32_t pixelFlags, uint32_t fourCC, uint32_t bits,
                      const uint32_t masks[4], uint32_t pitchOrSize) {
  // Header size; caps, height, width, pixel format and pitch or size present; no depth or mip levels.
  std::vector<uint32_t> fields = {124, 0x1007u | (fourCC ? 0x80000u : 0x8u), height, width, pitchOrSize, 0, 0};
  fields.resize(18);  // reserved
  fields.insert(fields.end(), {32, pixelFlags, fourCC, bits, masks[0], masks[1], masks[2], masks[3], 0x1000});
  fields.resize(31);  // a texture; no further caps
  std::string dds = "DDS ";
  for (uint32_t field : fields) Put32(&dds, field);
  return dds;
}

std::string PngChunk(const char* type, const std::string& data) {
  std::string chunk;
  Put32BigEndian(&chunk, static_cast<uint32_t>(data.size()));
  chunk += std::string(type, 4) + data;
  Put32BigEndian(&chunk,
                 crc32(0, reinterpret_cast<const Bytef*>(chunk.data() + 4), static_cast<uInt>(data.size() + 4)));
  return chunk;
}

// `bytes` bytes of `filler`, deflated (zlib stream), made a megabyte at a time.
std::string Deflated(size_t bytes, char filler) {
  z_stream stream = {};
  deflateInit(&stream, 1);
  std::vector<Bytef> input(1 << 20, static_cast<Bytef>(filler)), out(1 << 16);
  std::string compressed;
  for (size_t left = bytes, take = 0;; left -= take) {
    take = std::min(left, input.size());
    const int flush = take == left ? Z_FINISH : Z_NO_FLUSH;
    stream.next_in = input.data();
    stream.avail_in = static_cast<uInt>(take);
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      deflate(&stream, flush);
      compressed.append(reinterpret_cast<char*>(out.data()), out.size() - stream.avail_out);
    } while (stream.avail_out == 0);
    if (flush == Z_FINISH) break;
  }
  deflateEnd(&stream);
  return compressed;
}

// A grey PNG of the declared size whose image data inflates to `rows` rows of zeros, with `extra`
// chunks between the header and the image data.
std::string GreyPng(uint32_t width, uint32_t height, uint32_t rows, const std::string& extra = "") {
  std::string header;
  Put32BigEndian(&header, width);
  Put32BigEndian(&header, height);
  header += std::string("\x08\x00\x00\x00\x00", 5);  // 8-bit grey, deflate, no filter, no interlace
  const std::string compressed = Deflated(static_cast<size_t>(rows) * (width + 1), 0);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + extra + PngChunk("IDAT", compressed) +
         PngChunk("IEND", "");
}

}  // namespace

class ImageTest : public DeviceTest {
 protected:
  HRESULT Load(const std::string& path, IDirect3DTexture9** texture, D3DXIMAGE_INFO* info = nullptr,
               D3DPOOL pool = D3DPOOL_MANAGED) {
    return D3DXCreateTextureFromFileExA(device_, path.c_str(), D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0,
                                        D3DFMT_FROM_FILE, pool, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, info,
                                        nullptr, texture);
  }

  // The texture's pixels from its system-memory copy (managed pool).
  std::vector<uint32_t> Pixels(IDirect3DTexture9* texture) {
    D3DSURFACE_DESC desc = {};
    IDirect3DSurface9* level = nullptr;
    texture->GetLevelDesc(0, &desc);
    texture->GetSurfaceLevel(0, &level);
    const std::vector<uint32_t> pixels = ReadSurfacePixels(level, desc.Width, desc.Height);
    level->Release();
    return pixels;
  }

  void ExpectPicture(const std::string& path, D3DXIMAGE_FILEFORMAT fileFormat, bool alpha, int tolerance) {
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info = {};
    ASSERT_EQ(Load(path, &texture, &info), D3D_OK) << path;
    EXPECT_EQ(info.ImageFileFormat, fileFormat);
    D3DSURFACE_DESC desc = {};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(std::make_tuple(info.Width, info.Height, info.Format),
              std::make_tuple(kWidth, kHeight, alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8));
    EXPECT_EQ(std::make_tuple(desc.Width, desc.Height, desc.Format),
              std::make_tuple(kWidth, kHeight, info.Format));
    const std::vector<uint32_t> pixels = Pixels(texture);
    for (UINT y = 0; y < kHeight; ++y) {
      for (UINT x = 0; x < kWidth; ++x) {
        // JPEG blurs the quadrant edges; its check keeps to the quadrants' insides.
        if (tolerance > 1 && (x == 7 || x == 8 || y == 3 || y == 4)) continue;
        const uint32_t want = Picture(x, y), got = pixels[y * kWidth + x];
        for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8) {
          const int difference = static_cast<int>((got >> shift) & 0xFF) -
                                 static_cast<int>((want >> shift) & 0xFF);
          ASSERT_LE(abs(difference), tolerance) << path << " at " << x << "," << y << ", bit " << shift;
        }
      }
    }
    texture->Release();
  }
};

TEST_F(ImageTest, EveryFormatDecodesToThePictureAtItsOwnSize) {
  ExpectPicture(Encode("picture.png", "rgba"), D3DXIFF_PNG, true, 0);
  // 16 bits a channel, brought down to 8 by rounding (v + 128) >> 8: within 1 of the original.
  ExpectPicture(Encode("picture16.png", "rgba64be"), D3DXIFF_PNG, true, 1);
  ExpectPicture(Encode("picture24.png", "rgb24"), D3DXIFF_PNG, false, 0);
  ExpectPicture(Encode("picture.bmp", "bgr24"), D3DXIFF_BMP, false, 0);
  ExpectPicture(Encode("picture.tga", "bgra"), D3DXIFF_TGA, true, 0);
  ExpectPicture(Encode("picture.jpg", "yuvj444p"), D3DXIFF_JPG, false, 12);

  const uint32_t masks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
  std::string dds = DdsHeader(kWidth, kHeight, 0x41, 0, 32, masks, kWidth * 4);  // RGB + alpha pixels
  for (uint32_t p : PixelsOf(kWidth, kHeight, Picture)) Put32(&dds, p);
  ExpectPicture(WriteMedia("picture.dds", dds), D3DXIFF_DDS, true, 0);
}

TEST_F(ImageTest, BlockCompressedDdsDecodes) {
  // Two DXT1 blocks: all texels of colour 0 (red), then all of colour 1 (blue).
  const uint32_t noMasks[4] = {0, 0, 0, 0};
  std::string dds = DdsHeader(8, 4, 0x4, MAKEFOURCC('D', 'X', 'T', '1'), 0, noMasks, 16);
  for (int block = 0; block < 2; ++block) {
    Put32(&dds, 0x001FF800u);  // colour 0 = red, colour 1 = blue (RGB565)
    Put32(&dds, block == 0 ? 0x00000000u : 0x55555555u);
  }
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(Load(WriteMedia("blocks.dds", dds), &texture), D3D_OK);
  const std::vector<uint32_t> pixels = Pixels(texture);
  ASSERT_EQ(pixels.size(), 32u);
  EXPECT_EQ(pixels[0] & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(pixels[3 * 8 + 7] & 0xFFFFFFu, 0x0000FFu);
  texture->Release();
}

TEST_F(ImageTest, ADefaultPoolImageDrawsTexelForTexel) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(Load(Encode("drawn.png", "rgba"), &texture, nullptr, D3DPOOL_DEFAULT), D3D_OK);
  IDirect3DSurface9* surface = MakeTargetSurface(kWidth, kHeight);
  DrawTextureInto(surface, Owned(CompilePixelShader(kCopyPixelShader)), Owned(texture));
  EXPECT_TRUE(SamePixels(ReadTarget(surface), PixelsOf(kWidth, kHeight, Picture), kWidth));
}

TEST_F(ImageTest, MissingCorruptAndNonLocalFilesFailCleanly) {
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
  EXPECT_EQ(Load(MediaPath("no such file.png"), &texture), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(Load(MediaPath(""), &texture), D3DERR_NOTAVAILABLE);  // a directory

  // Names are files, never FFmpeg protocols or image-sequence patterns.
  const std::string png = Encode("seq001.png", "rgba");
  EXPECT_EQ(Load(MediaPath("seq%03d.png"), &texture), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(Load("file:" + png, &texture), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(Load("http://127.0.0.1:9/picture.png", &texture), D3DERR_NOTAVAILABLE);

  EXPECT_EQ(Load(WriteMedia("truncated.png", ReadBytes(png).substr(0, 40)), &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(Load(WriteMedia("empty.jpg", ""), &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(Load(WriteMedia("text.bmp", "this is not an image at all"), &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);

  // Options this loader does not carry out are refused, not ignored.
  EXPECT_EQ(D3DXCreateTextureFromFileExA(device_, png.c_str(), D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0,
                                         D3DFMT_FROM_FILE, D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_FILTER_NONE,
                                         0xFF000000, nullptr, nullptr, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCreateTextureFromFileExA(device_, png.c_str(), 8, 8, 1, 0, D3DFMT_FROM_FILE, D3DPOOL_DEFAULT,
                                         D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture),
            D3DERR_INVALIDCALL);
}

TEST_F(ImageTest, OversizedImagesAndDecompressionBombsAreRefusedWithinTheMemoryBudget) {
  IDirect3DTexture9* texture = nullptr;
  // Declared far beyond the pixel budget, with a few bytes of data.
  EXPECT_EQ(Load(WriteMedia("huge.png", GreyPng(30000, 30000, 1)), &texture), D3DXERR_INVALIDDATA);
  // Wider than any texture can be, though small in pixels.
  EXPECT_EQ(Load(WriteMedia("wide.png", GreyPng(40000, 1, 1)), &texture), D3DXERR_INVALIDDATA);
  // A bomb: a file of a few hundred kilobytes whose data inflates to 144 megapixels.
  const std::string bomb = GreyPng(12000, 12000, 12000);
  ASSERT_LT(bomb.size(), 1u << 20);
  const std::string path = WriteMedia("bomb.png", bomb);
  struct rusage before = {}, after = {};
  getrusage(RUSAGE_SELF, &before);
  EXPECT_EQ(Load(path, &texture), D3DXERR_INVALIDDATA);
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes more at the peak";
  EXPECT_EQ(texture, nullptr);
}

// Files damaged on purpose: each load must give a texture of a sane size or fail with no texture, without
// touching memory outside the buffers (AddressSanitizer watches). The sources are 37x21 test pictures
// written by the ffmpeg CLI, cut short at many offsets, with bytes flipped in their headers and with
// absurd sizes in their size fields.
class DamagedImages : public ImageTest {
 protected:
  // Loads `bytes` as the file `name`; a texture must be of a size the device can hold. True when loaded.
  bool LoadsCleanlyOrFails(const std::string& name, const std::string& bytes) {
    const std::string path = WriteMedia(name, bytes);
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    D3DXIMAGE_INFO info = {};
    if (FAILED(Load(path, &texture, &info))) {
      EXPECT_EQ(texture, nullptr) << name;
      return false;
    }
    EXPECT_NE(texture, nullptr) << name;
    if (!texture) return false;
    D3DSURFACE_DESC desc = {};
    EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_TRUE(desc.Width == info.Width && desc.Height == info.Height) << name;
    EXPECT_TRUE(desc.Width > 0 && desc.Width <= 16384 && desc.Height > 0 && desc.Height <= 16384) << name;
    texture->Release();
    return true;
  }
};

TEST_F(DamagedImages, CutFlippedAndAbsurdlySizedFilesLoadSanelyOrFail) {
  struct Format {
    const char* extension;
    const char* pixelFormat;
    int fieldSize;  // bytes of the width and height fields, at these offsets (-1: after the JPEG frame marker)
    int widthField, heightField;
    bool bigEndian;
  };
  const Format formats[] = {
      {"png", "rgba", 4, 16, 20, true},     // IHDR
      {"bmp", "bgr24", 4, 18, 22, false},   // BITMAPINFOHEADER
      {"tga", "bgra", 2, 12, 14, false},    //
      {"jpg", "yuvj420p", 2, -1, -1, true}  // start of frame: length, precision, height, width
  };
  for (const Format& f : formats) {
    SCOPED_TRACE(f.extension);
    const std::string source = MediaPath(std::string("source.") + f.extension);
    const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=s=37x21:d=0.04 -frames:v 1 -pix_fmt " +
                                std::string(f.pixelFormat) + " " + source;
    ASSERT_EQ(system(command.c_str()), 0) << command;
    const std::string whole = ReadBytes(source);
    ASSERT_GT(whole.size(), 64u);
    ASSERT_TRUE(LoadsCleanlyOrFails(std::string("whole.") + f.extension, whole));

    std::vector<size_t> lengths = {0, 1, 2, 3, 8, 14, 18, 26, 33, 54, whole.size() - 1};
    for (int part = 1; part < 12; ++part) lengths.push_back(whole.size() * part / 12);
    for (size_t length : lengths) {
      SCOPED_TRACE("cut at " + std::to_string(length));
      LoadsCleanlyOrFails(std::string("cut.") + f.extension, whole.substr(0, length));
    }
    for (size_t offset = 0; offset < 200 && offset < whole.size(); offset += 3) {
      SCOPED_TRACE("flipped at " + std::to_string(offset));
      std::string damaged = whole;
      damaged[offset] = static_cast<char>(~damaged[offset]);
      LoadsCleanlyOrFails(std::string("flip.") + f.extension, damaged);
    }
    size_t fields[2] = {size_t(f.widthField), size_t(f.heightField)};
    if (f.widthField < 0) {
      const size_t frame = whole.find("\xFF\xC0");
      ASSERT_NE(frame, std::string::npos);
      fields[0] = frame + 7;
      fields[1] = frame + 5;
    }
    for (uint32_t size : {0u, 1u, 16385u, 65535u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
      for (size_t field : fields) {
        SCOPED_TRACE("size field at " + std::to_string(field) + " = " + std::to_string(size));
        std::string damaged = whole;
        for (int i = 0; i < f.fieldSize; ++i) {
          const int shift = 8 * (f.bigEndian ? f.fieldSize - 1 - i : i);
          damaged[field + i] = static_cast<char>(size >> shift);
        }
        LoadsCleanlyOrFails(std::string("absurd.") + f.extension, damaged);
      }
    }
  }
}

// A DDS header that declares an uncompressed 32-bit picture, followed by data for none, part or all of
// it, at sizes from small to absurd.
TEST_F(DamagedImages, DdsHeaderOverTooLittleData) {
  const uint32_t masks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
  for (uint32_t size : {4u, 16385u, 65535u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    const std::string dds = DdsHeader(size, size, 0x41, 0, 32, masks, size * 4);
    for (size_t data : {size_t{0}, size_t{7}, size_t{64}}) {
      SCOPED_TRACE("dds " + std::to_string(size) + " with " + std::to_string(data) + " bytes");
      LoadsCleanlyOrFails("short.dds", dds + std::string(data, '\x7F'));
    }
  }
}

// Text and colour-profile chunks that inflate to hundreds of megabytes around a 16x16 picture: each
// file loads as the picture, and the load raises the peak resident memory of a fresh process by less
// than 64 MB (measured in a process of its own, so that what earlier tests used does not hide it).
TEST(ImageMemory, TextAndProfileBombsLoadAsTheirSmallPictureWithinTheMemoryBudget) {
  constexpr size_t kMegabyte = 1 << 20;
  const std::string text = Deflated(256 * kMegabyte, 'a');
  const std::string profile = Deflated(128 * kMegabyte, 0);
  struct Bomb {
    const char* name;
    std::string chunk;
  };
  const Bomb bombs[] = {
      {"text.png", PngChunk("tEXt", std::string("Comment\0", 8) + std::string(24 * kMegabyte, 'a'))},
      {"compressed-text.png", PngChunk("zTXt", std::string("Comment\0\0", 9) + text)},
      {"international-text.png", PngChunk("iTXt", std::string("Comment\0\1\0\0\0", 12) + text)},
      {"profile.png", PngChunk("iCCP", std::string("icc\0\0", 5) + profile)},
  };
  const std::string plain = WriteMedia("plain.png", GreyPng(16, 16, 16));
  for (const Bomb& bomb : bombs) {
    // A fresh process for each bomb: its peak is its own. The plain picture warms the decoder up first.
    const std::string command = std::string(TQ_IMAGE_MEMORY_PROBE) + " " + plain + " " +
                                WriteMedia(bomb.name, GreyPng(16, 16, 16, bomb.chunk));
    FILE* probe = popen(command.c_str(), "r");
    ASSERT_NE(probe, nullptr);
    unsigned width = 0, height = 0;
    long kilobytes = 0;
    EXPECT_EQ(fscanf(probe, "%u %u %ld", &width, &height, &kilobytes), 3) << "the plain picture did not load";
    EXPECT_EQ(fscanf(probe, "%u %u %ld", &width, &height, &kilobytes), 3) << bomb.name << " did not load";
    EXPECT_EQ(pclose(probe), 0) << bomb.name;
    EXPECT_EQ(width, 16u) << bomb.name;
    EXPECT_EQ(height, 16u) << bomb.name;
    EXPECT_LT(kilobytes, 64 * 1024) << bomb.name << ": kilobytes more at the peak";
  }
}
