#include "media/movie_prefetch.h"

#include <sys/stat.h>

#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

namespace {

struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified = {};
};

// Only regular files are movies: a directory fails, and a FIFO would block the open for ever.
bool IdentityOf(const char* path, FileIdentity* identity) {
  struct stat info;
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  identity->device = info.st_dev;
  identity->inode = info.st_ino;
  identity->size = info.st_size;
  identity->modified = info.st_mtim;
  return true;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.device == b.device && a.inode == b.inode && a.size == b.size &&
         a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

// Shared by the main thread and the prefetch thread; the thread holds it until it ends, so a prefetch
// that is dropped while it still reads needs no waiting.
struct PrefetchState {
  std::mutex lock;
  std::condition_variable finished_signal;
  std::string path;
  FileIdentity identity;
  // Guarded by `lock`:
  bool finished = false;
  bool dropped = false;  // nobody will take the result: the thread closes it
  AVFormatContext* format = nullptr;
  std::string messages;  // FFmpeg's log lines from the thread
};

std::shared_ptr<PrefetchState> g_prefetch;  // main thread only

thread_local PrefetchState* t_prefetch = nullptr;  // set on the prefetch thread
thread_local int t_printPrefix = 1;

// FFmpeg's log: lines from a prefetch thread are kept for later, every other line goes out as usual.
void KeepPrefetchLines(void* object, int level, const char* format, va_list arguments) {
  if (t_prefetch == nullptr) {
    av_log_default_callback(object, level, format, arguments);
    return;
  }
  if (level > av_log_get_level()) return;
  char line[1024];
  av_log_format_line2(object, level, format, arguments, line, sizeof(line), &t_printPrefix);
  std::lock_guard<std::mutex> guard(t_prefetch->lock);
  t_prefetch->messages += line;
}

void ReadStreamInformation(std::shared_ptr<PrefetchState> state) {
  t_prefetch = state.get();
  AVFormatContext* format = nullptr;
  if (OpenLocalMovieFile(state->path.c_str(), &format) >= 0 && avformat_find_stream_info(format, nullptr) < 0) {
    avformat_close_input(&format);
  }
  t_prefetch = nullptr;
  std::lock_guard<std::mutex> guard(state->lock);
  if (state->dropped) avformat_close_input(&format);
  state->format = format;
  state->finished = true;
  state->finished_signal.notify_all();
}

// Nobody will take the result: closed now when it is there, else by the thread when it ends.
void Drop(const std::shared_ptr<PrefetchState>& state) {
  std::lock_guard<std::mutex> guard(state->lock);
  state->dropped = true;
  avformat_close_input(&state->format);
}

}  // namespace

int OpenLocalMovieFile(const char* path, AVFormatContext** format) {
  FileIdentity identity;
  if (!IdentityOf(path, &identity)) return AVERROR(EINVAL);
  std::string url = std::string("file:") + path;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set(&options, "pattern_type", "none", 0);
  int result = avformat_open_input(format, url.c_str(), nullptr, &options);
  av_dict_free(&options);
  return result;
}

void MoviePrefetch(const char* path) {
  DropMoviePrefetch();
  if (path == nullptr) return;
  static std::once_flag log_hooked;
  std::call_once(log_hooked, [] { av_log_set_callback(KeepPrefetchLines); });
  auto state = std::make_shared<PrefetchState>();
  state->path = path;
  // Taken before the file is read, so that a change while it is read makes the result stale too.
  if (!IdentityOf(path, &state->identity)) return;
  try {
    std::thread(ReadStreamInformation, state).detach();
  } catch (const std::system_error&) {
    return;  // no thread: MovieOpen reads the file itself
  }
  g_prefetch = std::move(state);
}

AVFormatContext* TakePrefetchedMovie(const char* path) {
  std::shared_ptr<PrefetchState> state = std::move(g_prefetch);
  g_prefetch.reset();
  if (!state) return nullptr;
  if (path == nullptr || state->path != path) {
    Drop(state);
    return nullptr;
  }
  AVFormatContext* format = nullptr;
  std::string messages;
  {
    std::unique_lock<std::mutex> guard(state->lock);
    state->finished_signal.wait(guard, [&state] { return state->finished; });
    format = state->format;
    state->format = nullptr;
    messages.swap(state->messages);
  }
  FileIdentity now;
  if (format != nullptr && (!IdentityOf(path, &now) || !SameFile(now, state->identity))) {
    avformat_close_input(&format);
  }
  if (format != nullptr) fputs(messages.c_str(), stderr);
  return format;
}

void DropMoviePrefetch() {
  std::shared_ptr<PrefetchState> state = std::move(g_prefetch);
  g_prefetch.reset();
  if (state) Drop(state);
}
