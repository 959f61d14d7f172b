// Internal to the Direct3D 9 bridges (hlsl_dx9_bridges.h): the state of one bridging run over a token
// list, and the pieces it is made of, by job:
//  - hlsl_dx9_parse.cpp      reads the token list: top-level items, declarations, types, constants;
//  - hlsl_dx9_guards.cpp     refuses input that the Direct3D 9 compiler refuses or that glslang would
//                            crash on;
//  - hlsl_dx9_registers.cpp  hands out c and s registers and flattens structure and int/bool constants
//                            into float constants;
//  - hlsl_dx9_rewrites.cpp   the text rewrites of functions, statics and initialisers;
//  - hlsl_dx9_bridges.cpp    runs them: a first pass that collects, a second that rewrites.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "renderer/hlsl/hlsl_tokens.h"
#include "renderer/hlsl/shader_model.h"

namespace dx9_bridge {

extern const std::set<std::string> kQualifiers;
extern const std::set<std::string> kDirections;
extern const std::set<std::string> kSamplerTypes;
// Effect-framework objects, which a shader compiled on its own does not use.
extern const std::set<std::string> kEffectObjectTypes;
extern const std::set<std::string> kTechniqueWords;

// "float1x3" -> ("float", 1, 3, matrix); "float3" -> ("float", 1, 3, not a matrix); "int" -> ("int", 1, 1).
bool SplitNumericType(const std::string& name, std::string* base, int* rows, int* columns, bool* matrix);

// Top-level item: a declaration, a function, a technique... as a range of token indices.
struct Item {
  size_t first;
  size_t last;  // inclusive: the closing `;` or `}`
};

struct NumericType {
  bool known = false;
  int registers = 0;   // c registers of one element
  int components = 0;  // scalars of one element (for grouped initialisers)
  int rows = 0;
  char base = 0;  // 'f' float family, 'i' signed int, 'u' unsigned int, 'b' bool; 0 when templated
};

struct Declarator {
  size_t name = 0;
  size_t nameEnd = 0;  // last token of the name and its array dimensions
  int arraySize = 1;   // -1 when not a plain integer
  bool isArray = false;
  bool hasRegister = false;
  char registerKind = 0;  // 'c', 's', 'b', 'i', ...
  int registerNumber = 0;
  size_t registerFirst = 0, registerLast = 0;  // `register ( ... )`
  bool hasInit = false;
  size_t equals = 0, initFirst = 0, initLast = 0;
};

struct Declaration {
  std::vector<size_t> qualifiers;
  size_t typeToken = 0;
  bool templated = false;
  std::vector<Declarator> declarators;
};

class Bridger {
 public:
  Bridger(const std::string& text, const HlslTokenList& list, bool vertexStage, const std::string& entry)
      : text_(text), list_(list), t_(list.tokens), vertex_(vertexStage), entry_(entry) {
    float_used_.assign(static_cast<size_t>(vertex_ ? kVertexFloatRegisters : kPixelFloatRegisters), false);
    sampler_used_.assign(static_cast<size_t>(vertex_ ? kVertexSamplers : kPixelSamplers), false);
  }

  bool Run(std::string* bridged, std::string* messages);
  // The second pass, over the text Run produced: one-row and one-column matrices (hlsl_dx9_shapes.cpp).
  std::string RunMatrixShapes();
  // The third pass: initialiser lists in braces (hlsl_dx9_initialisers.cpp).
  std::string RunInitialiserLists();

 private:
  const std::string& T(size_t i) const { return t_[i].text; }
  bool Is(size_t i, const char* s) const { return i < t_.size() && t_[i].text == s; }
  bool IsIdentifier(size_t i) const { return i < t_.size() && t_[i].kind == HlslTokenKind::kIdentifier; }
  std::string Where(size_t i) const { return HlslTokenLocation(list_, t_[i]); }
  std::string Source(size_t first, size_t last) const {
    return text_.substr(t_[first].begin, t_[last].end - t_[first].begin);
  }
  void Remove(size_t first, size_t last) { edits_.push_back({t_[first].begin, t_[last].end, ""}); }
  void Replace(size_t i, const std::string& s) { edits_.push_back({t_[i].begin, t_[i].end, s}); }
  void InsertAfter(size_t i, const std::string& s) { edits_.push_back({t_[i].end, t_[i].end, s}); }
  void InsertBefore(size_t i, const std::string& s) { edits_.push_back({t_[i].begin, t_[i].begin, s}); }

  size_t Matching(size_t open) const;
  std::vector<Item> SplitItems() const;
  bool IsFunction(const Item& item, size_t* nameToken, size_t* openParen) const;
  bool ParseDeclaration(const Item& item, Declaration* d) const;
  NumericType TypeOf(const Declaration& d) const;
  int EvaluateInteger(size_t first, size_t last, bool* ok) const;

  void CollectSamplerUses();
  bool ParseStruct(const Item& item);
  int RegistersOf(const Declaration& d, int depth = 0) const;
  void CollectExplicitRegisters(const Declaration& d);
  void BridgeFunction(const Item& item, size_t name, size_t openParen);
  bool BridgeSamplers(const Declaration& d);
  bool BridgeConstants(const Declaration& d, const Item& item);
  bool NeedsFloatCopy(const Declaration& d) const;
  bool FlattenConstant(const Declaration& d, const Declarator& decl, const std::string& path,
                       const std::string& leaf, int* reg, std::string* declarations, std::string* copies) const;
  bool FlattenOneComponentEach(const Declaration& d, const Declarator& decl, const NumericType& type,
                               const std::string& path, const std::string& leaf, int* reg,
                               std::string* declarations, std::string* copies) const;
  bool BridgeCopiedConstant(const Declaration& d, const Item& item, bool* ok);
  bool RejectUnavailableIntrinsics();
  bool RejectUnfinishedEnd();
  bool RejectEmptyNestedInitialisers();
  bool RejectRedeclaredGlobals(const std::vector<Item>& items, const std::vector<Declaration>& declarations,
                               const std::vector<bool>& parsed);
  void CollectEntryReach(const std::vector<Item>& items, const std::vector<Declaration>& declarations,
                         const std::vector<bool>& parsed);
  bool Unreferenced(const Declaration& d) const;
  void KeepUnusedSampler(const Declaration& d);
  int OneLineShapeOf(size_t first, size_t last) const;
  void CollectOneLineNames();
  void RewriteOneLineUse(size_t i);
  void RewriteOuterProduct(size_t mul);
  struct ListEntry {
    size_t first, last;  // tokens of one entry of an initialiser list
    int width;           // its components
    int used;            // how many of them are placed
    bool matrix;         // may be a matrix: cannot be split by a swizzle
  };
  int ComponentsOfType(const std::string& name, bool* matrix) const;
  int WidthOf(size_t first, size_t last, bool* matrix, int depth) const;
  bool DimensionsOf(const Declarator& decl, std::vector<int>* dims) const;
  bool InitialisedDeclaration(size_t equals, std::string* type, std::vector<int>* dims) const;
  bool EmitInitialiser(const std::string& type, const std::vector<int>& dims, size_t dim,
                       std::vector<ListEntry>* entries, size_t* cursor, std::string* out, int depth) const;
  void CollectNameTypes();
  void BridgeStatic(const Declaration& d, const Item& item);
  void GroupScalarInitialiser(const Declaration& d);
  int Allocate(std::vector<bool>* used, int count) const;
  bool AssignRegister(const Declarator& decl, std::vector<bool>* used, int count, char kind, const char* what);
  void NameUnnamedParameter(size_t first, size_t end);
  void RecordUniformParameter(size_t first, size_t end);
  bool BridgeUniformParameters();

  const std::string& text_;
  const HlslTokenList& list_;
  const std::vector<HlslToken>& t_;
  bool vertex_;
  std::string entry_;
  std::vector<HlslEdit> edits_;
  std::string messages_;
  std::vector<bool> float_used_;
  std::vector<bool> sampler_used_;
  std::set<std::string> user_functions_;
  std::map<std::string, std::string> sampler_kinds_;  // untyped sampler name -> type its lookups need
  std::set<std::string> moved_statics_;
  std::string moved_assignments_;
  std::map<std::string, std::vector<Declaration>> structs_;  // structure name -> member declarations
  std::string constant_copies_;  // statements that fill the static copies of struct and int/bool constants
  std::map<std::string, int> identifier_counts_;  // occurrences of each identifier in the text
  // Identifiers that the entry function reads, directly, through the functions it calls or through the
  // initial values of the globals it reads; empty when the entry function was not found.
  std::set<std::string> entry_reach_;
  bool entry_reach_known_ = false;
  size_t entry_item_ = static_cast<size_t>(-1);
  size_t entry_body_ = 0;  // `{` of the entry function
  std::vector<Declaration> uniform_parameters_;
  std::string uniform_parameter_error_;  // a uniform parameter of the entry function that cannot be laid out
  // Names declared as one-row (shape +N) or one-column (shape -N) matrices, and the tokens that declare them.
  struct OneLineName {
    int shape = 0;
    bool isArray = false;
  };
  std::map<std::string, OneLineName> one_line_names_;
  std::set<size_t> declared_names_;
  std::set<std::string> struct_names_;
  std::set<std::string> outer_helpers_;
  // Numeric type of each name declared with one type only (any scope), for the sizes of list entries.
  struct NameType {
    std::string type;
    bool isArray = false;
  };
  std::map<std::string, NameType> name_types_;  // `uniform` parameters of the entry function
};

}  // namespace dx9_bridge
