// The three viewers of the real tandemix binary, driven with real X pointer and key input and read
// back from screenshots and the settings.ini written at the end. A viewer is four lists side by side:
// "#" at x 0 (30 wide), the file name at 30 (240), Status at 270 (65) and Action at 335 (65), each 170
// high, row 0 a dark grey header, the active row green, the other rows light grey and white by turns.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/e2e_player_support.h"

namespace {

const int kListLeft[4] = {0, 30, 270, 335};
const int kListWidth[4] = {30, 240, 65, 65};
enum { kNumber, kName, kStatus, kAction };
constexpr int kListHeight = 170;

const Rgb kHeaderGrey = {100, 100, 100};
const Rgb kActiveGreen = {160, 230, 160};

struct ViewerMenu {
  const char* title;
  const char* keys;  // from the main window: the menu item that opens the viewer
  const char* list_key;
};

// The last items of the Movie and Stereoscopy menus: Settings, then the viewers above it.
const ViewerMenu kPlaylistViewer = {"Playlist Viewer", "alt+m Up Up Return", "content"};
const ViewerMenu kDecoderViewer = {"Stereo Decoder Viewer", "alt+s Up Up Return", "decoder"};
const ViewerMenu kEncoderViewer = {"Stereo Encoder Viewer", "alt+s Up Up Up Return", "encoder"};

bool IsBlueInk(Rgb c) { return c.b > 180 && c.r < 140 && c.g < 140; }

class ViewerEndToEnd : public PlayerTest {
 protected:
  // Starts the player with `settings`; each of `copies` is a copy of the test image, since the
  // settings script leaves out list entries that are not readable files.
  void Launch(const std::string& settings, const std::vector<std::string>& copies) {
    for (const std::string& name : copies) {
      std::filesystem::copy_file(session_.Folder() + "/stereo.png", session_.Folder() + "/" + name);
    }
    ASSERT_TRUE(session_.Launch(settings)) << session_.Output();
  }
  // Opens a viewer from the menu bar and measures its rows; fatal when it does not show.
  void OpenViewer(const ViewerMenu& menu) {
    session_.Key(menu.keys);
    viewer_ = WaitForWindowTitled(menu.title);
    ASSERT_GT(viewer_.width, 0) << menu.title << " did not open";
    const Screenshot shot = Shoot();
    row_height_ = 0;
    while (row_height_ < 60 && shot.At(2, row_height_) == kHeaderGrey) ++row_height_;
    ASSERT_GE(row_height_, 8) << "no header row in " << menu.title;
  }
  Screenshot Shoot() const { return ShootScreen(viewer_); }
  // Screen position of a cell: the middle of a row shown at `shown_row` (0 = the top row of the lists)
  // of one list, `inset` pixels from the list's left edge.
  int CellX(int list, int inset) const { return viewer_.x + kListLeft[list] + inset; }
  int RowY(int shown_row) const { return viewer_.y + shown_row * row_height_ + row_height_ / 2; }
  // The background of a list at a viewer-relative height, taken in the cell's left padding.
  static Rgb Background(const Screenshot& shot, int list, int y) { return shot.At(kListLeft[list] + 2, y); }
  // Whether the Action cell of a shown row carries text (blue ink).
  bool ActionHasText(const Screenshot& shot, int shown_row) const {
    for (int y = shown_row * row_height_; y < (shown_row + 1) * row_height_; ++y) {
      for (int x = kListLeft[kAction]; x < kListLeft[kAction] + kListWidth[kAction]; ++x) {
        if (IsBlueInk(shot.At(x, y))) return true;
      }
    }
    return false;
  }
  // The viewer-relative heights at which a list shows the green active row.
  static std::vector<int> GreenRows(const Screenshot& shot, int list) {
    std::vector<int> ys;
    for (int y = 0; y < kListHeight; ++y) {
      if (Background(shot, list, y) == kActiveGreen) ys.push_back(y);
    }
    return ys;
  }
  // Every height of the lists shows one row across all four: the same background in "#", name and
  // Status, and in Action too except beside the green active row (Action is never green).
  ::testing::AssertionResult RowsStandSideBySide(const Screenshot& shot) const {
    for (int y = 0; y < kListHeight; ++y) {
      const Rgb number = Background(shot, kNumber, y);
      for (int list : {kName, kStatus, kAction}) {
        if (list == kAction && number == kActiveGreen) continue;
        if (Background(shot, list, y) != number) {
          return ::testing::AssertionFailure()
                 << "at height " << y << " list " << list << " shows " << Text(Background(shot, list, y))
                 << " beside " << Text(number) << " in the # list";
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  WindowGeometry viewer_;
  int row_height_ = 0;
};

// The first click on "close" closes the entry and rebuilds the lists; the second press of the
// double click then lands on the next entry's "close" and must not close it too.
TEST_F(ViewerEndToEnd, DoubleClickOnCloseClosesOnlyTheEntryUnderThePointerInEveryViewer) {
  const std::string extra =
      "encoder += \"shaders/encoders/anaglyph-red-cyan-colour.hlsl\";\n"
      "encoder += \"shaders/encoders/row-interleaved.hlsl\";\n"
      "encoder += \"shaders/encoders/side-by-side-half.hlsl\";\n"
      "decoder += \"shaders/decoders/top-bottom-left-first.hlsl\";\n"
      "decoder += \"shaders/decoders/row-interleaved.hlsl\";\n"
      "decoder += \"shaders/decoders/checkerboard.hlsl\";\n";
  ASSERT_NO_FATAL_FAILURE(
      Launch(PlayerSettings({"stereo.png", "stereo.mkv", "third.png", "fourth.png", "fifth.png"}, 0, extra),
             {"third.png", "fourth.png", "fifth.png"}));
  const std::vector<std::string> before_decoders = SavedList(session_.SavedSettings(), "decoder");

  for (const ViewerMenu* menu : {&kPlaylistViewer, &kDecoderViewer, &kEncoderViewer}) {
    SCOPED_TRACE(menu->title);
    ASSERT_NO_FATAL_FAILURE(OpenViewer(*menu));
    // Five entries and the add row below them.
    Screenshot shot = Shoot();
    ASSERT_TRUE(ActionHasText(shot, 6));
    ASSERT_FALSE(ActionHasText(shot, 7));

    ClickAt(CellX(kAction, 25), RowY(3), 2, 100);
    SleepMs(1000);
    shot = Shoot();
    EXPECT_TRUE(ActionHasText(shot, 5)) << "more than one entry was closed";
    EXPECT_FALSE(ActionHasText(shot, 6)) << "nothing was closed";
    // The active entry stays the first one.
    EXPECT_EQ(kActiveGreen, Background(shot, kName, row_height_ + row_height_ / 2));
  }

  session_.Key("Escape");
  EXPECT_EQ(0, session_.WaitForExit(60));
  const std::string saved = session_.SavedSettings();
  EXPECT_EQ((std::vector<std::string>{"stereo.png", "stereo.mkv", "fourth.png", "fifth.png"}),
            SavedList(saved, "content"))
      << saved;
  std::vector<std::string> decoders = before_decoders;
  decoders.erase(decoders.begin() + 2);
  EXPECT_EQ(decoders, SavedList(saved, "decoder")) << saved;
  EXPECT_EQ(4u, SavedList(saved, "encoder").size()) << saved;
  for (const char* active : {"default_content = 0;", "default_decoder = 0;", "default_encoder = 0;"}) {
    EXPECT_NE(std::string::npos, saved.find(active)) << active;
  }
}

// Fifteen entries do not fit in the lists: they scroll together without scroll bars of their own, and a
// row's cells always belong to one entry. (Keys scroll a list as the wheel does: the list view's tests.)
TEST_F(ViewerEndToEnd, FifteenEntriesScrollTogetherAndEveryRowIsOneEntry) {
  std::vector<std::string> copies;
  for (int i = 2; i <= 15; ++i) copies.push_back("clip" + std::to_string(i) + ".png");
  std::vector<std::string> playlist = {"stereo.png"};
  playlist.insert(playlist.end(), copies.begin(), copies.end());
  ASSERT_NO_FATAL_FAILURE(Launch(PlayerSettings(playlist, 11), copies));
  ASSERT_NO_FATAL_FAILURE(OpenViewer(kPlaylistViewer));
  const int shown_rows = kListHeight / row_height_;
  ASSERT_LT(shown_rows, 16) << "the lists show every row at once: nothing to scroll";

  Screenshot shot = Shoot();
  EXPECT_TRUE(RowsStandSideBySide(shot));
  // No scroll bar at the right edge of any list: the rows' own colours reach it.
  for (int list : {kNumber, kName, kStatus, kAction}) {
    const int right = kListLeft[list] + kListWidth[list] - 2;
    EXPECT_EQ(shot.At(kListLeft[list] + 2, row_height_ + 2), shot.At(right, row_height_ + 2)) << "list " << list;
    EXPECT_EQ(kHeaderGrey, shot.At(right, 2)) << "list " << list;
  }

  // The wheel over the "#" list scrolls all four to the end; entry 12 (green) comes into view.
  WheelAt(CellX(kNumber, 15), RowY(4), 5);
  SleepMs(800);
  shot = Shoot();
  EXPECT_TRUE(RowsStandSideBySide(shot));
  const std::vector<int> green = GreenRows(shot, kNumber);
  ASSERT_FALSE(green.empty()) << "the active row did not come into view";
  EXPECT_EQ(green, GreenRows(shot, kName));
  EXPECT_EQ(green, GreenRows(shot, kStatus));
  const int green_row = green.front() / row_height_;  // the shown row of entry 12
  // Entry 15, three rows below, is the last one and is shown whole.
  EXPECT_LE((green_row + 4) * row_height_, kListHeight);
  EXPECT_FALSE(ActionHasText(shot, green_row + 4));
  EXPECT_TRUE(ActionHasText(shot, green_row + 3));

  // The cells under the pointer belong to one entry: a double click on the number of entry 14
  // makes its name and Status green at that height, ...
  ClickAt(CellX(kNumber, 15), RowY(green_row + 2), 2, 100);
  SleepMs(1000);
  shot = Shoot();
  const std::vector<int> now_green = GreenRows(shot, kNumber);
  ASSERT_FALSE(now_green.empty());
  EXPECT_EQ((green_row + 2) * row_height_, now_green.front());
  EXPECT_EQ(now_green, GreenRows(shot, kName));
  EXPECT_EQ(now_green, GreenRows(shot, kStatus));
  EXPECT_TRUE(RowsStandSideBySide(shot));
  // ... and "close" beside entry 13 closes clip13.png. The table stays scrolled where it was, as far as
  // the shorter list allows: it was scrolled to its end, so the rows above the closed one move down one
  // and the active entry keeps its place instead of the lists jumping back to the top.
  ClickAt(CellX(kAction, 25), RowY(green_row + 1), 1);
  SleepMs(1000);
  shot = Shoot();
  const std::vector<int> after_close = GreenRows(shot, kNumber);
  ASSERT_FALSE(after_close.empty()) << "the rebuilt lists jumped away from the closed row";
  EXPECT_EQ((green_row + 2) * row_height_, after_close.front());
  EXPECT_EQ(after_close, GreenRows(shot, kStatus));
  EXPECT_TRUE(RowsStandSideBySide(shot));

  session_.Key("Escape");
  EXPECT_EQ(0, session_.WaitForExit(60));
  const std::string saved = session_.SavedSettings();
  std::vector<std::string> expected = playlist;
  expected.erase(expected.begin() + 12);  // clip13.png
  EXPECT_EQ(expected, SavedList(saved, "content")) << saved;
  EXPECT_NE(std::string::npos, saved.find("default_content = 12;")) << saved;  // clip14.png, moved up
}

}  // namespace
