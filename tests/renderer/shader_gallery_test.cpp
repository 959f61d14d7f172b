// The committed encoder gallery (shaders/gallery/) is what the shipped encoders make today: one picture
// per encoder, each of the right size, a few pixels of each made again through the real renderer.
// scripts/make-shader-gallery.sh brings it up to date.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "tests/renderer/shader_gallery.h"

namespace {

TEST(ShaderGallery, HasACurrentPictureForEveryEncoder) {
  const std::vector<GalleryEntry> entries = GalleryEntries();
  ASSERT_GE(entries.size(), 25u);
  std::set<std::string> names;
  for (const GalleryEntry& entry : entries) {
    SCOPED_TRACE(entry.encoder + " (run scripts/make-shader-gallery.sh after changing an encoder)");
    names.insert(entry.encoder);
    Picture made;
    ASSERT_EQ(0, RenderGalleryEntry(entry, &made));
    const Picture committed = ReadPictureFile(GalleryPicture(entry), made.width, made.height);
    ASSERT_EQ(made.width, committed.width) << "missing, or of another size: " << GalleryPicture(entry);
    // Neighbouring pixels too, so that interleaved outputs are sampled on both eyes.
    for (uint32_t k = 0; k < 6; ++k) {
      const uint32_t x = (k * 67 + 11) % (made.width - 1);
      const uint32_t y = (k * 41 + 7) % (made.height - 1);
      for (uint32_t d = 0; d < 4; ++d) {
        const uint32_t px = x + d % 2, py = y + d / 2, a = made.At(px, py), b = committed.At(px, py);
        EXPECT_TRUE(std::abs(int(Red(a)) - int(Red(b))) <= 1 && std::abs(int(Green(a)) - int(Green(b))) <= 1 &&
                    std::abs(int(Blue(a)) - int(Blue(b))) <= 1)
            << "at " << px << "," << py << ": made " << ColourText(a) << ", committed " << ColourText(b);
      }
    }
  }
  // The names the README's gallery and the demo settings use.
  for (const char* name : {"anaglyph-red-cyan-dubois", "anaglyph-red-cyan-dubois-gamma", "frame-packing",
                           "side-by-side-full", "row-interleaved-ghost-reduced", "mono"}) {
    EXPECT_EQ(1u, names.count(name)) << name;
  }
}

}  // namespace
