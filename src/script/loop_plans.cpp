// Loop plans: the body of a loop in a function as a list of steps chosen once, so a pass
// does not walk the statement chain, ask each statement what it is and do the chain's
// per-statement work in full where nothing could have changed since the last statement.
// Every step keeps the general way for the values its form does not take.
#include "script/evaluator_internals.h"

namespace kestrin {

using namespace evaluator;

namespace {

enum StepOp : std::uint8_t {
  kNothing,        // the Tick of the block around the body
  kAssignLocal,    // local = numeric tree
  kAssignPair,     // local = leaf op leaf (arithmetic over locals and number constants)
  kCompoundLocal,  // local op= numeric tree
  kStepLocal,      // local++ and the like, as a statement
  kAssignStore,    // a[k] = ..., o.m = ...
  kExpression,     // any other expression statement (or piece of one)
  kIf,             // if: its then part's steps follow, then a kJump, then its else part's
  kJump,           // the end of an if's then part: past the else part
  kStatement,      // any other statement
};

bool IsNumberLeaf(const TJExpr* n, const void* layout) {
  if (n != nullptr && n->Code == ecConstant) return n->Constant != nullptr && NumOf(*n->Constant).Ok();
  return IsLocalOf(n, layout);
}

// The steps of an expression statement; a comma's operands run left to right as steps of
// their own (only the first begins the statement).
void AddExpressionSteps(const TJExpr* e, const TJStatement* s, std::uint8_t tick, const void* layout,
                        std::vector<TJLoopStep>& steps) {
  if (e != nullptr && e->Code == ecComma) {
    AddExpressionSteps(e->Operand1, s, tick, layout, steps);
    AddExpressionSteps(e->Operand2, s, 0, layout, steps);
    return;
  }
  TJLoopStep step;
  step.Tick = tick;
  step.Expr = e;
  step.Statement = s;
  step.Op = kExpression;
  if (e != nullptr && e->Operand2 != nullptr && IsLocalOf(e->Operand1, layout)) {
    if (e->Code == ecAssign) {
      const TJExpr* v = e->Operand2;
      const bool pair = IsArithmetic(v->Code) && IsNumberLeaf(v->Operand1, layout) && IsNumberLeaf(v->Operand2, layout);
      step.Op = pair ? kAssignPair : kAssignLocal;
      step.Operator = v->Code;
    } else if (e->Code >= ecMulAssign && e->Code <= ecOrAssign) {
      step.Op = kCompoundLocal;
      step.Operator = CompoundOperator(e->Code);
    }
    step.Slot = e->Operand1->LocalSlot;
  } else if (e != nullptr && e->Code >= ecPreIncrement && e->Code <= ecPostDecrement && IsLocalOf(e->Operand1, layout)) {
    step.Op = kStepLocal;
    step.Slot = e->Operand1->LocalSlot;
    step.Operator = e->Code == ecPreIncrement || e->Code == ecPostIncrement ? 1 : 0;
  } else if (e != nullptr && e->Code == ecAssign && e->Operand1 != nullptr &&
             (e->Operand1->Code == ecIndex || e->Operand1->Code == ecMember)) {
    step.Op = kAssignStore;
  }
  steps.push_back(step);
}

// The steps of the chain ExecChain(body) runs: a block alone ticks once itself, then once
// per statement of its contents; an if's parts are planned in place. False: a chain that
// pairs try, catch and finally, which keeps the chain.
bool AddChainSteps(const TJStatement* body, std::uint8_t tick, const void* layout, std::vector<TJLoopStep>& steps) {
  const TJStatement* chain = body;
  if (body != nullptr && body->Kind == skBlock && body->Next == nullptr) {
    steps.push_back(TJLoopStep{kNothing, tick});
    chain = body->Sub;
  }
  for (const TJStatement* s = chain; s != nullptr; s = s->Next) {
    if (s->Kind == skTry || s->Kind == skCatch || s->Kind == skFinally) return false;
    if (s->Kind == skExpression) {
      AddExpressionSteps(s->Expr, s, tick, layout, steps);
      continue;
    }
    TJLoopStep step;
    const bool planIf = s->Kind == skIf && s->Expr != nullptr;
    step.Op = planIf ? kIf : kStatement;
    step.Tick = tick;
    step.Expr = s->Expr;
    step.Statement = s;
    const std::size_t at = steps.size();
    steps.push_back(step);
    if (!planIf) continue;
    const IfParts parts = PartsOfIf(*s);
    if (!AddChainSteps(parts.then, 2, layout, steps)) return false;
    const std::size_t jump = steps.size();
    steps.push_back(TJLoopStep{kJump});
    if (!AddChainSteps(parts.otherwise, 2, layout, steps)) return false;
    steps[at].Slot = static_cast<std::int32_t>(jump - at);
    steps[jump].Slot = static_cast<std::int32_t>(steps.size() - jump - 1);
  }
  return true;
}

}  // namespace

const TJLoopPlan* TJEngine::LoopPlanFor(const TJStatement& loop, const TJStatement* body, const TJExpr* update) {
  if (loop.PlanState == 1 && loop.Plan->Layout == frameLayout_) return loop.Plan.get();
  if (loop.PlanState != 0 || frameLayout_ == nullptr) return nullptr;
  loop.PlanState = 2;
  // The chain a pass runs: ExecChain(body) ticks once for the body, once more per
  // statement when the body is a block.
  auto plan = std::make_unique<TJLoopPlan>();
  plan->Layout = frameLayout_;
  if (!AddChainSteps(body, 1, frameLayout_, plan->Steps)) return nullptr;
  // A for's update: steps without a Tick at the end, also run alone after a continue.
  plan->UpdateFrom = static_cast<std::uint32_t>(plan->Steps.size());
  if (update != nullptr) AddExpressionSteps(update, nullptr, 0, frameLayout_, plan->Steps);
  for (const TJLoopStep& step : plan->Steps) {
    plan->Ticks += step.Tick == 1 ? 1 : 0;
    plan->Branches = plan->Branches || step.Op == kIf;
  }
  loop.Plan = std::move(plan);
  loop.PlanState = 1;
  return loop.Plan.get();
}

bool TJEngine::PlannedCondition(const TJExpr* n, bool& quiet) {
  if (NumericRoot(n)) {
    const int t = RootTruth(n);
    if (t >= 0) return t != 0;
    NumericMiss(n);
  }
  quiet = false;
  return ToBoolean(Eval(n));
}

template <bool Branches>
[[gnu::always_inline]] inline TJEngine::Completion TJEngine::RunSteps(const TJLoopPlan& plan, std::uint32_t from,
                                                                    bool& quietAcross) {
  bool quiet = quietAcross;
  const std::uint32_t ticks = from == 0 ? plan.Ticks : 0;
  const bool counted = pollCountdown_ > ticks;
  if (counted) pollCountdown_ -= ticks;
  const TJLoopStep* const end = plan.Steps.data() + plan.Steps.size();
  for (const TJLoopStep* at = plan.Steps.data() + from; at != end; ++at) {
    const TJLoopStep& step = *at;
    if (step.Tick != 0) {
      if (!counted || step.Tick == 2) {
        PlannedTick(quiet);
      } else if (!quiet) {
        TickUncounted();
        quiet = true;
      }
    }
    const TJExpr* e = step.Expr;
    switch (step.Op) {
      case kNothing:
        continue;
      case kAssignPair: {
        const TJExpr* v = e->Operand2;
        const TJNum b = LeafNum(v->Operand2);
        const TJNum a = LeafNum(v->Operand1);
        const TJNum r = a.Ok() && b.Ok() ? NumArith(step.Operator, a, b) : TJNum::None();
        TJValue* slot = frameSlots_ + step.Slot;
        if (r.Ok() && slot->Kind() < jkString) {
          Overwrite(slot, r);
          continue;
        }
        [[fallthrough]];
      }
      case kAssignLocal: {
        const TJExpr* value = e->Operand2;
        if (NumericRoot(value)) {
          const TJNum r = RootNum(value);
          if (r.Ok()) {
            TJValue* slot = frameSlots_ + step.Slot;
            if (slot->Kind() < jkString) {
              Overwrite(slot, r);
              continue;
            }
            frameScope_->Assign(static_cast<std::size_t>(step.Slot), r.Value());
            quiet = false;
            continue;
          }
          NumericMiss(value);
          quiet = false;
          CheckStack();
          AssignValue(e);
          continue;
        }
        break;
      }
      case kCompoundLocal: {
        TJValue* slot = frameSlots_ + step.Slot;
        const TJExpr* value = e->Operand2;
        if ((slot->Kind() | 1) == jkNumber && NumericRoot(value)) {
          const TJNum v = RootNum(value);
          const TJNum r = v.Ok() ? NumArith(step.Operator, NumOf(*slot), v) : v;
          if (r.Ok()) {
            Overwrite(slot, r);
            continue;
          }
        }
        break;
      }
      case kStepLocal: {
        TJValue* slot = frameSlots_ + step.Slot;
        if (slot->Kind() == jkInteger) {
          Overwrite(slot, TJNum::Int(Wrap(static_cast<std::int64_t>(slot->IntValue()) + (step.Operator != 0 ? 1 : -1))));
          continue;
        }
        break;
      }
      case kAssignStore: {
        TJNum r;
        if (e->Operand1->Code == ecIndex ? AssignElementNumber(e, r) : AssignMemberNumber(e, r)) continue;
        quiet = false;
        CheckStack();
        AssignValue(e);
        continue;
      }
      case kIf:
        // The then part's steps follow; else past them and the jump.
        if constexpr (Branches) {
          if (!PlannedCondition(e, quiet)) at += step.Slot;
        }
        continue;
      case kJump:
        if constexpr (Branches) at += step.Slot;
        continue;
      case kStatement: {
        quiet = false;
        const Completion c = ExecStatement(step.Statement, true);
        if (c != Completion::Normal) {
          quietAcross = false;
          return c;
        }
        continue;
      }
      default:
        break;
    }
    // The general way (kExpression, and the forms above for values they do not take).
    quiet = false;
    ExecExpression(e);
  }
  quietAcross = quiet;
  return Completion::Normal;
}

// Bodies without an if (the innermost loops, mostly) run in a copy without the jumps, which
// keeps their pass as lean as it was before ifs were planned.
template <bool Branches>
TJEngine::Completion TJEngine::RunPlannedLoop(const TJLoopPlan& plan, const TJExpr* condition, bool conditionFirst) {
  bool quiet = false;
  if (conditionFirst && condition != nullptr && !PlannedCondition(condition, quiet)) return Completion::Normal;
  for (;;) {
    const Completion c = RunSteps<Branches>(plan, 0, quiet);
    if (c == Completion::Break) break;
    if (c == Completion::Return) return c;
    if (c == Completion::Continue && plan.UpdateFrom < plan.Steps.size()) RunUpdate(plan, quiet);
    if (condition != nullptr && !PlannedCondition(condition, quiet)) break;
  }
  return Completion::Normal;
}

void TJEngine::RunUpdate(const TJLoopPlan& plan, bool& quiet) { RunSteps<false>(plan, plan.UpdateFrom, quiet); }

template TJEngine::Completion TJEngine::RunPlannedLoop<false>(const TJLoopPlan&, const TJExpr*, bool);
template TJEngine::Completion TJEngine::RunPlannedLoop<true>(const TJLoopPlan&, const TJExpr*, bool);

}  // namespace kestrin
