// Text at the layer's boundary: UTF-8 <-> wide conversion with the Win32 results, and the helpers
// that move wide text in and out of Qt strings and caller buffers.
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>

#include "shell/win32/win32_internal.h"

QString Win32ToQString(LPCWSTR text) { return text ? QString::fromWCharArray(text) : QString(); }

std::wstring Win32ToWide(const QString& text) { return text.toStdWString(); }

int Win32CopyText(const std::wstring& text, LPWSTR buffer, int max_count) {
  if (!buffer || max_count <= 0) return 0;
  const int count = qMin(static_cast<int>(text.size()), max_count - 1);
  std::memcpy(buffer, text.data(), static_cast<size_t>(count) * sizeof(WCHAR));
  buffer[count] = 0;
  return count;
}

namespace {

bool IsValidCodePoint(WCHAR c) {
  const uint32_t value = static_cast<uint32_t>(c);
  return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount, LPWSTR wide,
                        int wideCount) {
  if (codePage != CP_UTF8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  if (!multiByte || multiByteCount == 0 || multiByteCount < -1 || wideCount < 0 || (wideCount > 0 && !wide) ||
      (wide && static_cast<const void*>(wide) == multiByte)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const qsizetype length = multiByteCount == -1 ? static_cast<qsizetype>(std::strlen(multiByte)) + 1
                                                : multiByteCount;
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QString decoded = decoder.decode(QByteArrayView(multiByte, length));
  if (decoder.hasError() && (flags & MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  const std::wstring result = decoded.toStdWString();  // invalid input became U+FFFD
  const int needed = static_cast<int>(result.size());
  if (wideCount == 0) return needed;
  if (needed > wideCount) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(wide, result.data(), static_cast<size_t>(needed) * sizeof(WCHAR));
  return needed;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR multiByte,
                        int multiByteCount, LPCSTR defaultChar, BOOL* usedDefaultChar) {
  if (codePage != CP_UTF8 || defaultChar || usedDefaultChar) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  if (!wide || wideCount == 0 || wideCount < -1 || multiByteCount < 0 || (multiByteCount > 0 && !multiByte) ||
      (multiByte && static_cast<const void*>(multiByte) == wide)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t length = wideCount == -1 ? std::wcslen(wide) + 1 : static_cast<size_t>(wideCount);
  std::wstring checked(wide, length);
  for (WCHAR& c : checked) {
    if (IsValidCodePoint(c)) continue;
    if (flags & WC_ERR_INVALID_CHARS) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    c = 0xFFFD;
  }
  QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QByteArray encoded = encoder.encode(QString::fromStdWString(checked));
  const int needed = static_cast<int>(encoded.size());
  if (multiByteCount == 0) return needed;
  if (needed > multiByteCount) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(multiByte, encoded.constData(), static_cast<size_t>(needed));
  return needed;
}
