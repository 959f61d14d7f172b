#include "player/movie_player.h"

#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <mutex>
#include <thread>

#include "common/error_line.h"
#include "media/movie_prefetch.h"
#include "media/movie_source.h"
#include "player/decode_priority.h"
#include "renderer/renderer.h"
#include "settings/settings.h"

CTQMoviePlayer g_player;

std::atomic<int32_t> g_playerCommand{CMD_PAUSE};
std::atomic<int32_t> g_decoderStatus{STATUS_PAUSED};

namespace {

// A movie is open in the source. Changed only while the decoding thread is held paused or gone, so a
// play command on a still image or a failed movie idles instead of spinning on a closed source.
std::atomic<bool> g_sourceOpen{false};

// The screen's refresh rate, taken from the renderer on the main thread when a decoding thread starts.
std::atomic<uint32_t> g_screenRefreshRate{0};

// Longest wait after a picture; a tiny refresh rate would otherwise overflow the millisecond count.
constexpr int kLongestFramePeriodMs = std::numeric_limits<int>::max();

// A decoding thread with nothing to decode sleeps until the command word changes, so that a paused
// player keeps no processor busy. The words stay lock-free atomics; the lock only orders a command write
// against the thread going to sleep, so that no wake-up is lost.
std::mutex g_commandLock;
std::condition_variable g_commandChanged;
// Upper bound of one such sleep, should the command word be written without SendCommand.
constexpr int kLongestIdleMs = 50;

void SendCommand(int32_t command) {
  {
    std::lock_guard<std::mutex> guard(g_commandLock);
    g_playerCommand.store(command);
  }
  g_commandChanged.notify_all();
}

void WaitWhileCommandIs(int32_t command) {
  std::unique_lock<std::mutex> guard(g_commandLock);
  g_commandChanged.wait_for(guard, std::chrono::milliseconds(kLongestIdleMs),
                            [command] { return g_playerCommand.load() != command; });
}

}  // namespace

int FramePeriodMs(float refresh_rate) {
  if (!(refresh_rate > 0.0f)) return 0;  // 0, negative or NaN
  double period = 1000.0 / static_cast<double>(refresh_rate);
  if (period >= static_cast<double>(kLongestFramePeriodMs)) return kLongestFramePeriodMs;
  return static_cast<int>(period);
}

void* DecodeThreadProc(void*) {
  // Named so that process listings and profiles tell it from the threads the libraries start.
  pthread_setname_np(pthread_self(), "tq-decode");
  CTQDecodePriority priority;
  for (;;) {
    const int32_t command = g_playerCommand.load();
    switch (command) {
      case CMD_PLAY:
        // Reported as the command is taken up, before the read step: the step may end in a long frame
        // wait, and Open must not wait through it to learn that the movie plays.
        g_decoderStatus.store(STATUS_PLAYING);
        if (g_sourceOpen.load()) {
          const float refresh_rate = g_settings.LoadRefreshRate();
          priority.Follow(refresh_rate, g_screenRefreshRate.load(), MovieWorkerThreads());
          MovieReadFrame(FramePeriodMs(refresh_rate));
        } else {
          WaitWhileCommandIs(CMD_PLAY);
        }
        break;
      case CMD_PAUSE:
        g_decoderStatus.store(STATUS_PAUSED);
        WaitWhileCommandIs(CMD_PAUSE);
        break;
      case CMD_QUIT:
        g_decoderStatus.store(STATUS_STOPPED);
        return nullptr;
      default:
        WaitWhileCommandIs(command);
        break;
    }
  }
}

CTQMoviePlayer::CTQMoviePlayer()
    : width_(0), height_(0), initialized_(0), loaded_(0), kind_(MEDIA_NONE), thread_(), has_thread_(false) {}

CTQMoviePlayer::~CTQMoviePlayer() {}

void CTQMoviePlayer::WaitForStatus(int32_t status) {
  while (g_decoderStatus.load() != status) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

HRESULT CTQMoviePlayer::Initialize() {
  if (initialized_) return S_OK;
  MovieRegisterFormats();
  SendCommand(CMD_PAUSE);
  g_decoderStatus.store(STATUS_PAUSED);
  g_screenRefreshRate.store(g_renderer.GetDisplayRefreshRate());
  if (pthread_create(&thread_, nullptr, DecodeThreadProc, nullptr) != 0) {
    WriteErrorLine("Error spawning video decoding thread.\n");
    MovieClose();
    return E_FAIL;
  }
  has_thread_ = true;
  initialized_ = 1;
  return S_OK;
}

void CTQMoviePlayer::Prefetch(const char* path) {
  if (path != nullptr && ClassifyFile(path) == MEDIA_MOVIE) MoviePrefetch(path);
}

HRESULT CTQMoviePlayer::Shutdown() {
  if (!initialized_) return E_FAIL;
  SendCommand(CMD_QUIT);
  // Ends a frame wait in progress, however long the refresh rate makes it.
  MovieAbortWait();
  WaitForStatus(STATUS_STOPPED);
  if (has_thread_) {
    pthread_join(thread_, nullptr);
    has_thread_ = false;
  }
  g_sourceOpen.store(false);
  MovieClose();
  initialized_ = 0;
  width_ = 0;
  height_ = 0;
  return S_OK;
}

HRESULT CTQMoviePlayer::Open(const char* path) {
  if (path == nullptr) return E_FAIL;
  kind_ = ClassifyFile(path);
  if (kind_ == MEDIA_NONE) {
    printf("Unrecognized file format detected: %s\n", path);
    return E_FAIL;
  }
  if (kind_ == MEDIA_MOVIE) {
    if (FAILED(OpenMovie(path))) return E_FAIL;
  } else {
    // The decoding thread is left alone: a movie opened before goes on decoding in the background.
    g_renderer.LoadImageTexture(path);
  }
  loaded_ = 1;
  return S_OK;
}

HRESULT CTQMoviePlayer::OpenMovie(const char* path) {
  // The previous movie is closed and a fresh thread, held paused, takes the new one.
  Shutdown();
  // Without a decoding thread nothing would ever report playing.
  if (FAILED(Initialize())) return E_FAIL;

  int pixel_format = 0;
  if (MovieOpen(path, &pixel_format, &width_, &height_) == 0) g_sourceOpen.store(true);
  // A movie that failed to open left the size at 0, which the renderer refuses: that fails Open here.
  if (g_renderer.CreateSourceTexture(static_cast<uint32_t>(width_), static_cast<uint32_t>(height_)) != 0) {
    WriteErrorLine("Failed to pre-allocate gpu resources for movie playback!");
    return E_FAIL;
  }
  SendCommand(CMD_PLAY);
  WaitForStatus(STATUS_PLAYING);
  printf("Format: %i, width: %i, height: %i\n", pixel_format, width_, height_);
  printf("\n");
  return S_OK;
}

HRESULT CTQMoviePlayer::Update() {
  if (!initialized_ || !loaded_ || kind_ == MEDIA_NONE) return S_OK;
  g_renderer.RenderFrame();
  if (kind_ == MEDIA_MOVIE && g_decoderStatus.load() == STATUS_PLAYING) {
    // Uploaded on every pass while playing, whether or not a new picture was decoded; the next pass
    // draws it.
    g_renderer.IncrementFrameCount();
    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    if (g_renderer.LockSource(&bits, &pitch) == 0) {
      MovieCopyFrame(bits, pitch);
      g_renderer.UnlockSource();
    }
  }
  return S_OK;
}

HRESULT CTQMoviePlayer::Play() {
  if (!loaded_) return E_FAIL;
  SendCommand(CMD_PLAY);
  return S_OK;
}

HRESULT CTQMoviePlayer::Pause() {
  if (!loaded_) return E_FAIL;
  SendCommand(CMD_PAUSE);
  return S_OK;
}

bool CTQMoviePlayer::IsPlaying() const { return g_decoderStatus.load() == STATUS_PLAYING; }
