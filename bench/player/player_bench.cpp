// The player as the program runs it, on a 1920x1080 side-by-side H.264 clip through the demo's shaders:
//  - main-loop passes per second while playing at refresh_rate 320, with the demo's 1280x720 back buffer
//    and with a 1920x1080 one that the window shows scaled down, next to mpv drawing the same clip
//    through its GPU output as fast as it can (--vo=gpu --untimed); the two run in turns, round after
//    round, and the median of the rounds' ratios counts, so that load from elsewhere on the machine
//    moves both sides of a ratio alike and one disturbed round does not decide the figure; next to it,
//    how many passes had a new picture to upload (a pass that comes before the next picture is converted
//    shows the last one again, so this is what the viewer sees change);
//  - the processor time used over 10 s while paused and while showing a still picture;
//  - resident memory;
//  - the time from process start to the first movie picture presented: fresh processes of this program
//    (started with --start-up), each timing one start-up, in turns with mpv starting on the same clip
//    and showing one picture; the medians count;
//  - pacing: pictures converted per second at refresh_rate 25 and 30 against the rate asked for, with
//    each back buffer.
// `player_bench --play WIDTH HEIGHT RATE SECONDS` only plays, with that back buffer and refresh rate, and
// prints where the processor time went by thread: the run to profile.
// Start-up and each pass are the program's own (the shell's main-loop pass); run it under X.
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "media/movie_source.h"
#include "player/movie_player.h"
#include "renderer/renderer.h"
#include "renderer/shader_warmup.h"
#include "settings/settings.h"
#include "shell/main_loop.h"
#include "shell/window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;
constexpr double kPlaySeconds = 4.0;
constexpr double kIdleSeconds = 10.0;
constexpr double kPacingSeconds = 8.0;
constexpr int kStartUps = 5;
constexpr useconds_t kSettleMicroseconds = 500000;
constexpr int kMpvShortRun = 20;
constexpr int kMpvLongRun = 140;

std::string Media(const char* name) { return std::string(TQ_BENCH_MEDIA) + "/" + name; }

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double ProcessorSeconds() {
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
         usage.ru_stime.tv_usec / 1e6;
}

// Seconds since this process started, from the kernel's start time (10 ms resolution).
double SecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // Field 22 (starttime) counts from the last ')' (the command name may hold blanks).
  size_t pos = text.rfind(')');
  if (pos == std::string::npos) return -1;
  const char* p = text.c_str() + pos + 2;
  unsigned long long start_ticks = 0;
  for (int field = 3; field <= 22; ++field) {
    if (field == 22) start_ticks = strtoull(p, nullptr, 10);
    p = strchr(p, ' ');
    if (p == nullptr) return -1;
    ++p;
  }
  double uptime = 0;
  std::ifstream("/proc/uptime") >> uptime;
  return uptime - static_cast<double>(start_ticks) / sysconf(_SC_CLK_TCK);
}

long StatusKilobytes(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, strlen(key), key) == 0) return atol(line.c_str() + strlen(key) + 1);
  }
  return -1;
}

struct Run {
  double passes_per_second = 0;
  double pictures_per_second = 0;
  // Passes after which a picture converted since the pass before was there to upload: the new pictures
  // the window shows. Passes beyond them show a picture again.
  double new_pictures_shown_per_second = 0;
  double processor_share = 0;  // of one core, in percent
};

// Runs main-loop passes for `seconds`.
Run RunPasses(double seconds) {
  Run run;
  long long pictures = MovieConvertedPictureCount();
  double processor = ProcessorSeconds();
  long passes = 0, new_pictures = 0;
  long long last_converted = pictures;
  Clock::time_point start = Clock::now();
  while (SecondsSince(start) < seconds) {
    if (!RunMainLoopPass()) break;
    ++passes;
    const long long converted = MovieConvertedPictureCount();
    if (converted != last_converted) ++new_pictures;
    last_converted = converted;
  }
  double wall = SecondsSince(start);
  run.passes_per_second = passes / wall;
  run.new_pictures_shown_per_second = new_pictures / wall;
  run.pictures_per_second = (MovieConvertedPictureCount() - pictures) / wall;
  run.processor_share = 100.0 * (ProcessorSeconds() - processor) / wall;
  return run;
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double MpvSeconds(int frames) {
  std::string command =
      "mpv --no-config --really-quiet --no-audio --hwdec=no --vo=gpu --gpu-sw=yes --untimed "
      "--geometry=1280x800 --frames=" +
      std::to_string(frames) + " '" + Media("sbs_1080p.mkv") + "' >/dev/null 2>&1";
  Clock::time_point start = Clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return SecondsSince(start);
}

// mpv's pictures per second with its start-up taken out: the difference of a long and a short run.
double MpvPicturesPerSecond() {
  double short_run = MpvSeconds(kMpvShortRun);
  double long_run = MpvSeconds(kMpvLongRun);
  if (short_run < 0 || long_run <= short_run) return -1;
  return (kMpvLongRun - kMpvShortRun) / (long_run - short_run);
}

bool WriteSettings(const std::string& path, int back_width, int back_height) {
  FILE* file = fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  fprintf(file,
          "window_width = 1280;\nwindow_height = 800;\nfullscreen = no;\nshow_channel = CHANNEL_BOTH;\n"
          "encoder += \"%s/encoders/anaglyph-red-cyan-dubois.hlsl\";\n"
          "decoder += \"%s/decoders/side-by-side-left-first.hlsl\";\n"
          "default_encoder = 0;\ndefault_decoder = 0;\nrefresh_rate = 320.00;\n"
          "renderer_width = %i;\nrenderer_height = %i;\ncontent += \"%s\";\ndefault_content = 0;\n",
          TQ_SHADER_DIR, TQ_SHADER_DIR, back_width, back_height, Media("sbs_1080p.mkv").c_str());
  return fclose(file) == 0;
}

// Seconds spent in each step of the start-up.
struct StartUpSteps {
  double settings = 0, window = 0, renderer = 0, player = 0, first_pass = 0, second_pass = 0;
};

// The program's start-up with a back buffer of back_width x back_height, up to the first pass that
// presents an uploaded movie picture.
bool StartUp(int back_width, int back_height, double* first_picture_seconds, StartUpSteps* steps) {
  Clock::time_point step = Clock::now();
  auto lap = [&step](double* seconds) {
    *seconds = SecondsSince(step);
    step = Clock::now();
  };
  std::string settings = std::string(TQ_BENCH_MEDIA) + "/settings.ini";
  if (!WriteSettings(settings, back_width, back_height) || g_settings.Load(settings.c_str()) != 0) return false;
  StartShaderWarmUp(g_settings.GetActiveDecoder(), g_settings.GetActiveEncoder());
  g_player.Prefetch(g_settings.GetActiveContent());
  lap(&steps->settings);
  if (g_window.Create(L"TQ2", 1280, 800) != 0) return false;
  lap(&steps->window);
  if (g_renderer.Initialize(g_window.GetHandle(), static_cast<uint32_t>(g_settings.renderer_width),
                            static_cast<uint32_t>(g_settings.renderer_height), g_settings.GetActiveDecoder(),
                            g_settings.GetActiveEncoder(), 0) != 0) {
    return false;
  }
  g_renderer.SetFullscreen(g_window.IsFullscreen());
  lap(&steps->renderer);
  if (g_player.Initialize() < 0 || g_player.Open(g_settings.GetActiveContent()) < 0) return false;
  lap(&steps->player);
  // The first pass that starts with a converted picture uploads it; the next one presents it.
  for (;;) {
    const bool converted = MovieConvertedPictureCount() > 0;
    RunMainLoopPass();
    if (converted && g_renderer.GetFrameCount() > 0) break;
  }
  lap(&steps->first_pass);
  RunMainLoopPass();
  lap(&steps->second_pass);
  *first_picture_seconds = SecondsSinceProcessStart();
  return true;
}

// Seconds from the start of a fresh process of this program to its first movie picture, with the steps.
bool StartUpInChild(double* seconds, StartUpSteps* steps) {
  std::string command = "'/proc/" + std::to_string(getpid()) + "/exe' --start-up 2>/dev/null";
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return false;
  char line[512];
  bool found = false;
  while (fgets(line, sizeof(line), child) != nullptr) {
    found = found ||
            sscanf(line, "START-UP %lf %lf %lf %lf %lf %lf %lf", seconds, &steps->settings, &steps->window,
                   &steps->renderer, &steps->player, &steps->first_pass, &steps->second_pass) == 7;
  }
  return pclose(child) == 0 && found;
}

// The child's side: one start-up, timed from process start, printed on one line.
int StartUpOnly() {
  double first_picture = 0;
  StartUpSteps steps;
  const bool started = StartUp(1280, 720, &first_picture, &steps);
  g_player.Shutdown();
  g_renderer.Shutdown();
  g_window.Destroy();
  if (!started) return 1;
  printf("START-UP %f %f %f %f %f %f %f\n", first_picture, steps.settings, steps.window, steps.renderer,
         steps.player, steps.first_pass, steps.second_pass);
  return 0;
}

// mpv's time from its start to its first picture shown and its exit, as a reference for the start-up.
double MpvStartUpSeconds() { return MpvSeconds(1); }

// The back buffers measured while playing: the demo's, and one of the movie's own size that the window
// shows scaled down.
constexpr int kBackBufferCases = 2;
constexpr int kBackBuffers[kBackBufferCases][2] = {{1280, 720}, {1920, 1080}};
constexpr double kRatioTargets[kBackBufferCases] = {0.6, 0.5};

// The renderer made again with another back buffer, and the movie opened again.
bool UseBackBuffer(int width, int height) {
  g_renderer.Shutdown();
  g_settings.renderer_width = width;
  g_settings.renderer_height = height;
  if (g_renderer.Initialize(g_window.GetHandle(), static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                            g_settings.GetActiveDecoder(), g_settings.GetActiveEncoder(), 0) != 0) {
    return false;
  }
  g_renderer.SetFullscreen(g_window.IsFullscreen());
  g_settings.StoreRefreshRate(320.0f);
  return g_player.Open(Media("sbs_1080p.mkv").c_str()) >= 0;
}

struct Rounds {
  std::vector<double> passes, pictures, shown, shares, mpv_rates, ratios;
};

// Playing, in turns with mpv; mpv gets the machine to itself: the player is paused while it runs.
Rounds PlayRounds() {
  Rounds rounds;
  for (int round = 0; round < kRounds; ++round) {
    g_player.Play();
    RunPasses(0.3);
    Run play = RunPasses(kPlaySeconds);
    g_player.Pause();
    RunPasses(0.2);
    const double mpv = MpvPicturesPerSecond();
    rounds.passes.push_back(play.passes_per_second);
    rounds.pictures.push_back(play.pictures_per_second);
    rounds.shown.push_back(play.new_pictures_shown_per_second);
    rounds.shares.push_back(play.processor_share);
    if (mpv > 0) {
      rounds.mpv_rates.push_back(mpv);
      rounds.ratios.push_back(play.passes_per_second / mpv);
    }
  }
  return rounds;
}

void PrintRounds(const Rounds& rounds, double target) {
  printf("    main-loop passes per second   %8.1f   (rounds:", Median(rounds.passes));
  for (double value : rounds.passes) printf(" %.1f", value);
  printf(")\n");
  printf("    pictures decoded per second   %8.1f\n", Median(rounds.pictures));
  printf("    new pictures shown per second %8.1f   (passes with a picture converted since the pass before)\n",
         Median(rounds.shown));
  printf("    processor share               %7.1f%% of one core\n", Median(rounds.shares));
  if (rounds.ratios.empty()) {
    printf("    mpv reference                  could not be run\n");
    return;
  }
  printf("    mpv --vo=gpu --untimed        %8.1f pictures per second (reference, same rounds:",
         Median(rounds.mpv_rates));
  for (double value : rounds.mpv_rates) printf(" %.1f", value);
  printf(")\n");
  printf("    ratio passes / mpv            %8.2fx (median of the rounds' ratios; target >= %.1fx)\n",
         Median(rounds.ratios), target);
}

// Processor seconds of each thread of this process, by thread name (threads of one name summed).
std::map<std::string, double> ThreadProcessorSeconds() {
  std::map<std::string, double> seconds;
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return seconds;
  const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
  while (dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') continue;
    const std::string folder = std::string("/proc/self/task/") + entry->d_name;
    std::string name;
    std::getline(std::ifstream(folder + "/comm"), name);
    // Threads started from the main thread take its name: tell the main thread apart.
    if (atoi(entry->d_name) == getpid()) name = "main thread";
    std::ifstream stat_file(folder + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat_file)), std::istreambuf_iterator<char>());
    // utime and stime are fields 14 and 15, counted from after the command name.
    size_t pos = text.rfind(')');
    if (pos == std::string::npos) continue;
    const char* p = text.c_str() + pos + 2;
    unsigned long long utime = 0, stime = 0;
    for (int field = 3; field <= 15 && p != nullptr; ++field) {
      if (field == 14) utime = strtoull(p, nullptr, 10);
      if (field == 15) stime = strtoull(p, nullptr, 10);
      p = strchr(p, ' ');
      if (p != nullptr) ++p;
    }
    seconds[name] += static_cast<double>(utime + stime) / ticks;
  }
  closedir(tasks);
  return seconds;
}

// For profiling (perf record -p, callgrind): plays at `rate` with one back buffer for `seconds` and
// prints the passes, the pictures and where the processor time went, by thread.
int PlayOnly(int back_width, int back_height, float rate, double seconds) {
  double unused_first_picture = 0;
  StartUpSteps unused_steps;
  if (!StartUp(back_width, back_height, &unused_first_picture, &unused_steps)) return 1;
  g_settings.StoreRefreshRate(rate);
  g_player.Play();
  RunPasses(1.0);
  const std::map<std::string, double> before = ThreadProcessorSeconds();
  const Run run = RunPasses(seconds);
  const std::map<std::string, double> after = ThreadProcessorSeconds();
  g_player.Shutdown();
  g_renderer.Shutdown();
  g_window.Destroy();
  printf(
      "%ix%i back buffer, refresh_rate %.0f, %.0f s: %.1f passes/s, %.1f pictures/s, %.1f new pictures shown/s, "
      "%.1f%% of one core\n",
      back_width, back_height, rate, seconds, run.passes_per_second, run.pictures_per_second,
      run.new_pictures_shown_per_second, run.processor_share);
  for (const auto& thread : after) {
    auto earlier = before.find(thread.first);
    const double used = thread.second - (earlier == before.end() ? 0.0 : earlier->second);
    printf("  %-16s %6.1f%% of one core, %6.2f ms per pass\n", thread.first.c_str(), 100.0 * used / seconds,
           1000.0 * used / (run.passes_per_second * seconds));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "--start-up") == 0) return StartUpOnly();
  std::string make_media = std::string("sh '") + TQ_BENCH_MAKE_MEDIA + "' '" + TQ_BENCH_MEDIA + "'";
  if (std::system(make_media.c_str()) != 0) {
    fprintf(stderr, "could not generate the benchmark media\n");
    return 1;
  }
  if (argc == 6 && strcmp(argv[1], "--play") == 0) {
    return PlayOnly(atoi(argv[2]), atoi(argv[3]), static_cast<float>(atof(argv[4])), atof(argv[5]));
  }

  // Start-up: fresh processes, in turns with mpv's.
  std::vector<double> first_pictures, mpv_start_ups;
  std::vector<StartUpSteps> all_steps;
  for (int i = 0; i < kStartUps; ++i) {
    double seconds = 0;
    StartUpSteps steps;
    if (StartUpInChild(&seconds, &steps)) {
      first_pictures.push_back(seconds);
      all_steps.push_back(steps);
    }
    // Each process starts on a settled machine: what the one before left running as it ended (the X
    // server drawing its last picture, the driver writing its shader cache) is over.
    usleep(kSettleMicroseconds);
    const double mpv = MpvStartUpSeconds();
    if (mpv > 0) mpv_start_ups.push_back(mpv);
    usleep(kSettleMicroseconds);
  }
  if (first_pictures.empty()) {
    fprintf(stderr, "start-up failed\n");
    return 1;
  }
  StartUpSteps median_steps;
  auto median_of = [&all_steps](double StartUpSteps::*field) {
    std::vector<double> values;
    for (const StartUpSteps& steps : all_steps) values.push_back(steps.*field);
    return Median(values);
  };
  median_steps.settings = median_of(&StartUpSteps::settings);
  median_steps.window = median_of(&StartUpSteps::window);
  median_steps.renderer = median_of(&StartUpSteps::renderer);
  median_steps.player = median_of(&StartUpSteps::player);
  median_steps.first_pass = median_of(&StartUpSteps::first_pass);
  median_steps.second_pass = median_of(&StartUpSteps::second_pass);

  double unused_first_picture = 0;
  StartUpSteps unused_steps;
  if (!StartUp(1280, 720, &unused_first_picture, &unused_steps)) {
    fprintf(stderr, "start-up failed\n");
    return 1;
  }

  // Playing, in turns with mpv, with each back buffer.
  Rounds rounds[kBackBufferCases];
  for (int i = 0; i < kBackBufferCases; ++i) {
    if (i > 0 && !UseBackBuffer(kBackBuffers[i][0], kBackBuffers[i][1])) {
      fprintf(stderr, "could not make a %ix%i back buffer\n", kBackBuffers[i][0], kBackBuffers[i][1]);
      return 1;
    }
    rounds[i] = PlayRounds();
  }
  long rss_playing = StatusKilobytes("VmRSS:");
  long rss_peak = StatusKilobytes("VmHWM:");

  g_player.Pause();
  RunPasses(0.5);
  Run paused = RunPasses(kIdleSeconds);

  g_player.Open(Media("sbs_1080p.png").c_str());
  RunPasses(0.5);
  Run still = RunPasses(kIdleSeconds);

  // Pacing with each back buffer: the larger one keeps the renderer busier beside the decoding thread.
  Run pacing[kBackBufferCases][2];
  const float rates[2] = {25.0f, 30.0f};
  for (int b = kBackBufferCases - 1; b >= 0; --b) {
    if (b != kBackBufferCases - 1 && !UseBackBuffer(kBackBuffers[b][0], kBackBuffers[b][1])) return 1;
    for (int i = 0; i < 2; ++i) {
      g_settings.StoreRefreshRate(rates[i]);
      g_player.Open(Media("sbs_1080p.mkv").c_str());
      RunPasses(1.0);
      pacing[b][i] = RunPasses(kPacingSeconds);
    }
  }

  g_player.Shutdown();
  g_renderer.Shutdown();
  g_window.Destroy();

  printf("Player benchmark: 1920x1080 side-by-side H.264 in a 1280x800 window\n");
  for (int i = 0; i < kBackBufferCases; ++i) {
    printf(
        "  %ix%i back buffer%s, playing at refresh_rate 320 (median of %d rounds of %.0f s, each next to "
        "an mpv run):\n",
        kBackBuffers[i][0], kBackBuffers[i][1], i == 0 ? " as in the demo" : "", kRounds, kPlaySeconds);
    PrintRounds(rounds[i], kRatioTargets[i]);
  }
  printf("  paused, %.0f s:                   %7.1f%% of one core (target < 5%%)\n", kIdleSeconds,
         paused.processor_share);
  printf("  still picture, %.0f s:            %7.1f%% of one core (target < 5%%)\n", kIdleSeconds,
         still.processor_share);
  printf("  resident memory while playing   %8.1f MiB (peak %.1f MiB)\n", rss_playing / 1024.0, rss_peak / 1024.0);
  printf("  process start to first picture %8.0f ms (median of %zu fresh processes; target < 1000 ms; runs:",
         Median(first_pictures) * 1000.0, first_pictures.size());
  for (double value : first_pictures) printf(" %.0f", value * 1000.0);
  printf(")\n");
  printf(
      "    settings %.0f, window %.0f, renderer %.0f, player and movie %.0f, first pass %.0f, "
      "second pass %.0f ms (medians)\n",
      median_steps.settings * 1000, median_steps.window * 1000, median_steps.renderer * 1000,
      median_steps.player * 1000, median_steps.first_pass * 1000, median_steps.second_pass * 1000);
  if (!mpv_start_ups.empty()) {
    printf("    mpv start to one picture shown and exit %.0f ms (reference, median, same turns)\n",
           Median(mpv_start_ups) * 1000.0);
  }
  for (int b = 0; b < kBackBufferCases; ++b) {
    for (int i = 0; i < 2; ++i) {
      printf("  pacing at refresh_rate %2.0f, %ix%i back buffer: %6.2f pictures per second (%.0f%% of the rate)\n",
             rates[i], kBackBuffers[b][0], kBackBuffers[b][1], pacing[b][i].pictures_per_second,
             100.0 * pacing[b][i].pictures_per_second / rates[i]);
    }
  }
  return 0;
}
