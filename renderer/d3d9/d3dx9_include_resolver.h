// A caller's ID3DXInclude as the include look-up of a compile: each #include the compiler asks for is
// opened through the handler, with the including file's data as pParentData, and everything opened is
// given back to the handler (Close, last opened first) when the compile ends.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "renderer/d3d9/d3dx9_shader.h"
#include "renderer/hlsl/hlsl_compile_process.h"

class CTQD3DXIncludeResolver : public CTQHlslIncludeResolver {
 public:
  explicit CTQD3DXIncludeResolver(ID3DXInclude* handler) : handler_(handler) {}
  HlslIncludeAnswer Resolve(const HlslIncludeQuery& query) override;
  // Closes everything opened. Safe to repeat.
  void CloseAll();
  ~CTQD3DXIncludeResolver() override { CloseAll(); }

 private:
  ID3DXInclude* handler_;
  std::vector<LPCVOID> opened_;
  std::map<std::string, LPCVOID> data_by_name_;
};
