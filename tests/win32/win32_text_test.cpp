// UTF-8 <-> wide conversion: sizes, buffer limits and invalid input.
#include <gtest/gtest.h>

#include <string>

#include "shell/win32/windows.h"

namespace {

TEST(TextConversion, RoundTripWithAndWithoutTerminator) {
  const char* utf8 = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAC";       // "Café € 🎬"
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0), 9);  // 8 characters + terminator
  WCHAR wide[16];
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 16), 9);
  EXPECT_EQ(std::wstring(wide), std::wstring(L"Caf\u00e9 \u20ac \U0001F3AC"));
  // An explicit length converts exactly those bytes, with no terminator.
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, utf8, 3, wide, 16), 3);
  char back[32];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, 3, nullptr, 0, nullptr, nullptr), 3);
  const int n = WideCharToMultiByte(CP_UTF8, 0, L"Caf\u00e9 \u20ac \U0001F3AC", -1, back, 32, nullptr, nullptr);
  ASSERT_EQ(n, static_cast<int>(std::string(utf8).size()) + 1);
  EXPECT_STREQ(back, utf8);
}

TEST(TextConversion, TooSmallBufferFailsAndDoesNotWritePast) {
  WCHAR wide[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abcd", -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char narrow[4];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u20ac\u20ac", -1, narrow, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, L"\u20ac", -1, narrow, 4, nullptr, nullptr), 4);
  // No input, or none to convert.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, wide, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a", 0, wide, 4), 0);
}

TEST(TextConversion, InvalidInputIsRejectedOnRequestAndReplacedOtherwise) {
  const char* invalid[] = {"\xC3",
                           "a\xFF"
                           "b",
                           "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"};
  for (const char* text : invalid) {
    WCHAR wide[8];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, 8), 0) << text;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 8);
    ASSERT_GT(n, 0);
    EXPECT_NE(std::wstring(wide).find(L'\uFFFD'), std::wstring::npos) << text;
  }
  const WCHAR lone_surrogate[] = {L'a', static_cast<WCHAR>(0xD800), 0};
  char narrow[16];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone_surrogate, -1, narrow, 16, nullptr, nullptr),
            0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone_surrogate, -1, narrow, 16, nullptr, nullptr), 5);
  EXPECT_STREQ(narrow, "a\xEF\xBF\xBD");
}

}  // namespace
