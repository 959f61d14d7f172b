// Compiled SPIR-V by source: the renderer recompiles both user shaders on every shader switch, and
// glslang takes tens of milliseconds per shader. The key is the complete bridged source (includes and
// macros already expanded) with the stage and entry point, so an edited file or include never hits a
// stale entry. Bounded in entries and bytes; the least recently used entry goes first. Thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kHlslCacheEntries = 32;
constexpr size_t kHlslCacheBytes = 16u << 20;

bool FindCompiledHlsl(const std::string& key, std::vector<uint32_t>* spirv, std::string* log);
void StoreCompiledHlsl(const std::string& key, const std::vector<uint32_t>& spirv, const std::string& log);
