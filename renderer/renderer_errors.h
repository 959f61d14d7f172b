// Error lines of the renderer: "[TQ] Error: ", the formatted message and "\n", as three writes.
#pragma once

void ReportRendererError(const char* format, ...) __attribute__((format(printf, 1, 2)));
