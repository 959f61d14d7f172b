// The playlist, encoder and decoder viewers over the real settings lists, with the real renderer and
// player behind them, the real open-file dialog answered by keyboard, and the menu bar's commands.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "player/movie_player.h"
#include "renderer/renderer.h"
#include "settings/settings.h"
#include "shell/resources/resource.h"
#include "shell/window.h"
#include "tests/toolwindows/tool_window_test_support.h"
#include "toolwindows/viewers.h"

namespace {

const std::string kShaders = TQ_SHADER_DIR;
const std::string kWork = TQ_TEST_WORK_DIR;

std::string Decoder(const char* name) { return kShaders + "/decoders/" + name; }
std::string Encoder(const char* name) { return kShaders + "/encoders/" + name; }
std::string Media(const char* name) { return kWork + "/" + name; }

void MakeImage(const std::string& path, const char* size) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=s=" + std::string(size) +
                              ":d=0.04 -frames:v 1 -update 1 '" + path + "'";
  ASSERT_EQ(0, system(command.c_str())) << command;
}

void SetEncoders(const std::vector<std::string>& names, uint32_t active) {
  memset(g_settings.encoder, 0, sizeof(g_settings.encoder));
  g_settings.encoder_count = 0;
  for (const std::string& name : names) g_settings.AddEncoder(name.c_str());
  g_settings.default_encoder = active;
}

void SetDecoders(const std::vector<std::string>& names, uint32_t active) {
  memset(g_settings.decoder, 0, sizeof(g_settings.decoder));
  g_settings.decoder_count = 0;
  for (const std::string& name : names) g_settings.AddDecoder(name.c_str());
  g_settings.default_decoder = active;
}

void SetContent(const std::vector<std::string>& names, uint32_t active) {
  memset(g_settings.content, 0, sizeof(g_settings.content));
  g_settings.content_count = 0;
  for (const std::string& name : names) g_settings.AddContent(name.c_str());
  g_settings.default_content = active;
}

std::vector<std::string> Numbered(const char* stem, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(std::string(stem) + std::to_string(i) + ".hlsl");
  return names;
}

void Command(UINT id) { SendMessageW(g_window.GetHandle(), WM_COMMAND, id, 0); }

class ViewerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    mkdir(kWork.c_str(), 0755);
    MakeImage(Media("wide.png"), "200x100");
    MakeImage(Media("small.png"), "160x96");
    MakeImage(Media("added.png"), "100x50");
    MakeImage(Media("with;semicolon.png"), "64x64");
    // Two paths at the limit: the dialog hands on 258 bytes of path and its terminator.
    const std::string base = kWork + "/exact";
    mkdir(base.c_str(), 0755);
    const std::string folder = base + "/" + std::string(258 - base.size() - 1 - 1 - 5, 'x');
    mkdir(folder.c_str(), 0755);
    full_path_ = folder + "/x.png";
    MakeImage(full_path_, "64x64");
    over_path_ = folder + "/xy.png";
    MakeImage(over_path_, "64x64");

    ResetLists();
    EnsureMainWindow();
    ASSERT_EQ(0, g_renderer.Initialize(g_window.GetHandle(), 320, 180, g_settings.GetActiveDecoder(),
                                       g_settings.GetActiveEncoder(), 0));
    ASSERT_GE(g_player.Initialize(), 0);
    ASSERT_GE(g_player.Open(g_settings.GetActiveContent()), 0);
  }

  static void TearDownTestSuite() {
    g_player.Shutdown();
    g_renderer.Shutdown();
  }

  static void ResetLists() {
    SetDecoders({Decoder("mono.hlsl"), Decoder("side-by-side-left-first.hlsl")}, 0);
    SetEncoders({Encoder("anaglyph-red-cyan-dubois.hlsl"), Encoder("mono.hlsl")}, 0);
    SetContent({Media("wide.png"), Media("small.png")}, 0);
  }

  void SetUp() override { ResetLists(); }

  // Opens a viewer the first time, rebuilds it from the lists after that.
  static CTQSelectionDialog* Show(int (*open)(CTQSelectionDialog*), CTQSelectionDialog* viewer) {
    if (open(viewer) == DIALOG_SHOWN_AGAIN) viewer->Refresh();
    PumpFor(150);
    return viewer;
  }
  // Waits for the viewer's status bar to show a text that holds `part`.
  static bool StatusShows(CTQSelectionDialog* viewer, const std::wstring& part) {
    return PumpUntil([&] { return StatusText(viewer->GetStatusBar()).find(part) != std::wstring::npos; }, 20000);
  }

  static std::string full_path_;
  static std::string over_path_;
};

std::string ViewerTest::full_path_;
std::string ViewerTest::over_path_;

TEST_F(ViewerTest, MenuCommandsOpenTheSevenToolWindows) {
  const struct {
    UINT command;
    const wchar_t* title;
    CTQDialog* dialog;
  } windows[] = {
      {ID_VIEW_SETTINGS, L"General Settings", g_window.GetGeneralSettings()},
      {ID_MOVIE_SETTINGS, L"Movie Player Settings", g_window.GetMoviePlayerSettings()},
      {ID_STEREOSCOPY_SETTINGS, L"Stereoscopic Settings", g_window.GetStereoscopicSettings()},
      {ID_TRACKER_SETTINGS, L"Tracker Settings", g_window.GetTrackerSettings()},
      {ID_MOVIE_LOCALPLAYLISTVIEWER, L"Playlist Viewer", g_window.GetPlaylistViewer()},
      {ID_STEREOSCOPY_ENCODERVIEWER, L"Stereo Encoder Viewer", g_window.GetEncoderViewer()},
      {ID_STEREOSCOPY_DECODERVIEWER, L"Stereo Decoder Viewer", g_window.GetDecoderViewer()},
  };
  for (const auto& w : windows) {
    Command(w.command);
    PumpFor(50);
    ASSERT_NE(nullptr, w.dialog->GetWindow()) << w.command;
    EXPECT_TRUE(IsWindowVisible(w.dialog->GetWindow())) << w.command;
    WCHAR caption[64] = {};
    GetWindowTextW(w.dialog->GetWindow(), caption, 64);
    EXPECT_STREQ(w.title, caption);
  }
}

TEST_F(ViewerTest, FillListsEveryEntryAndAnAddRowBelowNine) {
  CTQSelectionDialog* viewer = g_window.GetEncoderViewer();
  for (int count : {0, 8, 9, 12}) {
    SCOPED_TRACE(count);
    SetEncoders(Numbered("/shaders/encoders/encoder_number_", count), count > 3 ? 3 : 0);
    Show(OpenEncoderViewer, viewer);
    UpdateOpenEncoderItem(g_window.GetMenuHandle());
    const int rows = 1 + count + (count < 9 ? 1 : 0);
    ASSERT_EQ(rows, RowCount(viewer->GetNameList()));
    for (HWND list : {viewer->GetValueList(), viewer->GetStatusList(), viewer->GetActionList()}) {
      EXPECT_EQ(rows, RowCount(list));
    }
    EXPECT_EQ(L"#", RowText(viewer->GetNameList(), 0));
    EXPECT_EQ(L"Encoder Filename", RowText(viewer->GetValueList(), 0));
    EXPECT_EQ(L"Status", RowText(viewer->GetStatusList(), 0));
    EXPECT_EQ(L"Action", RowText(viewer->GetActionList(), 0));
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(std::to_wstring(i + 1), RowText(viewer->GetNameList(), i + 1));
      EXPECT_EQ(L"encoder_number_" + std::to_wstring(i) + L".hlsl", RowText(viewer->GetValueList(), i + 1));
    }
    if (count < 9) {
      EXPECT_EQ(std::to_wstring(count + 1), RowText(viewer->GetNameList(), count + 1));
      EXPECT_EQ(L"", RowText(viewer->GetValueList(), count + 1));
      EXPECT_EQ(L"add", RowText(viewer->GetActionList(), count + 1));
    }
    if (count > 0) {
      EXPECT_EQ(L"active", RowText(viewer->GetStatusList(), 4));
      EXPECT_EQ(L"-", RowText(viewer->GetActionList(), 4));
      // The last row is an entry too when there is no add row.
      EXPECT_EQ(L"inactive", RowText(viewer->GetStatusList(), count));
      EXPECT_EQ(L"close", RowText(viewer->GetActionList(), count));
    }
    EXPECT_EQ(count >= 9, IsMenuItemGrayed(ID_OPEN_ENCODER));
  }
  SetEncoders({Encoder("anaglyph-red-cyan-dubois.hlsl")}, 0);
  UpdateOpenEncoderItem(g_window.GetMenuHandle());
  EXPECT_FALSE(IsMenuItemGrayed(ID_OPEN_ENCODER));
}

TEST_F(ViewerTest, AddingTheNinthEntryRemovesTheAddRowAndGreysFileOpen) {
  std::vector<std::string> names = {Decoder("mono.hlsl"), Decoder("side-by-side-left-first.hlsl")};
  for (const std::string& name : Numbered("/nowhere/decoder_", 6)) names.push_back(name);
  SetDecoders(names, 0);
  CTQSelectionDialog* viewer = Show(OpenDecoderViewer, g_window.GetDecoderViewer());
  ASSERT_EQ(L"add", RowText(viewer->GetActionList(), 9));

  const std::string chosen = Decoder("top-bottom-left-first.hlsl");
  AnswerFileDialog("Open Decoder Shader", chosen);
  ClickRow(viewer->GetActionList(), 9);
  ASSERT_TRUE(PumpUntil([] { return g_settings.decoder_count == 9; }, 20000));
  EXPECT_STREQ(chosen.c_str(), g_settings.GetDecoder(8));
  EXPECT_EQ(0u, g_settings.default_decoder);  // added, not activated
  PumpFor(100);
  EXPECT_EQ(10, RowCount(viewer->GetActionList()));
  EXPECT_EQ(L"top-bottom-left-first.hlsl", RowText(viewer->GetValueList(), 9));
  EXPECT_EQ(L"close", RowText(viewer->GetActionList(), 9));
  EXPECT_TRUE(IsMenuItemGrayed(ID_OPEN_DECODER));
}

TEST_F(ViewerTest, ClosingAnEarlierEntryKeepsTheActiveFileAndBringsBackTheAddRow) {
  SetDecoders(Numbered("/nowhere/decoder_", 9), 5);
  UpdateOpenDecoderItem(g_window.GetMenuHandle());
  ASSERT_TRUE(IsMenuItemGrayed(ID_OPEN_DECODER));
  CTQSelectionDialog* viewer = Show(OpenDecoderViewer, g_window.GetDecoderViewer());
  ASSERT_EQ(10, RowCount(viewer->GetActionList()));

  ClickRow(viewer->GetActionList(), 2);  // entry 1, above the active entry 5
  ASSERT_TRUE(PumpUntil([] { return g_settings.decoder_count == 8; }));
  EXPECT_EQ(4u, g_settings.default_decoder);
  EXPECT_STREQ("/nowhere/decoder_5.hlsl", g_settings.GetActiveDecoder());
  PumpFor(100);
  EXPECT_EQ(L"/nowhere/decoder_5.hlsl", RowText(viewer->GetValueList(), 5));
  EXPECT_EQ(L"active", RowText(viewer->GetStatusList(), 5));
  EXPECT_EQ(L"add", RowText(viewer->GetActionList(), 9));
  EXPECT_FALSE(IsMenuItemGrayed(ID_OPEN_DECODER));
}

TEST_F(ViewerTest, ClosingTheActiveEntryIsRefusedUntilTheViewerIsOpenedAgain) {
  CTQSelectionDialog* viewer = Show(OpenPlaylistViewer, g_window.GetPlaylistViewer());
  ClickRow(viewer->GetActionList(), 1);
  EXPECT_TRUE(StatusShows(viewer, L" You cannot close a resource that is currently in use."));
  EXPECT_EQ(2u, g_settings.content_count);
  OpenPlaylistViewer(viewer);
  EXPECT_EQ(L" Double click an element to activate it. Green highlights active content.",
            StatusText(viewer->GetStatusBar()));
}

TEST_F(ViewerTest, DoubleClickOnADecoderCompilesBothShadersAgain) {
  CTQSelectionDialog* viewer = Show(OpenDecoderViewer, g_window.GetDecoderViewer());
  ASSERT_STREQ(Encoder("anaglyph-red-cyan-dubois.hlsl").c_str(), g_renderer.GetEncoderFile());
  // The active encoder changes behind the renderer's back; activating a decoder loads it too.
  g_settings.default_encoder = 1;

  DoubleClickRow(viewer->GetValueList(), 2);
  ASSERT_TRUE(PumpUntil([] { return g_settings.default_decoder == 1; }));
  EXPECT_STREQ(Decoder("side-by-side-left-first.hlsl").c_str(), g_renderer.GetDecoderFile());
  EXPECT_STREQ(Encoder("mono.hlsl").c_str(), g_renderer.GetEncoderFile());
  EXPECT_TRUE(g_renderer.IsInitialized());
  EXPECT_EQ(L"active", RowText(viewer->GetStatusList(), 2));
  EXPECT_EQ(L"inactive", RowText(viewer->GetStatusList(), 1));
}

TEST_F(ViewerTest, DoubleClickOnAPlaylistEntryOpensIt) {
  ASSERT_GE(g_player.Open(Media("wide.png").c_str()), 0);
  ASSERT_EQ(200u, g_renderer.GetContentWidth());
  CTQSelectionDialog* viewer = Show(OpenPlaylistViewer, g_window.GetPlaylistViewer());
  DoubleClickRow(viewer->GetValueList(), 2);
  ASSERT_TRUE(PumpUntil([] { return g_settings.default_content == 1; }));
  EXPECT_EQ(160u, g_renderer.GetContentWidth());
  EXPECT_EQ(96u, g_renderer.GetContentHeight());
}

TEST_F(ViewerTest, FileOpenFilmAddsOpensAndRefreshesThePlaylist) {
  CTQSelectionDialog* viewer = Show(OpenPlaylistViewer, g_window.GetPlaylistViewer());
  ShowWindow(viewer->GetWindow(), SW_HIDE);  // refreshed even while hidden
  AnswerFileDialog("Open Media File", Media("added.png"));
  Command(ID_OPEN_FILM);
  ASSERT_EQ(3u, g_settings.content_count);
  EXPECT_EQ(2u, g_settings.default_content);
  EXPECT_STREQ(Media("added.png").c_str(), g_settings.GetActiveContent());
  EXPECT_EQ(100u, g_renderer.GetContentWidth());
  EXPECT_EQ(L"added.png", RowText(viewer->GetValueList(), 3));
  EXPECT_EQ(L"active", RowText(viewer->GetStatusList(), 3));
}

TEST_F(ViewerTest, FileOpenEncoderAddsWithoutActivatingOrRebuilding) {
  CTQSelectionDialog* viewer = Show(OpenEncoderViewer, g_window.GetEncoderViewer());
  const int rows = RowCount(viewer->GetValueList());
  AnswerFileDialog("Open Encoder Shader", Encoder("row-interleaved.hlsl"));
  Command(ID_OPEN_ENCODER);
  ASSERT_EQ(3u, g_settings.encoder_count);
  EXPECT_EQ(0u, g_settings.default_encoder);
  EXPECT_STREQ(Encoder("row-interleaved.hlsl").c_str(), g_settings.GetEncoder(2));
  EXPECT_EQ(rows, RowCount(viewer->GetValueList()));
}

TEST_F(ViewerTest, CancelledDialogAddsNothing) {
  CTQSelectionDialog* viewer = Show(OpenEncoderViewer, g_window.GetEncoderViewer());
  AnswerFileDialog("Open Encoder Shader", "");
  ClickRow(viewer->GetActionList(), 3);
  PumpFor(1500);
  EXPECT_EQ(2u, g_settings.encoder_count);
  EXPECT_EQ(4, RowCount(viewer->GetValueList()));
  EXPECT_EQ(L"add", RowText(viewer->GetActionList(), 3));
}

TEST_F(ViewerTest, NamesSettingsCannotKeepAreRefusedWithAMessage) {
  CTQSelectionDialog* viewer = Show(OpenPlaylistViewer, g_window.GetPlaylistViewer());

  AnswerFileDialog("Open Media File", Media("with;semicolon.png"));
  ClickRow(viewer->GetActionList(), 3);
  EXPECT_TRUE(StatusShows(viewer, L"settings.ini cannot keep"));
  EXPECT_EQ(2u, g_settings.content_count);

  // One byte over: refused whole, never cut short.
  ASSERT_EQ(259u, over_path_.size());
  AnswerFileDialog("Open Media File", over_path_);
  ClickRow(viewer->GetActionList(), 3);
  EXPECT_TRUE(StatusShows(viewer, L" The file was not added: its path is longer than 258 bytes."));
  EXPECT_EQ(2u, g_settings.content_count);
  EXPECT_EQ(4, RowCount(viewer->GetValueList()));

  // A path of 258 bytes is added whole.
  ASSERT_EQ(258u, full_path_.size());
  AnswerFileDialog("Open Media File", full_path_);
  ClickRow(viewer->GetActionList(), 3);
  ASSERT_TRUE(PumpUntil([] { return g_settings.content_count == 3; }, 20000));
  EXPECT_STREQ(full_path_.c_str(), g_settings.GetContent(2));
  EXPECT_EQ(L"x.png", RowText(viewer->GetValueList(), 3));
}

TEST_F(ViewerTest, EntriesOfTheFullSlotSizeAreShownWhole) {
  SetEncoders({Encoder("mono.hlsl"), std::string(259, 'n')}, 0);
  CTQSelectionDialog* viewer = Show(OpenEncoderViewer, g_window.GetEncoderViewer());
  EXPECT_EQ(std::wstring(259, L'n'), RowText(viewer->GetValueList(), 2));
}

}  // namespace
