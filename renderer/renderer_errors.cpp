#include "renderer/renderer_errors.h"

#include <cstdarg>
#include <cstdio>

void ReportRendererError(const char* format, ...) {
  printf("[TQ] Error: ");
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  printf("\n");
}
