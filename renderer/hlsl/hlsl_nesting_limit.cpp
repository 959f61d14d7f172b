#include "renderer/hlsl/hlsl_nesting_limit.h"

#include <vector>

namespace {

char ClosingOf(const std::string& open) { return open == "(" ? ')' : open == "[" ? ']' : '}'; }

}  // namespace

bool CheckHlslNesting(const HlslTokenList& list, std::string* error) {
  std::vector<int> chains(1, 0);         // operators chained at each open level
  std::vector<const HlslToken*> opened;  // the bracket that opened each level
  int total = 0;                         // open levels + all chains
  for (const HlslToken& token : list.tokens) {
    if (token.kind != HlslTokenKind::kPunct) continue;
    const std::string& t = token.text;
    if (t == "(" || t == "[" || t == "{") {
      chains.push_back(0);
      opened.push_back(&token);
      ++total;
    } else if (t == ")" || t == "]" || t == "}") {
      // glslang 12 dereferences null on some unbalanced brackets (`float a[` at the end of a file), so
      // they are refused here, as the Direct3D 9 compiler refuses them as syntax errors.
      if (opened.empty() || ClosingOf(opened.back()->text) != t[0]) {
        *error = HlslTokenLocation(list, token) + ": error: '" + t + "' without a matching opening bracket";
        return false;
      }
      total -= chains.back() + 1;
      chains.pop_back();
      opened.pop_back();
      ++chains.back();
      ++total;
    } else if (t == "," || t == ";") {
      total -= chains.back();
      chains.back() = 0;
    } else {
      ++chains.back();
      ++total;
    }
    if (total > kMaxHlslNesting) {
      *error = HlslTokenLocation(list, token) + ": error: expression or block nested more than " +
               std::to_string(kMaxHlslNesting) + " levels deep";
      return false;
    }
  }
  if (!opened.empty()) {
    *error = HlslTokenLocation(list, *opened.back()) + ": error: '" + opened.back()->text +
             "' is not closed (no '" + ClosingOf(opened.back()->text) + "' before the end of the file)";
    return false;
  }
  return true;
}
