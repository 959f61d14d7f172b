// Writing settings.ini: the exact text of a full store, what a save and a load give back, and a save
// that never leaves a damaged script behind.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <string>

#include "settings/settings.h"
#include "tests/settings/settings_test_support.h"

namespace {

class ScriptWriterTest : public ScratchDirTest {
 protected:
  // A store with every field set to a value of its own.
  static void FillStore(CTQSettings& store) {
    store.version = 1.25f;
    store.window_width = 1280;
    store.window_height = 720;
    store.fullscreen = 1;
    store.adapter = 2;
    store.screen_diagonal = 52.5f;
    store.screen_aspect = 1.77777f;
    store.show_channel = CHANNEL_RIGHT;
    store.temporal_interleave = 0;
    store.viewer_distance = 96.0f;
    store.invert_channels = 1;
    store.proscenium = 0.05f;
    store.separation = -0.015f;  // finer than the script's two decimals
    store.AddEncoder("shaders/anaglyph red-cyan.fx");
    store.AddEncoder("shaders/interleave.fx");
    store.AddDecoder("shaders/side by side.fx");
    store.default_encoder = 1;
    store.default_decoder = 0;
    store.refresh_rate = 59.94f;
    store.renderer_width = 1920;
    store.renderer_height = 1080;
    store.AddContent("media/clip.mkv");
    store.AddContent("media/still.png");
    store.AddContent("/absolute/path/\xc3\xbcmlaut.avi");
    store.default_content = 2;
  }

  CTQSettings store_;
};

TEST_F(ScriptWriterTest, WritesTheBannerAndEveryKeyInTableOrder) {
  FillStore(store_);
  ASSERT_EQ(store_.Save("settings.ini"), 0);
  EXPECT_EQ(ReadFile("settings.ini"), ReadFile(TQ_SETTINGS_TEST_DATA "/full_store.ini"));
}

TEST_F(ScriptWriterTest, WritesOddValuesInTheirDocumentedForms) {
  store_.show_channel = 7;
  store_.fullscreen = -3;
  store_.default_decoder = 0xFFFFFFFFu;
  store_.refresh_rate = NAN;
  store_.AddEncoder("with \"quotes\"; and semicolon");
  ASSERT_EQ(store_.Save("settings.ini"), 0);
  std::string text = ReadFile("settings.ini");
  EXPECT_NE(text.find("\nshow_channel = CHANNEL_BOTH;\n"), std::string::npos);
  EXPECT_NE(text.find("\nfullscreen = yes;\n"), std::string::npos);
  EXPECT_NE(text.find("\ndefault_decoder = -1;\n"), std::string::npos);
  EXPECT_NE(text.find("\nrefresh_rate = nan;\n"), std::string::npos);
  EXPECT_NE(text.find("\nencoder += \"with \"quotes\"; and semicolon\";\n"), std::string::npos)
      << "names are written unaltered";
  EXPECT_EQ(text.find("content +="), std::string::npos) << "an empty list writes no line";
  EXPECT_NE(text.find("\ndefault_content = 0;\n"), std::string::npos);
}

TEST_F(ScriptWriterTest, SaveThenLoadGivesTheStoreBackWithTheDocumentedLosses) {
  for (const char* name : {"shaders", "media"}) std::filesystem::create_directory(name);
  for (const char* name : {"shaders/anaglyph red-cyan.fx", "shaders/interleave.fx", "shaders/side by side.fx",
                           "media/clip.mkv", "media/still.png"}) {
    WriteFile(name, "x");
  }
  FillStore(store_);
  store_.show_channel = 9;
  ASSERT_EQ(store_.Save("settings.ini"), 0);

  // The losses: a channel other than 0, 1, 2 as both, the entry whose file does not exist dropped and its
  // index, now out of range, back at 0. Floats finer than their written decimals come back whole.
  CTQSettings expected;
  FillStore(expected);
  expected.show_channel = CHANNEL_BOTH;
  expected.default_content = 0;
  ASSERT_EQ(expected.RemoveContent(2), 2u);
  CTQSettings loaded;
  ASSERT_EQ(loaded.Load("settings.ini"), 0);
  EXPECT_TRUE(SameRecord(loaded, expected));

  // A second round changes nothing any more.
  ASSERT_EQ(loaded.Save("again.ini"), 0);
  CTQSettings reloaded;
  ASSERT_EQ(reloaded.Load("again.ini"), 0);
  EXPECT_TRUE(SameRecord(reloaded, loaded));
}

// The viewers add names with quotes but refuse names with ';' or '=': only the first kind reads back.
TEST_F(ScriptWriterTest, NamesWithQuotesReadBackTheSameButNotThoseWithSemicolonOrEquals) {
  const char* quoted[] = {"\"lead.fx", "trail.fx\"", "mid\"dle.fx", "\"both\".fx\""};
  for (const char* name : quoted) WriteFile(name, "x");
  WriteFile("a;b.fx", "x");
  WriteFile("a=b.fx", "x");
  for (const char* name : quoted) store_.AddEncoder(name);
  store_.AddDecoder("a;b.fx");
  store_.AddDecoder("a=b.fx");
  store_.AddDecoder("mid\"dle.fx");
  ASSERT_EQ(store_.Save("settings.ini"), 0);

  CTQSettings loaded;
  ASSERT_EQ(loaded.Load("settings.ini"), 0);
  ASSERT_EQ(loaded.encoder_count, 4u);
  for (uint32_t i = 0; i < 4; ++i) EXPECT_STREQ(loaded.GetEncoder(i), quoted[i]);
  ASSERT_EQ(loaded.decoder_count, 1u) << "the names with ';' and '=' do not come back";
  EXPECT_STREQ(loaded.GetDecoder(0), "mid\"dle.fx");
}

TEST_F(ScriptWriterTest, ReplacesTheOldScriptWholeAndKeepsItsPermissions) {
  WriteFile("settings.ini", std::string(20000, '#'));
  ASSERT_EQ(chmod("settings.ini", 0640), 0);
  FillStore(store_);
  ASSERT_EQ(store_.Save("settings.ini"), 0);
  EXPECT_EQ(ReadFile("settings.ini"), ReadFile(TQ_SETTINGS_TEST_DATA "/full_store.ini"))
      << "nothing of the longer old file is left at the end";
  struct stat info;
  ASSERT_EQ(stat("settings.ini", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ListDir("."), "settings.ini ") << "no temporary file is left behind";
}

TEST_F(ScriptWriterTest, WritesThroughASymbolicLinkAndKeepsTheLink) {
  std::filesystem::create_directory("real");
  WriteFile("real/settings.ini", "old");
  ASSERT_EQ(symlink("real/settings.ini", "settings.ini"), 0);
  FillStore(store_);
  ASSERT_EQ(store_.Save("settings.ini"), 0);
  struct stat info;
  ASSERT_EQ(lstat("settings.ini", &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadFile("real/settings.ini"), ReadFile(TQ_SETTINGS_TEST_DATA "/full_store.ini"));
}

TEST_F(ScriptWriterTest, AFailedSaveLeavesEverythingAsItWas) {
  EXPECT_EQ(store_.Save(nullptr), 1);
  EXPECT_EQ(store_.Save("no/such/folder/settings.ini"), 1);

  std::filesystem::create_directory("settings.ini");
  WriteFile("settings.ini/keep", "kept");
  EXPECT_EQ(store_.Save("settings.ini"), 1) << "a directory is not replaced";
  EXPECT_EQ(ReadFile("settings.ini/keep"), "kept");
  EXPECT_EQ(ListDir("."), "settings.ini ") << "no temporary file is left behind";
}

TEST_F(ScriptWriterTest, AWriteErrorLeavesTheOldScriptInPlace) {
  WriteFile("settings.ini", "old script");
  FillStore(store_);
  // A file size limit far below the script's size makes the writes fail as a full disk would.
  struct rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  struct rlimit tiny = previous;
  tiny.rlim_cur = 64;
  void (*previous_handler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  int result = store_.Save("settings.ini");
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, previous_handler);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadFile("settings.ini"), "old script");
  EXPECT_EQ(ListDir("."), "settings.ini ") << "no temporary file is left behind";
}

}  // namespace
