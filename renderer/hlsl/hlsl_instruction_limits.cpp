#include "renderer/hlsl/hlsl_instruction_limits.h"

#include <glslang/Include/intermediate.h>
#include <glslang/MachineIndependent/localintermediate.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

using namespace glslang;

namespace {

// Counts saturate here: far above any limit, and no overflow however deep loops nest.
constexpr uint64_t kCountCeiling = uint64_t{1} << 50;

uint64_t Add(uint64_t a, uint64_t b) { return std::min(kCountCeiling, a + b); }
uint64_t Times(uint64_t a, uint64_t n) {
  if (a == 0 || n == 0) return 0;
  return a > kCountCeiling / n ? kCountCeiling : a * n;
}

HlslInstructionCounts Sum(HlslInstructionCounts a, HlslInstructionCounts b) {
  return {Add(a.slots, b.slots), Add(a.executed, b.executed)};
}

bool IsConversion(TOperator op) { return op >= EOpConvInt8ToBool && op < EOpAdd; }
bool IsConstructor(TOperator op) { return op > EOpConstructGuardStart && op < EOpConstructGuardEnd; }
bool IsAssignment(TOperator op) { return op >= EOpAssign && op <= EOpRightShiftAssign; }
bool IsStep(TOperator op) {
  return op == EOpPostIncrement || op == EOpPostDecrement || op == EOpPreIncrement || op == EOpPreDecrement;
}

// What one operator costs by itself, apart from its operands.
uint64_t OperatorCost(TOperator op) {
  if (IsConversion(op) || IsConstructor(op)) return 0;
  switch (op) {
    case EOpNull:
    case EOpSequence:
    case EOpParameters:
    case EOpLinkerObjects:
    case EOpFunction:
    case EOpFunctionCall:
    case EOpComma:
    case EOpNegative:  // a source modifier
    case EOpCopyObject:
    case EOpDeclare:
    case EOpAssign:
    case EOpIndexDirect:
    case EOpIndexIndirect:
    case EOpIndexDirectStruct:
    case EOpVectorSwizzle:
    case EOpMatrixSwizzle:
    case EOpMethod:
    case EOpScoping:
      return 0;
    case EOpVectorTimesMatrix:
    case EOpMatrixTimesVector:
    case EOpMatrixTimesMatrix:
    case EOpVectorTimesMatrixAssign:
    case EOpMatrixTimesMatrixAssign:
      return 4;
    default:
      return 1;
  }
}

// A numeric constant's value.
bool ConstantValue(const TIntermNode* node, double* value) {
  const TIntermConstantUnion* constant = node ? node->getAsConstantUnion() : nullptr;
  if (!constant || constant->getConstArray().size() < 1) return false;
  const TConstUnion& c = constant->getConstArray()[0];
  switch (c.getType()) {
    case EbtInt:
      *value = c.getIConst();
      return true;
    case EbtUint:
      *value = c.getUConst();
      return true;
    case EbtFloat:
    case EbtDouble:
      *value = c.getDConst();
      return true;
    default:
      return false;
  }
}

long long SymbolId(const TIntermNode* node) {
  const TIntermSymbol* symbol = node ? node->getAsSymbolNode() : nullptr;
  return symbol ? symbol->getId() : -1;
}

// Constant values assigned to variables by the statements before a loop in the same block.
using KnownValues = std::map<long long, double>;

// Step of `i++`, `--i`, `i += c`, `i -= c`, `i = i + c` on the variable `id`.
bool LoopStep(const TIntermTyped* terminal, long long id, double* step) {
  if (!terminal) return false;
  if (const TIntermUnary* unary = terminal->getAsUnaryNode()) {
    if (SymbolId(unary->getOperand()) != id) return false;
    switch (unary->getOp()) {
      case EOpPostIncrement:
      case EOpPreIncrement:
        *step = 1;
        return true;
      case EOpPostDecrement:
      case EOpPreDecrement:
        *step = -1;
        return true;
      default:
        return false;
    }
  }
  const TIntermBinary* binary = terminal->getAsBinaryNode();
  if (!binary || SymbolId(binary->getLeft()) != id) return false;
  double amount = 0;
  if (binary->getOp() == EOpAddAssign || binary->getOp() == EOpSubAssign) {
    if (!ConstantValue(binary->getRight(), &amount)) return false;
    *step = binary->getOp() == EOpAddAssign ? amount : -amount;
    return true;
  }
  const TIntermBinary* sum = binary->getOp() == EOpAssign ? binary->getRight()->getAsBinaryNode() : nullptr;
  if (!sum || (sum->getOp() != EOpAdd && sum->getOp() != EOpSub) || SymbolId(sum->getLeft()) != id ||
      !ConstantValue(sum->getRight(), &amount))
    return false;
  *step = sum->getOp() == EOpAdd ? amount : -amount;
  return true;
}

// The number of times a loop body runs, when the loop counts a variable from a known start by a
// constant step to a constant bound; false when it cannot be told (or never ends).
bool TripCount(const TIntermLoop* loop, const KnownValues& known, uint64_t* trips) {
  const TIntermBinary* test = loop->getTest() ? loop->getTest()->getAsBinaryNode() : nullptr;
  if (!test) return false;
  TOperator op = test->getOp();
  long long id = SymbolId(test->getLeft());
  double bound = 0;
  if (id < 0 || !ConstantValue(test->getRight(), &bound)) {
    // `bound > i` is `i < bound`.
    id = SymbolId(test->getRight());
    if (id < 0 || !ConstantValue(test->getLeft(), &bound)) return false;
    switch (op) {
      case EOpLessThan:
        op = EOpGreaterThan;
        break;
      case EOpGreaterThan:
        op = EOpLessThan;
        break;
      case EOpLessThanEqual:
        op = EOpGreaterThanEqual;
        break;
      case EOpGreaterThanEqual:
        op = EOpLessThanEqual;
        break;
      default:
        break;
    }
  }
  auto start = known.find(id);
  double step = 0;
  if (start == known.end() || !LoopStep(loop->getTerminal(), id, &step) || step == 0) return false;
  const double distance = bound - start->second;
  double count = 0;
  switch (op) {
    case EOpLessThan:
      count = step > 0 ? std::ceil(distance / step) : (distance > 0 ? -1 : 0);
      break;
    case EOpLessThanEqual:
      count = step > 0 ? std::floor(distance / step) + 1 : (distance >= 0 ? -1 : 0);
      break;
    case EOpGreaterThan:
      count = step < 0 ? std::ceil(distance / step) : (distance < 0 ? -1 : 0);
      break;
    case EOpGreaterThanEqual:
      count = step < 0 ? std::floor(distance / step) + 1 : (distance <= 0 ? -1 : 0);
      break;
    case EOpNotEqual: {
      double exact = distance / step;
      if (exact < 0 || exact != std::floor(exact)) return false;
      count = exact;
      break;
    }
    default:
      return false;
  }
  if (count < 0) return false;  // never ends: nothing to count
  if (!loop->testFirst()) count = std::max(count, 1.0);
  *trips = count > static_cast<double>(kCountCeiling) ? kCountCeiling : static_cast<uint64_t>(count);
  return true;
}

class CTQInstructionCounter {
 public:
  explicit CTQInstructionCounter(const TIntermediate& stage) {
    const TIntermAggregate* root = stage.getTreeRoot() ? stage.getTreeRoot()->getAsAggregate() : nullptr;
    if (!root) return;
    for (const TIntermNode* node : root->getSequence()) {
      const TIntermAggregate* function = node ? node->getAsAggregate() : nullptr;
      if (function && function->getOp() == EOpFunction) functions_[function->getName().c_str()] = function;
    }
    entry_ = stage.getEntryPointMangledName();
  }

  HlslInstructionCounts CountEntry() { return CountFunction(entry_); }

 private:
  HlslInstructionCounts CountFunction(const std::string& name) {
    auto done = counted_.find(name);
    if (done != counted_.end()) return done->second;
    auto function = functions_.find(name);
    // Recursion (which HLSL does not have) and undefined functions count nothing more.
    if (function == functions_.end() || !active_.insert(name).second) return {};
    KnownValues known;
    HlslInstructionCounts counts = Count(function->second, &known);
    active_.erase(name);
    counted_[name] = counts;
    return counts;
  }

  HlslInstructionCounts CountLoop(const TIntermLoop* loop, const KnownValues& known) {
    KnownValues inner;  // the body may change anything; only its own statements are known inside
    HlslInstructionCounts once = Count(loop->getBody(), &inner);
    once = Sum(once, Count(loop->getTest(), &inner));
    once = Sum(once, Count(loop->getTerminal(), &inner));
    uint64_t trips = 0;
    if (!TripCount(loop, known, &trips)) return once;
    const bool unrolled = loop->getUnroll() && !loop->getDontUnroll();
    return {unrolled ? Times(once.slots, trips) : once.slots, Times(once.executed, trips)};
  }

  // `known` collects the constants assigned by the statements of the block being counted.
  HlslInstructionCounts Count(const TIntermNode* node, KnownValues* known) {
    if (!node) return {};
    // What a loop or a branch assigns is not known after it: such statements forget every value, so that a
    // later loop is never counted from a stale start (which could over-count).
    if (const TIntermLoop* loop = node->getAsLoopNode()) {
      HlslInstructionCounts counts = CountLoop(loop, *known);
      known->clear();
      return counts;
    }
    if (const TIntermSelection* selection = node->getAsSelectionNode()) {
      HlslInstructionCounts condition = Count(selection->getCondition(), known);
      KnownValues scratch = *known;
      HlslInstructionCounts whenTrue = Count(selection->getTrueBlock(), &scratch);
      scratch = *known;
      HlslInstructionCounts whenFalse = Count(selection->getFalseBlock(), &scratch);
      known->clear();
      return {Add(condition.slots, Add(whenTrue.slots, whenFalse.slots)),
              Add(condition.executed, std::max(whenTrue.executed, whenFalse.executed))};
    }
    if (const TIntermSwitch* choice = node->getAsSwitchNode()) {
      HlslInstructionCounts counts = Count(choice->getCondition(), known);
      KnownValues scratch = *known;
      counts = Sum(counts, Count(choice->getBody(), &scratch));
      known->clear();
      return counts;
    }
    if (const TIntermBranch* branch = node->getAsBranchNode()) return Count(branch->getExpression(), known);
    if (const TIntermUnary* unary = node->getAsUnaryNode()) {
      HlslInstructionCounts operand = Count(unary->getOperand(), known);
      if (IsStep(unary->getOp())) known->erase(SymbolId(unary->getOperand()));
      return Sum(operand, {OperatorCost(unary->getOp()), OperatorCost(unary->getOp())});
    }
    if (const TIntermBinary* binary = node->getAsBinaryNode()) {
      double value = 0;
      long long id = SymbolId(binary->getLeft());
      if (IsAssignment(binary->getOp()) && id >= 0) {
        if (binary->getOp() == EOpAssign && ConstantValue(binary->getRight(), &value)) {
          (*known)[id] = value;
        } else {
          known->erase(id);
        }
      }
      HlslInstructionCounts operands = Sum(Count(binary->getLeft(), known), Count(binary->getRight(), known));
      return Sum(operands, {OperatorCost(binary->getOp()), OperatorCost(binary->getOp())});
    }
    if (const TIntermAggregate* aggregate = node->getAsAggregate()) {
      HlslInstructionCounts total;
      for (const TIntermNode* child : aggregate->getSequence()) total = Sum(total, Count(child, known));
      if (aggregate->getOp() == EOpFunctionCall) {
        total = Sum(total, CountFunction(aggregate->getName().c_str()));
        // An out or inout argument may change a variable.
        for (const TIntermNode* argument : aggregate->getSequence()) known->erase(SymbolId(argument));
      } else {
        total = Sum(total, {OperatorCost(aggregate->getOp()), OperatorCost(aggregate->getOp())});
      }
      return total;
    }
    return {};  // symbols, constants
  }

  std::map<std::string, const TIntermAggregate*> functions_;
  std::map<std::string, HlslInstructionCounts> counted_;
  std::set<std::string> active_;
  std::string entry_;
};

}  // namespace

HlslInstructionCounts CountHlslInstructions(const TIntermediate& stage) {
  return CTQInstructionCounter(stage).CountEntry();
}

bool CheckHlslInstructionLimits(const HlslInstructionCounts& counts, const std::string& profile,
                                const std::string& mainName, std::string* error) {
  if (counts.slots > kMaxSm3InstructionSlots) {
    *error = mainName + ": error: the shader needs at least " + std::to_string(counts.slots) +
             " instruction slots after unrolling its loops; " + profile + " allows " +
             std::to_string(kMaxSm3InstructionSlots);
    return false;
  }
  if (counts.executed > kMaxSm3ExecutedInstructions) {
    *error = mainName + ": error: the shader executes at least " + std::to_string(counts.executed) +
             " instructions per " + (profile.rfind("vs", 0) == 0 ? "vertex" : "pixel") + "; " + profile +
             " allows " + std::to_string(kMaxSm3ExecutedInstructions);
    return false;
  }
  return true;
}
