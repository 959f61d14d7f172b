// The refusals of a bridging run: what the Direct3D 9 compiler refuses for vertex and pixel shaders,
// and what glslang would crash on, each with a message naming the place.
#include "renderer/hlsl/hlsl_dx9_bridger.h"

namespace dx9_bridge {

// Intrinsics that the Direct3D 9 compiler has only for texture shaders (tx_1_0), not for vertex or pixel
// shaders; a function of the shader's own with that name takes precedence.
bool Bridger::RejectUnavailableIntrinsics() {
  // Not in shader model 3, and glslang 12 crashes on the sample-count pair instead of refusing it.
  static const std::map<std::string, std::string> kUnavailable = {
      {"noise", "is not available in vertex or pixel shaders (only in texture shaders)"},
      {"GetRenderTargetSampleCount", "is not available before shader model 4.1"},
      {"GetRenderTargetSamplePosition", "is not available before shader model 4.1"}};
  for (size_t i = 0; i + 1 < t_.size(); ++i) {
    auto found = kUnavailable.find(T(i));
    if (found == kUnavailable.end() || !Is(i + 1, "(") || user_functions_.count(T(i)) || (i > 0 && Is(i - 1, ".")))
      continue;
    messages_ += Where(i) + ": error: intrinsic '" + T(i) + "' " + found->second + "\n";
    return false;
  }
  return true;
}

// Every declaration and definition ends in `;` or `}`; a file cut short inside one (`sampler a; float a`)
// is a syntax error, on which glslang 12 can crash instead of refusing it.
bool Bridger::RejectUnfinishedEnd() {
  if (Is(t_.size() - 1, ";") || Is(t_.size() - 1, "}")) return true;
  messages_ += Where(t_.size() - 1) + ": error: the text ends inside a declaration (no ';' or '}' after '" +
               T(t_.size() - 1) + "')\n";
  return false;
}

// A global declared twice (`sampler a; float a;`) is an error, and glslang 12 crashes on it when the
// types differ instead of refusing it. Besides the declarations that parsed, an item that starts like
// one (`float4 a` not followed by `(`) counts, since glslang reads that far before it gives up.
bool Bridger::RejectRedeclaredGlobals(const std::vector<Item>& items, const std::vector<Declaration>& declarations,
                                      const std::vector<bool>& parsed) {
  std::map<std::string, size_t> first;  // name -> its first declaring token
  for (size_t k = 0; k < items.size(); ++k) {
    std::vector<size_t> names;
    if (parsed[k]) {
      for (const Declarator& decl : declarations[k].declarators) names.push_back(decl.name);
    } else {
      size_t i = items[k].first;
      while (i < items[k].last && IsIdentifier(i) && kQualifiers.count(T(i))) ++i;
      if (IsIdentifier(i) && !Is(i, "struct") && !Is(i, "typedef") && !kTechniqueWords.count(T(i)) &&
          IsIdentifier(i + 1) && !Is(i + 2, "("))
        names.push_back(i + 1);
    }
    for (size_t name : names) {
      auto inserted = first.insert({T(name), name});
      if (inserted.second) continue;
      messages_ += Where(name) + ": error: '" + T(name) + "' is declared again (first at " +
                   Where(inserted.first->second) + ")\n";
      return false;
    }
  }
  return true;
}

// `{}` inside an initialiser list (`float4 a = {{}};`) is no valid initialiser, and glslang 12 crashes
// on it instead of refusing it.
bool Bridger::RejectEmptyNestedInitialisers() {
  std::vector<bool> lists;  // for each open brace: whether it belongs to an initialiser list
  for (size_t i = 0; i < t_.size(); ++i) {
    if (Is(i, "{")) {
      const bool inList = !lists.empty() && lists.back();
      if (inList && Is(i + 1, "}")) {
        messages_ += Where(i) + ": error: empty '{}' inside an initialiser list\n";
        return false;
      }
      lists.push_back(inList || (i > 0 && Is(i - 1, "=")));
    } else if (Is(i, "}") && !lists.empty()) {
      lists.pop_back();
    }
  }
  return true;
}

}  // namespace dx9_bridge
