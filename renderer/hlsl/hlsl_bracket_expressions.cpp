#include "renderer/hlsl/hlsl_bracket_expressions.h"

#include <cctype>
#include <set>
#include <vector>

namespace {

const std::set<std::string> kUnary = {"+", "-", "!", "~", "++", "--"};
const std::set<std::string> kBinary = {"+",  "-",  "*",  "/",  "%",  "<<", ">>", "<",   ">",  "<=", ">=",
                                       "==", "!=", "&",  "|",  "^",  "&&", "||", "?",   ":",  "=",  "+=",
                                       "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="};

bool IsOperandToken(const HlslToken& t) {
  return t.kind == HlslTokenKind::kIdentifier || t.kind == HlslTokenKind::kNumber ||
         t.kind == HlslTokenKind::kString;
}

// A decimal or hexadecimal literal as the compiler reads it: `4`, `0x1F`, `1.5e-3f`, `.5h`, `2u`. A half
// suffix needs a point or an exponent.
bool IsWellFormedNumber(const std::string& s) {
  size_t i = 0;
  const size_t n = s.size();
  if (n > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    i = 2;
    while (i < n && std::isxdigit(static_cast<unsigned char>(s[i]))) ++i;
    if (i == 2) return false;
    while (i < n && (s[i] == 'u' || s[i] == 'U' || s[i] == 'l' || s[i] == 'L')) ++i;
    return i == n;
  }
  size_t digits = 0;
  bool fraction = false;
  while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < n && s[i] == '.') {
    fraction = true;
    ++i;
    while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    fraction = true;
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    size_t exponent = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  while (i < n && std::string("fFhHlLuU").find(s[i]) != std::string::npos) {
    if ((s[i] == 'h' || s[i] == 'H') && !fraction) return false;
    ++i;
  }
  return i == n;
}

// A built-in scalar, vector or matrix type (`float`, `int3`, `half4x4`) or a structure or typedef of the
// file: what `(T)` can cast to.
bool IsTypeName(const std::string& name, const std::set<std::string>& declaredTypes) {
  static const char* const kScalars[] = {"float", "int",        "uint",       "bool",     "half",     "double",
                                         "dword", "min16float", "min10float", "min16int", "min12int", "min16uint"};
  if (declaredTypes.count(name)) return true;
  for (const char* scalar : kScalars) {
    const std::string base = scalar;
    if (name.compare(0, base.size(), base) != 0) continue;
    const std::string rest = name.substr(base.size());
    if (rest.empty() || (rest.size() == 1 && rest[0] >= '1' && rest[0] <= '4') ||
        (rest.size() == 3 && rest[0] >= '1' && rest[0] <= '4' && rest[1] == 'x' && rest[2] >= '1' &&
         rest[2] <= '4'))
      return true;
  }
  return false;
}

// The names that `struct NAME` and `typedef ... NAME;` declare.
std::set<std::string> DeclaredTypes(const std::vector<HlslToken>& t) {
  std::set<std::string> names;
  for (size_t i = 0; i + 1 < t.size(); ++i) {
    if (t[i].text == "struct" && t[i + 1].kind == HlslTokenKind::kIdentifier) names.insert(t[i + 1].text);
    if (t[i].text != "typedef") continue;
    size_t end = i + 1;
    while (end < t.size() && t[end].text != ";") ++end;
    if (end < t.size() && t[end - 1].kind == HlslTokenKind::kIdentifier) names.insert(t[end - 1].text);
  }
  return names;
}

// For each opening bracket, the index of the token that closes it (brackets are balanced); t.size() for
// every other token. One pass, so that nested brackets cost no rescans.
std::vector<size_t> ClosingBrackets(const std::vector<HlslToken>& t) {
  std::vector<size_t> closing(t.size(), t.size());
  std::vector<size_t> open;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i].kind != HlslTokenKind::kPunct) continue;
    const std::string& s = t[i].text;
    if (s == "(" || s == "[" || s == "{") {
      open.push_back(i);
    } else if ((s == ")" || s == "]" || s == "}") && !open.empty()) {
      closing[open.back()] = i;
      open.pop_back();
    }
  }
  return closing;
}

// One expression from `first` up to `last` (exclusive), or nothing. Parenthesised groups and nested
// brackets count as one operand; their own brackets are checked when the scan reaches them.
bool IsOneExpression(const std::vector<HlslToken>& t, const std::vector<size_t>& closing,
                     const std::set<std::string>& declaredTypes, size_t first, size_t last) {
  bool expectOperand = true;
  bool afterCast = false;  // `(int)` is followed by the operand it casts
  for (size_t i = first; i < last; ++i) {
    const HlslToken& token = t[i];
    const std::string& s = token.text;
    const bool punct = token.kind == HlslTokenKind::kPunct;
    if (afterCast) {
      afterCast = false;
      expectOperand = true;
    }
    if (expectOperand) {
      if (punct && kUnary.count(s)) continue;
      if (punct && s == "(") {
        const size_t open = i;
        i = closing[i];
        if (i >= last) return false;
        afterCast = i == open + 2 && IsTypeName(t[open + 1].text, declaredTypes);
        expectOperand = false;
        continue;
      }
      if (!IsOperandToken(token)) return false;
      if (token.kind == HlslTokenKind::kNumber && !IsWellFormedNumber(s)) return false;
      expectOperand = false;
      continue;
    }
    // After an operand: an operator, a member, a call, an index or a postfix step.
    if (!punct) return false;
    if (s == "++" || s == "--") continue;
    if (s == ".") {
      if (i + 1 >= last || t[i + 1].kind != HlslTokenKind::kIdentifier) return false;
      ++i;
      continue;
    }
    if (s == "(" || s == "[") {
      if (s == "(" && t[i - 1].kind != HlslTokenKind::kIdentifier) return false;  // only a name is called
      i = closing[i];
      if (i >= last) return false;
      continue;
    }
    if (!kBinary.count(s)) return false;
    expectOperand = true;
  }
  return !expectOperand || first == last;
}

}  // namespace

bool CheckHlslBracketContents(const HlslTokenList& list, std::string* error) {
  const std::vector<HlslToken>& t = list.tokens;
  const std::vector<size_t> closing = ClosingBrackets(t);
  const std::set<std::string> declaredTypes = DeclaredTypes(t);
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i].kind != HlslTokenKind::kPunct || t[i].text != "[") continue;
    const size_t close = closing[i];
    if (close >= t.size()) break;  // unbalanced: refused by the nesting check
    if (!IsOneExpression(t, closing, declaredTypes, i + 1, close)) {
      *error = HlslTokenLocation(list, t[i]) + ": error: '[' ... ']' does not hold one expression";
      return false;
    }
  }
  return true;
}
