#include "renderer/hlsl/hlsl_dx9_bridges.h"

#include "renderer/hlsl/hlsl_dx9_bridger.h"

namespace dx9_bridge {

bool Bridger::Run(std::string* bridged, std::string* messages) {
  if (t_.empty()) {
    *bridged = text_;
    return true;
  }
  std::vector<Item> items = SplitItems();
  std::vector<Declaration> declarations(items.size());
  std::vector<bool> parsed(items.size(), false);
  CollectSamplerUses();
  for (const HlslToken& token : t_) {
    if (token.kind == HlslTokenKind::kIdentifier) ++identifier_counts_[token.text];
  }
  // First pass: functions (names, the entry function) and the registers written in the file.
  for (size_t k = 0; k < items.size(); ++k) {
    size_t name = 0, paren = 0;
    if (kTechniqueWords.count(T(items[k].first))) continue;
    if (IsFunction(items[k], &name, &paren)) {
      BridgeFunction(items[k], name, paren);
      continue;
    }
    if (ParseStruct(items[k])) continue;
    parsed[k] = ParseDeclaration(items[k], &declarations[k]);
  }
  // Registers written in the file count as taken only for what the entry function reads.
  CollectEntryReach(items, declarations, parsed);
  for (size_t k = 0; k < items.size(); ++k) {
    if (parsed[k] && !Unreferenced(declarations[k])) CollectExplicitRegisters(declarations[k]);
  }
  // Second pass: rewrite declarations in order, so registers are handed out in declaration order.
  bool ok = RejectUnfinishedEnd() && RejectUnavailableIntrinsics() && RejectEmptyNestedInitialisers() &&
            RejectRedeclaredGlobals(items, declarations, parsed);
  for (size_t k = 0; k < items.size() && ok; ++k) {
    const Item& item = items[k];
    if (kTechniqueWords.count(T(item.first))) {
      Remove(item.first, item.last);
      continue;
    }
    if (!parsed[k]) continue;
    const Declaration& d = declarations[k];
    const std::string& type = T(d.typeToken);
    bool isStatic = false;
    for (size_t q : d.qualifiers) isStatic = isStatic || T(q) == "static";
    if (kEffectObjectTypes.count(type)) {
      Remove(item.first, item.last);
    } else if (Unreferenced(d)) {
      // The Direct3D 9 compiler gives a constant or sampler that the entry function never reads no
      // register, so it neither pushes the ones after it to higher registers nor collides with them: a
      // sampler goes (or stays without a register for the other functions that read it), a constant
      // stays as a static global without a register.
      if (kSamplerTypes.count(type)) {
        bool usedElsewhere = false;
        for (const Declarator& decl : d.declarators)
          usedElsewhere = usedElsewhere || identifier_counts_[T(decl.name)] > 1;
        if (usedElsewhere) {
          KeepUnusedSampler(d);
        } else {
          Remove(item.first, item.last);
        }
      } else if (!isStatic) {
        for (size_t q : d.qualifiers) {
          if (T(q) == "uniform" || T(q) == "extern" || T(q) == "shared" || T(q) == "const") Remove(q, q);
        }
        for (const Declarator& decl : d.declarators) {
          if (decl.hasRegister && Is(decl.registerFirst - 1, ":"))
            Remove(decl.registerFirst - 1, decl.registerLast);
        }
        InsertBefore(item.first, "static ");
      }
    } else if (kSamplerTypes.count(type)) {
      ok = BridgeSamplers(d);
    } else if (isStatic) {
      GroupScalarInitialiser(d);
      BridgeStatic(d, item);
    } else {
      GroupScalarInitialiser(d);
      ok = BridgeConstants(d, item);
    }
  }
  ok = ok && BridgeUniformParameters();
  if (ok && !(constant_copies_ + moved_assignments_).empty()) {
    InsertAfter(entry_body_, constant_copies_ + moved_assignments_);
  }
  *messages += messages_;
  if (!ok) return false;
  *bridged = ApplyHlslEdits(text_, edits_);
  return true;
}

}  // namespace dx9_bridge

bool BridgeDx9Hlsl(const std::string& text, const HlslTokenList& tokens, bool vertexStage,
                   const std::string& entryPoint, std::string* bridged, std::string* messages) {
  dx9_bridge::Bridger bridger(text, tokens, vertexStage, entryPoint);
  std::string first;
  if (!bridger.Run(&first, messages)) return false;
  const HlslTokenList firstTokens = TokenizeHlsl(first, tokens.files.empty() ? std::string() : tokens.files[0]);
  dx9_bridge::Bridger shapes(first, firstTokens, vertexStage, entryPoint);
  const std::string second = shapes.RunMatrixShapes();
  const HlslTokenList secondTokens = TokenizeHlsl(second, firstTokens.files[0]);
  dx9_bridge::Bridger lists(second, secondTokens, vertexStage, entryPoint);
  *bridged = lists.RunInitialiserLists();
  return true;
}
