// The main loop of the program: one message at most, one player update (which draws and, while the movie
// plays, uploads its latest picture), the arrow-key step, and the status texts while content is loaded.
// Presentation paces it; while nothing is loaded (nothing is presented) it waits briefly for input
// between passes instead of spinning.
#pragma once

#include <cstdint>

// Width over height, from the two sizes taken as unsigned; 0 for a zero height, so that the status bar
// shows 0.00 rather than nan or inf.
double AspectRatio(uint32_t width, uint32_t height);

// Writes the frame counter, the window size and the content size into status slots 0 to 2.
void ShowStatusTexts();

// Runs one pass. False once the last message taken was WM_QUIT: the pass that took it still runs in full,
// the next one does nothing.
bool RunMainLoopPass();

// Runs passes until the message queue delivered WM_QUIT.
void RunMainLoop();
