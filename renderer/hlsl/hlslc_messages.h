// The compiler's messages as the command-line tool prints them, in the form editors and build logs take
// from the Direct3D compiler: "FILE(LINE): error: message" (or warning), "FILE(LINE,COLUMN): ..." where
// the compiler tells the column. The compiler's own lines come in
// two forms, glslang's "ERROR: FILE:LINE: message" and the pre-pass's "FILE:LINE: error: message"; both
// become the one form. A message without a line keeps "FILE: error: message"; glslang's closing count
// ("N compilation errors. No code generated.") is left out.
#pragma once

#include <string>

// `mainName` names the file for messages that name none.
std::string FormatHlslcMessages(const std::string& log, const std::string& mainName);
