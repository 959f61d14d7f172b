#include "renderer/hlsl/hlsl_tokens.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

bool IsIdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

const char* const kLongPuncts[] = {"<<=", ">>=", "++", "--", "<<", ">>", "<=", ">=", "==", "!=", "&&",
                                   "||",  "+=",  "-=", "*=", "/=", "%=", "&=", "|=", "^=", "::"};

constexpr long kMaxLineNumber = 1 << 30;

// Reads `#line N "file"` into *line and *file; other directives leave both unchanged.
void ReadLineDirective(const std::string& directive, HlslTokenList* list, int* file, int* line) {
  size_t pos = directive.find_first_not_of(" \t", 1);
  if (pos == std::string::npos || directive.compare(pos, 4, "line") != 0) return;
  pos += 4;
  char* end = nullptr;
  long number = std::strtol(directive.c_str() + pos, &end, 10);
  if (end == directive.c_str() + pos) return;
  size_t quote = directive.find('"', static_cast<size_t>(end - directive.c_str()));
  if (quote != std::string::npos) {
    size_t close = directive.find('"', quote + 1);
    if (close != std::string::npos) {
      std::string name = directive.substr(quote + 1, close - quote - 1);
      auto found = std::find(list->files.begin(), list->files.end(), name);
      *file = static_cast<int>(found - list->files.begin());
      if (found == list->files.end()) list->files.push_back(name);
    }
  }
  // The directive's own line break follows, which moves to line `number`. Numbers beyond any real file
  // are held where counting on cannot overflow.
  number = std::clamp<long>(number, 0, kMaxLineNumber);
  *line = static_cast<int>(number) - 1;
}

}  // namespace

HlslTokenList TokenizeHlsl(const std::string& text, const std::string& mainFile) {
  HlslTokenList list;
  list.files.push_back(mainFile);
  int file = 0;
  int line = 1;
  bool lineStart = true;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    char c = text[i];
    if (c == '\n') {
      ++line;
      lineStart = true;
      ++i;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
      continue;
    }
    size_t start = i;
    HlslTokenKind kind;
    if (c == '#' && lineStart) {
      while (i < n && text[i] != '\n') ++i;
      std::string directive = text.substr(start, i - start);
      ReadLineDirective(directive, &list, &file, &line);
      continue;
    }
    lineStart = false;
    if (IsIdentifierStart(c)) {
      while (i < n && IsIdentifierChar(text[i])) ++i;
      kind = HlslTokenKind::kIdentifier;
    } else if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(text[i + 1]))) {
      while (i < n) {
        char d = text[i];
        if (IsIdentifierChar(d) || d == '.') {
          ++i;
        } else if ((d == '+' || d == '-') && (text[i - 1] == 'e' || text[i - 1] == 'E') &&
                   !(text[start] == '0' && start + 1 < n && (text[start + 1] == 'x' || text[start + 1] == 'X'))) {
          ++i;
        } else {
          break;
        }
      }
      kind = HlslTokenKind::kNumber;
    } else if (c == '"') {
      ++i;
      while (i < n && text[i] != '"' && text[i] != '\n') {
        if (text[i] == '\\' && i + 1 < n) ++i;
        ++i;
      }
      if (i < n && text[i] == '"') ++i;
      kind = HlslTokenKind::kString;
    } else {
      kind = HlslTokenKind::kPunct;
      size_t length = 1;
      for (const char* p : kLongPuncts) {
        size_t len = std::char_traits<char>::length(p);
        if (text.compare(i, len, p) == 0) {
          length = len;
          break;
        }
      }
      i += length;
    }
    list.tokens.push_back(HlslToken{kind, start, i, file, line, text.substr(start, i - start)});
  }
  return list;
}

std::string HlslTokenLocation(const HlslTokenList& list, const HlslToken& token) {
  return list.files[static_cast<size_t>(token.file)] + ":" + std::to_string(token.line);
}

std::string ApplyHlslEdits(const std::string& text, std::vector<HlslEdit> edits) {
  // By position; an insertion goes before a replacement that starts at the same place.
  std::stable_sort(edits.begin(), edits.end(), [](const HlslEdit& a, const HlslEdit& b) {
    return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
  });
  std::string out;
  out.reserve(text.size() + 256);
  size_t pos = 0;
  for (const HlslEdit& edit : edits) {
    if (edit.begin < pos) continue;  // overlapping edits are dropped; the first one wins
    out.append(text, pos, edit.begin - pos);
    out += edit.replacement;
    long removedBreaks = std::count(text.begin() + static_cast<long>(edit.begin),
                                    text.begin() + static_cast<long>(edit.end), '\n');
    long addedBreaks = std::count(edit.replacement.begin(), edit.replacement.end(), '\n');
    for (long k = addedBreaks; k < removedBreaks; ++k) out += '\n';
    pos = edit.end;
  }
  out.append(text, pos, std::string::npos);
  return out;
}
