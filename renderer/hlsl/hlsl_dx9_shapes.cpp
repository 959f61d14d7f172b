// Matrices of one row or one column (float1x3, float4x1, matrix<float, 1, 2>...): glslang declares them
// as matrices that SPIR-V cannot hold and refuses to construct them. The Direct3D 9 compiler treats them
// as matrices of that shape, which for everything but a few forms behaves as the vector of the same
// components: a 1xN on the left of mul() multiplies like a row vector, an Nx1 on the right like a column,
// and mul(1xN, Nx1) is their dot product. So the types become vectors, and the forms where a vector
// behaves otherwise are rewritten:
//  - `r[0]` of a one-row matrix is the whole row: the index goes (`r[0][2]` -> `r[2]`);
//  - `c[i][0]` of a one-column matrix is one component: the second index goes;
//  - matrix swizzles `._m02`, `._13` become vector swizzles;
//  - mul(Nx1, 1xM) is an NxM matrix (outer product), not a dot product: a helper computes it.
// Register layouts differ between the two (a column_major float1x3 constant spans three registers), so
// the constants are rewritten before this pass (hlsl_dx9_registers.cpp), which then sees only their
// static copies.
#include "renderer/hlsl/hlsl_dx9_bridger.h"

namespace dx9_bridge {

namespace {

// `._m01_m02` / `._12_13` of a one-row (row == true) or one-column matrix of n components -> "yz".
bool VectorSwizzle(const std::string& swizzle, bool row, int n, std::string* out) {
  static const char kLetters[] = "xyzw";
  out->clear();
  size_t i = 0;
  while (i < swizzle.size()) {
    if (swizzle[i] != '_') return false;
    const bool zeroBased = i + 1 < swizzle.size() && swizzle[i + 1] == 'm';
    const size_t digits = i + (zeroBased ? 2 : 1);
    if (digits + 2 > swizzle.size()) return false;
    const int first = swizzle[digits] - (zeroBased ? '0' : '1');
    const int second = swizzle[digits + 1] - (zeroBased ? '0' : '1');
    if (first < 0 || first > 3 || second < 0 || second > 3) return false;
    const int fixed = row ? first : second;
    const int component = row ? second : first;
    if (fixed != 0 || component >= n) return false;
    *out += kLetters[component];
    i = digits + 2;
  }
  return !out->empty() && out->size() <= 4;
}

// A matrix of one row or one column, or a vector of one component (float1, int1): glslang cannot apply
// the scalar promotions of HLSL to the latter, so it becomes a scalar, which swizzles like it.
bool IsOneLine(const std::string& name, const std::string& base, int rows, int columns, bool matrix) {
  if (matrix) return rows == 1 || columns == 1;
  return rows * columns == 1 && name != base;
}

}  // namespace

// The shape of a one-row / one-column matrix written as the whole of tokens first..last: a name declared
// with that type, or a constructor of it. 0 when not such a matrix; else +n for 1xN, -n for Nx1.
int Bridger::OneLineShapeOf(size_t first, size_t last) const {
  if (first == last && IsIdentifier(first)) {
    auto found = one_line_names_.find(T(first));
    if (found != one_line_names_.end() && !found->second.isArray) return found->second.shape;
    return 0;
  }
  if (IsIdentifier(first) && Is(first + 1, "(") && Matching(first + 1) == last) {
    std::string base;
    int rows = 0, columns = 0;
    bool matrix = false;
    if (SplitNumericType(T(first), &base, &rows, &columns, &matrix) && matrix) {
      if (rows == 1) return columns;
      if (columns == 1) return -rows;
    }
  }
  return 0;
}

void Bridger::CollectOneLineNames() {
  std::set<std::string> otherTypes;  // names also declared with another type
  for (size_t i = 0; i + 1 < t_.size(); ++i) {
    if (!IsIdentifier(i)) continue;
    std::string base;
    int rows = 0, columns = 0;
    bool matrix = false;
    size_t name = i + 1;
    if (T(i) == "matrix" && Is(i + 1, "<")) {
      // matrix<float, R, C>
      size_t close = i + 1;
      while (close < t_.size() && !Is(close, ">") && close < i + 8) ++close;
      if (!Is(close, ">") || close != i + 7 || !Is(i + 3, ",") || !Is(i + 5, ",")) continue;
      rows = std::atoi(T(i + 4).c_str()), columns = std::atoi(T(i + 6).c_str()), matrix = true;
      name = close + 1;
    } else if (!SplitNumericType(T(i), &base, &rows, &columns, &matrix)) {
      if (IsIdentifier(name) && (kSamplerTypes.count(T(i)) || struct_names_.count(T(i))))
        otherTypes.insert(T(name));
      continue;
    }
    if (!IsIdentifier(name) || rows < 1 || rows > 4 || columns < 1 || columns > 4) continue;
    if (!IsOneLine(T(i), base, rows, columns, matrix)) {
      otherTypes.insert(T(name));
      continue;
    }
    OneLineName entry;
    entry.shape = rows == 1 ? columns : -rows;
    entry.isArray = Is(name + 1, "[");
    auto inserted = one_line_names_.insert({T(name), entry});
    if (!inserted.second &&
        (inserted.first->second.shape != entry.shape || inserted.first->second.isArray != entry.isArray)) {
      otherTypes.insert(T(name));
    }
    declared_names_.insert(name);
  }
  for (const std::string& name : otherTypes) one_line_names_.erase(name);
}

void Bridger::RewriteOneLineUse(size_t i) {
  const OneLineName& entry = one_line_names_.at(T(i));
  const bool row = entry.shape > 0;
  const int n = row ? entry.shape : -entry.shape;
  size_t j = i + 1;
  if (entry.isArray && Is(j, "[")) j = Matching(j) + 1;
  if (Is(j, "[") && Matching(j) < t_.size()) {
    const size_t close = Matching(j);
    if (row) {
      Remove(j, close);  // the row of a one-row matrix is the matrix itself
    } else if (Is(close + 1, "[") && Matching(close + 1) < t_.size()) {
      Remove(close + 1, Matching(close + 1));  // one component of a one-column matrix
    }
    return;
  }
  std::string swizzle;
  if (Is(j, ".") && IsIdentifier(j + 1) && VectorSwizzle(T(j + 1), row, n, &swizzle)) Replace(j + 1, swizzle);
}

// mul(Nx1, 1xM): the outer product, by a helper taking the two as vectors.
void Bridger::RewriteOuterProduct(size_t mul) {
  const size_t open = mul + 1;
  const size_t close = Matching(open);
  if (close >= t_.size()) return;
  size_t comma = 0;
  for (size_t k = open + 1; k < close; ++k) {
    if (Is(k, "(") || Is(k, "[") || Is(k, "{")) {
      k = Matching(k);
    } else if (Is(k, ",")) {
      if (comma) return;
      comma = k;
    }
  }
  if (!comma || comma == open + 1 || comma + 1 == close) return;
  const int left = OneLineShapeOf(open + 1, comma - 1);
  const int right = OneLineShapeOf(comma + 1, close - 1);
  if (left > -2 || right < 2) return;
  const std::string n = std::to_string(-left), m = std::to_string(right);
  const std::string name = "tq_outer" + n + "x" + m;
  Replace(mul, name);
  if (!outer_helpers_.insert(name).second) return;
  static const char kLetters[] = "xyzw";
  std::string rows;
  for (int r = 0; r < -left; ++r) rows += std::string(r ? ", " : "") + "a." + kLetters[r] + " * b";
  InsertBefore(0, "float" + n + "x" + m + " " + name + "(float" + n + " a, float" + m + " b) { return float" + n +
                      "x" + m + "(" + rows + "); } ");
}

std::string Bridger::RunMatrixShapes() {
  for (size_t i = 0; i + 1 < t_.size(); ++i) {
    if (Is(i, "struct") && IsIdentifier(i + 1)) struct_names_.insert(T(i + 1));
  }
  CollectOneLineNames();
  for (size_t i = 0; i < t_.size(); ++i) {
    if (!IsIdentifier(i) || (i > 0 && Is(i - 1, "."))) {
      if (IsIdentifier(i) && one_line_names_.count(T(i))) RewriteOneLineUse(i);  // a structure member
      continue;
    }
    if (T(i) == "mul" && Is(i + 1, "(")) RewriteOuterProduct(i);
    if (T(i) == "matrix" && Is(i + 1, "<") && Is(i + 7, ">") && Is(i + 3, ",") && Is(i + 5, ",")) {
      const int rows = std::atoi(T(i + 4).c_str()), columns = std::atoi(T(i + 6).c_str());
      if ((rows == 1 || columns == 1) && rows >= 1 && columns >= 1 && rows <= 4 && columns <= 4) {
        edits_.push_back(
            {t_[i].begin, t_[i + 7].end, "vector<" + T(i + 2) + ", " + std::to_string(rows * columns) + ">"});
        i += 7;
      }
      continue;
    }
    std::string base;
    int rows = 0, columns = 0;
    bool matrix = false;
    if (SplitNumericType(T(i), &base, &rows, &columns, &matrix) && IsOneLine(T(i), base, rows, columns, matrix)) {
      Replace(i, rows * columns == 1 ? base : base + std::to_string(rows * columns));
    } else if (one_line_names_.count(T(i)) && !declared_names_.count(i)) {
      RewriteOneLineUse(i);
    }
  }
  return ApplyHlslEdits(text_, edits_);
}

}  // namespace dx9_bridge
