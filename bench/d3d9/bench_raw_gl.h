// The reference for the frame benchmark: the two passes of the stereo pipeline written directly in
// OpenGL 4.1 (decoder into two render targets, encoder into a back buffer, shown in an offscreen window
// picture), with nothing of the graphics layer in between.
#pragma once

// Milliseconds per frame over `frames` frames at width x height; negative when OpenGL is not available.
double RawGlFrameMilliseconds(int width, int height, int frames);
