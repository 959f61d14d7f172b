// File access of the settings script: reading it whole, the existence check of list entries, and
// writing a new script that replaces the old one only once it is complete.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdio>

// Reads the regular file at path into a new buffer of size + 1 bytes whose bytes past what was read
// are 0; *buffer is released with free(). Fails (returns 1) for a missing, unreadable or empty file,
// for anything that is not a regular file (a directory, a FIFO, a device), and for a file larger
// than kMaxScriptSize. Never blocks on a FIFO.
constexpr size_t kMaxScriptSize = 16u * 1024u * 1024u;
int ReadWholeFile(const char* path, char** buffer, size_t* size);

// True when path names something other than a directory that this process may open for reading.
// Nothing is opened, so a FIFO or a device named by a script is never blocked on or disturbed.
bool FileIsReadable(const char* path);

// A new version of a file written beside it under a temporary name and renamed over it when
// complete, so that a failed or interrupted write leaves the old file as it was.
struct ReplacementFile {
  FILE* file;
  char target_path[PATH_MAX];
  char temp_path[PATH_MAX + 64];
};

// Creates the temporary file next to path (following a symbolic link to the file it names) with the
// old file's permissions, or the usual ones for a new file. 0 on success, 1 on failure.
int BeginReplacement(const char* path, ReplacementFile* replacement);

// Flushes the temporary file to disk and renames it over the target. 0 on success; on failure (a
// write error on the way included) the temporary file is removed, the target is left as it was and
// the result is 1.
int CommitReplacement(ReplacementFile* replacement);
