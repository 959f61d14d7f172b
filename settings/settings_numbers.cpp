// Locale-independent, saturating decimal conversions.
#include "settings/settings_numbers.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

locale_t ClassicLocale() {
  static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return classic;
}

int32_t DecimalToInt32(const char* text) {
  locale_t classic = ClassicLocale();
  // strtol saturates at the range of long, which is wider than 32 bits here; clamp the rest.
  long value = classic ? strtol_l(text, nullptr, 10, classic) : strtol(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

float DecimalToFloat(const char* text) {
  locale_t classic = ClassicLocale();
  double value = classic ? strtod_l(text, nullptr, classic) : strtod(text, nullptr);
  // Narrowing a double beyond the float range is undefined behaviour in C++; do what IEEE rounding
  // to nearest does: up to half a step above FLT_MAX gives FLT_MAX, anything larger an infinity.
  const double float_overflow = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103);
  if (std::fabs(value) >= float_overflow) return value > 0 ? INFINITY : -INFINITY;
  if (std::fabs(value) > static_cast<double>(FLT_MAX)) return value > 0 ? FLT_MAX : -FLT_MAX;
  return static_cast<float>(value);
}

int DecimalsToReadBack(float value, int decimals) {
  constexpr int kMostDecimals = 9;
  if (!std::isfinite(value)) return decimals;
  for (int tried = decimals; tried < kMostDecimals; ++tried) {
    char text[64];
    snprintf(text, sizeof(text), "%.*f", tried, static_cast<double>(value));
    if (DecimalToFloat(text) == value) return tried;
  }
  return kMostDecimals;
}
