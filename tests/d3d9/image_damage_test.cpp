// D3DXCreateTextureFromFileExA on image files damaged on purpose: images written by the ffmpeg CLI at
// test time, then cut short at many offsets, with bytes flipped in their headers, with absurd sizes in
// their headers, and a DDS header over too little data. Each load must give a texture of a sane size
// or fail with no texture, without touching memory outside the buffers (AddressSanitizer watches).
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/d3d9/device_test_support.h"

namespace {

std::string MediaDir() {
  const std::string dir = "d3d9_damaged_images";
  mkdir(dir.c_str(), 0755);
  return dir;
}

std::string WriteBytes(const std::string& name, const std::string& bytes) {
  const std::string path = MediaDir() + "/" + name;
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// A 37x21 test picture encoded by the ffmpeg CLI, as bytes.
std::string EncodedPicture(const std::string& name, const char* pixelFormat) {
  const std::string path = MediaDir() + "/" + name;
  const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=s=37x21:d=0.04 -frames:v 1 -pix_fmt " +
                              std::string(pixelFormat) + " " + path;
  EXPECT_EQ(system(command.c_str()), 0) << command;
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void PutBigEndian(std::string* bytes, size_t at, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) (*bytes)[at + i] = static_cast<char>(value >> (8 * (size - 1 - i)));
}

void PutLittleEndian(std::string* bytes, size_t at, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) (*bytes)[at + i] = static_cast<char>(value >> (8 * i));
}

class DamagedImages : public DeviceTest {
 protected:
  // Loads `bytes` as the file `name`; a texture must be of a size the device can hold. True when loaded.
  bool LoadsCleanlyOrFails(const std::string& name, const std::string& bytes) {
    const std::string path = WriteBytes(name, bytes);
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
    D3DXIMAGE_INFO info = {};
    const HRESULT hr = D3DXCreateTextureFromFileExA(device_, path.c_str(), D3DX_DEFAULT_NONPOW2,
                                                    D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_FROM_FILE, D3DPOOL_MANAGED,
                                                    D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info, nullptr,
                                                    &texture);
    if (FAILED(hr)) {
      EXPECT_EQ(texture, nullptr) << name;
      return false;
    }
    EXPECT_NE(texture, nullptr) << name;
    if (!texture) return false;
    D3DSURFACE_DESC desc = {};
    EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, info.Width) << name;
    EXPECT_EQ(desc.Height, info.Height) << name;
    EXPECT_GT(desc.Width, 0u) << name;
    EXPECT_GT(desc.Height, 0u) << name;
    EXPECT_LE(desc.Width, 16384u) << name;
    EXPECT_LE(desc.Height, 16384u) << name;
    texture->Release();
    return true;
  }

  // Cut short at many offsets and with each of the first bytes flipped in turn.
  void CutAndFlip(const std::string& extension, const std::string& whole) {
    ASSERT_GT(whole.size(), 64u);
    std::vector<size_t> lengths = {0, 1, 2, 3, 8, 14, 18, 26, 33, 54};
    for (int part = 1; part < 12; ++part) lengths.push_back(whole.size() * part / 12);
    lengths.push_back(whole.size() - 1);
    for (size_t length : lengths) {
      if (length > whole.size()) continue;
      SCOPED_TRACE(extension + " cut at " + std::to_string(length));
      LoadsCleanlyOrFails("cut." + extension, whole.substr(0, length));
    }
    for (size_t offset = 0; offset < 200 && offset < whole.size(); offset += 3) {
      SCOPED_TRACE(extension + " flipped at " + std::to_string(offset));
      std::string damaged = whole;
      damaged[offset] = static_cast<char>(~damaged[offset]);
      LoadsCleanlyOrFails("flip." + extension, damaged);
    }
  }
};

const uint32_t kAbsurdSizes[] = {0, 1, 16385, 65535, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};

TEST_F(DamagedImages, Png) {
  const std::string png = EncodedPicture("source.png", "rgba");
  CutAndFlip("png", png);
  for (uint32_t size : kAbsurdSizes) {
    for (size_t field : {16u, 20u}) {  // IHDR width, height
      SCOPED_TRACE("png size field " + std::to_string(field) + " = " + std::to_string(size));
      std::string damaged = png;
      PutBigEndian(&damaged, field, size, 4);
      LoadsCleanlyOrFails("absurd.png", damaged);
    }
  }
}

TEST_F(DamagedImages, Bmp) {
  const std::string bmp = EncodedPicture("source.bmp", "bgr24");
  CutAndFlip("bmp", bmp);
  for (uint32_t size : kAbsurdSizes) {
    for (size_t field : {18u, 22u}) {  // BITMAPINFOHEADER width, height
      SCOPED_TRACE("bmp size field " + std::to_string(field) + " = " + std::to_string(size));
      std::string damaged = bmp;
      PutLittleEndian(&damaged, field, size, 4);
      LoadsCleanlyOrFails("absurd.bmp", damaged);
    }
  }
}

TEST_F(DamagedImages, Tga) {
  const std::string tga = EncodedPicture("source.tga", "bgra");
  CutAndFlip("tga", tga);
  for (uint32_t size : kAbsurdSizes) {
    for (size_t field : {12u, 14u}) {  // width, height (16 bits)
      SCOPED_TRACE("tga size field " + std::to_string(field) + " = " + std::to_string(size));
      std::string damaged = tga;
      PutLittleEndian(&damaged, field, size, 2);
      LoadsCleanlyOrFails("absurd.tga", damaged);
    }
  }
}

TEST_F(DamagedImages, Jpeg) {
  const std::string jpg = EncodedPicture("source.jpg", "yuvj420p");
  CutAndFlip("jpg", jpg);
  const size_t frame = jpg.find("\xFF\xC0");  // start of frame: length, precision, height, width
  ASSERT_NE(frame, std::string::npos);
  for (uint32_t size : kAbsurdSizes) {
    for (size_t field : {frame + 5, frame + 7}) {
      SCOPED_TRACE("jpg size field " + std::to_string(field) + " = " + std::to_string(size));
      std::string damaged = jpg;
      PutBigEndian(&damaged, field, size, 2);
      LoadsCleanlyOrFails("absurd.jpg", damaged);
    }
  }
}

// A DDS header that declares an uncompressed 32-bit picture, followed by data for none, part or all of
// it, at sizes from small to absurd.
TEST_F(DamagedImages, DdsHeaderOverTooLittleData) {
  for (uint32_t size : {4u, 16385u, 65535u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    std::string dds = "DDS ";
    const uint32_t header[31] = {124,        0x100F,     size,       size,       size * 4, 0, 0, 0,  0,    0, 0,
                                 0,          0,          0,          0,          0,        0, 0, 32, 0x41, 0, 32,
                                 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, 0x1000,   0, 0, 0,  0};
    for (uint32_t value : header) dds.append(reinterpret_cast<const char*>(&value), 4);
    for (size_t data : {size_t{0}, size_t{7}, size_t{64}}) {
      SCOPED_TRACE("dds " + std::to_string(size) + " with " + std::to_string(data) + " bytes");
      LoadsCleanlyOrFails("short.dds", dds + std::string(data, '\x7F'));
    }
  }
}

// The same picture whole loads, so the damaged cases above start from a file that works.
TEST_F(DamagedImages, UndamagedSourcesLoad) {
  EXPECT_TRUE(LoadsCleanlyOrFails("whole.png", EncodedPicture("source.png", "rgba")));
  EXPECT_TRUE(LoadsCleanlyOrFails("whole.bmp", EncodedPicture("source.bmp", "bgr24")));
  EXPECT_TRUE(LoadsCleanlyOrFails("whole.tga", EncodedPicture("source.tga", "bgra")));
  EXPECT_TRUE(LoadsCleanlyOrFails("whole.jpg", EncodedPicture("source.jpg", "yuvj420p")));
}

}  // namespace
