// The Direct3D 9 shader-model limits on code size, checked on glslang's tree before code is generated:
// a vs_3_0 / ps_3_0 shader may take 512 instruction slots (the least every device of the shader model
// has) and execute 65535 instructions per vertex or pixel. Code size counts a loop marked [unroll] as
// many times as it runs when its trip count is known (`for (i = A; i < B; i += C)` and the like);
// executed instructions count every loop of known trip count that way. Called functions count at each
// call. The count is a lower bound of what the Direct3D 9 compiler emits (moves, swizzles, conversions and
// constructors are free; a matrix product counts four), so a shader that the shader model holds is never
// refused, and one like 4096 texture reads in an unrolled loop is.
#pragma once

#include <cstdint>
#include <string>

namespace glslang {
class TIntermediate;
}

constexpr uint64_t kMaxSm3InstructionSlots = 512;
constexpr uint64_t kMaxSm3ExecutedInstructions = 65535;

struct HlslInstructionCounts {
  uint64_t slots = 0;     // code size after unrolling
  uint64_t executed = 0;  // instructions one invocation runs, where loop counts are known
};

// Counts from the entry point of a linked stage.
HlslInstructionCounts CountHlslInstructions(const glslang::TIntermediate& stage);

// False with "NAME: error: ..." naming the limit when the counts exceed it.
bool CheckHlslInstructionLimits(const HlslInstructionCounts& counts, const std::string& profile,
                                const std::string& mainName, std::string* error);
