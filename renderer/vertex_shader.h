// The vertex shader the player carries itself: it passes the full-screen quad through the matrix in
// c4..c7 (the identity at every draw) and hands the texture coordinate on unchanged.
#pragma once

extern const char kVertexShaderSource[];
