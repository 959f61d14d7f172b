// File access of the settings script over POSIX calls, so that the kind of file is known before any
// byte is read and a new script only ever appears whole.
#include "settings/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

int ReadWholeFile(const char* path, char** buffer, size_t* size) {
  *buffer = nullptr;
  *size = 0;
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 1;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
      static_cast<unsigned long long>(info.st_size) > kMaxScriptSize) {
    close(fd);
    return 1;
  }
  size_t expected = static_cast<size_t>(info.st_size);
  char* data = static_cast<char*>(calloc(expected + 1, 1));
  if (data == nullptr) {
    close(fd);
    return 1;
  }
  // The file may shrink while it is read; whatever does not arrive stays zero, which the reader skips.
  size_t filled = 0;
  while (filled < expected) {
    ssize_t got = read(fd, data + filled, expected - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      free(data);
      close(fd);
      return 1;
    }
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  close(fd);
  *buffer = data;
  *size = expected;
  return 0;
}

bool FileIsReadable(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0 || S_ISDIR(info.st_mode)) return false;
  return access(path, R_OK) == 0;
}

namespace {

// Where the new file goes: the file a symbolic link points to, so that the link survives the rename.
int ResolveTarget(const char* path, char (&target)[PATH_MAX]) {
  struct stat info;
  if (lstat(path, &info) == 0 && S_ISLNK(info.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(path, resolved) != nullptr) {
      memcpy(target, resolved, sizeof target);
      return 0;
    }
  }
  size_t length = strlen(path);
  if (length >= sizeof target) return 1;
  memcpy(target, path, length + 1);
  return 0;
}

}  // namespace

int BeginReplacement(const char* path, ReplacementFile* replacement) {
  replacement->file = nullptr;
  replacement->temp_path[0] = '\0';
  if (ResolveTarget(path, replacement->target_path) != 0) return 1;

  int fd = -1;
  for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    int length = snprintf(replacement->temp_path, sizeof replacement->temp_path, "%s.tmp-%ld-%u",
                          replacement->target_path, static_cast<long>(getpid()), attempt);
    if (length < 0 || static_cast<size_t>(length) >= sizeof replacement->temp_path) return 1;
    // 0666 less the umask, as a newly created file would get.
    fd = open(replacement->temp_path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return 1;
  }
  if (fd < 0) return 1;

  struct stat old_info;
  if (stat(replacement->target_path, &old_info) == 0 && S_ISREG(old_info.st_mode)) {
    fchmod(fd, old_info.st_mode & 07777);
  }
  replacement->file = fdopen(fd, "w");
  if (replacement->file == nullptr) {
    close(fd);
    unlink(replacement->temp_path);
    return 1;
  }
  return 0;
}

int CommitReplacement(ReplacementFile* replacement) {
  FILE* file = replacement->file;
  replacement->file = nullptr;
  bool written = fflush(file) == 0 && !ferror(file) && fsync(fileno(file)) == 0;
  written = fclose(file) == 0 && written;
  if (written && rename(replacement->temp_path, replacement->target_path) == 0) return 0;
  unlink(replacement->temp_path);
  return 1;
}
