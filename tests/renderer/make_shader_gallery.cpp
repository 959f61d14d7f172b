// Writes the encoder gallery of the shader library (shaders/gallery/<encoder>.png) from the stereo test
// picture, through the real renderer. scripts/make-shader-gallery.sh runs it.
#include <cstdio>

#include "tests/renderer/shader_gallery.h"

int main() {
  int failures = 0;
  for (const GalleryEntry& entry : GalleryEntries()) {
    Picture picture;
    if (RenderGalleryEntry(entry, &picture) != 0 || WritePictureFile(picture, GalleryPicture(entry)) != 0) {
      printf("[TQ] Error: ");
      printf("gallery picture of %s not made", entry.encoder.c_str());
      printf("\n");
      ++failures;
      continue;
    }
    printf("%s\n", GalleryPicture(entry).c_str());
  }
  return failures == 0 ? 0 : 1;
}
