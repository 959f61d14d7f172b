#include "renderer/hlsl/hlsl_dx9_bridges.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace {

constexpr int kPixelFloatRegisters = 224;
constexpr int kVertexFloatRegisters = 256;
constexpr int kPixelSamplers = 16;
constexpr int kVertexSamplers = 4;

const std::set<std::string> kQualifiers = {
    "static", "uniform",   "extern", "shared",    "const",  "volatile", "row_major", "column_major",
    "inline", "precise",   "snorm",  "unorm",     "linear", "centroid", "nointerpolation",
    "noperspective", "sample", "groupshared"};
const std::set<std::string> kDirections = {"in", "out", "inout"};
const std::set<std::string> kSamplerTypes = {"sampler", "sampler1D", "sampler2D", "sampler3D", "samplerCUBE"};
// Effect-framework objects, which a shader compiled on its own does not use.
const std::set<std::string> kEffectObjectTypes = {"texture",     "texture1D",    "texture2D",   "texture3D",
                                                  "textureCUBE", "Texture",      "TEXTURE",     "VertexShader",
                                                  "PixelShader", "vertexshader", "pixelshader", "string"};
const std::set<std::string> kTechniqueWords = {"technique", "technique10", "technique11"};

// Top-level item: a declaration, a function, a technique... as a range of token indices.
struct Item {
  size_t first;
  size_t last;  // inclusive: the closing `;` or `}`
};

struct NumericType {
  bool known = false;
  int registers = 0;   // c registers of one element
  int components = 0;  // scalars of one element (for grouped initialisers)
  int rows = 0;
  char base = 0;       // 'f' float family, 'i' signed int, 'u' unsigned int, 'b' bool; 0 when templated
};

struct Declarator {
  size_t name = 0;
  size_t nameEnd = 0;     // last token of the name and its array dimensions
  int arraySize = 1;      // -1 when not a plain integer
  bool isArray = false;
  bool hasRegister = false;
  char registerKind = 0;  // 'c', 's', 'b', 'i', ...
  int registerNumber = 0;
  size_t registerFirst = 0, registerLast = 0;  // `register ( ... )`
  bool hasInit = false;
  size_t equals = 0, initFirst = 0, initLast = 0;
};

struct Declaration {
  std::vector<size_t> qualifiers;
  size_t typeToken = 0;
  bool templated = false;
  std::vector<Declarator> declarators;
};

class Bridger {
 public:
  Bridger(const std::string& text, const HlslTokenList& list, bool vertexStage, const std::string& entry)
      : text_(text), list_(list), t_(list.tokens), vertex_(vertexStage), entry_(entry) {
    floatUsed_.assign(static_cast<size_t>(vertex_ ? kVertexFloatRegisters : kPixelFloatRegisters), false);
    samplerUsed_.assign(static_cast<size_t>(vertex_ ? kVertexSamplers : kPixelSamplers), false);
  }

  bool Run(std::string* bridged, std::string* messages);

 private:
  const std::string& T(size_t i) const { return t_[i].text; }
  bool Is(size_t i, const char* s) const { return i < t_.size() && t_[i].text == s; }
  bool IsIdentifier(size_t i) const { return i < t_.size() && t_[i].kind == HlslTokenKind::kIdentifier; }
  std::string Where(size_t i) const { return HlslTokenLocation(list_, t_[i]); }
  std::string Source(size_t first, size_t last) const {
    return text_.substr(t_[first].begin, t_[last].end - t_[first].begin);
  }
  void Remove(size_t first, size_t last) { edits_.push_back({t_[first].begin, t_[last].end, ""}); }
  void Replace(size_t i, const std::string& s) { edits_.push_back({t_[i].begin, t_[i].end, s}); }
  void InsertAfter(size_t i, const std::string& s) { edits_.push_back({t_[i].end, t_[i].end, s}); }
  void InsertBefore(size_t i, const std::string& s) { edits_.push_back({t_[i].begin, t_[i].begin, s}); }

  size_t Matching(size_t open) const;
  std::vector<Item> SplitItems() const;
  bool IsFunction(const Item& item, size_t* nameToken, size_t* openParen) const;
  bool ParseDeclaration(const Item& item, Declaration* d) const;
  NumericType TypeOf(const Declaration& d) const;
  int EvaluateInteger(size_t first, size_t last, bool* ok) const;

  void CollectSamplerUses();
  bool ParseStruct(const Item& item);
  int RegistersOf(const Declaration& d, int depth = 0) const;
  void CollectExplicitRegisters(const Declaration& d);
  void BridgeFunction(const Item& item, size_t name, size_t openParen);
  bool BridgeSamplers(const Declaration& d);
  bool BridgeConstants(const Declaration& d, const Item& item);
  bool NeedsFloatCopy(const Declaration& d) const;
  bool FlattenConstant(const Declaration& d, const Declarator& decl, const std::string& path,
                       const std::string& leaf, int* reg, std::string* declarations, std::string* copies) const;
  bool BridgeCopiedConstant(const Declaration& d, const Item& item, bool* ok);
  bool RejectUnavailableIntrinsics();
  bool RejectUnfinishedEnd();
  bool RejectEmptyNestedInitialisers();
  bool RejectRedeclaredGlobals(const std::vector<Item>& items, const std::vector<Declaration>& declarations,
                               const std::vector<bool>& parsed);
  bool Unreferenced(const Declaration& d) const;
  void BridgeStatic(const Declaration& d, const Item& item);
  void GroupScalarInitialiser(const Declaration& d);
  int Allocate(std::vector<bool>* used, int count) const;
  void NameUnnamedParameter(size_t first, size_t end);
  void RecordUniformParameter(size_t first, size_t end);
  bool BridgeUniformParameters();

  const std::string& text_;
  const HlslTokenList& list_;
  const std::vector<HlslToken>& t_;
  bool vertex_;
  std::string entry_;
  std::vector<HlslEdit> edits_;
  std::string messages_;
  std::vector<bool> floatUsed_;
  std::vector<bool> samplerUsed_;
  std::set<std::string> userFunctions_;
  std::map<std::string, std::string> samplerKinds_;  // untyped sampler name -> type its lookups need
  std::set<std::string> movedStatics_;
  std::string movedAssignments_;
  std::map<std::string, std::vector<Declaration>> structs_;  // structure name -> member declarations
  std::string constantCopies_;  // statements that fill the static copies of struct and int/bool constants
  std::map<std::string, int> identifierCounts_;  // occurrences of each identifier in the text
  size_t entryItem_ = static_cast<size_t>(-1);
  size_t entryBody_ = 0;  // `{` of the entry function
  std::vector<Declaration> uniformParameters_;  // `uniform` parameters of the entry function
};

size_t Bridger::Matching(size_t open) const {
  int depth = 0;
  for (size_t i = open; i < t_.size(); ++i) {
    const std::string& s = t_[i].text;
    if (t_[i].kind != HlslTokenKind::kPunct) continue;
    if (s == "(" || s == "[" || s == "{") ++depth;
    if (s == ")" || s == "]" || s == "}") {
      if (--depth == 0) return i;
    }
  }
  return t_.size();
}

std::vector<Item> Bridger::SplitItems() const {
  std::vector<Item> items;
  size_t i = 0;
  const size_t n = t_.size();
  while (i < n) {
    size_t start = i;
    int depth = 0;
    bool equals = false;
    bool isStruct = Is(i, "struct") || Is(i, "typedef");
    for (; i < n; ++i) {
      if (t_[i].kind != HlslTokenKind::kPunct) continue;
      const std::string& s = T(i);
      if (s == "(" || s == "[" || s == "{") {
        ++depth;
      } else if (s == ")" || s == "]" || s == "}") {
        if (depth > 0) --depth;
        if (s == "}" && depth == 0 && !isStruct && !equals) break;
      } else if (depth == 0 && s == ";") {
        break;
      } else if (depth == 0 && s == "=") {
        equals = true;
      } else if (depth == 0 && s == "<" && !equals) {
        // An annotation (`x < string name = "..."; >`) or a template argument list: skip to its `>` so
        // the `;` inside does not end the item.
        size_t j = i + 1;
        while (j < n && T(j) != ">" && T(j) != "{" && T(j) != "}") ++j;
        if (j < n && T(j) == ">") i = j;
      }
    }
    items.push_back({start, i < n ? i : n - 1});
    ++i;
  }
  return items;
}

bool Bridger::IsFunction(const Item& item, size_t* nameToken, size_t* openParen) const {
  for (size_t i = item.first; i <= item.last; ++i) {
    const std::string& s = T(i);
    if (s == "=" || s == ":" || s == "{" || s == ";" || s == "[") return false;
    if (s == "(") {
      if (i == item.first || !IsIdentifier(i - 1)) return false;
      *nameToken = i - 1;
      *openParen = i;
      return true;
    }
  }
  return false;
}

int Bridger::EvaluateInteger(size_t first, size_t last, bool* ok) const {
  // Integer literals joined by + - * / and parentheses, as array sizes are written.
  size_t pos = first;
  std::function<long()> expression;
  std::function<long()> primary = [&]() -> long {
    if (pos > last) {
      *ok = false;
      return 0;
    }
    if (Is(pos, "(")) {
      ++pos;
      long v = expression();
      if (!Is(pos, ")")) *ok = false;
      ++pos;
      return v;
    }
    if (t_[pos].kind != HlslTokenKind::kNumber) {
      *ok = false;
      return 0;
    }
    const std::string& s = T(pos++);
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 0);
    if (*end != 0 && *end != 'u' && *end != 'U' && *end != 'l' && *end != 'L') *ok = false;
    return v;
  };
  std::function<long()> term = [&]() -> long {
    long v = primary();
    while (*ok && pos <= last && (Is(pos, "*") || Is(pos, "/"))) {
      bool mul = Is(pos++, "*");
      long r = primary();
      if (!mul && r == 0) *ok = false;
      v = mul ? v * r : (r ? v / r : 0);
      if (v > 1 << 20 || v < -(1 << 20)) *ok = false;
    }
    return v;
  };
  expression = [&]() -> long {
    long v = term();
    while (*ok && pos <= last && (Is(pos, "+") || Is(pos, "-"))) {
      bool add = Is(pos++, "+");
      long r = term();
      v = add ? v + r : v - r;
    }
    return v;
  };
  *ok = true;
  long v = expression();
  if (pos != last + 1 || v < 1 || v > (1 << 20)) *ok = false;
  return static_cast<int>(v);
}

bool Bridger::ParseDeclaration(const Item& item, Declaration* d) const {
  size_t i = item.first;
  while (i <= item.last && IsIdentifier(i) && kQualifiers.count(T(i))) d->qualifiers.push_back(i++);
  if (i > item.last || !IsIdentifier(i) || Is(i, "struct") || Is(i, "typedef")) return false;
  d->typeToken = i++;
  if (Is(i, "<")) {
    d->templated = true;
    while (i <= item.last && !Is(i, ">")) ++i;
    ++i;
  }
  while (i <= item.last) {
    if (!IsIdentifier(i)) return false;
    Declarator decl;
    decl.name = decl.nameEnd = i++;
    while (Is(i, "[")) {
      size_t close = Matching(i);
      if (close > item.last) return false;
      decl.isArray = true;
      bool ok = false;
      int size = close > i + 1 ? EvaluateInteger(i + 1, close - 1, &ok) : 0;
      decl.arraySize = (ok && decl.arraySize > 0) ? decl.arraySize * size : -1;
      decl.nameEnd = close;
      i = close + 1;
    }
    while (Is(i, ":")) {
      ++i;
      if (Is(i, "register") && Is(i + 1, "(")) {
        size_t close = Matching(i + 1);
        if (close > item.last) return false;
        size_t reg = i + 2;
        if (Is(reg + 1, ",")) reg += 2;  // register(ps_3_0, c0)
        const std::string& r = T(reg);
        if (IsIdentifier(reg) && r.size() >= 2 && std::isdigit(static_cast<unsigned char>(r[1]))) {
          decl.hasRegister = true;
          decl.registerKind = static_cast<char>(std::tolower(static_cast<unsigned char>(r[0])));
          decl.registerNumber = std::atoi(r.c_str() + 1);
          decl.registerFirst = i;
          decl.registerLast = close;
        }
        i = close + 1;
      } else if (IsIdentifier(i) && Is(i + 1, "(")) {
        i = Matching(i + 1) + 1;  // packoffset(...)
      } else {
        ++i;  // a semantic
      }
    }
    if (Is(i, "<")) {
      while (i <= item.last && !Is(i, ">")) ++i;
      ++i;
    }
    if (Is(i, "=")) {
      decl.hasInit = true;
      decl.equals = i++;
      decl.initFirst = i;
      int depth = 0;
      while (i < item.last) {
        const std::string& s = T(i);
        if (s == "(" || s == "[" || s == "{") ++depth;
        if (s == ")" || s == "]" || s == "}") --depth;
        if (depth == 0 && s == ",") break;
        ++i;
      }
      if (i == decl.initFirst) return false;
      decl.initLast = i - 1;
    }
    d->declarators.push_back(decl);
    if (Is(i, ",")) {
      ++i;
      continue;
    }
    return i == item.last && Is(i, ";");
  }
  return false;
}

NumericType Bridger::TypeOf(const Declaration& d) const {
  NumericType type;
  bool rowMajor = false;
  for (size_t q : d.qualifiers) rowMajor = rowMajor || T(q) == "row_major";
  const std::string& name = T(d.typeToken);
  int rows = 0, columns = 0;
  if (d.templated) {
    // vector<T, N> / matrix<T, R, C>: read the numbers of the argument list.
    std::vector<int> numbers;
    for (size_t i = d.typeToken + 2; i < t_.size() && !Is(i, ">"); ++i) {
      if (t_[i].kind == HlslTokenKind::kNumber) numbers.push_back(std::atoi(T(i).c_str()));
    }
    if (name == "vector" && numbers.size() == 1) rows = 1, columns = numbers[0];
    if (name == "matrix" && numbers.size() == 2) rows = numbers[0], columns = numbers[1];
  } else if (name == "vector") {
    rows = 1, columns = 4, type.base = 'f';
  } else if (name == "matrix") {
    rows = 4, columns = 4, type.base = 'f';
  } else {
    static const char* const kBases[] = {"float",      "half",       "double",    "int",      "uint",
                                         "bool",       "dword",      "min16float", "min10float", "min16int",
                                         "min12int",   "min16uint"};
    for (const char* base : kBases) {
      std::string b = base;
      if (name.compare(0, b.size(), b) != 0) continue;
      type.base = b == "bool" ? 'b' : (b == "uint" || b == "dword" || b == "min16uint") ? 'u'
                  : b.find("int") != std::string::npos ? 'i' : 'f';
      std::string dims = name.substr(b.size());
      if (dims.empty()) {
        rows = columns = 1;
      } else if (dims.size() == 1 && dims[0] >= '1' && dims[0] <= '4') {
        rows = 1, columns = dims[0] - '0';
      } else if (dims.size() == 3 && dims[1] == 'x' && dims[0] >= '1' && dims[0] <= '4' && dims[2] >= '1' &&
                 dims[2] <= '4') {
        rows = dims[0] - '0', columns = dims[2] - '0';
        type.registers = rowMajor ? rows : columns;
      } else {
        continue;
      }
      break;
    }
  }
  if (rows < 1 || rows > 4 || columns < 1 || columns > 4) return type;
  type.known = true;
  type.rows = rows;
  type.components = rows * columns;
  if (type.registers == 0) type.registers = rows == 1 ? 1 : (rowMajor ? rows : columns);
  return type;
}

int Bridger::Allocate(std::vector<bool>* used, int count) const {
  int size = static_cast<int>(used->size());
  for (int start = 0; start + count <= size; ++start) {
    bool free = true;
    for (int k = start; k < start + count && free; ++k) free = !(*used)[static_cast<size_t>(k)];
    if (free) {
      for (int k = start; k < start + count; ++k) (*used)[static_cast<size_t>(k)] = true;
      return start;
    }
  }
  return -1;
}

// `struct NAME { members };`: the members, for the register layout of constants of that type.
bool Bridger::ParseStruct(const Item& item) {
  size_t open = item.first + 2;
  if (!Is(item.first, "struct") || !IsIdentifier(item.first + 1) || !Is(open, "{")) return false;
  size_t close = Matching(open);
  if (close >= item.last || !Is(close + 1, ";") || close + 1 != item.last) return false;
  std::vector<Declaration> members;
  size_t first = open + 1;
  for (size_t i = first; i < close; ++i) {
    if (!Is(i, ";")) continue;
    Declaration member;
    if (!ParseDeclaration({first, i}, &member)) return false;
    members.push_back(member);
    first = i + 1;
  }
  if (first != close || members.empty()) return false;
  structs_[T(item.first + 1)] = members;
  return true;
}

// Registers of one element of a declared type: a structure's members each start a register of their
// own, in order, as the Direct3D 9 compiler lays them out. -1 when the type is not known, nests too deep
// (a structure that contains itself) or is larger than any register file.
int Bridger::RegistersOf(const Declaration& d, int depth) const {
  constexpr int kMaxStructNesting = 16;
  constexpr long long kMaxRegisters = 4096;
  auto found = structs_.find(T(d.typeToken));
  if (found == structs_.end()) {
    NumericType type = TypeOf(d);
    return type.known ? type.registers : -1;
  }
  if (depth >= kMaxStructNesting) return -1;
  long long total = 0;
  for (const Declaration& member : found->second) {
    int each = RegistersOf(member, depth + 1);
    for (const Declarator& decl : member.declarators) {
      if (each < 0 || decl.arraySize < 1) return -1;
      total += static_cast<long long>(each) * decl.arraySize;
      if (total > kMaxRegisters) return -1;
    }
  }
  return static_cast<int>(total);
}

void Bridger::CollectSamplerUses() {
  static const std::map<std::string, std::string> kLookups = {
      {"tex1D", "sampler1D"},   {"tex1Dlod", "sampler1D"},   {"tex1Dbias", "sampler1D"},
      {"tex1Dgrad", "sampler1D"}, {"tex1Dproj", "sampler1D"}, {"tex3D", "sampler3D"},
      {"tex3Dlod", "sampler3D"}, {"tex3Dbias", "sampler3D"}, {"tex3Dgrad", "sampler3D"},
      {"tex3Dproj", "sampler3D"}, {"texCUBE", "samplerCUBE"}, {"texCUBElod", "samplerCUBE"},
      {"texCUBEbias", "samplerCUBE"}, {"texCUBEgrad", "samplerCUBE"}, {"texCUBEproj", "samplerCUBE"},
      {"tex2D", "sampler2D"},   {"tex2Dlod", "sampler2D"},   {"tex2Dbias", "sampler2D"},
      {"tex2Dgrad", "sampler2D"}, {"tex2Dproj", "sampler2D"}};
  for (size_t i = 0; i + 2 < t_.size(); ++i) {
    auto found = kLookups.find(T(i));
    if (found == kLookups.end() || !Is(i + 1, "(") || !IsIdentifier(i + 2)) continue;
    auto inserted = samplerKinds_.insert({T(i + 2), found->second});
    if (!inserted.second && inserted.first->second != found->second) inserted.first->second = "";  // mixed
  }
}

void Bridger::CollectExplicitRegisters(const Declaration& d) {
  bool sampler = kSamplerTypes.count(T(d.typeToken)) > 0;
  const int registers = RegistersOf(d);
  for (const Declarator& decl : d.declarators) {
    if (!decl.hasRegister) continue;
    if (sampler && decl.registerKind == 's') {
      int count = decl.arraySize > 0 ? decl.arraySize : 1;
      for (int k = 0; k < count; ++k) {
        size_t r = static_cast<size_t>(decl.registerNumber + k);
        if (r < samplerUsed_.size()) samplerUsed_[r] = true;
      }
    } else if (!sampler && decl.registerKind == 'c') {
      const long long count = static_cast<long long>(registers > 0 ? registers : 1) *
                              (decl.arraySize > 0 ? decl.arraySize : 1);
      const long long end =
          std::min<long long>(decl.registerNumber + count, static_cast<long long>(floatUsed_.size()));
      for (long long r = decl.registerNumber; r < end; ++r) floatUsed_[static_cast<size_t>(r)] = true;
    }
  }
}

void Bridger::BridgeFunction(const Item& item, size_t name, size_t openParen) {
  userFunctions_.insert(T(name));
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
  entryItem_ = item.first;
  entryBody_ = body;
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

// A `uniform` parameter of the entry function is a constant like a global: one without a register is
// given the next free one after the globals, as the Direct3D 9 compiler does.
void Bridger::RecordUniformParameter(size_t first, size_t end) {
  Declaration d;
  size_t i = first;
  while (i < end && IsIdentifier(i) && kQualifiers.count(T(i))) d.qualifiers.push_back(i++);
  bool uniform = false;
  for (size_t q : d.qualifiers) uniform = uniform || T(q) == "uniform";
  if (!uniform || i + 1 >= end || !IsIdentifier(i) || !IsIdentifier(i + 1)) return;
  d.typeToken = i;
  Declarator decl;
  decl.name = decl.nameEnd = i + 1;
  for (size_t k = i + 2; k < end; ++k) {
    if (!Is(k, "register")) continue;
    decl.hasRegister = true;
    const std::string r = k + 2 < end ? T(k + 2) : "";
    NumericType type = TypeOf(d);
    if (r.size() >= 2 && (r[0] == 'c' || r[0] == 'C') && type.known) {
      for (int n = std::atoi(r.c_str() + 1), last = n + type.registers; n < last; ++n) {
        if (n >= 0 && static_cast<size_t>(n) < floatUsed_.size()) floatUsed_[static_cast<size_t>(n)] = true;
      }
    }
  }
  if (decl.hasRegister || Is(i + 2, "[") || kSamplerTypes.count(T(i))) return;
  d.declarators.push_back(decl);
  uniformParameters_.push_back(d);
}

bool Bridger::BridgeUniformParameters() {
  for (const Declaration& d : uniformParameters_) {
    NumericType type = TypeOf(d);
    if (!type.known) continue;
    const Declarator& decl = d.declarators[0];
    int reg = Allocate(&floatUsed_, type.registers);
    if (reg < 0) {
      messages_ += Where(decl.name) + ": error: no free constant register for '" + T(decl.name) + "'\n";
      return false;
    }
    InsertAfter(decl.nameEnd, " : register(c" + std::to_string(reg) + ")");
  }
  return true;
}

bool Bridger::BridgeSamplers(const Declaration& d) {
  // `sampler s = sampler_state { ... };` -> `sampler s;`
  for (const Declarator& decl : d.declarators) {
    if (decl.hasInit && Is(decl.initFirst, "sampler_state")) Remove(decl.equals, decl.initLast);
  }
  if (T(d.typeToken) == "sampler" && d.declarators.size() == 1) {
    auto kind = samplerKinds_.find(T(d.declarators[0].name));
    if (kind != samplerKinds_.end() && !kind->second.empty() && kind->second != "sampler2D") {
      Replace(d.typeToken, kind->second);
    }
  }
  for (const Declarator& decl : d.declarators) {
    if (decl.hasRegister && decl.registerKind == 's') continue;
    int count = decl.arraySize > 0 ? decl.arraySize : 1;
    int reg = Allocate(&samplerUsed_, count);
    if (reg < 0) {
      messages_ += Where(decl.name) + ": error: no free sampler register for '" + T(decl.name) + "'\n";
      return false;
    }
    std::string clause = "register(s" + std::to_string(reg) + ")";
    if (decl.hasRegister) {
      edits_.push_back({t_[decl.registerFirst].begin, t_[decl.registerLast].end, clause});
    } else {
      InsertAfter(decl.nameEnd, " : " + clause);
    }
  }
  return true;
}

bool Bridger::BridgeConstants(const Declaration& d, const Item& item) {
  NumericType type = TypeOf(d);
  bool allInitialisedWithoutRegister = true;
  for (const Declarator& decl : d.declarators) {
    allInitialisedWithoutRegister = allInitialisedWithoutRegister && decl.hasInit && !decl.hasRegister;
  }
  if (allInitialisedWithoutRegister) {
    // Nothing can set such a global (the player sets registers by number): keep the written value.
    for (size_t q : d.qualifiers) {
      if (T(q) == "uniform" || T(q) == "extern" || T(q) == "shared") Remove(q, q);
    }
    InsertBefore(item.first, "static ");
    return true;
  }
  for (const Declarator& decl : d.declarators) {
    if (decl.hasRegister && decl.hasInit) {
      messages_ += Where(decl.name) + ": warning: the initial value of '" + T(decl.name) +
                   "' is not used: its value comes from its register\n";
    }
  }
  bool ok = true;
  if (BridgeCopiedConstant(d, item, &ok)) return ok;
  for (const Declarator& decl : d.declarators) {
    if (decl.hasRegister && decl.registerKind == 'c') continue;
    if (!type.known || decl.arraySize < 1) continue;  // forms not covered: left to glslang's packing
    int count = type.registers * decl.arraySize;
    int reg = Allocate(&floatUsed_, count);
    if (reg < 0) {
      messages_ += Where(decl.name) + ": error: no free constant register for '" + T(decl.name) + "'\n";
      return false;
    }
    std::string clause = "register(c" + std::to_string(reg) + ")";
    if (decl.hasRegister) {
      edits_.push_back({t_[decl.registerFirst].begin, t_[decl.registerLast].end, clause});
    } else {
      InsertAfter(decl.nameEnd, " : " + clause);
    }
  }
  return true;
}

// Structures and int/bool types cannot share the float register file that the device feeds: such a
// constant is declared as the float constants it is made of, one per register range, and the name the
// shader uses becomes a static copy, filled from them at the start of the entry function.
bool Bridger::NeedsFloatCopy(const Declaration& d) const {
  if (structs_.count(T(d.typeToken))) return true;
  NumericType type = TypeOf(d);
  return type.known && type.rows == 1 && (type.base == 'i' || type.base == 'u' || type.base == 'b');
}

bool Bridger::FlattenConstant(const Declaration& d, const Declarator& decl, const std::string& path,
                              const std::string& leaf, int* reg, std::string* declarations,
                              std::string* copies) const {
  if (decl.arraySize < 1) return false;
  const int elements = decl.isArray ? decl.arraySize : 1;
  auto found = structs_.find(T(d.typeToken));
  if (found != structs_.end()) {
    if (decl.isArray && !Is(decl.name + 1, "[")) return false;
    if (decl.isArray && Matching(decl.name + 1) != decl.nameEnd) return false;  // one dimension only
    for (int k = 0; k < elements; ++k) {
      const std::string index = std::to_string(k);
      const std::string elementPath = decl.isArray ? path + "[" + index + "]" : path;
      const std::string elementLeaf = decl.isArray ? leaf + "_" + index : leaf;
      for (const Declaration& member : found->second) {
        for (const Declarator& m : member.declarators) {
          if (!FlattenConstant(member, m, elementPath + "." + T(m.name), elementLeaf + "_" + T(m.name), reg,
                               declarations, copies)) {
            return false;
          }
        }
      }
    }
    return true;
  }
  NumericType type = TypeOf(d);
  if (!type.known || d.templated) return false;
  std::string floatType = T(d.typeToken);
  if (type.base != 'f') {
    if (type.rows != 1) return false;
    floatType = type.components == 1 ? "float" : "float" + std::to_string(type.components);
  }
  std::string qualifiers;
  for (size_t q : d.qualifiers) {
    if (T(q) == "row_major" || T(q) == "column_major") qualifiers += T(q) + " ";
  }
  const std::string dims = decl.isArray ? Source(decl.name + 1, decl.nameEnd) : "";
  *declarations += qualifiers + floatType + " " + leaf + dims + " : register(c" + std::to_string(*reg) + "); ";
  *reg += type.registers * elements;
  auto converted = [&](const std::string& from) {
    if (type.base == 'b') return "(" + from + " != 0)";
    if (type.base == 'i' || type.base == 'u') return "(" + T(d.typeToken) + ")(" + from + ")";
    return from;
  };
  if (!decl.isArray) {
    *copies += " " + path + " = " + converted(leaf) + ";";
  } else {
    // Element by element: the float register file is indexed per register, not copied as an array.
    if (Matching(decl.name + 1) != decl.nameEnd) return false;  // one dimension only
    *copies += " for (int tq_k = 0; tq_k < " + std::to_string(elements) + "; ++tq_k) " + path + "[tq_k] = " +
               converted(leaf + "[tq_k]") + ";";
  }
  return true;
}

// Rewrites a structure or int/bool constant declared before the entry function as described above.
// False when the declaration is not such a constant (or has a form this does not cover); *ok turns false
// when its registers cannot be found.
bool Bridger::BridgeCopiedConstant(const Declaration& d, const Item& item, bool* ok) {
  if (entryItem_ == static_cast<size_t>(-1) || item.first > entryItem_ || !NeedsFloatCopy(d)) return false;
  const int registers = RegistersOf(d);
  if (registers < 1) return false;
  std::string replacement, copies;
  std::vector<bool> used = floatUsed_;
  const std::string typeText = Source(d.typeToken, d.typeToken);
  for (const Declarator& decl : d.declarators) {
    if (decl.arraySize < 1) return false;
    const long long count = static_cast<long long>(registers) * decl.arraySize;
    const long long limit = static_cast<long long>(used.size());
    int reg = -1;
    if (count <= limit) {
      reg = decl.hasRegister && decl.registerKind == 'c' ? decl.registerNumber
                                                         : Allocate(&used, static_cast<int>(count));
    }
    if (reg < 0 || reg + count > limit) {
      messages_ += Where(decl.name) + ": error: no free constant register for '" + T(decl.name) + "'\n";
      *ok = false;
      return true;
    }
    const std::string dims = decl.isArray ? Source(decl.name + 1, decl.nameEnd) : "";
    replacement += "static " + typeText + " " + T(decl.name) + dims + "; ";
    if (!FlattenConstant(d, decl, T(decl.name), "tq_c_" + T(decl.name), &reg, &replacement, &copies)) return false;
  }
  floatUsed_ = used;
  for (const Declarator& decl : d.declarators) movedStatics_.insert(T(decl.name));
  constantCopies_ += copies;
  edits_.push_back({t_[item.first].begin, t_[item.last].end, replacement});
  return true;
}

// A global declaration none of whose names is used anywhere else in the shader, and that names no
// register of its own.
bool Bridger::Unreferenced(const Declaration& d) const {
  for (const Declarator& decl : d.declarators) {
    auto found = identifierCounts_.find(T(decl.name));
    if (decl.hasRegister || (found != identifierCounts_.end() && found->second > 1)) return false;
  }
  return !d.declarators.empty();
}

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
    if (found == kUnavailable.end() || !Is(i + 1, "(") || userFunctions_.count(T(i)) || (i > 0 && Is(i - 1, ".")))
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

void Bridger::BridgeStatic(const Declaration& d, const Item& item) {
  if (d.declarators.size() != 1) return;
  const Declarator& decl = d.declarators[0];
  if (!decl.hasInit || decl.isArray || entryItem_ == static_cast<size_t>(-1) || item.first > entryItem_) return;
  bool move = false;
  for (size_t i = decl.initFirst; i <= decl.initLast; ++i) {
    if (!IsIdentifier(i)) continue;
    if ((userFunctions_.count(T(i)) && Is(i + 1, "(")) || movedStatics_.count(T(i))) move = true;
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
  movedAssignments_ += " " + T(decl.name) + " = (" + init + ");";
  movedStatics_.insert(T(decl.name));
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

bool Bridger::Run(std::string* bridged, std::string* messages) {
  if (t_.empty()) {
    *bridged = text_;
    return true;
  }
  std::vector<Item> items = SplitItems();
  std::vector<Declaration> declarations(items.size());
  std::vector<bool> parsed(items.size(), false);
  CollectSamplerUses();
  for (const HlslToken& token : t_) {
    if (token.kind == HlslTokenKind::kIdentifier) ++identifierCounts_[token.text];
  }
  // First pass: functions (names, the entry function) and the registers written in the file.
  for (size_t k = 0; k < items.size(); ++k) {
    size_t name = 0, paren = 0;
    if (kTechniqueWords.count(T(items[k].first))) continue;
    if (IsFunction(items[k], &name, &paren)) {
      BridgeFunction(items[k], name, paren);
      continue;
    }
    if (ParseStruct(items[k])) continue;
    parsed[k] = ParseDeclaration(items[k], &declarations[k]);
    if (parsed[k]) CollectExplicitRegisters(declarations[k]);
  }
  // Second pass: rewrite declarations in order, so registers are handed out in declaration order.
  bool ok = RejectUnfinishedEnd() && RejectUnavailableIntrinsics() && RejectEmptyNestedInitialisers() &&
            RejectRedeclaredGlobals(items, declarations, parsed);
  for (size_t k = 0; k < items.size() && ok; ++k) {
    const Item& item = items[k];
    if (kTechniqueWords.count(T(item.first))) {
      Remove(item.first, item.last);
      continue;
    }
    if (!parsed[k]) continue;
    const Declaration& d = declarations[k];
    const std::string& type = T(d.typeToken);
    bool isStatic = false;
    for (size_t q : d.qualifiers) isStatic = isStatic || T(q) == "static";
    if (kEffectObjectTypes.count(type)) {
      Remove(item.first, item.last);
    } else if (Unreferenced(d)) {
      // The Direct3D 9 compiler gives a constant or sampler that the shader never reads no register, so
      // it does not push the ones after it to higher registers: a sampler goes, a constant stays as a
      // static global without a register.
      if (kSamplerTypes.count(type)) {
        Remove(item.first, item.last);
      } else if (!isStatic) {
        for (size_t q : d.qualifiers) {
          if (T(q) == "uniform" || T(q) == "extern" || T(q) == "shared" || T(q) == "const") Remove(q, q);
        }
        InsertBefore(item.first, "static ");
      }
    } else if (kSamplerTypes.count(type)) {
      ok = BridgeSamplers(d);
    } else if (isStatic) {
      GroupScalarInitialiser(d);
      BridgeStatic(d, item);
    } else {
      GroupScalarInitialiser(d);
      ok = BridgeConstants(d, item);
    }
  }
  ok = ok && BridgeUniformParameters();
  if (ok && !(constantCopies_ + movedAssignments_).empty()) {
    InsertAfter(entryBody_, constantCopies_ + movedAssignments_);
  }
  *messages += messages_;
  if (!ok) return false;
  *bridged = ApplyHlslEdits(text_, edits_);
  return true;
}

}  // namespace

bool BridgeDx9Hlsl(const std::string& text, const HlslTokenList& tokens, bool vertexStage,
                   const std::string& entryPoint, std::string* bridged, std::string* messages) {
  Bridger bridger(text, tokens, vertexStage, entryPoint);
  return bridger.Run(bridged, messages);
}
