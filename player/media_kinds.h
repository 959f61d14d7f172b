// What kind of media a file holds, judged by its extension alone: movies go to the decoding thread,
// still images straight to the renderer.
#pragma once

enum MediaKind {
  MEDIA_NONE = 0,
  MEDIA_IMAGE = 1,
  MEDIA_MOVIE = 2,
};

struct MediaExtension {
  const char* extension;
  MediaKind kind;
};

// The recognised extensions, searched in order.
extern const MediaExtension kMediaExtensions[];
extern const int kMediaExtensionCount;

// The kind of the file at path by the text after its last '.' (that has something after it).
// Each table row is compared over the shorter of the two lengths, case-sensitively, so "mp" matches
// "mpeg" and "avi2" matches "avi". A null or empty path, or one without such a '.', is MEDIA_NONE.
MediaKind ClassifyFile(const char* path);
