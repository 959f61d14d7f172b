// PNG chunk filtering before decoding: the text and colour-profile chunks are left out.
#pragma once

#include <cstdint>
#include <vector>

// Removes the tEXt, zTXt, iTXt and iCCP chunks from the PNG file in `data`, in place. The picture
// never uses them, and the decoder would inflate the compressed ones whole (a chunk of a few kilobytes
// can inflate to hundreds of megabytes). Every other chunk is kept byte for byte, its CRC with it.
// The walk stops at IEND or at a chunk whose length runs past the end of the file; what follows is kept
// as it is, for the decoder to judge.
void StripPngTextChunks(std::vector<uint8_t>* data);
