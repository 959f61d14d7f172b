// Tokens of preprocessed HLSL text (the output of glslang's preprocessor: no comments, macros expanded,
// `#line N "file"` where files change). The bridges read declarations from these tokens and rewrite the
// text by byte ranges, so every token keeps its place in the text and its source file and line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class HlslTokenKind { kIdentifier, kNumber, kString, kPunct, kDirective };

struct HlslToken {
  HlslTokenKind kind;
  size_t begin;  // byte range in the text
  size_t end;
  int file;  // index into HlslTokenList::files
  int line;  // line in that file
  std::string text;
};

struct HlslTokenList {
  std::vector<HlslToken> tokens;   // directives excluded
  std::vector<std::string> files;  // files named by #line; files[0] is the main source
};

// Splits `text` into tokens. `mainFile` names file 0 for messages.
HlslTokenList TokenizeHlsl(const std::string& text, const std::string& mainFile);

// "file:line" of a token, for messages.
std::string HlslTokenLocation(const HlslTokenList& list, const HlslToken& token);

struct HlslEdit {
  size_t begin;
  size_t end;
  std::string replacement;
};

// Applies non-overlapping edits. Each edit keeps the number of line breaks of the text it replaces (the
// missing ones are added after the replacement), so the lines after it keep their numbers.
std::string ApplyHlslEdits(const std::string& text, std::vector<HlslEdit> edits);
