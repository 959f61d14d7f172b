// A caller's source of the files a shader includes, in place of reading them from disk. Open hands out
// the whole text of a file; Close gets the same pointer back once the compiler no longer needs it.
#pragma once

#include <cstdint>
#include <string>

class CTQHlslIncludeSource {
 public:
  virtual ~CTQHlslIncludeSource() = default;
  // `name` as written in #include "name" (or <name> when `system`); `parent` is the data of the
  // including file, null for the main source. false when the file cannot be had.
  virtual bool Open(bool system, const char* name, const void* parent, const void** data, uint32_t* bytes) = 0;
  virtual void Close(const void* data) = 0;
  // The name an opened file goes by in messages and as the includer of its own includes; empty keeps the
  // name as written in the #include.
  virtual std::string ResolvedName(const void* data) { return std::string(); }
  // Why the last Open failed, when the source can tell; empty for the generic message.
  virtual std::string FailureReason() { return std::string(); }
};
