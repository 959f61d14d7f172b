#include "renderer/hlsl/hlsl_compile_cache.h"

#include <condition_variable>
#include <list>
#include <mutex>
#include <set>

namespace {

struct CachedModule {
  std::string key;
  std::vector<uint32_t> spirv;
  TranslatedShader shader;
  std::string log;
  size_t Bytes() const { return key.size() + spirv.size() * 4 + shader.glsl.size() + log.size(); }
};

std::mutex g_cacheMutex;
std::list<CachedModule> g_cache;  // most recently used first
size_t g_cacheBytes = 0;
std::set<std::string> g_compiling;  // keys some thread is compiling now
std::condition_variable g_compiled;

}  // namespace

bool FindCompiledHlsl(const std::string& key, std::vector<uint32_t>* spirv, TranslatedShader* shader,
                      std::string* log) {
  std::unique_lock<std::mutex> lock(g_cacheMutex);
  g_compiled.wait(lock, [&key] { return g_compiling.count(key) == 0; });
  for (auto it = g_cache.begin(); it != g_cache.end(); ++it) {
    if (it->key == key) {
      g_cache.splice(g_cache.begin(), g_cache, it);
      *spirv = g_cache.front().spirv;
      *shader = g_cache.front().shader;
      *log = g_cache.front().log;
      return true;
    }
  }
  g_compiling.insert(key);
  return false;
}

void FinishCompilingHlsl(const std::string& key) {
  {
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    g_compiling.erase(key);
  }
  g_compiled.notify_all();
}

void StoreCompiledHlsl(const std::string& key, const std::vector<uint32_t>& spirv, const TranslatedShader& shader,
                       const std::string& log) {
  CachedModule entry{key, spirv, shader, log};
  if (entry.Bytes() > kHlslCacheBytes) return;
  std::lock_guard<std::mutex> lock(g_cacheMutex);
  for (auto it = g_cache.begin(); it != g_cache.end(); ++it) {
    if (it->key == key) {
      g_cacheBytes -= it->Bytes();
      g_cache.erase(it);
      break;
    }
  }
  g_cacheBytes += entry.Bytes();
  g_cache.push_front(std::move(entry));
  while (g_cache.size() > kHlslCacheEntries || g_cacheBytes > kHlslCacheBytes) {
    g_cacheBytes -= g_cache.back().Bytes();
    g_cache.pop_back();
  }
}
