// What a compile through the compile process costs over the same compile in this process, once the
// child runs: every shipped shader, each round compiled both ways in turns (so load from elsewhere on the
// machine falls on both alike), medians of the rounds. Two cases:
//  - new source: a line that only this round has is added, so neither side's compile cache has it and
//    glslang runs on both sides (a shader edited and added in a viewer);
//  - cached source: the same source again (the renderer recompiling both shaders on a switch).
// The difference is what the process adds: the frames over the pipes and the child's scheduling.
// Also the first compile after start, which start-up pays once: in a fresh process of this program
// (glslang's set-up, then the compile) next to a newly started child (its start, glslang's set-up there,
// then the compile).
// Run: build/bench/hlsl/tq_bench_hlsl
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_compile.h"
#include "renderer/hlsl/hlsl_compile_process.h"
#include "renderer/hlsl/hlsl_file_includes.h"
#include "renderer/hlsl/hlsl_source_text.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 7;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Timing {
  std::vector<double> inProcess, child;
};

// A shipped shader as a compile job, or false.
bool ReadJob(const std::string& file, HlslCompileJob* job) {
  std::string error;
  if (!ReadHlslSourceFile(file, &job->text, &error)) {
    std::fprintf(stderr, "%s: %s\n", file.c_str(), error.c_str());
    return false;
  }
  job->mainName = file;
  job->entryPoint = "main";
  job->profile = "ps_3_0";
  return true;
}

const char kFirstShader[] = TQ_SHADER_DIR "/encoders/anaglyph-red-cyan-dubois.hlsl";

// In a fresh process of this program: the first compile, glslang's set-up included.
int FirstCompileInProcess() {
  HlslCompileJob job;
  if (!ReadJob(kFirstShader, &job)) return 1;
  Clock::time_point start = Clock::now();
  const bool ok = CompileHlsl(CompileRequestOf(job)).status >= 0;
  std::printf("%f\n", MillisecondsSince(start));
  return ok ? 0 : 1;
}

double FirstCompileInFreshProcess() {
  std::string command = "'/proc/" + std::to_string(getpid()) + "/exe' --first-compile-in-process";
  FILE* child = popen(command.c_str(), "r");
  double ms = -1;
  if (child == nullptr || std::fscanf(child, "%lf", &ms) != 1) ms = -1;
  if (child != nullptr && pclose(child) != 0) ms = -1;
  return ms;
}

// A new compile process: its start, glslang's set-up in it, and the first compile.
double FirstCompileThroughNewChild() {
  HlslCompileJob job;
  if (!ReadJob(kFirstShader, &job)) return -1;
  CTQHlslCompileProcess process;
  Clock::time_point start = Clock::now();
  process.Initialize(TQ_HLSLC);
  HlslCompileReply reply;
  const bool ok = process.Compile(job, nullptr, &reply) == CTQHlslCompileProcess::kAnswered && reply.status >= 0;
  const double ms = MillisecondsSince(start);
  process.Shutdown();
  return ok ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--first-compile-in-process") == 0) return FirstCompileInProcess();
  std::vector<std::string> files;
  for (const char* folder : {"/decoders", "/encoders"}) {
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TQ_SHADER_DIR) + folder)) {
      files.push_back(entry.path().string());
    }
  }
  std::sort(files.begin(), files.end());
  CTQHlslCompileProcess process;
  process.Initialize(TQ_HLSLC);
  // The child starts with its first compile; that start is start-up's cost, not a compile's.
  {
    HlslCompileJob job{"warm.hlsl", "float4 main() : COLOR0 { return 1; }", {}, "main", "ps_3_0"};
    HlslCompileReply reply;
    process.Compile(job, nullptr, &reply);
    CompileHlsl(CompileRequestOf(job));
  }

  Timing fresh, cached;
  int failures = 0;
  for (int round = 0; round < kRounds; ++round) {
    for (const std::string& file : files) {
      HlslCompileJob job;
      if (!ReadJob(file, &job)) return 1;
      CTQHlslFileIncludes includes;
      includes.Initialize(file, std::filesystem::path(file).parent_path().string());
      const std::string base = job.text;
      for (int side = 0; side < 2; ++side) {
        job.text = base + "\nstatic const float benchRound" + std::to_string(round) + "Side" +
                   std::to_string(side) + " = 1;\n";
        for (Timing* timing : {&fresh, &cached}) {
          HlslCompileReply reply;
          Clock::time_point start = Clock::now();
          if (side == 0) {
            reply.status = CompileHlsl(CompileRequestOf(job)).status;
          } else if (process.Compile(job, &includes, &reply) != CTQHlslCompileProcess::kAnswered) {
            reply.status = -1;
          }
          const double ms = MillisecondsSince(start);
          if (reply.status < 0) ++failures;
          (side == 0 ? timing->inProcess : timing->child).push_back(ms);
        }
      }
    }
  }
  process.Shutdown();
  std::vector<double> firstInProcess, firstThroughChild;
  for (int round = 0; round < kRounds; ++round) {
    const double in = FirstCompileInFreshProcess(), out = FirstCompileThroughNewChild();
    if (in < 0 || out < 0) ++failures;
    firstInProcess.push_back(in);
    firstThroughChild.push_back(out);
  }
  if (failures > 0) {
    std::fprintf(stderr, "%d compiles failed\n", failures);
    return 1;
  }
  std::printf("shader compile, %zu shipped shaders x %d rounds, median per compile:\n", files.size(), kRounds);
  for (auto [name, timing] :
       {std::pair<const char*, Timing*>{"new source   ", &fresh}, {"cached source", &cached}}) {
    const double in = Median(timing->inProcess), out = Median(timing->child);
    std::printf("  %s  in process %7.2f ms   through the child %7.2f ms   difference %+6.2f ms   ratio %.2f\n",
                name, in, out, out - in, in > 0 ? out / in : 0.0);
  }
  const double in = Median(firstInProcess), out = Median(firstThroughChild);
  std::printf(
      "  first compile  in a fresh process %7.2f ms   through a new child %7.2f ms   difference %+6.2f ms   ratio "
      "%.2f\n",
      in, out, out - in, in > 0 ? out / in : 0.0);
  return 0;
}
