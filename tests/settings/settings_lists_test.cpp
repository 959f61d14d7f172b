// The three file lists of the store: the same rules on each list, wired to its own slots, count and
// active index.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>

#include "settings/settings.h"
#include "tests/settings/settings_test_support.h"

namespace {

struct ListAccess {
  const char* name;
  uint32_t (CTQSettings::*add)(const char*);
  uint32_t (CTQSettings::*remove)(uint32_t);
  const char* (CTQSettings::*get)(uint32_t) const;
  const char* (CTQSettings::*get_active)() const;
  uint32_t (CTQSettings::*count)() const;
  char (SettingsRecord::*slots)[kListSlots][kListSlotSize];
  uint32_t SettingsRecord::*active;
};

// Names the list in test output instead of dumping the member pointers.
void PrintTo(const ListAccess& list, std::ostream* out) { *out << list.name; }

const ListAccess kLists[] = {
    {"content", &CTQSettings::AddContent, &CTQSettings::RemoveContent, &CTQSettings::GetContent,
     &CTQSettings::GetActiveContent, &CTQSettings::GetContentCount, &SettingsRecord::content,
     &SettingsRecord::default_content},
    {"encoder", &CTQSettings::AddEncoder, &CTQSettings::RemoveEncoder, &CTQSettings::GetEncoder,
     &CTQSettings::GetActiveEncoder, &CTQSettings::GetEncoderCount, &SettingsRecord::encoder,
     &SettingsRecord::default_encoder},
    {"decoder", &CTQSettings::AddDecoder, &CTQSettings::RemoveDecoder, &CTQSettings::GetDecoder,
     &CTQSettings::GetActiveDecoder, &CTQSettings::GetDecoderCount, &SettingsRecord::decoder,
     &SettingsRecord::default_decoder},
};

class FileListTest : public ::testing::TestWithParam<ListAccess> {
 protected:
  uint32_t Add(const char* name) { return (store_.*list().add)(name); }
  uint32_t Remove(uint32_t index) { return (store_.*list().remove)(index); }
  const char* Get(uint32_t index) const { return (store_.*list().get)(index); }
  const char* Active() const { return (store_.*list().get_active)(); }
  uint32_t Count() const { return (store_.*list().count)(); }
  const char* Slot(uint32_t index) const { return (store_.*list().slots)[index]; }
  uint32_t& ActiveIndex() { return store_.*list().active; }
  const ListAccess& list() const { return GetParam(); }
  void AddThree() {
    for (const char* name : {"a", "b", "c"}) Add(name);
  }

  bool SlotIsZero(uint32_t index) const {
    return std::all_of(Slot(index), Slot(index) + kListSlotSize, [](char c) { return c == 0; });
  }

  CTQSettings store_;
};

TEST_P(FileListTest, AddKeepsAtMost259BytesAndAlwaysATerminator) {
  std::string exact(259, 'a');
  std::string longer(300, 'b');
  EXPECT_EQ(Add(exact.c_str()), 1u);
  EXPECT_EQ(Add(longer.c_str()), 2u);
  EXPECT_EQ(std::string(Get(0)), exact);
  EXPECT_EQ(std::string(Get(1)), longer.substr(0, 259));
  EXPECT_EQ(Slot(1)[259], '\0');

  EXPECT_EQ(Add(nullptr), 0u);
  EXPECT_EQ(Count(), 2u);
  EXPECT_TRUE(SlotIsZero(2));
  EXPECT_EQ(ActiveIndex(), 0u) << "adding never moves the active index";
}

TEST_P(FileListTest, ACutNeverSplitsAUtf8Character) {
  struct Case {
    std::string name;
    size_t kept;  // bytes stored
  };
  const std::string e_acute = "\xc3\xa9";
  const std::string euro = "\xe2\x82\xac";
  const std::string emoji = "\xf0\x9f\x98\x80";
  const Case cases[] = {
      {std::string(258, 'a') + e_acute + "tail", 258},        // 2-byte character across the cut
      {std::string(257, 'a') + euro + "tail", 257},           // 3-byte character
      {std::string(256, 'a') + emoji + "tail", 256},          // 4-byte character
      {std::string(255, 'a') + emoji + "tail", 259},          // ends right at the cut: kept
      {std::string(257, 'a') + e_acute + "tail", 259},        // cut between two characters
      {std::string(255, 'a') + emoji, 259},                   // exactly 259 bytes: stored whole
      {std::string(255, 'a') + std::string(6, '\x80'), 259},  // no UTF-8: cut at the limit
  };
  for (const Case& c : cases) {
    store_.Reset();
    ASSERT_EQ(Add(c.name.c_str()), 1u);
    EXPECT_EQ(std::string(Get(0)), c.name.substr(0, c.kept)) << c.name.size() << " " << c.kept;
    EXPECT_EQ(Slot(0)[c.kept], '\0');
  }
}

TEST_P(FileListTest, HoldsFifteenEntriesAndLeavesTheLastSlotEmpty) {
  for (int i = 0; i < 14; ++i) Add(("f" + std::to_string(i)).c_str());
  EXPECT_EQ(Add("fifteenth"), 15u);
  EXPECT_STREQ(Get(14), "fifteenth");

  SettingsRecord before = Snapshot(store_);
  EXPECT_EQ(Add("sixteenth"), 15u);
  EXPECT_TRUE(SameRecord(store_, before));
  EXPECT_TRUE(SlotIsZero(15));
  EXPECT_EQ(Get(15), nullptr);
}

TEST_P(FileListTest, RemovalClosesTheGapAndTheActiveIndexFollowsItsEntry) {
  AddThree();
  ActiveIndex() = 2;
  EXPECT_EQ(Remove(0), 2u);
  EXPECT_STREQ(Get(0), "b");
  EXPECT_STREQ(Get(1), "c");
  EXPECT_EQ(ActiveIndex(), 1u);
  EXPECT_STREQ(Active(), "c");
  EXPECT_TRUE(SlotIsZero(2));

  store_.Reset();
  AddThree();
  ActiveIndex() = 0;
  EXPECT_EQ(Remove(2), 2u);
  EXPECT_STREQ(Get(1), "b");
  EXPECT_EQ(Get(2), nullptr);
  EXPECT_EQ(ActiveIndex(), 0u);
  EXPECT_TRUE(SlotIsZero(2));
}

TEST_P(FileListTest, RefusesToRemoveTheActiveEntryOrAnIndexBeyondTheList) {
  AddThree();
  ActiveIndex() = 1;
  SettingsRecord before = Snapshot(store_);
  EXPECT_EQ(Remove(1), 0u);
  EXPECT_EQ(Remove(3), 0u);
  EXPECT_EQ(Remove(0xFFFFFFFFu), 0u);
  EXPECT_TRUE(SameRecord(store_, before));
}

TEST_P(FileListTest, ActiveEntryIsNullWhenTheIndexIsNotBelowTheCount) {
  EXPECT_EQ(Active(), nullptr) << "empty list, index 0";
  Add("a");
  EXPECT_STREQ(Active(), "a");
  ActiveIndex() = 1;
  EXPECT_EQ(Active(), nullptr);
  ActiveIndex() = 0xFFFFFFFFu;
  EXPECT_EQ(Active(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(EachList, FileListTest, ::testing::ValuesIn(kLists),
                         [](const ::testing::TestParamInfo<ListAccess>& info) {
                           return std::string(info.param.name);
                         });

TEST(SettingsValidate, NeedsAnEncoderAndADecoderAndPullsStrayIndicesBack) {
  CTQSettings store;
  EXPECT_EQ(store.Validate(), 0);
  store.AddEncoder("e");
  EXPECT_EQ(store.Validate(), 0) << "no decoder";

  store.AddDecoder("d");
  store.AddDecoder("d2");
  store.default_encoder = 7;
  store.default_decoder = 0xFFFFFFFFu;
  store.default_content = 1;
  EXPECT_EQ(store.Validate(), 1);
  EXPECT_EQ(store.default_encoder, 0u);
  EXPECT_EQ(store.default_decoder, 0u);
  EXPECT_EQ(store.default_content, 0u) << "an empty playlist is allowed";
  EXPECT_EQ(store.GetActiveContent(), nullptr);

  store.default_decoder = 1;
  EXPECT_EQ(store.Validate(), 1);
  EXPECT_EQ(store.default_decoder, 1u) << "an index in range stays";
}

}  // namespace
