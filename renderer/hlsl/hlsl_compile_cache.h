// Compiled shaders (SPIR-V and its GLSL translation) by source: the renderer recompiles both user shaders on every shader switch, and
// glslang takes tens of milliseconds per shader. The key is the complete bridged source (includes and
// macros already expanded) with the stage and entry point, so an edited file or include never hits a
// stale entry. Bounded in entries and bytes; the least recently used entry goes first. Thread-safe.
//
// A source that another thread is compiling is not compiled twice: FindCompiledHlsl waits for that
// compile to finish and answers from its result (start-up compiles the user's shaders ahead on a thread
// of its own, and the renderer's own compile of the same source then only waits for it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "renderer/hlsl/shader_translation.h"

constexpr size_t kHlslCacheEntries = 32;
constexpr size_t kHlslCacheBytes = 16u << 20;

// True with the cached module, its translation and log. False when there is none: the caller then compiles the source and
// must call FinishCompilingHlsl with the same key when done, whether it stored a result or not.
bool FindCompiledHlsl(const std::string& key, std::vector<uint32_t>* spirv, TranslatedShader* shader,
                      std::string* log);
void StoreCompiledHlsl(const std::string& key, const std::vector<uint32_t>& spirv, const TranslatedShader& shader,
                       const std::string& log);
void FinishCompilingHlsl(const std::string& key);
