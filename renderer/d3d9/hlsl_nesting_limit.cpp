#include "renderer/d3d9/hlsl_nesting_limit.h"

#include <vector>

bool CheckHlslNesting(const HlslTokenList& list, std::string* error) {
  std::vector<int> chains(1, 0);  // operators chained at each open level
  int total = 0;                  // open levels + all chains
  for (const HlslToken& token : list.tokens) {
    if (token.kind != HlslTokenKind::kPunct) continue;
    const std::string& t = token.text;
    if (t == "(" || t == "[" || t == "{") {
      chains.push_back(0);
      ++total;
    } else if (t == ")" || t == "]" || t == "}") {
      if (chains.size() > 1) {
        total -= chains.back() + 1;
        chains.pop_back();
      }
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
  return true;
}
