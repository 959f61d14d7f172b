#include "common/error_line.h"

#include <cstdarg>
#include <cstdio>

void WriteErrorLine(const char* format, ...) {
  std::fputs("[TQ] Error: ", stdout);
  std::fflush(stdout);
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
  std::fputs("\n", stdout);
  std::fflush(stdout);
}
