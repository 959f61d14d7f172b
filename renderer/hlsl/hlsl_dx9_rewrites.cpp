// Text rewrites of a bridging run: function signatures, untyped samplers, statics whose initial value
// is a call, and initialiser lists written as plain numbers.
#include "renderer/hlsl/hlsl_dx9_bridger.h"

namespace dx9_bridge {

void Bridger::CollectSamplerUses() {
  static const std::map<std::string, std::string> kLookups = {
      {"tex1D", "sampler1D"},         {"tex1Dlod", "sampler1D"},      {"tex1Dbias", "sampler1D"},
      {"tex1Dgrad", "sampler1D"},     {"tex1Dproj", "sampler1D"},     {"tex3D", "sampler3D"},
      {"tex3Dlod", "sampler3D"},      {"tex3Dbias", "sampler3D"},     {"tex3Dgrad", "sampler3D"},
      {"tex3Dproj", "sampler3D"},     {"texCUBE", "samplerCUBE"},     {"texCUBElod", "samplerCUBE"},
      {"texCUBEbias", "samplerCUBE"}, {"texCUBEgrad", "samplerCUBE"}, {"texCUBEproj", "samplerCUBE"},
      {"tex2D", "sampler2D"},         {"tex2Dlod", "sampler2D"},      {"tex2Dbias", "sampler2D"},
      {"tex2Dgrad", "sampler2D"},     {"tex2Dproj", "sampler2D"}};
  for (size_t i = 0; i + 2 < t_.size(); ++i) {
    auto found = kLookups.find(T(i));
    if (found == kLookups.end() || !Is(i + 1, "(") || !IsIdentifier(i + 2)) continue;
    auto inserted = sampler_kinds_.insert({T(i + 2), found->second});
    if (!inserted.second && inserted.first->second != found->second) inserted.first->second = "";  // mixed
  }
}

void Bridger::BridgeFunction(const Item& item, size_t name, size_t openParen) {
  user_functions_.insert(T(name));
  for (size_t i = item.first; i < name; ++i) {
    if (Is(i, "const")) Remove(i, i);  // `const float4 f()`: glslang rejects a const return type
  }
  if (T(name) != entry_ || !Is(item.last, "}")) return;
  size_t closeParen = Matching(openParen);
  // A parameter list that is not closed before the end of the item, or no body: nothing to bridge;
  // glslang reports the syntax error.
  if (closeParen >= item.last) return;
  size_t body = closeParen;
  while (body < item.last && !Is(body, "{")) ++body;
  if (body >= item.last) return;
  entry_item_ = item.first;
  entry_body_ = body;
  // Parameters: `in float2 vpos : VPOS` -> `float2 vpos : VPOS`.
  size_t start = openParen + 1;
  for (size_t i = start; i <= closeParen; ++i) {
    if (i < closeParen && T(i) != ",") {
      if (T(i) == "(" || T(i) == "[") i = Matching(i);
      continue;
    }
    bool vpos = false;
    size_t inToken = 0;
    for (size_t k = start; k < i; ++k) {
      std::string upper = T(k);
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (Is(k - 1, ":") && upper == "VPOS") vpos = true;
      if (Is(k, "in") && !Is(k - 1, ":")) inToken = k;
    }
    if (vpos && inToken) Remove(inToken, inToken);
    NameUnnamedParameter(start, i);
    RecordUniformParameter(start, i);
    start = i + 1;
  }
}

// An entry-function parameter written without a name (`float4 main(float2 : TEXCOORD0)`) gets one:
// glslang 12 dereferences null on it, while it is valid HLSL.
void Bridger::NameUnnamedParameter(size_t first, size_t end) {
  size_t i = first;
  while (i < end && IsIdentifier(i) && (kQualifiers.count(T(i)) || kDirections.count(T(i)))) ++i;
  if (i >= end || !IsIdentifier(i) || T(i) == "void") return;
  if (i + 1 < end && !Is(i + 1, ":") && !Is(i + 1, "=") && !Is(i + 1, "[")) return;  // named
  InsertAfter(i, " tq_unnamed_" + std::to_string(i));
}

void Bridger::BridgeStatic(const Declaration& d, const Item& item) {
  if (d.declarators.size() != 1) return;
  const Declarator& decl = d.declarators[0];
  if (!decl.hasInit || decl.isArray || entry_item_ == static_cast<size_t>(-1) || item.first > entry_item_) return;
  bool move = false;
  for (size_t i = decl.initFirst; i <= decl.initLast; ++i) {
    if (!IsIdentifier(i)) continue;
    if ((user_functions_.count(T(i)) && Is(i + 1, "(")) || moved_statics_.count(T(i))) move = true;
  }
  if (!move) return;
  for (size_t q : d.qualifiers) {
    if (T(q) == "const") Remove(q, q);
  }
  std::string init = Source(decl.initFirst, decl.initLast);
  for (char& c : init) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  Remove(decl.equals, decl.initLast);
  moved_assignments_ += " " + T(decl.name) + " = (" + init + ");";
  moved_statics_.insert(T(decl.name));
}

void Bridger::GroupScalarInitialiser(const Declaration& d) {
  if (d.templated) return;
  NumericType type = TypeOf(d);
  if (!type.known || type.components < 2) return;
  for (const Declarator& decl : d.declarators) {
    if (!decl.hasInit || !decl.isArray || !Is(decl.initFirst, "{") || Matching(decl.initFirst) != decl.initLast) {
      continue;
    }
    std::vector<std::string> values;
    bool plain = true;
    for (size_t i = decl.initFirst + 1; i < decl.initLast && plain; ++i) {
      std::string value;
      if (Is(i, "-") || Is(i, "+")) value = T(i++);
      if (i >= decl.initLast || t_[i].kind != HlslTokenKind::kNumber) {
        plain = false;
        break;
      }
      values.push_back(value + T(i));
      if (i + 1 < decl.initLast && !Is(++i, ",")) plain = false;
    }
    size_t per = static_cast<size_t>(type.components);
    if (!plain || values.empty() || values.size() % per != 0) continue;
    std::string grouped;
    for (size_t k = 0; k < values.size(); k += per) {
      grouped += (k ? ", " : "") + T(d.typeToken) + "(";
      for (size_t j = 0; j < per; ++j) grouped += (j ? ", " : "") + values[k + j];
      grouped += ")";
    }
    edits_.push_back({t_[decl.initFirst].end, t_[decl.initLast].begin, grouped});
  }
}

}  // namespace dx9_bridge
