// Decimal text to numbers for the settings script and the edits. They read like atoi and atof
// (leading white space skipped, conversion stops at the first byte that does not fit, 0 when there
// is no number), always with the "C" locale's decimal point whatever the process locale is, and text
// beyond the range of the type saturates instead of wrapping around.
#pragma once

#include <locale.h>
#include <cstdint>

// INT32_MIN .. INT32_MAX; "1e3" gives 1, "4294968296" gives INT32_MAX.
int32_t DecimalToInt32(const char* text);

// The text's double value rounded to a 32-bit float; beyond the float range the result is an infinity
// of the same sign. "nan" and "inf" convert as atof converts them.
float DecimalToFloat(const char* text);

// The fewest decimals, from `decimals` up to 9, with which "%.*f" writes `value` so that DecimalToFloat
// reads the same float back: values the script's usual precision holds keep their look, and an edit
// finer than it (a lateral separation of 1.5 % is 0.015) survives a restart. Infinities and NaN, which
// never read back equal, keep `decimals`. Formats with the calling thread's locale, as the script does.
int DecimalsToReadBack(float value, int decimals);

// The "C" locale, for the conversions above and for writing the script; null only when the C library
// could not create it, in which case callers fall back to the process locale.
locale_t ClassicLocale();
