#include "renderer/d3d9/d3d9_log.h"

#include <cstdarg>
#include <cstdio>

void D3D9LogError(const char* format, ...) {
  printf("[TQ] Error: ");
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  printf("\n");
}
