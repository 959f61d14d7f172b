// Reading settings.ini: the grammar, the conversion rules of each kind of key, list entries with
// their existence check, numbers under a decimal-comma locale, and the ways a load fails.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <string>

#include "settings/settings.h"
#include "settings/settings_edits.h"
#include "tests/settings/settings_test_support.h"

namespace {

// Every script below names these files; they exist in the test's working directory.
const char kShaders[] = "encoder += \"enc.fx\";\ndecoder += \"dec.fx\";\n";

class ScriptReaderTest : public ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    for (const char* name : {"enc.fx", "enc2.fx", "dec.fx", "movie.avi", "still.png"}) {
      WriteFile(name, "x");
    }
  }

  // Loads kShaders followed by body; the load is expected to succeed.
  void LoadBody(const std::string& body) {
    WriteFile("settings.ini", std::string(kShaders) + body);
    ASSERT_EQ(store_.Load("settings.ini"), 0) << body;
  }

  CTQSettings store_;
};

// Where comments, blanks, stray text and missing semicolons leave the keys of the statements around them.
TEST_F(ScriptReaderTest, StatementsAreFoundAsTheGrammarSays) {
  struct Case {
    const char* why;
    std::string body;
    int32_t width, height, adapter;
  };
  const Case cases[] = {
      {"comments and blank lines are skipped wherever they stand",
       "\n\n   // a comment; with = signs and a window_width = 1;\n"
       "window_width = 800; // trailing comment window_height = 5;\n"
       "window_height = // the value follows on the next line\n 600;\n"
       "adapter = 3;// comment right after\n"
       "// the file ends inside a comment without a line end",
       800, 600, 3},
      {"a missing ';': the second '=' restarts the value of the first key, and reading goes on after",
       "window_width = 800\nwindow_height = 600;\nadapter = 2;\n", 600, 0, 2},
      {"a statement without any ';' consumes the rest and stores nothing",
       "window_height = 5;\nwindow_width = 800\nadapter = 2\n", 0, 5, 0},
      {"text that starts with no key is skipped up to its ';', and keys are matched case-sensitively",
       "# not a comment in this format\nbogus = 12; window_width = 5;\n"
       "Window_Height = 9;\nwindow_height = 7;\n'quoted' stray words\n\"\n= 3;\nadapter = 1;\nwindo",
       5, 7, 1},
      {"a key is recognised by the beginning of the statement, up to the '='",
       "window_widthX = 5;\nadapter_monitor = 3;\n", 5, 0, 3},
      {"NUL bytes count as blanks",
       std::string("window_width\0=\0", 15) + "123;" + std::string(3, '\0') + "adapter = 2;", 123, 0, 2},
      {"the last statement of a scalar key wins", "window_width = 100;\nwindow_width = 200;\n", 200, 0, 0},
  };
  for (const Case& c : cases) {
    LoadBody(c.body);
    EXPECT_EQ(store_.window_width, c.width) << c.why;
    EXPECT_EQ(store_.window_height, c.height) << c.why;
    EXPECT_EQ(store_.adapter, c.adapter) << c.why;
  }
  // A missing ';' reads the next statement's value by the first key's rule.
  LoadBody("fullscreen = yes\nrenderer_width = 1;\n");
  EXPECT_EQ(store_.fullscreen, 0) << "\"1\" read by the yes/no rule";
  EXPECT_EQ(store_.renderer_width, 0);
}

TEST_F(ScriptReaderTest, CrLfLineEndsReadLikeLf) {
  std::string lf =
      "// banner\n\nwindow_width = 640;\nwindow_height\n= 480\n;\nshow_channel = CHANNEL_LEFT;\n"
      "content += \"movie.avi\";\nfullscreen = yes;\n";
  std::string crlf;
  for (char c : lf) crlf += (c == '\n') ? std::string("\r\n") : std::string(1, c);
  LoadBody(lf);
  SettingsRecord from_lf = Snapshot(store_);
  LoadBody(crlf);
  EXPECT_TRUE(SameRecord(store_, from_lf));
  EXPECT_EQ(store_.window_height, 480);
  EXPECT_STREQ(store_.GetContent(0), "movie.avi");
}

TEST_F(ScriptReaderTest, PlusEqualsAndEqualsMeanTheSame) {
  LoadBody("encoder = \"enc2.fx\";\ncontent+=movie.avi;\nwindow_width += 5;\n");
  EXPECT_EQ(store_.encoder_count, 2u);
  EXPECT_STREQ(store_.GetEncoder(1), "enc2.fx");
  EXPECT_STREQ(store_.GetContent(0), "movie.avi");
  EXPECT_EQ(store_.window_width, 5);
}

TEST_F(ScriptReaderTest, AnEmptyValueLeavesTheKeyAsItWas) {
  LoadBody(
      "window_width = 640;\nwindow_width = ;\nwindow_height =\n// nothing\n;adapter = 4;\n"
      "show_channel = CHANNEL_RIGHT; show_channel = ;\ncontent += ;\n");
  EXPECT_EQ(store_.window_width, 640);
  EXPECT_EQ(store_.window_height, 0);
  EXPECT_EQ(store_.adapter, 4) << "the statement after an empty value is read normally";
  EXPECT_EQ(store_.show_channel, CHANNEL_RIGHT);
  EXPECT_EQ(store_.content_count, 0u);
}

// Integers convert like atoi but saturate; yes means any value starting with a lowercase y; channel
// words match by their beginning.
TEST_F(ScriptReaderTest, ValuesConvertByTheRuleOfTheirKey) {
  struct Case {
    const char* key;
    const char* text;
    int32_t expected;
  };
  const Case cases[] = {
      {"window_width", "1e3", 1},
      {"window_width", "  -12abc", -12},
      {"window_width", "abc", 0},
      {"window_width", "+7", 7},
      {"window_width", "0x10", 0},
      {"window_width", "2147483647", INT32_MAX},
      {"window_width", "2147483648", INT32_MAX},
      {"window_width", "4294968296", INT32_MAX},
      {"window_width", "-99999999999999999999", INT32_MIN},
      {"window_width", "\"42\"", 0},
      {"invert_channels", "yes", 1},
      {"invert_channels", "y", 1},
      {"invert_channels", "Yes", 0},
      {"invert_channels", "no", 0},
      {"invert_channels", "\"yes\"", 0},
      {"invert_channels", "1", 0},
      {"show_channel", "CHANNEL_LEFT", CHANNEL_LEFT},
      {"show_channel", "CHANNEL_LEFT   ", CHANNEL_LEFT},
      {"show_channel", "CHANNEL_RIGHT", CHANNEL_RIGHT},
      {"show_channel", "CHANNEL_BOTH", CHANNEL_BOTH},
      {"show_channel", "left", CHANNEL_BOTH},
      {"show_channel", "CHANNEL_", CHANNEL_LEFT},
      {"show_channel", "CHANNEL_R", CHANNEL_RIGHT},
      {"show_channel", "C", CHANNEL_LEFT},
      {"show_channel", "CHANNEL_RIGHTMOST", CHANNEL_RIGHT},
      {"show_channel", "channel_left", CHANNEL_BOTH},
  };
  for (const Case& c : cases) {
    LoadBody(std::string(c.key) + " = " + c.text + ";\n");
    const std::string key = c.key;
    const int32_t value = key == "window_width"      ? store_.window_width
                          : key == "invert_channels" ? store_.invert_channels
                                                     : store_.show_channel;
    EXPECT_EQ(value, c.expected) << key << " = " << c.text;
  }
}

TEST_F(ScriptReaderTest, FloatsAreStoredAsReadWithoutRangeChecks) {
  LoadBody("separation = -3.5;\n");
  EXPECT_FLOAT_EQ(store_.separation, -3.5f) << "below the edits' range";

  LoadBody("refresh_rate = nan;\nversion = inf;\nviewer_distance = -infinity;\n");
  EXPECT_TRUE(std::isnan(store_.refresh_rate));
  EXPECT_TRUE(std::isinf(store_.version) && store_.version > 0);
  EXPECT_TRUE(std::isinf(store_.viewer_distance) && store_.viewer_distance < 0);

  LoadBody("refresh_rate = 1e39;\nversion = -1e300;\nviewer_distance = 3.4028235e38;\n");
  EXPECT_TRUE(std::isinf(store_.refresh_rate)) << "beyond the float range saturates to infinity";
  EXPECT_TRUE(std::isinf(store_.version) && store_.version < 0);
  EXPECT_EQ(store_.viewer_distance, FLT_MAX);
}

TEST_F(ScriptReaderTest, ListEntriesLoseTheirQuotesAndMustNameAReadableFile) {
  std::filesystem::create_directory("folder");
  LoadBody(
      "content += \"movie.avi\";\n"    // kept
      "content += still.png;\n"        // kept, no quotes needed
      "content += \"movie.avi\" ;\n"   // blank after the quote: the quote stays, file missing
      "content += \"missing.avi\";\n"  // no such file
      "content += \"folder\";\n"       // a directory is no media file
      "content += \"movie.avi;\n"      // only an opening quote
      "content += \"\";\n"             // nothing between the quotes
      "content += \";\n");             // a lone quote
  ASSERT_EQ(store_.content_count, 3u);
  EXPECT_STREQ(store_.GetContent(0), "movie.avi");
  EXPECT_STREQ(store_.GetContent(1), "still.png");
  EXPECT_STREQ(store_.GetContent(2), "movie.avi");
  EXPECT_EQ(store_.default_content, 0u) << "reading entries never moves the active index";
}

TEST_F(ScriptReaderTest, AFifoNamedInAListIsKeptWithoutBlocking) {
  ASSERT_EQ(mkfifo("pipe.avi", 0644), 0);
  LoadBody("content += \"pipe.avi\";\n");
  EXPECT_STREQ(store_.GetContent(0), "pipe.avi");
}

TEST_F(ScriptReaderTest, TheSixteenthEntryOfAListIsIgnored) {
  std::string body;
  for (int i = 0; i < 16; ++i) {
    std::string name = "m" + std::to_string(i) + ".avi";
    WriteFile(name, "x");
    body += "content += \"" + name + "\";\n";
  }
  LoadBody(body);
  EXPECT_EQ(store_.content_count, 15u);
  EXPECT_STREQ(store_.GetContent(14), "m14.avi");
  EXPECT_EQ(store_.content[15][0], '\0');
}

TEST_F(ScriptReaderTest, OutOfRangeAndNegativeIndicesComeBackAsZero) {
  LoadBody(
      "encoder += \"enc2.fx\";\ndefault_encoder = 7;\ndefault_decoder = -1;\n"
      "content += movie.avi;\ndefault_content = 1;\n");
  EXPECT_EQ(store_.default_encoder, 0u);
  EXPECT_EQ(store_.default_decoder, 0u);
  EXPECT_EQ(store_.default_content, 0u);
}

TEST_F(ScriptReaderTest, LoadStartsFromAnEmptyStore) {
  LoadBody("window_width = 640;\ncontent += movie.avi;\n");
  LoadBody("adapter = 1;\n");
  EXPECT_EQ(store_.window_width, 0);
  EXPECT_EQ(store_.content_count, 0u);
  EXPECT_EQ(store_.encoder_count, 1u) << "the lists are not added to the previous load's";
}

// Reading, writing and editing all take and give numbers with a dot under a decimal-comma locale.
TEST_F(ScriptReaderTest, NumbersUseADotWhateverTheProcessLocaleSays) {
  ASSERT_TRUE(UseDecimalCommaLocale(dir_));
  WriteFile("settings.ini", std::string(kShaders) + "refresh_rate = 59.94;\nscreen_aspect = 1.5;\n");
  const int loaded = store_.Load("settings.ini");
  const int saved = store_.Save("again.ini");
  g_settings.Reset();
  const int edited = ApplyEdit(L"refresh rate", L"29.97");
  setlocale(LC_ALL, "C");
  ASSERT_EQ(loaded, 0);
  EXPECT_FLOAT_EQ(store_.refresh_rate, 59.94f);
  ASSERT_EQ(saved, 0);
  const std::string text = ReadFile("again.ini");
  EXPECT_NE(text.find("\nrefresh_rate = 59.94;\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nscreen_aspect = 1.5000;\n"), std::string::npos) << text;
  EXPECT_EQ(edited, 0);
  EXPECT_EQ(g_settings.refresh_rate, 29.97f);
}

// ---- Loads that fail ---------------------------------------------------------------------------

TEST_F(ScriptReaderTest, FailsWithoutAnEncoderOrADecoder) {
  WriteFile("settings.ini", "decoder += \"dec.fx\";\nwindow_width = 5;\n");
  EXPECT_EQ(store_.Load("settings.ini"), 1);
  EXPECT_EQ(store_.window_width, 5) << "what was read before the failure stays";

  WriteFile("settings.ini", "encoder += \"enc.fx\";\ndecoder += \"gone.fx\";\n");
  EXPECT_EQ(store_.Load("settings.ini"), 1) << "the only decoder file does not exist";

  WriteFile("settings.ini", "encoder += \"enc.fx\";\ndecoder += \"dec.fx\"\n");
  EXPECT_EQ(store_.Load("settings.ini"), 1) << "the decoder statement lacks its ';'";
}

TEST_F(ScriptReaderTest, FailsForAMissingEmptyOrBlankOnlyFile) {
  EXPECT_EQ(store_.Load("settings.ini"), 1);
  EXPECT_EQ(store_.Load(nullptr), 1);
  WriteFile("settings.ini", "");
  EXPECT_EQ(store_.Load("settings.ini"), 1);
  WriteFile("settings.ini", "\n  // nothing but a comment\n");
  EXPECT_EQ(store_.Load("settings.ini"), 1);
  ASSERT_EQ(symlink("nowhere.ini", "dangling.ini"), 0);
  EXPECT_EQ(store_.Load("dangling.ini"), 1);
}

TEST_F(ScriptReaderTest, FailsCleanlyForADirectoryAFifoOrAnUnreadableFile) {
  std::filesystem::create_directory("settings.ini");
  EXPECT_EQ(store_.Load("settings.ini"), 1);
  EXPECT_TRUE(IsZeroRecord(store_));

  ASSERT_EQ(mkfifo("pipe.ini", 0644), 0);
  EXPECT_EQ(store_.Load("pipe.ini"), 1) << "returns at once instead of waiting for a writer";

  WriteFile("locked.ini", kShaders);
  ASSERT_EQ(chmod("locked.ini", 0), 0);
  if (geteuid() != 0) {  // permissions do not stop root from reading
    EXPECT_EQ(store_.Load("locked.ini"), 1);
  }
}

}  // namespace
