// Include names in another letter case than the file's: shader packs written where file names ignore
// letter case include "Common.inc" for a file called common.inc, or "Lib/Scale.hlsli" for lib/scale.hlsli.
// When the exact path does not exist, each folder and file name of the include is matched letter case
// aside within the folder where it stands, so the file found is the one the exact path would name on such
// a system and never lies elsewhere. Two entries of one folder that differ only in letter case are
// ambiguous: the include fails with a message naming both.
#pragma once

#include <string>

// `name` (relative) below `directory` ("" = the working folder). Returns the path of the file found, or ""
// with *error set when two entries match; "" with *error empty when nothing matches.
std::string FindHlslIncludeIgnoringCase(const std::string& directory, const std::string& name, std::string* error);
