#include "renderer/d3d9/d3dx9_include_resolver.h"

#include "renderer/hlsl/hlsl_source_text.h"

HlslIncludeAnswer CTQD3DXIncludeResolver::Resolve(const HlslIncludeQuery& query) {
  HlslIncludeAnswer answer;
  LPCVOID parent = nullptr;
  auto found = data_by_name_.find(query.includerName);
  if (found != data_by_name_.end()) parent = found->second;
  LPCVOID data = nullptr;
  UINT size = 0;
  HRESULT hr = handler_->Open(query.system ? D3DXINC_SYSTEM : D3DXINC_LOCAL, query.name.c_str(), parent, &data,
                              &size);
  if (FAILED(hr) || (!data && size > 0)) {
    answer.text = "the include handler could not open '" + query.name + "'";
    return answer;
  }
  opened_.push_back(data);
  data_by_name_[query.name] = data;
  std::string error;
  if (!DecodeHlslSourceText(static_cast<const char*>(data), size, &answer.text, &error)) {
    answer.text = "'" + query.name + "': " + error;
    return answer;
  }
  answer.found = true;
  answer.resolvedName = query.name;
  return answer;
}

void CTQD3DXIncludeResolver::CloseAll() {
  for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) handler_->Close(*it);
  opened_.clear();
  data_by_name_.clear();
}
