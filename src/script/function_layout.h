// What the local scope of a script function can hold, worked out once per declaration.
//
// A call's local scope receives names only from inside the function: its parameters, the
// names it assigns (=, compound assignment, ++ and --), its catch and for-in variables,
// and `arguments` when the body mentions it or calls eval. Each such name gets a slot of
// the scope. Every identifier node of the body that reads or writes a variable is marked
// with the layout and its slot (or none: that name can never be a local of this function),
// so the evaluator reaches a local without looking its name up and skips the local step
// for every other name. Lookups by name (a class initialiser evaluated during the call,
// a caught error bound by name) still find the slots through the layout.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "script/shared_string.h"
#include "script/syntax_tree.h"

namespace kestrin {

class TJLocalLayout {
 public:
  struct Local {
    SharedString name;
    std::uint32_t hash;
  };

  // The layout of a function declaration (kind skFunction); marks the identifier nodes of
  // its body (see TJExpr::LocalLayout).
  explicit TJLocalLayout(const TJStatement& declaration);
  TJLocalLayout(const TJLocalLayout&) = delete;
  TJLocalLayout& operator=(const TJLocalLayout&) = delete;

  std::size_t SlotCount() const noexcept { return slotCount_; }
  const Local& SlotName(std::size_t slot) const noexcept { return locals_[slot]; }
  // The slot of a name, or -1.
  std::int32_t Find(std::string_view name, std::uint32_t hash) const noexcept;

  // Slot of each parameter in order (-1 for the placeholder of an empty list).
  const std::vector<std::int32_t>& ParameterSlots() const noexcept { return parameterSlots_; }
  // The slot of `arguments` when a call must make the array, else -1.
  std::int32_t ArgumentsSlot() const noexcept { return argumentsSlot_; }

 private:
  std::int32_t Add(std::string_view name, std::uint32_t hash);
  void CollectChain(const TJStatement* s);
  void CollectExpr(const TJExpr* e);
  void CollectTarget(const TJExpr* e);
  void MarkChain(const TJStatement* s) const;
  void MarkExpr(const TJExpr* e) const;

  std::vector<Local> locals_;
  std::size_t slotCount_ = 0;  // locals_.size(), read at every call
  std::vector<std::int32_t> parameterSlots_;
  std::int32_t argumentsSlot_ = -1;
};

}  // namespace kestrin
