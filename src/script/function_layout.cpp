#include "script/function_layout.h"

#include "script/hash_table.h"

namespace kestrin {

namespace {

// Does the body use `arguments` or eval (which could be given a text that reads it)? Only
// then is the arguments array worth making.
bool MentionsArguments(const TJExpr* e) {
  if (e == nullptr) return false;
  if (e->Code == ecIdentifier && (e->Name == "arguments" || e->Name == "eval")) return true;
  // A member name after "." is not a variable reference.
  if (e->Code == ecMember || e->Code == ecSuperMember) return MentionsArguments(e->Operand1);
  if (e->Code == ecProperty) return MentionsArguments(PartsOfProperty(*e).value);
  if (e->Code == ecNew) return MentionsArguments(PartsOfNew(*e).lastArgument);
  return MentionsArguments(e->Operand1) || MentionsArguments(e->Operand2) || MentionsArguments(e->Operand3);
}

bool ChainMentionsArguments(const TJStatement* s) {
  for (; s != nullptr; s = s->Next) {
    if (MentionsArguments(s->Expr) || ChainMentionsArguments(s->Sub) || ChainMentionsArguments(s->Sub2)) return true;
  }
  return false;
}

bool IsAssignment(std::uint8_t code) {
  return (code >= ecAssign && code <= ecOrAssign) || (code >= ecPreIncrement && code <= ecPostDecrement);
}

}  // namespace

TJLocalLayout::TJLocalLayout(const TJStatement& declaration) {
  const FunctionParts parts = PartsOfFunction(declaration);
  if (ChainMentionsArguments(parts.body)) argumentsSlot_ = Add("arguments", HashName("arguments"));
  for (const TJStatement* p = parts.firstParameter; p != nullptr; p = p->Next) {
    const TJExpr* ident = ParameterName(*p);
    parameterSlots_.push_back(ident != nullptr && ident->Code == ecIdentifier ? Add(ident->Name, ident->Hash) : -1);
  }
  CollectChain(parts.body);
  MarkChain(parts.body);
}

std::int32_t TJLocalLayout::Find(std::string_view name, std::uint32_t hash) const noexcept {
  for (std::size_t i = 0; i < locals_.size(); ++i) {
    if (locals_[i].hash == hash && locals_[i].name.view() == name) return static_cast<std::int32_t>(i);
  }
  return -1;
}

std::int32_t TJLocalLayout::Add(std::string_view name, std::uint32_t hash) {
  const std::int32_t existing = Find(name, hash);
  if (existing >= 0) return existing;
  locals_.push_back({SharedString(name), hash});
  slotCount_ = locals_.size();
  return static_cast<std::int32_t>(locals_.size() - 1);
}

// Names bound in the scope: assignment targets, catch and for-in variables.
void TJLocalLayout::CollectChain(const TJStatement* s) {
  for (; s != nullptr; s = s->Next) {
    if (s->Kind == skCatch) CollectTarget(PartsOfCatch(*s).variable);
    if (s->Kind == skForIn) CollectTarget(PartsOfForIn(*s).variable);
    CollectExpr(s->Expr);
    CollectChain(s->Sub);
    CollectChain(s->Sub2);
  }
}

void TJLocalLayout::CollectExpr(const TJExpr* e) {
  if (e == nullptr) return;
  if (IsAssignment(e->Code)) CollectTarget(e->Operand1);
  CollectExpr(e->Operand1);
  CollectExpr(e->Operand2);
  CollectExpr(e->Operand3);
}

void TJLocalLayout::CollectTarget(const TJExpr* e) {
  if (e != nullptr && e->Code == ecIdentifier) Add(e->Name, e->Hash);
}

void TJLocalLayout::MarkChain(const TJStatement* s) const {
  for (; s != nullptr; s = s->Next) {
    // A loop's plan names the slots of the layout it was made for.
    s->PlanState = 0;
    s->Plan.reset();
    MarkExpr(s->Expr);
    MarkChain(s->Sub);
    MarkChain(s->Sub2);
  }
}

// Every identifier in a variable position; member names, property names and the names of
// `new` are no variables.
void TJLocalLayout::MarkExpr(const TJExpr* e) const {
  if (e == nullptr) return;
  // A numeric tree's verdict names the slots of the layout it was made for: it is made
  // again for this one.
  e->Fast = 0;
  e->FastMisses = 0;
  switch (e->Code) {
    case ecIdentifier:
      e->LocalLayout = this;
      e->LocalSlot = Find(e->Name, e->Hash);
      MarkExpr(e->Operand1);
      return;
    case ecMember:
    case ecSuperMember:
      MarkExpr(e->Operand1);
      return;
    case ecProperty:
      MarkExpr(PartsOfProperty(*e).value);
      return;
    case ecNew:
      MarkExpr(PartsOfNew(*e).lastArgument);
      return;
    default:
      MarkExpr(e->Operand1);
      MarkExpr(e->Operand2);
      MarkExpr(e->Operand3);
      return;
  }
}

}  // namespace kestrin
