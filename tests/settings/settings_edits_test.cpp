// Validated edits by display name: every range bound, the exact words, the settings that no edit
// may change, long and non-ASCII values, and the help texts.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "settings/settings.h"
#include "settings/settings_edits.h"
#include "settings/settings_keys.h"
#include "tests/settings/settings_test_support.h"

namespace {

// Every field away from zero and from the values the edits below store, so that a wrong field, a
// stored refusal or a lost store shows.
void FillSentinels(CTQSettings& s) {
  s.Reset();
  s.refresh_rate = 33.0f;
  s.renderer_width = 11;
  s.renderer_height = 12;
  s.AddContent("c");
  s.default_content = 5;
  s.viewer_distance = 13.0f;
  s.screen_diagonal = 14.0f;
  s.separation = 0.15f;
  s.screen_aspect = 1.6f;
  s.invert_channels = 7;
  s.temporal_interleave = 7;
  s.proscenium = 0.17f;
  s.show_channel = 9;
  s.AddEncoder("e");
  s.AddDecoder("d");
  s.default_encoder = 3;
  s.default_decoder = 4;
  s.version = 1.0f;
  s.window_width = 21;
  s.window_height = 22;
  s.adapter = 23;
  s.fullscreen = 7;
}

struct EditCase {
  const wchar_t* name;
  const wchar_t* value;
  void (*stores)(CTQSettings&);  // the change an accepted edit makes; null when it is refused
};

void ExpectEdit(const EditCase& c) {
  FillSentinels(g_settings);
  CTQSettings expected;
  FillSentinels(expected);
  if (c.stores) c.stores(expected);
  const std::string edit = testing::PrintToString(std::wstring(c.name)) + " = " +
                           testing::PrintToString(std::wstring(c.value));
  EXPECT_EQ(ApplyEdit(c.name, c.value), c.stores ? 0 : 1) << edit;
  EXPECT_TRUE(SameRecord(g_settings, expected)) << edit;
}

TEST(SettingsEdits, IntegerRangesAreStrict) {
  const EditCase cases[] = {
      {L"window width", L"3000", nullptr},
      {L"window width", L"2999", [](CTQSettings& s) { s.window_width = 2999; }},
      {L"window width", L"1", [](CTQSettings& s) { s.window_width = 1; }},
      {L"window width", L"0", nullptr},
      {L"window width", L"-5", nullptr},
      {L"window width", L"wide", nullptr},
      {L"window width", L"", nullptr},
      {L"window width", L" 800px", [](CTQSettings& s) { s.window_width = 800; }},
      {L"window width", L"1e3", [](CTQSettings& s) { s.window_width = 1; }},
      {L"window width", L"4294968296", nullptr},  // would be 1000 if the conversion wrapped
      {L"window height", L"2999", [](CTQSettings& s) { s.window_height = 2999; }},
      {L"window height", L"3000", nullptr},
      {L"adapter (monitor)", L"7", [](CTQSettings& s) { s.adapter = 7; }},
      {L"adapter (monitor)", L"1", [](CTQSettings& s) { s.adapter = 1; }},
      {L"adapter (monitor)", L"8", nullptr},
      {L"adapter (monitor)", L"0", nullptr},
      {L"render width", L"2999", [](CTQSettings& s) { s.renderer_width = 2999; }},
      {L"render width", L"3000", nullptr},
      {L"render height", L"1", [](CTQSettings& s) { s.renderer_height = 1; }},
      {L"render height", L"0", nullptr},
  };
  for (const EditCase& c : cases) ExpectEdit(c);
}

TEST(SettingsEdits, FloatRangesApplyToTheValueRoundedToFloat) {
  const EditCase cases[] = {
      {L"screen diagonal size", L"999.99999999", nullptr},  // 1000 as a float
      {L"screen diagonal size", L"999.99", [](CTQSettings& s) { s.screen_diagonal = 999.99f; }},
      {L"screen diagonal size", L"0", nullptr},
      {L"screen diagonal size", L"0.001", [](CTQSettings& s) { s.screen_diagonal = 0.001f; }},
      {L"screen diagonal size", L"nan", nullptr},
      {L"screen diagonal size", L"inf", nullptr},
      {L"screen aspect ratio", L"10", nullptr},
      {L"screen aspect ratio", L"9.99", [](CTQSettings& s) { s.screen_aspect = 9.99f; }},
      {L"screen aspect ratio", L"-1", nullptr},
      {L"viewer distance", L"100000", nullptr},
      {L"viewer distance", L"99999.999", nullptr},  // 100000 as a float
      {L"viewer distance", L"99999", [](CTQSettings& s) { s.viewer_distance = 99999.0f; }},
      {L"refresh rate", L"4", nullptr},
      {L"refresh rate", L"320", nullptr},
      {L"refresh rate", L"4.5", [](CTQSettings& s) { s.refresh_rate = 4.5f; }},
      {L"refresh rate", L"319.9", [](CTQSettings& s) { s.refresh_rate = 319.9f; }},
      {L"refresh rate", L"nan", nullptr},
      {L"refresh rate", L"-inf", nullptr},
      {L"refresh rate", L"1e400", nullptr},
  };
  for (const EditCase& c : cases) ExpectEdit(c);
}

TEST(SettingsEdits, PercentagesIncludeTheirBoundsAndAreStoredAsFractions) {
  const EditCase cases[] = {
      {L"proscenium distance", L"0", [](CTQSettings& s) { s.proscenium = 0.0f; }},
      {L"proscenium distance", L"100", [](CTQSettings& s) { s.proscenium = 1.0f; }},
      {L"proscenium distance", L"50", [](CTQSettings& s) { s.proscenium = 0.5f; }},
      {L"proscenium distance", L"100.5", nullptr},
      {L"proscenium distance", L"-0.1", nullptr},
      {L"proscenium distance", L"none", [](CTQSettings& s) { s.proscenium = 0.0f; }},
      {L"lateral separation", L"-100", [](CTQSettings& s) { s.separation = -1.0f; }},
      {L"lateral separation", L"100", [](CTQSettings& s) { s.separation = 1.0f; }},
      {L"lateral separation", L"25", [](CTQSettings& s) { s.separation = 0.25f; }},
      {L"lateral separation", L"-100.1", nullptr},
      {L"lateral separation", L"100.01", nullptr},
      {L"lateral separation", L"nan", nullptr},
  };
  for (const EditCase& c : cases) ExpectEdit(c);
}

TEST(SettingsEdits, WordsMustMatchExactly) {
  const EditCase cases[] = {
      {L"fullscreen", L"yes", [](CTQSettings& s) { s.fullscreen = 1; }},
      {L"fullscreen", L"no", [](CTQSettings& s) { s.fullscreen = 0; }},
      {L"fullscreen", L"Yes", nullptr},
      {L"fullscreen", L" yes", nullptr},
      {L"fullscreen", L"yes ", nullptr},
      {L"fullscreen", L"y", nullptr},
      {L"fullscreen", L"1", nullptr},
      {L"temporal interleave", L"yes", [](CTQSettings& s) { s.temporal_interleave = 1; }},
      {L"temporal interleave", L"no", [](CTQSettings& s) { s.temporal_interleave = 0; }},
      {L"invert channels", L"yes", [](CTQSettings& s) { s.invert_channels = 1; }},
      {L"invert channels", L"NO", nullptr},
      {L"show channel", L"left", [](CTQSettings& s) { s.show_channel = CHANNEL_LEFT; }},
      {L"show channel", L"right", [](CTQSettings& s) { s.show_channel = CHANNEL_RIGHT; }},
      {L"show channel", L"both", [](CTQSettings& s) { s.show_channel = CHANNEL_BOTH; }},
      {L"show channel", L"CHANNEL_LEFT", nullptr},
      {L"show channel", L"Left", nullptr},
      {L"show channel", L"lef", nullptr},
  };
  for (const EditCase& c : cases) ExpectEdit(c);
}

TEST(SettingsEdits, SomeSettingsAreNeverEditable) {
  const wchar_t* names[] = {L"version",
                            L"encoder shader",
                            L"decoder shader",
                            L"default encoder",
                            L"default decoder",
                            L"current media",
                            L"default content",
                            L"audio playback",
                            L"gamma adjust",
                            L"Window width",
                            L"window width ",
                            L"window_width",
                            L""};
  for (const wchar_t* name : names) {
    ExpectEdit({name, L"1", nullptr});
    ExpectEdit({name, L"2", nullptr});
  }
  FillSentinels(g_settings);
  EXPECT_EQ(ApplyEdit(nullptr, L"1"), 1);
  EXPECT_EQ(ApplyEdit(L"window width", nullptr), 1);
}

TEST(SettingsEdits, ValuesMustFitIn259BytesOfUtf8WithTheirTerminator) {
  std::wstring ascii_258 = L"5" + std::wstring(257, L'x');
  std::wstring ascii_259 = L"5" + std::wstring(258, L'x');
  std::wstring two_byte_257 = L"5" + std::wstring(128, L'\u00e9');
  std::wstring two_byte_259 = L"5" + std::wstring(129, L'\u00e9');
  std::wstring long_input(100000, L'7');
  ExpectEdit({L"window width", ascii_258.c_str(), [](CTQSettings& s) { s.window_width = 5; }});
  ExpectEdit({L"window width", ascii_259.c_str(), nullptr});
  ExpectEdit({L"window width", two_byte_257.c_str(), [](CTQSettings& s) { s.window_width = 5; }});
  ExpectEdit({L"window width", two_byte_259.c_str(), nullptr});
  ExpectEdit({L"window width", long_input.c_str(), nullptr});
}

TEST(SettingsEdits, CharactersBeyondTheBasicPlaneAreAcceptedAsCodePointsOrSurrogatePairs) {
  const std::wstring code_point{L'5', static_cast<wchar_t>(0x1F600)};
  const std::wstring pair{L'5', static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  const std::wstring lone_high{L'5', static_cast<wchar_t>(0xD800)};
  const std::wstring lone_low{L'5', static_cast<wchar_t>(0xDC00), L'0'};
  const std::wstring beyond_unicode{L'5', static_cast<wchar_t>(0x110000)};
  ExpectEdit({L"window width", code_point.c_str(), [](CTQSettings& s) { s.window_width = 5; }});
  ExpectEdit({L"window width", pair.c_str(), [](CTQSettings& s) { s.window_width = 5; }});
  ExpectEdit({L"window width", lone_high.c_str(), nullptr});
  ExpectEdit({L"window width", lone_low.c_str(), nullptr});
  ExpectEdit({L"window width", beyond_unicode.c_str(), nullptr});
}

// Descriptions are found by the exact display name only; script keys are no display names.
TEST(SettingsKeyTable, RowsCanBeFoundUnambiguously) {
  EXPECT_EQ(GetDescription(nullptr), nullptr);
  EXPECT_EQ(GetDescription(L"Refresh rate"), nullptr);
  EXPECT_EQ(GetDescription(L"refresh_rate"), nullptr);
  EXPECT_EQ(GetDescription(L"gamma adjust"), nullptr);
  for (const SettingsKeyEntry& a : kSettingsKeys) {
    EXPECT_EQ(a.description[0], L' ') << a.key;
    EXPECT_EQ(GetDescription(a.display_name), a.description) << a.key;
    for (const SettingsKeyEntry& b : kSettingsKeys) {
      if (&a == &b) continue;
      EXPECT_NE(strncmp(a.key, b.key, strlen(a.key)), 0)
          << a.key << " is a prefix of " << b.key << ": the reader would never see the longer key";
    }
  }
}

}  // namespace
