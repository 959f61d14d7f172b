// The media player: classifies a file, has the renderer show a still image, or plays a movie through
// the movie source on one decoding thread.
//
// The main thread and the decoding thread talk through two shared words: the command word, written by
// the main thread (pause, play, quit), and the status word, written by the decoding thread (paused,
// playing, stopped). The main thread waits for a status by polling it with 2 ms sleeps.
//
// One static instance, g_player, used on the main thread. Operations return 0 (S_OK) on success and
// E_FAIL on failure; callers test for a negative result.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>

#include "player/media_kinds.h"
#include "shell/win32/win32_types.h"

enum PlayerCommand {
  CMD_PAUSE = 0,
  CMD_PLAY = 1,
  CMD_QUIT = 2,
};

enum DecoderStatus {
  STATUS_PAUSED = 0,
  STATUS_PLAYING = 1,
  STATUS_STOPPED = 2,
};

// Written by the main thread only, read by the decoding thread.
extern std::atomic<int32_t> g_playerCommand;
// Written by the decoding thread only (reset by Initialize while no decoding thread exists).
extern std::atomic<int32_t> g_decoderStatus;

// The body of the decoding thread: obeys the command word until it reads CMD_QUIT.
void* DecodeThreadProc(void* unused);

// The wait after each converted picture for a refresh rate in hertz: 1000 / rate milliseconds,
// truncated. A rate that is 0, negative, NaN or infinite gives 0; a tiny positive rate is capped so
// the result always fits.
int FramePeriodMs(float refresh_rate);

class CTQMoviePlayer {
 public:
  CTQMoviePlayer();
  virtual ~CTQMoviePlayer();

  // Starts the decoding thread, held paused, unless it runs already.
  HRESULT Initialize();
  // Start-up calls it with the file it will open, as soon as it knows it: a movie's stream information
  // is then read on a thread of its own while the window and the renderer are made, and the Open of
  // that file takes it from there (see media/movie_prefetch.h). Prints nothing and changes no state of
  // the player; anything else than a movie is ignored.
  void Prefetch(const char* path);
  // Quits the decoding thread, waits for it and closes the movie source. E_FAIL when no thread exists.
  HRESULT Shutdown();
  // Opens a movie (which then plays at once) or a still image. E_FAIL for a null path, an unrecognised
  // extension, a movie whose picture cannot be given to the renderer, or no decoding thread.
  HRESULT Open(const char* path);
  // Once per main-loop pass: draws the current content and, while the movie plays, uploads the latest
  // converted picture for the next pass. Always 0.
  HRESULT Update();
  // Command the movie to play or pause; neither waits. E_FAIL while nothing was ever loaded.
  HRESULT Play();
  HRESULT Pause();
  bool IsPlaying() const;
  bool IsLoaded() const { return loaded_ != 0; }

  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  MediaKind GetKind() const { return static_cast<MediaKind>(kind_); }

 private:
  HRESULT OpenMovie(const char* path);
  // Polls the status word every 2 ms until it holds `status`.
  static void WaitForStatus(int32_t status);

  int32_t width_;
  int32_t height_;
  int32_t initialized_;
  int32_t loaded_;
  int32_t kind_;
  pthread_t thread_;
  bool has_thread_;
};

// The one player of the process.
extern CTQMoviePlayer g_player;
