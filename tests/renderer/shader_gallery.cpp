#include "tests/renderer/shader_gallery.h"

#include <cstdio>

#include <algorithm>
#include <filesystem>

#include "settings/settings.h"

namespace {

// The stereo test picture holds two 192 x 108 views side by side.
const uint32_t kViewWidth = 192;
const uint32_t kViewHeight = 108;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

std::vector<GalleryEntry> GalleryEntries() {
  std::vector<GalleryEntry> entries;
  std::error_code error;
  for (const auto& file : std::filesystem::directory_iterator(ShippedShader("encoders"), error)) {
    if (file.path().extension() != ".hlsl") continue;
    const std::string name = file.path().stem().string();
    GalleryEntry entry = {name, kViewWidth, kViewHeight, name.rfind("frame-sequential", 0) == 0};
    if (name == "side-by-side-full") entry.width = 2 * kViewWidth;
    if (name == "top-bottom-full") entry.height = 2 * kViewHeight;
    if (name == "frame-packing") entry.height = 245;  // 49 * 5: eyes of 120 rows around a band of 5
    entries.push_back(entry);
  }
  std::sort(entries.begin(), entries.end(),
            [](const GalleryEntry& a, const GalleryEntry& b) { return a.encoder < b.encoder; });
  return entries;
}

std::string GalleryStereoPicture() { return ShippedShader("gallery/stereo-test.png"); }

std::string GalleryPicture(const GalleryEntry& entry) {
  return ShippedShader("gallery/" + entry.encoder + ".png");
}

int RenderGalleryEntry(const GalleryEntry& entry, Picture* picture) {
  ResetRendererSettings();
  CTQRenderer renderer;
  const std::string encoder = ShippedShader("encoders/" + entry.encoder + ".hlsl");
  const uint32_t frames = entry.twoFrames ? 2 : 1;
  int failed = renderer.Initialize(nullptr, entry.width, entry.height,
                                   ShippedShader("decoders/side-by-side-left-first.hlsl").c_str(), encoder.c_str(),
                                   0) != 0 ||
               renderer.LoadImageTexture(GalleryStereoPicture().c_str()) != 0;
  *picture = Picture(entry.width * frames, entry.height);
  for (uint32_t frame = 0; frame < frames && !failed; ++frame) {
    const Picture screen = renderer.RenderFrame() == 0 ? ReadBack(renderer, renderer.GetBackBufferSurface())
                                                       : Picture();
    failed = screen.width != entry.width || screen.height != entry.height;
    for (uint32_t y = 0; y < entry.height && !failed; ++y) {
      for (uint32_t x = 0; x < entry.width; ++x)
        picture->At(frame * entry.width + x, y) = screen.At(x, y) | 0xFF000000u;
    }
    renderer.IncrementFrameCount();
  }
  renderer.Shutdown();
  return failed;
}

Picture ReadPictureFile(const std::string& path, uint32_t width, uint32_t height) {
  const std::string command = "ffmpeg -loglevel error -i " + Quoted(path) +
                              " -frames:v 1 -f rawvideo -pix_fmt rgb24 -";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return Picture();
  }
  // One byte more than the picture needs: a file of another size gives a short or a long read.
  std::vector<unsigned char> bytes(size_t(width) * height * 3 + 1);
  const size_t got = fread(bytes.data(), 1, bytes.size(), pipe);
  const int status = pclose(pipe);
  if (got != bytes.size() - 1 || status != 0) {
    return Picture();
  }
  Picture picture(width, height);
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    picture.pixels[i] = Rgb(bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]);
  }
  return picture;
}

int WritePictureFile(const Picture& picture, const std::string& path) {
  const std::string command = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                              std::to_string(picture.width) + "x" + std::to_string(picture.height) +
                              " -i - -frames:v 1 " + Quoted(path);
  FILE* pipe = popen(command.c_str(), "w");
  if (pipe == nullptr) {
    return 1;
  }
  std::vector<unsigned char> bytes;
  bytes.reserve(picture.pixels.size() * 3);
  for (uint32_t c : picture.pixels) {
    bytes.push_back(Red(c));
    bytes.push_back(Green(c));
    bytes.push_back(Blue(c));
  }
  const size_t put = fwrite(bytes.data(), 1, bytes.size(), pipe);
  return pclose(pipe) == 0 && put == bytes.size() ? 0 : 1;
}
