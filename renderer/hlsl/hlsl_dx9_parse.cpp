// Reading the token list of a bridging run: top-level items, declarations, their types and the
// integer constant expressions of array sizes and registers.
#include "renderer/hlsl/hlsl_dx9_bridger.h"

#include <cctype>
#include <cstdlib>
#include <functional>

namespace dx9_bridge {

const std::set<std::string> kQualifiers = {"static", "uniform",    "extern",          "shared",
                                           "const",  "volatile",   "row_major",       "column_major",
                                           "inline", "precise",    "snorm",           "unorm",
                                           "linear", "centroid",   "nointerpolation", "noperspective",
                                           "sample", "groupshared"};
const std::set<std::string> kDirections = {"in", "out", "inout"};
const std::set<std::string> kSamplerTypes = {"sampler", "sampler1D", "sampler2D", "sampler3D", "samplerCUBE"};
// Effect-framework objects, which a shader compiled on its own does not use.
const std::set<std::string> kEffectObjectTypes = {"texture",     "texture1D",    "texture2D",   "texture3D",
                                                  "textureCUBE", "Texture",      "TEXTURE",     "VertexShader",
                                                  "PixelShader", "vertexshader", "pixelshader", "string"};
const std::set<std::string> kTechniqueWords = {"technique", "technique10", "technique11"};

bool SplitNumericType(const std::string& name, std::string* base, int* rows, int* columns, bool* matrix) {
  static const char* const kBases[] = {"float", "half",       "double",     "int",      "uint",     "bool",
                                       "dword", "min16float", "min10float", "min16int", "min12int", "min16uint"};
  for (const char* candidate : kBases) {
    const std::string b = candidate;
    if (name.compare(0, b.size(), b) != 0) continue;
    const std::string dims = name.substr(b.size());
    *base = b;
    *matrix = false;
    if (dims.empty()) {
      *rows = *columns = 1;
      return true;
    }
    if (dims.size() == 1 && dims[0] >= '1' && dims[0] <= '4') {
      *rows = 1, *columns = dims[0] - '0';
      return true;
    }
    if (dims.size() == 3 && dims[1] == 'x' && dims[0] >= '1' && dims[0] <= '4' && dims[2] >= '1' &&
        dims[2] <= '4') {
      *rows = dims[0] - '0', *columns = dims[2] - '0', *matrix = true;
      return true;
    }
  }
  return false;
}

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
    std::string base;
    bool matrix = false;
    if (SplitNumericType(name, &base, &rows, &columns, &matrix)) {
      type.base = base == "bool"                                               ? 'b'
                  : (base == "uint" || base == "dword" || base == "min16uint") ? 'u'
                  : base.find("int") != std::string::npos                      ? 'i'
                                                                               : 'f';
      if (matrix) type.registers = rowMajor ? rows : columns;
    }
  }
  if (rows < 1 || rows > 4 || columns < 1 || columns > 4) return type;
  type.known = true;
  type.rows = rows;
  type.components = rows * columns;
  if (type.registers == 0) type.registers = rows == 1 ? 1 : (rowMajor ? rows : columns);
  return type;
}

}  // namespace dx9_bridge
