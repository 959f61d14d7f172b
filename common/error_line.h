// The one writer of error lines on standard output: "[TQ] Error: ", the formatted message and "\n",
// as three writes, each flushed at once so that a line-buffered or redirected stdout shows it without
// waiting for the end of the line or of the process.
#pragma once

void WriteErrorLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
