// Process entry point: brings the system up in a fixed order, runs the main loop, tears it down.
#include <cstdio>

#include "settings/settings.h"

namespace {

void ReportError(const char* message) {
  printf("[TQ] Error: ");
  printf("%s", message);
  printf("\n");
}

// Releases whatever start-up brought up; safe on objects that were never initialised.
void ShutdownAll() {}

}  // namespace

int main() {
  if (g_settings.Load("settings.ini") != 0) {
    ReportError("Failed to load configuration file (terminal failure)");
    ShutdownAll();
    return 0;
  }
  ShutdownAll();
  return 0;
}
