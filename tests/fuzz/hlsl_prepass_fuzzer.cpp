// libFuzzer target for the text work done on a shader file before glslang parses it: decoding the bytes
// (byte-order marks, UTF-16, binary refusal), the macro-size bound, the tokenizer, the nesting bound and
// the Direct3D 9 rewrites. Any bytes must come out as a refusal with a message or as rewritten text,
// without touching memory outside the text, without undefined behaviour and without hanging. Text the
// checks accept is rewritten, and the rewritten text is put through the same steps again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "renderer/hlsl/hlsl_bracket_expressions.h"
#include "renderer/hlsl/hlsl_dx9_bridges.h"
#include "renderer/hlsl/hlsl_macro_limit.h"
#include "renderer/hlsl/hlsl_nesting_limit.h"
#include "renderer/hlsl/hlsl_source_text.h"
#include "renderer/hlsl/hlsl_tokens.h"

namespace {

// One pass as the compiler makes it over preprocessed text. True with the rewritten text in *bridged.
bool Bridge(const std::string& text, bool vertexStage, std::string* bridged) {
  std::string error;
  HlslTokenList tokens = TokenizeHlsl(text, "fuzz.hlsl");
  for (const HlslToken& token : tokens.tokens) {
    if (token.begin > token.end || token.end > text.size()) abort();
    if (token.file < 0 || static_cast<size_t>(token.file) >= tokens.files.size()) abort();
    HlslTokenLocation(tokens, token);
  }
  const bool nestingOk = CheckHlslNesting(tokens, &error) && CheckHlslBracketContents(tokens, &error);
  if (!nestingOk && error.find("error: ") == std::string::npos) abort();  // a refusal always says why
  // The compiler stops at a refusal of the nesting check; the rewrites still run here, so that they
  // stay safe on their own on unpaired brackets and the like.
  std::string messages;
  bridged->clear();
  if (!BridgeDx9Hlsl(text, tokens, vertexStage, "main", bridged, &messages)) {
    if (messages.find("error: ") == std::string::npos) abort();
    return false;
  }
  return nestingOk;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text, error;
  if (!DecodeHlslSourceText(reinterpret_cast<const char*>(data), size, &text, &error)) {
    if (error.empty()) abort();
    return 0;
  }
  CTQHlslMacroSizes macros;
  if (!macros.Scan(text, "fuzz.hlsl", &error)) {
    if (error.empty()) abort();
    return 0;
  }
  // A text that starts with 'v' is taken as a vertex shader, so both rewrite paths are reached.
  const bool vertexStage = size > 0 && data[0] == 'v';
  std::string bridged;
  if (!Bridge(text, vertexStage, &bridged)) return 0;
  std::string again;
  Bridge(bridged, vertexStage, &again);
  return 0;
}
