// Pictures per second of the movie source's read loop (MovieReadFrame(0): decode, bicubic conversion to
// BGRA, hand-over) next to the ffmpeg CLI doing the same decode and conversion on the same clip, and the
// cost of one MovieCopyFrame next to a plain memcpy of the same bytes. Both sides of each figure are
// measured in turns in the same run, round after round; each round gives a ratio, and the median of the
// rounds' ratios counts, so that load from elsewhere on the machine moves both sides alike and one
// disturbed round does not decide the figure.
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
constexpr int kRounds = 7;
constexpr int kCopies = 40;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

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
  double ratio;
};

// Milliseconds per MovieCopyFrame into a packed destination, and per memcpy of the same bytes: medians of
// rounds that measure the two in turns.
CopyCost MeasureCopy(const Clip& clip) {
  int width = 0, height = 0;
  if (MovieOpen(ClipPath(clip).c_str(), nullptr, &width, &height) != 0) return {-1, -1, -1};
  while (MovieConvertedPictureCount() < 1) MovieReadFrame(0);
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  std::vector<uint8_t> source(bytes, 1), destination(bytes, 0);
  std::vector<double> copies, memcpies, ratios;
  for (int round = 0; round < kRounds; ++round) {
    Clock::time_point start = Clock::now();
    for (int i = 0; i < kCopies; ++i) MovieCopyFrame(destination.data(), width * 4);
    copies.push_back(SecondsSince(start) * 1000 / kCopies);
    start = Clock::now();
    for (int i = 0; i < kCopies; ++i) {
      std::memcpy(destination.data(), source.data(), bytes);
      // Keeps the compiler from folding the repeated copies into one.
      asm volatile("" : : "r"(destination.data()) : "memory");
    }
    memcpies.push_back(SecondsSince(start) * 1000 / kCopies);
    ratios.push_back(copies.back() / memcpies.back());
  }
  MovieClose();
  return {Median(copies), Median(memcpies), Median(ratios)};
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
    double ratio;
    CopyCost copy;
  } rows[2];
  for (int c = 0; c < 2; ++c) {
    const Clip& clip = kClips[c];
    std::vector<double> ours_fps, cli_fps, ratios;
    for (int round = 0; round < kRounds; ++round) {
      // The side that goes first alternates, so that neither always runs on a machine warmed by the other.
      double ours = 0, cli = 0;
      if (round % 2 == 0) {
        ours = MovieSourceSeconds(clip);
        cli = CliSeconds(clip);
      } else {
        cli = CliSeconds(clip);
        ours = MovieSourceSeconds(clip);
      }
      if (ours <= 0 || cli <= 0) {
        printf("Could not decode %s\n", clip.name);
        return 1;
      }
      ours_fps.push_back(clip.pictures * kPasses / ours);
      cli_fps.push_back(clip.pictures * kPasses / cli);
      ratios.push_back(ours_fps.back() / cli_fps.back());
    }
    rows[c].ours_fps = Median(ours_fps);
    rows[c].cli_fps = Median(cli_fps);
    rows[c].ratio = Median(ratios);
    rows[c].copy = MeasureCopy(clip);
  }

  printf("\nMovie source against the ffmpeg CLI (%d threads), %d passes, medians of %d rounds in turns\n",
         ThreadCount(), kPasses, kRounds);
  printf("%-16s %14s %14s %8s   (target >= 0.95)\n", "clip", "source pic/s", "ffmpeg pic/s", "ratio");
  for (int c = 0; c < 2; ++c)
    printf("%-16s %14.1f %14.1f %8.3f\n", kClips[c].name, rows[c].ours_fps, rows[c].cli_fps, rows[c].ratio);
  printf("\nOne MovieCopyFrame against memcpy of the same bytes\n");
  printf("%-16s %14s %14s %8s   (target <= 1.5)\n", "clip", "copy ms", "memcpy ms", "ratio");
  for (int c = 0; c < 2; ++c)
    printf("%-16s %14.3f %14.3f %8.3f\n", kClips[c].name, rows[c].copy.copy_ms, rows[c].copy.memcpy_ms,
           rows[c].copy.ratio);
  return 0;
}
