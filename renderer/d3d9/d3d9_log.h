// Error lines of the graphics layer: "[TQ] Error: ", the message, "\n", as three writes.
#pragma once

void D3D9LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));
