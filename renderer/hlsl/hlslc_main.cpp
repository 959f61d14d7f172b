// tandemix-hlslc: the shader compiler as a process of its own.
//   tandemix-hlslc --serve      the player's compile process (hlslc_serve.h), on standard input/output
//   tandemix-hlslc [-T profile] [-E entry] [-I dir]... [-o out.glsl] FILE
//                               checks a shader file as the player compiles it: messages as
//                               "FILE(LINE): error: ..." on standard error, exit status 0 when it
//                               compiles and 1 when not; -o writes the generated GLSL with its register map.
// The tool compiles through a compile process of its own, as the player does, so a shader that crashes
// or hangs the compiler is reported as an error like any other.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_compile.h"
#include "renderer/hlsl/hlsl_compile_process.h"
#include "renderer/hlsl/hlsl_file_includes.h"
#include "renderer/hlsl/hlsl_source_text.h"
#include "renderer/hlsl/hlsl_translated_shader_wire.h"
#include "renderer/hlsl/hlslc_messages.h"
#include "renderer/hlsl/hlslc_serve.h"
#include "renderer/hlsl/shader_translation.h"

namespace {

const char kUsage[] =
    "usage: tandemix-hlslc [-T ps_3_0|vs_3_0] [-E main] [-I dir]... [-o out.glsl] FILE\n"
    "  Compiles an HLSL shader file as the player does and prints its errors and warnings.\n"
    "  -T profile  ps_3_0 (default), vs_3_0, or ps_2_0, ps_2_a, ps_2_b, vs_2_0, vs_2_a\n"
    "  -E entry    the entry function (default main)\n"
    "  -I dir      also look for #include files in dir (after the including file's folder)\n"
    "  -o file     write the generated GLSL, with its register map as a comment\n"
    "  Exit status: 0 when the file compiles, 1 when it does not.\n";

struct Options {
  std::string profile = "ps_3_0";
  std::string entry = "main";
  std::vector<std::string> includeDirectories;
  std::string output;
  std::string file;
};

// False (with the reason printed) for options the tool does not take.
bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string* value = nullptr;
    if (arg == "-T") value = &options->profile;
    if (arg == "-E") value = &options->entry;
    if (arg == "-o") value = &options->output;
    if (arg == "-I") {
      options->includeDirectories.emplace_back();
      value = &options->includeDirectories.back();
    }
    if (value) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "tandemix-hlslc: %s needs a value\n%s", arg.c_str(), kUsage);
        return false;
      }
      *value = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "tandemix-hlslc: unknown option %s\n%s", arg.c_str(), kUsage);
      return false;
    } else if (options->file.empty()) {
      options->file = arg;
    } else {
      std::fprintf(stderr, "tandemix-hlslc: one FILE at a time (%s and %s)\n%s", options->file.c_str(),
                   arg.c_str(), kUsage);
      return false;
    }
  }
  bool vertexStage = false;
  if (options->file.empty()) {
    std::fprintf(stderr, "tandemix-hlslc: no FILE\n%s", kUsage);
    return false;
  }
  if (!HlslStageOfProfile(options->profile.c_str(), &vertexStage)) {
    std::fprintf(stderr, "tandemix-hlslc: unknown profile %s\n%s", options->profile.c_str(), kUsage);
    return false;
  }
  return true;
}

std::string SelfExecutable() {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.string();
}

// The register map, as comment lines.
std::string RegisterMapComment(const TranslatedShader& shader) {
  std::string map = "// register map\n";
  if (!shader.floatConstantArray.empty()) {
    map += "//   c0..c" + std::to_string(shader.floatConstantRegisters - 1) + ": " + shader.floatConstantArray +
           "[" + std::to_string(shader.floatConstantRegisters) + "] (element i is register ci)\n";
  }
  static const char* const kKinds[] = {"float", "int", "bool"};
  for (const TranslatedPlainConstant& constant : shader.plainConstants) {
    map += "//   c" + std::to_string(constant.firstRegister);
    if (constant.registerCount > 1)
      map += "..c" + std::to_string(constant.firstRegister + constant.registerCount - 1);
    map += ": " + constant.glslName + " (" + kKinds[constant.kind] + ", " + std::to_string(constant.components) +
           " component(s)" +
           (constant.arraySize > 1 ? ", " + std::to_string(constant.arraySize) + " elements" : "") + ")\n";
  }
  for (const TranslatedSampler& sampler : shader.samplers) {
    map += "//   s" + std::to_string(sampler.unit);
    if (sampler.count > 1) map += "..s" + std::to_string(sampler.unit + sampler.count - 1);
    map += ": " + sampler.glslName + " (texture unit " + std::to_string(sampler.unit) + ")\n";
  }
  if (shader.usesPixelOffset)
    map += "//   tq_PixelOffset: (1/width, -1/height) of render target 0, set at each draw\n";
  return map;
}

bool WriteGlsl(const Options& options, const std::string& code) {
  TranslatedShader shader;
  if (!DecodeTranslatedShader(code, &shader)) {
    std::fprintf(stderr, "%s: error: the compiler's output does not parse\n", options.file.c_str());
    return false;
  }
  std::string text = "// " + options.file + " (" + options.profile + ", entry " + options.entry +
                     ") compiled by tandemix-hlslc\n" + RegisterMapComment(shader) + shader.glsl;
  FILE* out = std::fopen(options.output.c_str(), "wb");
  bool written = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (out && std::fclose(out) != 0) written = false;
  if (!written)
    std::fprintf(stderr, "%s: error: cannot write '%s'\n", options.file.c_str(), options.output.c_str());
  return written;
}

int CompileFile(const Options& options) {
  HlslCompileJob job;
  std::string error;
  if (!ReadHlslSourceFile(options.file, &job.text, &error)) {
    std::fprintf(stderr, "%s: error: %s\n", options.file.c_str(), error.c_str());
    return 1;
  }
  job.mainName = options.file;
  job.entryPoint = options.entry;
  job.profile = options.profile;
  CTQHlslFileIncludes includes;
  includes.Initialize(options.file, std::filesystem::path(options.file).parent_path().string(),
                      options.includeDirectories);
  CTQHlslCompileProcess process;
  process.Initialize(SelfExecutable());
  HlslCompileReply reply;
  const bool answered = process.Compile(job, &includes, &reply) == CTQHlslCompileProcess::kAnswered;
  process.Shutdown();
  std::fputs(FormatHlslcMessages(reply.log, options.file).c_str(), stderr);
  if (!answered || reply.status < 0) return 1;
  if (!options.output.empty() && !WriteGlsl(options, reply.code)) return 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--serve") {
    // The pipes move off the standard descriptors, and standard output goes to standard error, so that
    // nothing printed by a library can land in the middle of a message to the player.
    int input = dup(STDIN_FILENO);
    int output = dup(STDOUT_FILENO);
    if (input < 0 || output < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return 1;
    return ServeHlslCompiles(input, output);
  }
  if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options options;
  if (!ParseOptions(argc, argv, &options)) return 1;
  return CompileFile(options);
}
