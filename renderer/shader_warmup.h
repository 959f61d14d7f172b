// Compiling the renderer's shaders ahead of time. Compiling HLSL takes a good part of the program's
// start-up, and it needs only the settings: start-up begins it on a thread of its own as soon as the
// settings are read, while the window and the device are made. Its first compile also starts the compile
// process, which then sets up glslang once. The compile process keeps its results by source
// (renderer/hlsl/hlsl_compile_cache.h) and takes one compile at a time, so the renderer's own compiles of
// the same files wait for the warm-up's and then take its results instead of compiling again. The
// warm-up prints nothing and changes nothing that can be seen: an error is met again, and reported, by
// the renderer's own compile.
#pragma once

// Starts compiling the embedded vertex shader, then the decoder and the encoder file (each skipped when
// null), named as the renderer will name them. Waits for an earlier warm-up first.
void StartShaderWarmUp(const char* decoderFile, const char* encoderFile);

// Waits for the warm-up to end. Safe to repeat, and when none was started.
void FinishShaderWarmUp();
