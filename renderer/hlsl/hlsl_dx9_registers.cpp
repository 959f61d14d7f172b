// Registers of a bridging run: the c and s registers written in the file, the free ones handed out in
// declaration order as the Direct3D 9 compiler does, and structure and int/bool constants flattened
// into float constants with a static copy the shader reads.
#include "renderer/hlsl/hlsl_dx9_bridger.h"

#include <algorithm>
#include <cstdlib>

namespace dx9_bridge {

int Bridger::Allocate(std::vector<bool>* used, int count) const {
  int size = static_cast<int>(used->size());
  for (int start = 0; start + count <= size; ++start) {
    bool free = true;
    for (int k = start; k < start + count && free; ++k) free = !(*used)[static_cast<size_t>(k)];
    if (free) {
      for (int k = start; k < start + count; ++k) (*used)[static_cast<size_t>(k)] = true;
      return start;
    }
  }
  return -1;
}

// Gives `decl` the first `count` free registers of `used`, written as `register(<kind>N)` in place of the
// clause it has or after its name. False, with a message naming the `what` register, when none are free.
bool Bridger::AssignRegister(const Declarator& decl, std::vector<bool>* used, int count, char kind,
                             const char* what) {
  const int reg = Allocate(used, count);
  if (reg < 0) {
    messages_ += Where(decl.name) + ": error: no free " + what + " register for '" + T(decl.name) + "'\n";
    return false;
  }
  const std::string clause = std::string("register(") + kind + std::to_string(reg) + ")";
  if (decl.hasRegister) {
    edits_.push_back({t_[decl.registerFirst].begin, t_[decl.registerLast].end, clause});
  } else {
    InsertAfter(decl.nameEnd, " : " + clause);
  }
  return true;
}

// `struct NAME { members };`: the members, for the register layout of constants of that type.
bool Bridger::ParseStruct(const Item& item) {
  size_t open = item.first + 2;
  if (!Is(item.first, "struct") || !IsIdentifier(item.first + 1) || !Is(open, "{")) return false;
  size_t close = Matching(open);
  if (close >= item.last || !Is(close + 1, ";") || close + 1 != item.last) return false;
  std::vector<Declaration> members;
  size_t first = open + 1;
  for (size_t i = first; i < close; ++i) {
    if (!Is(i, ";")) continue;
    Declaration member;
    if (!ParseDeclaration({first, i}, &member)) return false;
    members.push_back(member);
    first = i + 1;
  }
  if (first != close || members.empty()) return false;
  structs_[T(item.first + 1)] = members;
  return true;
}

// Registers of one element of a declared type: a structure's members each start a register of their
// own, in order, as the Direct3D 9 compiler lays them out. -1 when the type is not known, nests too deep
// (a structure that contains itself) or is larger than any register file.
int Bridger::RegistersOf(const Declaration& d, int depth) const {
  constexpr int kMaxStructNesting = 16;
  constexpr long long kMaxRegisters = 4096;
  auto found = structs_.find(T(d.typeToken));
  if (found == structs_.end()) {
    NumericType type = TypeOf(d);
    return type.known ? type.registers : -1;
  }
  if (depth >= kMaxStructNesting) return -1;
  long long total = 0;
  for (const Declaration& member : found->second) {
    int each = RegistersOf(member, depth + 1);
    for (const Declarator& decl : member.declarators) {
      if (each < 0 || decl.arraySize < 1) return -1;
      total += static_cast<long long>(each) * decl.arraySize;
      if (total > kMaxRegisters) return -1;
    }
  }
  return static_cast<int>(total);
}

void Bridger::CollectExplicitRegisters(const Declaration& d) {
  bool sampler = kSamplerTypes.count(T(d.typeToken)) > 0;
  const int registers = RegistersOf(d);
  for (const Declarator& decl : d.declarators) {
    if (!decl.hasRegister) continue;
    if (sampler && decl.registerKind == 's') {
      int count = decl.arraySize > 0 ? decl.arraySize : 1;
      for (int k = 0; k < count; ++k) {
        size_t r = static_cast<size_t>(decl.registerNumber + k);
        if (r < sampler_used_.size()) sampler_used_[r] = true;
      }
    } else if (!sampler && decl.registerKind == 'c') {
      const long long count = static_cast<long long>(registers > 0 ? registers : 1) *
                              (decl.arraySize > 0 ? decl.arraySize : 1);
      const long long end = std::min<long long>(decl.registerNumber + count,
                                                static_cast<long long>(float_used_.size()));
      for (long long r = decl.registerNumber; r < end; ++r) float_used_[static_cast<size_t>(r)] = true;
    }
  }
}

// A `uniform` parameter of the entry function is a constant like a global: one without a register is
// given the next free one after the globals, as the Direct3D 9 compiler does.
void Bridger::RecordUniformParameter(size_t first, size_t end) {
  Declaration d;
  size_t i = first;
  while (i < end && IsIdentifier(i) && kQualifiers.count(T(i))) d.qualifiers.push_back(i++);
  bool uniform = false;
  for (size_t q : d.qualifiers) uniform = uniform || T(q) == "uniform";
  if (!uniform || i + 1 >= end || !IsIdentifier(i) || !IsIdentifier(i + 1)) return;
  d.typeToken = i;
  Declarator decl;
  decl.name = decl.nameEnd = i + 1;
  const NumericType declared = TypeOf(d);
  if (declared.known && declared.registers > 1 && declared.registers == declared.components &&
      uniform_parameter_error_.empty()) {
    // One component per register (a column_major 1xN, a row_major Nx1) has no parameter form here.
    uniform_parameter_error_ = Where(i + 1) + ": error: uniform parameter '" + T(i + 1) + "' of type " + T(i) +
                               " spans " + std::to_string(declared.registers) +
                               " registers, one component each: declare it as a global\n";
  }
  for (size_t k = i + 2; k < end; ++k) {
    if (!Is(k, "register")) continue;
    decl.hasRegister = true;
    const std::string r = k + 2 < end ? T(k + 2) : "";
    NumericType type = TypeOf(d);
    if (r.size() >= 2 && (r[0] == 'c' || r[0] == 'C') && type.known) {
      for (int n = std::atoi(r.c_str() + 1), last = n + type.registers; n < last; ++n) {
        if (n >= 0 && static_cast<size_t>(n) < float_used_.size()) float_used_[static_cast<size_t>(n)] = true;
      }
    }
  }
  if (decl.hasRegister || Is(i + 2, "[") || kSamplerTypes.count(T(i))) return;
  d.declarators.push_back(decl);
  uniform_parameters_.push_back(d);
}

bool Bridger::BridgeUniformParameters() {
  if (!uniform_parameter_error_.empty()) {
    messages_ += uniform_parameter_error_;
    return false;
  }
  for (const Declaration& d : uniform_parameters_) {
    NumericType type = TypeOf(d);
    if (!type.known) continue;
    const Declarator& decl = d.declarators[0];
    int reg = Allocate(&float_used_, type.registers);
    if (reg < 0) {
      messages_ += Where(decl.name) + ": error: no free constant register for '" + T(decl.name) + "'\n";
      return false;
    }
    InsertAfter(decl.nameEnd, " : register(c" + std::to_string(reg) + ")");
  }
  return true;
}

bool Bridger::BridgeSamplers(const Declaration& d) {
  // `sampler s = sampler_state { ... };` -> `sampler s;`
  for (const Declarator& decl : d.declarators) {
    if (decl.hasInit && Is(decl.initFirst, "sampler_state")) Remove(decl.equals, decl.initLast);
  }
  if (T(d.typeToken) == "sampler" && d.declarators.size() == 1) {
    auto kind = sampler_kinds_.find(T(d.declarators[0].name));
    if (kind != sampler_kinds_.end() && !kind->second.empty() && kind->second != "sampler2D") {
      Replace(d.typeToken, kind->second);
    }
  }
  for (const Declarator& decl : d.declarators) {
    if (decl.hasRegister && decl.registerKind == 's') continue;
    const int count = decl.arraySize > 0 ? decl.arraySize : 1;
    if (!AssignRegister(decl, &sampler_used_, count, 's', "sampler")) return false;
  }
  return true;
}

bool Bridger::BridgeConstants(const Declaration& d, const Item& item) {
  NumericType type = TypeOf(d);
  bool allInitialisedWithoutRegister = true;
  for (const Declarator& decl : d.declarators) {
    allInitialisedWithoutRegister = allInitialisedWithoutRegister && decl.hasInit && !decl.hasRegister;
  }
  if (allInitialisedWithoutRegister) {
    // Nothing can set such a global (the player sets registers by number): keep the written value.
    for (size_t q : d.qualifiers) {
      if (T(q) == "uniform" || T(q) == "extern" || T(q) == "shared") Remove(q, q);
    }
    InsertBefore(item.first, "static ");
    return true;
  }
  for (const Declarator& decl : d.declarators) {
    if (decl.hasRegister && decl.hasInit) {
      messages_ += Where(decl.name) + ": warning: the initial value of '" + T(decl.name) +
                   "' is not used: its value comes from its register\n";
    }
  }
  bool ok = true;
  if (BridgeCopiedConstant(d, item, &ok)) return ok;
  for (const Declarator& decl : d.declarators) {
    if (decl.hasRegister && decl.registerKind == 'c') continue;
    if (!type.known || decl.arraySize < 1) continue;  // forms not covered: left to glslang's packing
    if (!AssignRegister(decl, &float_used_, type.registers * decl.arraySize, 'c', "constant")) return false;
  }
  return true;
}

// Structures and int/bool types cannot share the float register file that the device feeds, and a matrix
// of one component per register has no layout glslang gives: such a constant is declared as the float
// constants it is made of, one per register range, and the name the shader uses becomes a static copy,
// filled from them at the start of the entry function.
bool Bridger::NeedsFloatCopy(const Declaration& d) const {
  if (structs_.count(T(d.typeToken))) return true;
  NumericType type = TypeOf(d);
  if (type.known && type.registers > 1 && type.registers == type.components) return true;
  return type.known && type.rows == 1 && (type.base == 'i' || type.base == 'u' || type.base == 'b');
}

bool Bridger::FlattenConstant(const Declaration& d, const Declarator& decl, const std::string& path,
                              const std::string& leaf, int* reg, std::string* declarations,
                              std::string* copies) const {
  if (decl.arraySize < 1) return false;
  const int elements = decl.isArray ? decl.arraySize : 1;
  auto found = structs_.find(T(d.typeToken));
  if (found != structs_.end()) {
    if (decl.isArray && !Is(decl.name + 1, "[")) return false;
    if (decl.isArray && Matching(decl.name + 1) != decl.nameEnd) return false;  // one dimension only
    for (int k = 0; k < elements; ++k) {
      const std::string index = std::to_string(k);
      const std::string elementPath = decl.isArray ? path + "[" + index + "]" : path;
      const std::string elementLeaf = decl.isArray ? leaf + "_" + index : leaf;
      for (const Declaration& member : found->second) {
        for (const Declarator& m : member.declarators) {
          if (!FlattenConstant(member, m, elementPath + "." + T(m.name), elementLeaf + "_" + T(m.name), reg,
                               declarations, copies)) {
            return false;
          }
        }
      }
    }
    return true;
  }
  NumericType type = TypeOf(d);
  if (!type.known || d.templated) return false;
  if (type.registers > 1 && type.registers == type.components) {
    return FlattenOneComponentEach(d, decl, type, path, leaf, reg, declarations, copies);
  }
  std::string floatType = T(d.typeToken);
  if (type.base != 'f') {
    if (type.rows != 1) return false;
    floatType = type.components == 1 ? "float" : "float" + std::to_string(type.components);
  }
  std::string qualifiers;
  for (size_t q : d.qualifiers) {
    if (T(q) == "row_major" || T(q) == "column_major") qualifiers += T(q) + " ";
  }
  const std::string dims = decl.isArray ? Source(decl.name + 1, decl.nameEnd) : "";
  *declarations += qualifiers + floatType + " " + leaf + dims + " : register(c" + std::to_string(*reg) + "); ";
  *reg += type.registers * elements;
  auto converted = [&](const std::string& from) {
    if (type.base == 'b') return "(" + from + " != 0)";
    if (type.base == 'i' || type.base == 'u') return "(" + T(d.typeToken) + ")(" + from + ")";
    return from;
  };
  if (!decl.isArray) {
    *copies += " " + path + " = " + converted(leaf) + ";";
  } else {
    // Element by element: the float register file is indexed per register, not copied as an array.
    if (Matching(decl.name + 1) != decl.nameEnd) return false;  // one dimension only
    *copies += " for (int tq_k = 0; tq_k < " + std::to_string(elements) + "; ++tq_k) " + path +
               "[tq_k] = " + converted(leaf + "[tq_k]") + ";";
  }
  return true;
}

// A column_major 1xN or a row_major Nx1 matrix spans N registers with one component in each (.x): it is
// declared as an array of floats, one register each, and its copy built from them.
bool Bridger::FlattenOneComponentEach(const Declaration& d, const Declarator& decl, const NumericType& type,
                                      const std::string& path, const std::string& leaf, int* reg,
                                      std::string* declarations, std::string* copies) const {
  const int elements = decl.isArray ? decl.arraySize : 1;
  if (decl.isArray && Matching(decl.name + 1) != decl.nameEnd) return false;  // one dimension only
  const std::string count = std::to_string(type.registers);
  *declarations += "float " + leaf + "[" + std::to_string(type.registers * elements) + "] : register(c" +
                   std::to_string(*reg) + "); ";
  *reg += type.registers * elements;
  const std::string first = decl.isArray ? "tq_k * " + count + " + " : "";
  std::string value = T(d.typeToken) + "(";
  for (int k = 0; k < type.registers; ++k) value += (k ? ", " : "") + leaf + "[" + first + std::to_string(k) + "]";
  value += ")";
  if (!decl.isArray) {
    *copies += " " + path + " = " + value + ";";
  } else {
    *copies += " for (int tq_k = 0; tq_k < " + std::to_string(elements) + "; ++tq_k) " + path +
               "[tq_k] = " + value + ";";
  }
  return true;
}

// Rewrites a structure or int/bool constant declared before the entry function as described above.
// False when the declaration is not such a constant (or has a form this does not cover); *ok turns false
// when its registers cannot be found.
bool Bridger::BridgeCopiedConstant(const Declaration& d, const Item& item, bool* ok) {
  if (entry_item_ == static_cast<size_t>(-1) || item.first > entry_item_ || !NeedsFloatCopy(d)) return false;
  const int registers = RegistersOf(d);
  if (registers < 1) return false;
  std::string replacement, copies;
  std::vector<bool> used = float_used_;
  const std::string typeText = Source(d.typeToken, d.typeToken);
  for (const Declarator& decl : d.declarators) {
    if (decl.arraySize < 1) return false;
    const long long count = static_cast<long long>(registers) * decl.arraySize;
    const long long limit = static_cast<long long>(used.size());
    int reg = -1;
    if (count <= limit) {
      reg = decl.hasRegister && decl.registerKind == 'c' ? decl.registerNumber
                                                         : Allocate(&used, static_cast<int>(count));
    }
    if (reg < 0 || reg + count > limit) {
      messages_ += Where(decl.name) + ": error: no free constant register for '" + T(decl.name) + "'\n";
      *ok = false;
      return true;
    }
    const std::string dims = decl.isArray ? Source(decl.name + 1, decl.nameEnd) : "";
    replacement += "static " + typeText + " " + T(decl.name) + dims + "; ";
    if (!FlattenConstant(d, decl, T(decl.name), "tq_c_" + T(decl.name), &reg, &replacement, &copies)) return false;
  }
  float_used_ = used;
  for (const Declarator& decl : d.declarators) moved_statics_.insert(T(decl.name));
  constant_copies_ += copies;
  edits_.push_back({t_[item.first].begin, t_[item.last].end, replacement});
  return true;
}

// Follows the entry function: the identifiers of its text, of every user function it calls (by name,
// all overloads) and of the initial values of the globals it reads, until nothing new is found. The
// Direct3D 9 compiler gives registers only to what this reaches, so an effect file can declare, for
// each of its pixel shader functions, constants and samplers on the same registers.
void Bridger::CollectEntryReach(const std::vector<Item>& items, const std::vector<Declaration>& declarations,
                                const std::vector<bool>& parsed) {
  struct Range {
    size_t first, last;
  };
  std::map<std::string, std::vector<Range>> functions;     // name -> its items (definitions, prototypes)
  std::map<std::string, std::vector<Range>> initialisers;  // global name -> its initial value
  for (size_t k = 0; k < items.size(); ++k) {
    size_t name = 0, paren = 0;
    if (kTechniqueWords.count(T(items[k].first))) continue;
    if (IsFunction(items[k], &name, &paren)) {
      functions[T(name)].push_back({items[k].first, items[k].last});
    } else if (parsed[k]) {
      for (const Declarator& decl : declarations[k].declarators) {
        if (decl.hasInit) initialisers[T(decl.name)].push_back({decl.initFirst, decl.initLast});
      }
    }
  }
  auto entry = functions.find(entry_);
  if (entry == functions.end()) return;
  entry_reach_known_ = true;
  std::vector<Range> pending = entry->second;
  entry_reach_.insert(entry_);
  while (!pending.empty()) {
    const Range range = pending.back();
    pending.pop_back();
    for (size_t i = range.first; i <= range.last; ++i) {
      if (!IsIdentifier(i) || !entry_reach_.insert(T(i)).second) continue;
      for (const auto* found : {&functions, &initialisers}) {
        auto ranges = found->find(T(i));
        if (ranges != found->end()) pending.insert(pending.end(), ranges->second.begin(), ranges->second.end());
      }
    }
  }
}

// A global declaration none of whose names the entry function reads (CollectEntryReach). Without an
// entry function: none of whose names is used anywhere else in the shader and that names no register.
bool Bridger::Unreferenced(const Declaration& d) const {
  for (const Declarator& decl : d.declarators) {
    if (entry_reach_known_) {
      if (entry_reach_.count(T(decl.name))) return false;
      continue;
    }
    auto found = identifier_counts_.find(T(decl.name));
    if (decl.hasRegister || (found != identifier_counts_.end() && found->second > 1)) return false;
  }
  return !d.declarators.empty();
}

// A sampler that only functions other than the entry read: it stays declared for them, without effect
// states and without a register, so that it cannot collide with the entry's samplers.
void Bridger::KeepUnusedSampler(const Declaration& d) {
  for (const Declarator& decl : d.declarators) {
    if (decl.hasRegister && Is(decl.registerFirst - 1, ":")) Remove(decl.registerFirst - 1, decl.registerLast);
    if (decl.hasInit && Is(decl.initFirst, "sampler_state")) Remove(decl.equals, decl.initLast);
  }
}

}  // namespace dx9_bridge
