// The encoder gallery of the shader library: every shipped encoder applied to one stereo test picture
// (side by side, left view first) through the real renderer, at a small size. The gallery maker writes
// the pictures; a test checks that the committed ones are still what the encoders make.
#pragma once

#include <string>
#include <vector>

#include "tests/renderer/renderer_test_support.h"

struct GalleryEntry {
  std::string encoder;  // file name under shaders/encoders/, without ".hlsl"
  uint32_t width;       // back-buffer size
  uint32_t height;
  bool twoFrames;  // an even and an odd frame side by side (frame-sequential outputs)
};

// Every encoder of the shipped library, with the back-buffer size its picture is made at.
std::vector<GalleryEntry> GalleryEntries();

std::string GalleryStereoPicture();                     // shaders/gallery/stereo-test.png
std::string GalleryPicture(const GalleryEntry& entry);  // shaders/gallery/<encoder>.png

// Renders the stereo test picture through the side-by-side decoder and the entry's encoder; returns 0
// and the back buffer (both frames side by side for a two-frame entry), or 1 when the renderer failed.
int RenderGalleryEntry(const GalleryEntry& entry, Picture* picture);

// Reads a PNG (or any picture the ffmpeg CLI reads) of the given size as 0xAARRGGBB words; an empty
// picture when it cannot be read or has another size.
Picture ReadPictureFile(const std::string& path, uint32_t width, uint32_t height);
// Writes a picture as a PNG with the ffmpeg CLI; returns 0 on success.
int WritePictureFile(const Picture& picture, const std::string& path);
