#include "tests/renderer/shader_gallery.h"

#include <dirent.h>
#include <cstdio>

#include <algorithm>

#include "settings/settings.h"

namespace {

// The stereo test picture holds two 192 x 108 views side by side.
const uint32_t kViewWidth = 192;
const uint32_t kViewHeight = 108;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

std::vector<GalleryEntry> GalleryEntries() {
  std::vector<GalleryEntry> entries;
  DIR* folder = opendir(ShippedShader("encoders").c_str());
  if (folder == nullptr) {
    return entries;
  }
  while (dirent* item = readdir(folder)) {
    std::string name = item->d_name;
    const std::string suffix = ".hlsl";
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    name.resize(name.size() - suffix.size());
    GalleryEntry entry = {name, kViewWidth, kViewHeight, false};
    if (name == "side-by-side-full") {
      entry.width = 2 * kViewWidth;
    } else if (name == "top-bottom-full") {
      entry.height = 2 * kViewHeight;
    } else if (name == "frame-packing") {
      entry.height = 245;  // 49 * 5: eyes of 120 rows around a band of 5
    } else if (name.rfind("frame-sequential", 0) == 0) {
      entry.twoFrames = true;
    }
    entries.push_back(entry);
  }
  closedir(folder);
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
  if (renderer.Initialize(nullptr, entry.width, entry.height,
                          ShippedShader("decoders/side-by-side-left-first.hlsl").c_str(), encoder.c_str(),
                          0) != 0 ||
      renderer.LoadImageTexture(GalleryStereoPicture().c_str()) != 0) {
    renderer.Shutdown();
    return 1;
  }
  const uint32_t frames = entry.twoFrames ? 2 : 1;
  *picture = Picture(entry.width * frames, entry.height);
  for (uint32_t frame = 0; frame < frames; ++frame) {
    if (renderer.RenderFrame() != 0) {
      renderer.Shutdown();
      return 1;
    }
    const Picture screen = ReadBack(renderer, renderer.GetBackBufferSurface());
    if (screen.width != entry.width || screen.height != entry.height) {
      renderer.Shutdown();
      return 1;
    }
    for (uint32_t y = 0; y < entry.height; ++y) {
      for (uint32_t x = 0; x < entry.width; ++x) {
        picture->At(frame * entry.width + x, y) = screen.At(x, y) | 0xFF000000u;
      }
    }
    renderer.IncrementFrameCount();
  }
  renderer.Shutdown();
  return 0;
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
