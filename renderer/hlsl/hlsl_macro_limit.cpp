#include "renderer/hlsl/hlsl_macro_limit.h"

#include <cctype>
#include <set>
#include <vector>

namespace {

bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The whole logical line starting at `pos`, with backslash continuations joined.
std::string LogicalLine(const std::string& text, size_t* pos) {
  std::string line;
  while (*pos < text.size()) {
    size_t end = text.find('\n', *pos);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(*pos, end - *pos);
    *pos = end + 1;
    if (!part.empty() && part.back() == '\r') part.pop_back();
    if (!part.empty() && part.back() == '\\') {
      part.pop_back();
      line += part + " ";
      continue;
    }
    line += part;
    break;
  }
  return line;
}

std::vector<std::string> Tokens(const std::string& s, size_t from) {
  std::vector<std::string> tokens;
  size_t i = from;
  while (i < s.size()) {
    if (std::isspace(static_cast<unsigned char>(s[i]))) {
      ++i;
    } else if (IsIdentifierChar(s[i])) {
      size_t start = i;
      while (i < s.size() && IsIdentifierChar(s[i])) ++i;
      tokens.push_back(s.substr(start, i - start));
    } else {
      tokens.push_back(std::string(1, s[i++]));
    }
  }
  return tokens;
}

}  // namespace

bool CTQHlslMacroSizes::Scan(const std::string& text, const std::string& name, std::string* error) {
  size_t pos = 0;
  int lineNumber = 0;
  while (pos < text.size()) {
    size_t before = pos;
    std::string line = LogicalLine(text, &pos);
    for (size_t k = before; k < pos && k < text.size(); ++k) lineNumber += text[k] == '\n';
    std::vector<std::string> tokens = Tokens(line, 0);
    if (tokens.size() < 3 || tokens[0] != "#" || tokens[1] != "define") continue;
    const std::string& macro = tokens[2];
    size_t body = 3;
    std::set<std::string> parameters;
    size_t nameEnd = line.find(macro) + macro.size();
    if (nameEnd < line.size() && line[nameEnd] == '(') {  // function-like: parameters count as one token
      while (body < tokens.size() && tokens[body] != ")") parameters.insert(tokens[body++]);
      ++body;
    }
    size_t size = 0;
    for (size_t k = body; k < tokens.size(); ++k) {
      auto found = sizes_.find(tokens[k]);
      size += (found != sizes_.end() && !parameters.count(tokens[k]) && tokens[k] != macro) ? found->second : 1;
      if (size > kMaxHlslMacroTokens) {
        *error = name + ":" + std::to_string(lineNumber) + ": error: macro '" + macro + "' expands to more than " +
                 std::to_string(kMaxHlslMacroTokens) + " tokens";
        return false;
      }
    }
    sizes_[macro] = size;
  }
  return true;
}
