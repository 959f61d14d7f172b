#include "player/media_kinds.h"

#include <cstring>

const MediaExtension kMediaExtensions[] = {
    {"wmv", MEDIA_MOVIE}, {"mpeg", MEDIA_MOVIE}, {"mpg", MEDIA_MOVIE}, {"divx", MEDIA_MOVIE},
    {"avi", MEDIA_MOVIE}, {"mkv", MEDIA_MOVIE},  {"jpg", MEDIA_IMAGE}, {"bmp", MEDIA_IMAGE},
    {"dds", MEDIA_IMAGE}, {"png", MEDIA_IMAGE},  {"tga", MEDIA_IMAGE},
};
const int kMediaExtensionCount = sizeof(kMediaExtensions) / sizeof(kMediaExtensions[0]);

namespace {

// The text after the last '.' that is followed by at least one character, or null.
const char* FindExtension(const char* path) {
  size_t length = strlen(path);
  for (size_t i = length; i >= 2; --i) {
    if (path[i - 2] == '.') {
      return path + i - 1;
    }
  }
  return nullptr;
}

}  // namespace

MediaKind ClassifyFile(const char* path) {
  if (path == nullptr) {
    return MEDIA_NONE;
  }
  const char* extension = FindExtension(path);
  if (extension == nullptr) {
    return MEDIA_NONE;
  }
  size_t extension_length = strlen(extension);
  for (int row = 0; row < kMediaExtensionCount; ++row) {
    size_t row_length = strlen(kMediaExtensions[row].extension);
    size_t n = row_length < extension_length ? row_length : extension_length;
    if (strncmp(kMediaExtensions[row].extension, extension, n) == 0) {
      return kMediaExtensions[row].kind;
    }
  }
  return MEDIA_NONE;
}
