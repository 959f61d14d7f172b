// Pictures per second of the movie source's read loop (MovieReadFrame(0): decode, bicubic conversion to
// BGRA, hand-over) next to the ffmpeg CLI doing the same decode and conversion on the same clip, and the
// cost of one MovieCopyFrame next to a plain memcpy of the same bytes. Both sides of each figure are
// measured in turns in the same run; the best of the rounds counts, to damp other load on the machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "media/movie_source.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Clip {
  const char* name;
  int pictures;  // pictures in one pass of the clip
};

constexpr Clip kClips[] = {{"h264_1080p.mkv", 120}, {"h264_2160p.mkv", 50}};
constexpr int kPasses = 2;
constexpr int kRounds = 3;
constexpr int kCopies = 40;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string ClipPath(const Clip& clip) { return std::string(TQ_BENCH_CLIPS) + "/" + clip.name; }

int ThreadCount() { return std::max(1u, std::thread::hardware_concurrency()); }

// Seconds for kPasses passes through the clip, opening excluded.
double MovieSourceSeconds(const Clip& clip) {
  if (MovieOpen(ClipPath(clip).c_str(), nullptr, nullptr, nullptr) != 0) return -1;
  const long long target = static_cast<long long>(clip.pictures) * kPasses;
  Clock::time_point start = Clock::now();
  while (MovieConvertedPictureCount() < target) MovieReadFrame(0);
  double seconds = SecondsSince(start);
  MovieClose();
  return seconds;
}

// Seconds for the CLI to decode kPasses passes and convert every picture to BGRA with bicubic scaling.
double CliSeconds(const Clip& clip) {
  std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -stream_loop " +
                        std::to_string(kPasses - 1) + " -threads " + std::to_string(ThreadCount()) + " -i '" +
                        ClipPath(clip) + "' -an -sws_flags bicubic -pix_fmt bgra -f null -";
  Clock::time_point start = Clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return SecondsSince(start);
}

struct CopyCost {
  double copy_ms;
  double memcpy_ms;
};

// Milliseconds per MovieCopyFrame into a packed destination, and per memcpy of the same bytes.
CopyCost MeasureCopy(const Clip& clip) {
  int width = 0, height = 0;
  if (MovieOpen(ClipPath(clip).c_str(), nullptr, &width, &height) != 0) return {-1, -1};
  while (MovieConvertedPictureCount() < 1) MovieReadFrame(0);
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  std::vector<uint8_t> source(bytes, 1), destination(bytes, 0);
  CopyCost best = {1e9, 1e9};
  for (int round = 0; round < kRounds; ++round) {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < kCopies; ++i) MovieCopyFrame(destination.data(), width * 4);
    best.copy_ms = std::min(best.copy_ms, SecondsSince(start) * 1000 / kCopies);
    start = Clock::now();
    for (int i = 0; i < kCopies; ++i) {
      std::memcpy(destination.data(), source.data(), bytes);
      // Keeps the compiler from folding the repeated copies into one.
      asm volatile("" : : "r"(destination.data()) : "memory");
    }
    best.memcpy_ms = std::min(best.memcpy_ms, SecondsSince(start) * 1000 / kCopies);
  }
  MovieClose();
  return best;
}

}  // namespace

int main() {
  std::string make = std::string("sh '") + TQ_BENCH_MAKE_CLIPS + "' '" + TQ_BENCH_CLIPS + "'";
  if (std::system(make.c_str()) != 0) {
    printf("Could not make the benchmark clips with the ffmpeg CLI\n");
    return 1;
  }

  struct Row {
    double ours_fps;
    double cli_fps;
    CopyCost copy;
  } rows[2];
  for (int c = 0; c < 2; ++c) {
    const Clip& clip = kClips[c];
    double ours = 1e9, cli = 1e9;
    for (int round = 0; round < kRounds; ++round) {
      ours = std::min(ours, MovieSourceSeconds(clip));
      cli = std::min(cli, CliSeconds(clip));
    }
    if (ours <= 0 || cli <= 0) {
      printf("Could not decode %s\n", clip.name);
      return 1;
    }
    rows[c].ours_fps = clip.pictures * kPasses / ours;
    rows[c].cli_fps = clip.pictures * kPasses / cli;
    rows[c].copy = MeasureCopy(clip);
  }

  printf("\nMovie source against the ffmpeg CLI (%d threads), %d passes, best of %d rounds\n", ThreadCount(),
         kPasses, kRounds);
  printf("%-16s %14s %14s %8s   (target >= 0.95)\n", "clip", "source pic/s", "ffmpeg pic/s", "ratio");
  for (int c = 0; c < 2; ++c)
    printf("%-16s %14.1f %14.1f %8.3f\n", kClips[c].name, rows[c].ours_fps, rows[c].cli_fps,
           rows[c].ours_fps / rows[c].cli_fps);
  printf("\nOne MovieCopyFrame against memcpy of the same bytes\n");
  printf("%-16s %14s %14s %8s   (target <= 1.5)\n", "clip", "copy ms", "memcpy ms", "ratio");
  for (int c = 0; c < 2; ++c)
    printf("%-16s %14.3f %14.3f %8.3f\n", kClips[c].name, rows[c].copy.copy_ms, rows[c].copy.memcpy_ms,
           rows[c].copy.copy_ms / rows[c].copy.memcpy_ms);
  return 0;
}
