// Reading a movie's stream information ahead of time. Finding the stream information decodes the first
// pictures of a file and takes a good part of the program's start-up; started on a thread of its own as
// soon as the file to play is known, it runs while the window and the renderer are made, and MovieOpen of
// the same file takes the result instead of reading it again.
//
// FFmpeg's messages written on the prefetch thread are held back and written when the result is taken,
// so the output keeps its order; a result that is not taken is dropped together with its messages, and
// the file is then read again as if no prefetch had been made. A file that changed on disk after the
// prefetch (size, modification time or identity) is read again too.
#pragma once

struct AVFormatContext;

// Starts opening the local file `path` and reading its stream information on a thread of its own.
// Drops an earlier prefetch that was not taken. Does nothing for a null path.
void MoviePrefetch(const char* path);

// Waits for the prefetch of `path` to finish and hands over its result, which the caller then owns:
// the opened file with its stream information read. Null when no prefetch of that path was made, when
// it failed or when the file changed since; any prefetch is used up either way.
AVFormatContext* TakePrefetchedMovie(const char* path);

// Waits for a prefetch that was not taken and drops it. Safe to repeat.
void DropMoviePrefetch();

// Opens `path` as a plain local file, as MovieOpen does: a regular file only (a directory fails, a FIFO
// would block for ever), through the file protocol alone, so that a name such as "data:x.mkv" or
// "concat:a|b" is a file name, and through no image-sequence pattern, so '%' is a character like any
// other. FFmpeg's result: 0 or above on success, negative on failure (with *format left null).
int OpenLocalMovieFile(const char* path, AVFormatContext** format);
