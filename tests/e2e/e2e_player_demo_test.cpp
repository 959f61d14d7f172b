// The demo of the README: scripts/make-demo.sh prepares its folder once, and the player started in it
// plays the generated stereo clip through the demo's shaders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/e2e/e2e_player_support.h"

namespace {

int MakeDemo(const std::string& folder) {
  std::string command = std::string(TQ_SOURCE_DIR) + "/scripts/make-demo.sh '" + folder + "'";
  return system(command.c_str());
}

TEST(PlayerDemo, DemoFolderIsMadeOnceAndItsClipPlays) {
  std::string folder = std::string(TQ_E2E_WORK_DIR) + "/demo";
  std::filesystem::remove_all(folder);
  ASSERT_EQ(0, MakeDemo(folder));
  for (const char* file : {"settings.ini", "stereo.mkv", "stereo.png"}) {
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + file)) << file;
  }
  // Every file the three lists name is in the folder, and no list is over its 15 entries.
  const std::string script = ReadFile(folder + "/settings.ini");
  for (const char* list : {"content", "encoder", "decoder"}) {
    const std::vector<std::string> entries = SavedList(script, list);
    EXPECT_GE(entries.size(), 2u) << list;
    EXPECT_LE(entries.size(), 15u) << list;
    for (const std::string& file : entries) EXPECT_TRUE(std::filesystem::exists(folder + "/" + file)) << file;
  }

  PlayerSession player("demo-run");
  player.RunIn(folder);
  ASSERT_TRUE(player.Start());
  ASSERT_TRUE(player.WaitForWindow()) << player.Output();
  EXPECT_TRUE(CentreBecomes(player, [](Rgb c) { return c.r + c.g + c.b > 60; })) << "the picture stays black";
  EXPECT_TRUE(PictureChanges(player)) << "the clip does not play";
  player.Key("Escape");
  EXPECT_EQ(0, player.WaitForExit(60));
  EXPECT_NE(std::string::npos, player.Output().find("Format: ")) << player.Output();

  // A second run of the script keeps the folder as the player left it.
  std::string saved = ReadFile(folder + "/settings.ini");
  ASSERT_EQ(0, MakeDemo(folder));
  EXPECT_EQ(saved, ReadFile(folder + "/settings.ini"));
}

}  // namespace
