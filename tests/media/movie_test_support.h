// Shared by the movie source tests: where the generated clips live, opening with the printed lines
// captured, and reading the picture number back from the counting clips.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/movie_source.h"

inline std::string ClipPath(const std::string& name) { return std::string(TQ_MEDIA_CLIPS) + "/" + name; }

struct OpenedMovie {
  int result = 0;
  int pixel_format = -100;
  int width = -100;
  int height = -100;
  std::string output;  // what the open printed to standard output
};

inline OpenedMovie OpenCapturing(const std::string& path) {
  OpenedMovie movie;
  fflush(stdout);
  testing::internal::CaptureStdout();
  movie.result = MovieOpen(path.c_str(), &movie.pixel_format, &movie.width, &movie.height);
  fflush(stdout);
  movie.output = testing::internal::GetCapturedStdout();
  return movie;
}

// A test that leaves the movie source closed, whatever it opened.
class MovieTest : public testing::Test {
 protected:
  void TearDown() override { MovieClose(); }
};

constexpr uint8_t kUntouched = 0xCD;

// The converted picture copied into a buffer of `pitch` bytes per row, prefilled with kUntouched.
inline std::vector<uint8_t> CopyPicture(int width, int height, int pitch) {
  std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * height, kUntouched);
  MovieCopyFrame(pixels.data(), pitch);
  return pixels;
}

// The counting clips hold flat grey pictures of luma 40 + 6 * n; BGRA grey is (luma - 16) * 255 / 219.
// -1 for anything darker than picture 0 (the black shown before the first picture).
inline int PictureNumber(const std::vector<uint8_t>& pixels) {
  double luma = pixels[0] * 219.0 / 255.0 + 16.0;
  double number = (luma - 40.0) / 6.0;
  return number < -0.5 ? -1 : static_cast<int>(number + 0.5);
}

// The number of the first counting picture delivered within 100 read steps, copied into rows of `pitch`
// bytes (-1 when none came); `pixels` receives that copy.
inline int FirstPictureNumber(int width, int height, int pitch, std::vector<uint8_t>* pixels = nullptr) {
  std::vector<uint8_t> copy;
  for (int step = 0; step < 100; ++step) {
    MovieReadFrame(0);
    copy = CopyPicture(width, height, pitch);
    if (PictureNumber(copy) >= 0) break;
  }
  if (pixels) *pixels = copy;
  return PictureNumber(copy);
}

// How often the copied picture changed over `steps` read steps.
inline int PictureChanges(int width, int height, int steps) {
  int changes = 0;
  std::vector<uint8_t> previous = CopyPicture(width, height, width * 4);
  for (int step = 0; step < steps; ++step) {
    MovieReadFrame(0);
    std::vector<uint8_t> now = CopyPicture(width, height, width * 4);
    if (now != previous) ++changes;
    previous = now;
  }
  return changes;
}

// True when every pixel of the width x height picture (rows `pitch` apart) is opaque and within 3 of the
// first pixel in each colour: one flat picture, not two pictures mixed.
inline bool IsFlatPicture(const std::vector<uint8_t>& pixels, int width, int height, int pitch) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels.data() + static_cast<size_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c)
        if (std::abs(row[x * 4 + c] - pixels[c]) > 3) return false;
      if (row[x * 4 + 3] != 255) return false;
    }
  }
  return true;
}
