// Initialiser lists in braces, as the Direct3D 9 compiler reads them: every brace is flattened and the
// components fill the declared object in order, element by element, member by member, a matrix row by
// row, however the list groups them (`float3x3 m = {a.rgb, 1, 1, 1, b.rgb};`, `S s[2] = {1, 2, 3, 4};`).
// glslang wants one list entry per element, member or matrix row, so the list is rebuilt in that form:
// vectors and matrices become constructors, structures and arrays nested braces, and a list entry that
// spans two of them is split by a swizzle. This needs the number of components of every entry; a list
// with an entry whose size is not known here (a call of a user function, a structure member...) is left
// as written, for glslang to take or refuse.
#include "renderer/hlsl/hlsl_dx9_bridger.h"

#include <algorithm>

namespace dx9_bridge {

namespace {

constexpr int kMaxWidthDepth = 64;

const std::set<std::string> kScalarIntrinsics = {"dot", "length", "distance", "determinant", "any", "all"};
const std::set<std::string> kComponentwiseIntrinsics = {
    "abs",  "acos",       "asin", "atan",    "atan2",   "ceil",    "clamp", "cos",   "cosh",     "degrees", "ddx",
    "ddy",  "exp",        "exp2", "floor",   "fmod",    "frac",    "lerp",  "log",   "log10",    "log2",    "max",
    "min",  "normalize",  "pow",  "radians", "reflect", "refract", "round", "rsqrt", "saturate", "sign",    "sin",
    "sinh", "smoothstep", "sqrt", "step",    "tan",     "tanh",    "trunc", "fwidth"};

bool IsSwizzle(const std::string& s) {
  if (s.empty() || s.size() > 4) return false;
  const bool xyzw = s.find_first_not_of("xyzw") == std::string::npos;
  const bool rgba = s.find_first_not_of("rgba") == std::string::npos;
  return xyzw || rgba;
}

}  // namespace

// Components of a numeric type name, 0 for anything else.
int Bridger::ComponentsOfType(const std::string& name, bool* matrix) const {
  std::string base;
  int rows = 0, columns = 0;
  bool isMatrix = false;
  if (!SplitNumericType(name, &base, &rows, &columns, &isMatrix)) return 0;
  if (matrix && isMatrix && rows > 1 && columns > 1) *matrix = true;
  return rows * columns;
}

// Components of the expression tokens first..last, 0 when not known here. *matrix tells whether it may be
// a matrix (which a vector swizzle cannot split).
int Bridger::WidthOf(size_t first, size_t last, bool* matrix, int depth) const {
  if (first > last || last >= t_.size() || depth > kMaxWidthDepth) return 0;
  // Binary + - * / % at the top level, the lowest precedence first; anything else at the top level
  // (comparisons, ?:, assignments) is not worked out.
  for (const std::set<std::string>& ops :
       {std::set<std::string>{"+", "-"}, std::set<std::string>{"*", "/", "%"}}) {
    int nesting = 0;
    for (size_t k = last; k > first; --k) {
      if (Is(k, ")") || Is(k, "]")) ++nesting;
      if (Is(k, "(") || Is(k, "[")) --nesting;
      if (nesting != 0 || !ops.count(T(k))) continue;
      const bool operandBefore = IsIdentifier(k - 1) || t_[k - 1].kind == HlslTokenKind::kNumber ||
                                 Is(k - 1, ")") || Is(k - 1, "]");
      if (!operandBefore) continue;  // a unary sign
      const int left = WidthOf(first, k - 1, matrix, depth + 1);
      const int right = WidthOf(k + 1, last, matrix, depth + 1);
      if (!left || !right) return 0;
      return left == 1 ? right : right == 1 ? left : std::min(left, right);
    }
  }
  int nesting = 0;
  for (size_t k = first; k <= last; ++k) {
    if (Is(k, "(") || Is(k, "[")) ++nesting;
    if (Is(k, ")") || Is(k, "]")) --nesting;
    if (nesting == 0 && t_[k].kind == HlslTokenKind::kPunct && !Is(k, ")") && !Is(k, "]") && !Is(k, ".") &&
        !(k == first && (Is(k, "-") || Is(k, "+") || Is(k, "(")))) {
      return 0;
    }
  }
  if (Is(first, "-") || Is(first, "+")) return WidthOf(first + 1, last, matrix, depth + 1);
  if (first == last) {
    if (t_[first].kind == HlslTokenKind::kNumber || Is(first, "true") || Is(first, "false")) return 1;
    auto found = name_types_.find(T(first));
    if (!IsIdentifier(first) || found == name_types_.end() || found->second.isArray) return 0;
    return ComponentsOfType(found->second.type, matrix);
  }
  if (Is(first, "(") && Matching(first) == last) return WidthOf(first + 1, last - 1, matrix, depth + 1);
  if (Is(first, "(") && IsIdentifier(first + 1) && Is(first + 2, ")") && first + 3 <= last) {
    return ComponentsOfType(T(first + 1), matrix);  // a cast
  }
  if (IsIdentifier(first) && Is(first + 1, "(") && Matching(first + 1) == last) {
    const std::string& name = T(first);
    if (const int components = ComponentsOfType(name, matrix)) return components;
    if (user_functions_.count(name)) return 0;
    if (kScalarIntrinsics.count(name)) return 1;
    if (name == "cross") return 3;
    if (name.compare(0, 3, "tex") == 0) return 4;
    if (!kComponentwiseIntrinsics.count(name)) return 0;
    int widest = 0;
    size_t start = first + 2;
    for (size_t k = start; k <= last; ++k) {
      if (Is(k, "(") || Is(k, "[")) {
        k = Matching(k);
        continue;
      }
      if (!Is(k, ",") && k != last) continue;
      const int width = WidthOf(start, k - 1, matrix, depth + 1);
      if (!width) return 0;
      widest = std::max(widest, width);
      start = k + 1;
    }
    return widest;
  }
  if (Is(last - 1, ".") && IsIdentifier(last)) return IsSwizzle(T(last)) ? static_cast<int>(T(last).size()) : 0;
  if (Is(last, "]") && IsIdentifier(first) && Is(first + 1, "[") && Matching(first + 1) == last) {
    auto found = name_types_.find(T(first));
    if (found == name_types_.end()) return 0;
    bool isMatrix = false;
    std::string base;
    int rows = 0, columns = 0;
    if (!SplitNumericType(found->second.type, &base, &rows, &columns, &isMatrix)) return 0;
    if (found->second.isArray) return ComponentsOfType(found->second.type, matrix);
    return isMatrix ? columns : 1;  // a matrix row, or one component
  }
  return 0;
}

// Fills `type` (with array dimensions `dims` from `dim` on) from the entries, writing its initialiser to
// *out. False when the entries do not fit it.
bool Bridger::EmitInitialiser(const std::string& type, const std::vector<int>& dims, size_t dim,
                              std::vector<ListEntry>* entries, size_t* cursor, std::string* out, int depth) const {
  static const char kLetters[] = "xyzw";
  if (depth > kMaxWidthDepth) return false;
  if (dim < dims.size()) {
    *out += "{";
    for (int k = 0; k < dims[dim]; ++k) {
      if (k) *out += ", ";
      if (!EmitInitialiser(type, dims, dim + 1, entries, cursor, out, depth + 1)) return false;
    }
    *out += "}";
    return true;
  }
  auto structure = structs_.find(type);
  if (structure != structs_.end()) {
    *out += "{";
    bool firstMember = true;
    for (const Declaration& member : structure->second) {
      for (const Declarator& decl : member.declarators) {
        std::vector<int> memberDims;
        if (!DimensionsOf(decl, &memberDims)) return false;
        if (!firstMember) *out += ", ";
        firstMember = false;
        if (!EmitInitialiser(T(member.typeToken), memberDims, 0, entries, cursor, out, depth + 1)) return false;
      }
    }
    *out += "}";
    return true;
  }
  const int components = ComponentsOfType(type, nullptr);
  if (!components) return false;
  std::string parts;
  for (int need = components; need > 0;) {
    if (*cursor >= entries->size()) return false;
    ListEntry& entry = (*entries)[*cursor];
    const int take = std::min(entry.width - entry.used, need);
    if (take == entry.width) {
      parts += (parts.empty() ? "" : ", ") + Source(entry.first, entry.last);
    } else {
      if (entry.matrix) return false;
      std::string swizzle;
      for (int k = entry.used; k < entry.used + take; ++k) swizzle += kLetters[k];
      parts += (parts.empty() ? "(" : ", (") + Source(entry.first, entry.last) + ")." + swizzle;
    }
    entry.used += take;
    need -= take;
    if (entry.used == entry.width) ++*cursor;
  }
  *out += components == 1 ? parts : type + "(" + parts + ")";
  return true;
}

bool Bridger::DimensionsOf(const Declarator& decl, std::vector<int>* dims) const {
  for (size_t i = decl.name + 1; i < decl.nameEnd && Is(i, "[");) {
    const size_t close = Matching(i);
    bool ok = false;
    const int size = close > i + 1 && close <= decl.nameEnd ? EvaluateInteger(i + 1, close - 1, &ok) : 0;
    if (!ok) return false;
    dims->push_back(size);
    i = close + 1;
  }
  return true;
}

// The declaration whose initial value starts at the `{` after `equals`: its type and array dimensions.
bool Bridger::InitialisedDeclaration(size_t equals, std::string* type, std::vector<int>* dims) const {
  // Back over `: register(...)`, semantics and array dimensions to the name.
  size_t k = equals - 1;
  while (k > 1) {
    if (Is(k, ")")) {
      size_t open = k;
      for (int nesting = 0; open > 0; --open) {
        if (Is(open, ")")) ++nesting;
        if (Is(open, "(") && --nesting == 0) break;
      }
      if (open < 2 || !IsIdentifier(open - 1) || !Is(open - 2, ":")) return false;
      k = open - 3;
    } else if (IsIdentifier(k) && Is(k - 1, ":")) {
      k -= 2;
    } else {
      break;
    }
  }
  size_t nameEnd = k;
  while (Is(k, "]")) {
    for (int nesting = 0; k > 0; --k) {
      if (Is(k, "]")) ++nesting;
      if (Is(k, "[") && --nesting == 0) break;
    }
    if (k == 0) return false;
    --k;
  }
  if (!IsIdentifier(k) || k == 0) return false;
  Declarator decl;
  decl.name = k;
  decl.nameEnd = nameEnd;
  if (!DimensionsOf(decl, dims)) return false;
  size_t typeToken = k - 1;
  if (Is(typeToken, ",")) {
    // `float a = 1, m = {...};`: the type stands after the qualifiers at the start of the statement.
    typeToken = k;
    for (int nesting = 0; typeToken > 0; --typeToken) {
      const size_t before = typeToken - 1;
      if (nesting == 0 && (Is(before, ";") || Is(before, "{") || Is(before, "(") || Is(before, "["))) break;
      if (Is(before, ")") || Is(before, "]") || Is(before, "}")) ++nesting;
      if (Is(before, "(") || Is(before, "[") || Is(before, "{")) --nesting;
    }
    while (typeToken < k && kQualifiers.count(T(typeToken))) ++typeToken;
  }
  if (!IsIdentifier(typeToken)) return false;
  *type = T(typeToken);
  return structs_.count(*type) || ComponentsOfType(*type, nullptr) > 0;
}

void Bridger::CollectNameTypes() {
  std::set<std::string> conflicting;
  for (size_t i = 0; i + 1 < t_.size(); ++i) {
    if (!IsIdentifier(i) || !IsIdentifier(i + 1) || (i > 0 && Is(i - 1, "."))) continue;
    const bool numeric = ComponentsOfType(T(i), nullptr) > 0;
    if (!numeric && !structs_.count(T(i)) && !kSamplerTypes.count(T(i))) continue;
    NameType entry{numeric ? T(i) : std::string(), Is(i + 2, "[")};
    auto inserted = name_types_.insert({T(i + 1), entry});
    if (!inserted.second &&
        (inserted.first->second.type != entry.type || inserted.first->second.isArray != entry.isArray))
      conflicting.insert(T(i + 1));
  }
  for (const std::string& name : conflicting) name_types_.erase(name);
  for (auto it = name_types_.begin(); it != name_types_.end();) {
    it = it->second.type.empty() ? name_types_.erase(it) : std::next(it);
  }
}

std::string Bridger::RunInitialiserLists() {
  for (const Item& item : SplitItems()) {
    size_t name = 0, paren = 0;
    if (!IsFunction(item, &name, &paren))
      ParseStruct(item);
    else
      user_functions_.insert(T(name));
  }
  CollectNameTypes();
  for (size_t i = 0; i + 1 < t_.size(); ++i) {
    if (!Is(i, "=") || !Is(i + 1, "{") || i == 0) continue;
    const size_t close = Matching(i + 1);
    if (close >= t_.size()) continue;
    std::string type;
    std::vector<int> dims;
    if (!InitialisedDeclaration(i, &type, &dims)) continue;
    // The entries between the braces, every brace flattened.
    std::vector<ListEntry> entries;
    bool known = true;
    size_t first = t_.size();
    for (size_t k = i + 1; k <= close && known; ++k) {
      const bool separator = Is(k, "{") || Is(k, "}") || Is(k, ",");
      if (!separator) {
        if (first == t_.size()) first = k;
        if (Is(k, "(") || Is(k, "[")) k = Matching(k);
        continue;
      }
      if (first == t_.size()) continue;
      ListEntry entry{first, k - 1, 0, 0, false};
      entry.width = WidthOf(first, k - 1, &entry.matrix, 0);
      known = entry.width > 0;
      entries.push_back(entry);
      first = t_.size();
    }
    if (!known || entries.empty()) continue;
    size_t cursor = 0;
    std::string rebuilt;
    if (!EmitInitialiser(type, dims, 0, &entries, &cursor, &rebuilt, 0) || cursor != entries.size()) continue;
    edits_.push_back({t_[i + 1].begin, t_[close].end, rebuilt});
    i = close;
  }
  return ApplyHlslEdits(text_, edits_);
}

}  // namespace dx9_bridge
