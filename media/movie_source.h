// The movie source: turns one movie file into a sequence of pictures in one fixed format, 32-bit BGRA
// (bytes blue, green, red, alpha in memory order) at the movie's own size, rows of width * 4 bytes.
//
// Module state with at most one open movie. Calling order:
//   MovieRegisterFormats, MovieOpen (main thread, while no decoding thread reads the source),
//   then any number of MovieReadFrame (decoding thread) and MovieCopyFrame (main thread) at the same time,
//   then MovieClose (main thread, once the decoding thread has stopped).
// Progress and error lines go to standard output; the format description goes through FFmpeg's log.
#pragma once

#include <vector>

// Kept for the start-up order of the player; today's FFmpeg needs no registration. Always 0.
int MovieRegisterFormats();

// Opens the movie at `path` (a local file; no FFmpeg protocol or image-sequence pattern is ever taken
// from the name), picks its first video stream and prepares the decoder and the BGRA converter.
// On success writes the decoder's pixel format number (FFmpeg's AVPixelFormat), width and height and
// returns 0; on failure prints the reason, leaves the source closed and the outputs untouched, returns -1.
// Any out pointer may be null. A movie still open from before is closed first.
int MovieOpen(const char* path, int* pixel_format, int* width, int* height);

// One read step, on the decoding thread: reads one packet and decodes it when it belongs to the video
// stream; each complete picture is converted into the converted picture and followed by a wait of
// `delay_ms` milliseconds (the player's 1000 / refresh_rate). Packets that complete no picture cost no
// wait. At the end of the file the pictures the decoder still holds are delivered, one per step, and then
// the movie seeks back to its start, so playback loops; a pass that converted no picture at all waits
// once at the rewind, so a file with nothing to show is not re-read in a busy loop. Does nothing when no
// movie is open. Always 0.
int MovieReadFrame(int delay_ms);

// How many pictures have been converted since the movie was opened; 0 when none is open. Tells a caller
// whether a read step delivered a picture (the benchmark counts pictures per second with it). Safe from
// any thread.
long long MovieConvertedPictureCount();

// The kernel thread ids of the worker threads FFmpeg started at MovieOpen for the decoder and the BGRA
// converter, which do the decoding thread's work; empty when no movie is open. A converter made again on
// the decoding thread for pictures of another size starts threads that are not listed; listed threads may
// have ended since. Changed only by MovieOpen and MovieClose: read it where MovieReadFrame may run.
const std::vector<int>& MovieWorkerThreads();

// Ends the wait inside MovieReadFrame at once, and makes every later wait return at once, until the next
// MovieOpen. The player calls it right after it commands the decoding thread to quit, so a long delay
// (a tiny refresh_rate) never holds up closing or opening a movie. Safe from any thread.
void MovieAbortWait();

// Releases everything the open movie holds. Safe to repeat, and after a failed open. Always 0.
int MovieClose();

// Copies the latest converted picture, row by row, to `destination`, row r at destination + r * pitch;
// only width * 4 bytes of each destination row are written. The main thread may call it while the
// decoding thread runs MovieReadFrame: it never sees a picture that is being written. Copies nothing when
// no movie is open, when `destination` is null or when `pitch` is smaller than width * 4. Always 0.
int MovieCopyFrame(void* destination, int pitch);
