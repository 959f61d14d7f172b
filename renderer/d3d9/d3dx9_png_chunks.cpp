#include "renderer/d3d9/d3dx9_png_chunks.h"

#include <cstring>

namespace {

constexpr size_t kSignatureBytes = 8;
constexpr size_t kChunkOverhead = 12;  // length, type and CRC around the chunk's data

uint32_t ReadBigEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

bool IsLeftOut(const uint8_t* type) {
  for (const char* name : {"tEXt", "zTXt", "iTXt", "iCCP"}) {
    if (memcmp(type, name, 4) == 0) return true;
  }
  return false;
}

}  // namespace

void StripPngTextChunks(std::vector<uint8_t>* data) {
  std::vector<uint8_t>& bytes = *data;
  if (bytes.size() < kSignatureBytes) return;
  size_t read = kSignatureBytes;
  size_t write = kSignatureBytes;
  while (bytes.size() - read >= kChunkOverhead) {
    const uint32_t length = ReadBigEndian32(&bytes[read]);
    if (length > bytes.size() - read - kChunkOverhead) break;
    const uint8_t* type = &bytes[read + 4];
    const size_t chunk = kChunkOverhead + length;
    const bool end = memcmp(type, "IEND", 4) == 0;
    if (!IsLeftOut(type)) {
      if (write != read) memmove(&bytes[write], &bytes[read], chunk);
      write += chunk;
    }
    read += chunk;
    if (end) break;
  }
  if (write != read) {
    memmove(&bytes[write], &bytes[read], bytes.size() - read);
    bytes.resize(write + (bytes.size() - read));
  }
}
