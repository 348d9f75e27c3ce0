// TJEngine: runs a parsed program by walking its syntax tree.
//
// Statements run with a completion code (normal, break, continue, return) rather than
// C++ exceptions; script errors (EJThrow), exit (EJExit) and abort (EJAbort) are
// exceptions. Expressions are evaluated right to left as the language requires
// (evaluate.cpp). The engine owns the object factory, the built-in singletons and the
// symbol tables; it is created once per host component and reused for every run.
//
// Object lifetime: every script call (and every run) is a frame that records the
// factory's serial counter and zero-list length when it begins. When the call ends, the
// objects created during it that nothing counts any more are freed, except its result;
// older objects may still be held by temporaries of the enclosing expression and wait for
// the enclosing frame. A frame also sweeps at every statement boundary what its finished
// statements left, so loops that make temporaries stay small and objects a script lets go
// of are freed at once. The end of a run frees everything left at count 0 and every
// unreachable cycle.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/questions.h"
#include "script/object.h"
#include "script/scopes.h"
#include "script/syntax_tree.h"

namespace kestrin {

class TJGlobalObject;
class TKestrin;

// A number or boolean held in registers while a numeric tree is evaluated (see
// TJEngine::Num); kind jkUndefined: the tree met a value or a case it does not take.
struct TJNum {
  union {
    double d;
    std::int32_t i;
    bool b;
  };
  TJValueKind kind;

  static TJNum None() noexcept { return TJNum{{0}, jkUndefined}; }
  static TJNum Int(std::int32_t v) noexcept {
    TJNum n{{0}, jkInteger};
    n.i = v;
    return n;
  }
  static TJNum Double(double v) noexcept {
    TJNum n{{0}, jkNumber};
    n.d = v;
    return n;
  }
  static TJNum Bool(bool v) noexcept {
    TJNum n{{0}, jkBoolean};
    n.b = v;
    return n;
  }
  bool Ok() const noexcept { return kind != jkUndefined; }
  TJValue Value() const noexcept {
    return kind == jkInteger ? TJValue::Integer(i) : kind == jkNumber ? TJValue::Number(d) : TJValue::Boolean(b);
  }
};

// The number or boolean a value holds; None for the other kinds.
[[gnu::always_inline]] inline TJNum NumOf(const TJValue& v) noexcept {
  switch (v.Kind()) {
    case jkInteger:
      return TJNum::Int(v.IntValue());
    case jkNumber:
      return TJNum::Double(v.NumValue());
    case jkBoolean:
      return TJNum::Bool(v.BoolValue());
    default:
      return TJNum::None();
  }
}

// Registers the host classes on a host component (see kestrin.h); the engine keeps it so
// that eval's fresh components get the same classes.
using TJHostRegistrar = void (*)(TKestrin& host);

// How the last run ended.
enum class TJRunOutcome : std::uint8_t { Normal, Returned, Exited, ScriptError, Aborted };


class TJEngine {
 public:
  explicit TJEngine(velkoran::platform::UserQuestions* questions = nullptr);
  ~TJEngine();
  TJEngine(const TJEngine&) = delete;
  TJEngine& operator=(const TJEngine&) = delete;

  // Registers a class that `new` can create under a script-visible name.
  void RegisterClass(std::string_view name, const TJClassInfo& cls);

  // Runs a program (its first statement) and yields its result: the value of a top-level
  // return (ToInteger), the exit code, or 0. Script errors and aborts are printed.
  std::int32_t Run(const TJStatement* root);
  // Clears the symbol tables and forgets the functions of earlier runs.
  void Reset();

  void Print(std::string_view text);
  void PrintLine(std::string_view text);

  // A module table on the global object with the built-in names entered.
  std::unique_ptr<TJSymbolTable> NewModuleTable();

  // Calls a function value with arguments (script, native or automation function).
  TJValue Call(const TJValue& function, TJValueList& args);
  // The same with the arguments in an array (a script function needs no list then).
  TJValue Call(const TJValue& function, const TJValue* args, std::size_t count);
  // Creates an object of a registered class or a script class and runs its constructor.
  TJObject* CreateObject(std::string_view className, const TJValueList* args);
  // Value of an expression node in the current state (for hosts and tests).
  TJValue Evaluate(const TJExpr* node);
  // Raises ERecursionError when the stack is nearly used up. Native code that recurses
  // over script data (nested arrays, say) checks it at every level too.
  void CheckStack() const {
    volatile char probe = 0;
    if (reinterpret_cast<std::uintptr_t>(&probe) < stackLimit_) StackExhausted();
  }

  TJObjectFactory& ObjectFactory() noexcept { return factory_; }
  TJSymbolTablesList& SymbolTables() noexcept { return tables_; }
  TJGlobalObject& Global() noexcept { return *global_; }
  // A built-in singleton by its name ("String", "Number", "RegExp", "Math", "Date"), or null.
  TJObject* Singleton(std::string_view name) const noexcept;
  velkoran::platform::UserQuestions* Questions() const noexcept { return questions_; }
  // The caption of message boxes and dialogs: the program's file name without extension.
  const std::string& Caption() const noexcept { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }

  bool Ran = false;
  // Set by the host; the next statement ends the run with "Abort Script".
  bool AbortRequested = false;
  TJRunOutcome LastOutcome = TJRunOutcome::Normal;

  // All script output.
  std::function<void(std::string_view text)> OnStdout;
  // Every object the factory creates (after the engine's own connections).
  std::function<void(TJEngine& engine, TJObject& object)> OnNewObject;
  // False: OnNewObject does not need the temporary objects that stand for a string value
  // while one of its members runs, so the engine may do without them (string_calls.cpp).
  bool ReportValueTemporaries = true;
  // Called while a script runs, at most every PollInterval of run time, so a host can
  // process its events and set AbortRequested.
  std::function<void(TJEngine& engine)> OnPoll;
  std::chrono::milliseconds PollInterval{50};
  // Runs OnPoll and answers whether the host asked for an abort: native code that waits
  // (on a service, say) calls it between its waits.
  bool PollHost() {
    if (OnPoll) OnPoll(*this);
    return AbortRequested;
  }

  // The generation of function records made in this run; records of earlier runs may
  // point into trees that are gone and cannot be called.
  std::uint32_t Generation() const noexcept { return generation_; }

  // Set by the host component; eval's components register the same host classes.
  TJHostRegistrar HostRegistrar = nullptr;

 private:
  enum class Completion : std::uint8_t { Normal, Break, Continue, Return };

  struct Frame {
    std::uint64_t serialMark = 0;
    // Zero-list entries before this position belong to enclosing frames, or are objects
    // older than this frame that it can never free; sweeps look only past it.
    std::size_t scanFrom = 0;
    TJValue result;
  };

  // What a function declaration needs at each call, prepared once per declaration.
  struct FunctionInfo {
    explicit FunctionInfo(const TJStatement& declaration) : layout(declaration) {}
    TJLocalLayout layout;
    const TJStatement* body = nullptr;
  };

  // What `new` of a script class needs, prepared once per class declaration and run: the
  // description of its level and the stand-ins of its methods (function_record.h), one
  // per method in declaration order.
  struct ClassPlan {
    const TJClassInfo* info = nullptr;  // for the name `new` used last (a class may go by others)
    bool ready = false;
    SharedString scope;  // the module whose name the stand-ins' records carry
    std::vector<TJValue> standIns;
    // The constructor's slot (or -1) in objects of the shape with this id, for info's name.
    std::uint64_t constructorShape = 0;
    std::int32_t constructorSlot = -1;
    std::uint32_t members = 0;  // how many the last instance had when made
    TJShapePath path;           // the shapes of the last instance's level (member_store.h)
  };

  // --- statements (exec.cpp)
  // Runs a chain of statements; a lone statement (the usual body of an if or a loop)
  // skips the chain's bookkeeping.
  Completion ExecChain(const TJStatement* first, bool inLoop) {
    if (first != nullptr && first->Next == nullptr) {
      Tick();
      return ExecStatement(first, inLoop);
    }
    return ExecChainLoop(first, inLoop);
  }
  Completion ExecChainLoop(const TJStatement* first, bool inLoop);
  Completion ExecStatement(const TJStatement* s, bool inLoop);
  Completion ExecIf(const TJStatement& s, bool inLoop);
  Completion ExecWhile(const TJStatement& s);
  Completion ExecDoWhile(const TJStatement& s);
  Completion ExecFor(const TJStatement& s);
  Completion ExecForIn(const TJStatement& s);
  void ExecFunction(const TJStatement& s);
  void ExecClass(const TJStatement& s);
  void ExecDeclarator(const TJStatement& s);
  Completion ExecReturn(const TJStatement& s);
  [[noreturn]] void ExecThrow(const TJStatement& s);
  Completion ExecWith(const TJStatement& s, bool inLoop);
  Completion ExecImport(const TJStatement& s);

  // --- loop plans (loop_plans.cpp)
  // The plan of a loop's body for the running function, or null: the loop runs the
  // general way.
  // A for's update is planned with the body.
  const TJLoopPlan* LoopPlanFor(const TJStatement& loop, const TJStatement* body, const TJExpr* update);
  // A planned loop: the condition first unless it is a do ... while.
  template <bool Branches>
  Completion RunPlannedLoop(const TJLoopPlan& plan, const TJExpr* condition, bool conditionFirst);
  Completion RunPlanned(const TJLoopPlan& plan, const TJExpr* condition, bool conditionFirst) {
    return plan.Branches ? RunPlannedLoop<true>(plan, condition, conditionFirst)
                         : RunPlannedLoop<false>(plan, condition, conditionFirst);
  }
  // A pass over the steps from `from` (0: the body and the update; the update alone after
  // a continue). quiet: nothing has run since the last statement's Tick that could raise
  // an abort or leave objects to sweep, so the next Tick only counts. A pass that cannot
  // reach the clock's look counts all its Ticks at once.
  template <bool Branches>
  Completion RunSteps(const TJLoopPlan& plan, std::uint32_t from, bool& quiet);
  void RunUpdate(const TJLoopPlan& plan, bool& quiet);
  bool PlannedCondition(const TJExpr* n, bool& quiet);
  // A local's or a constant's number (None for other values).
  TJNum LeafNum(const TJExpr* n) const noexcept {
    return NumOf(n->Code == ecIdentifier ? frameSlots_[n->LocalSlot] : *n->Constant);
  }
  void PlannedTick(bool& quiet) {
    if (quiet && pollCountdown_ > 1) {
      --pollCountdown_;
      return;
    }
    // After the clock's look the host may have done anything: the next Tick is a full one.
    quiet = pollCountdown_ > 1;
    Tick();
  }

  // --- frames (engine.cpp)
  // Every statement checks for an abort and frees what the frame's earlier statements left
  // unreferenced; every 64th also looks at the clock for the host's poll.
  void Tick() {
    TickUncounted();
    if (--pollCountdown_ == 0) SlowTick();
  }
  void TickUncounted() {
    if (AbortRequested) throw EJAbort();
    if (factory_.ZeroListSize() > frame_->scanFrom) SweepAtBoundary();
  }
  void SweepAtBoundary();
  [[noreturn]] static void StackExhausted();
  void SlowTick();
  void ConnectNewObject(TJObject& object);

  // --- calls (calls.cpp)
  const FunctionInfo& InfoOf(const TJStatement* definition);
  // A script function value for a declaration, belonging to the current module.
  TJValue ScriptFunctionValue(const TJStatement& declaration);
  TJValue CallScript(TJFunction& f, TJValueList& args);
  TJValue CallScript(TJFunction& f, const TJValue* args, std::size_t count) { return CallScriptOn(f, nullptr, args, count); }
  // The same with `this` given (null: the record's own, else the global object).
  TJValue CallScriptOn(TJFunction& f, TJObject* self, const TJValue* args, std::size_t count);
  [[gnu::noinline]] TJValue CallScriptInModule(TJFunction& f, TJObject* self, const TJValue* args, std::size_t count);
  [[gnu::noinline]] void BindArgumentsArray(TJLocalScope& locals, std::size_t slot, const TJValue* args, std::size_t count);
  // Runs a call's arguments (last cell given) into a script function.
  TJValue CallWithArguments(TJFunction& f, TJObject* self, const TJExpr* lastCell);
  // Three arguments or more: a list (kept out of the frames of the usual calls).
  [[gnu::noinline]] TJValue CallWithArgumentList(TJFunction& f, TJObject* self, const TJExpr* lastCell);
  // The plan of a class value (its Info), ready for the module current now.
  ClassPlan& PlanOf(TJFunction& cls, const TJName& className);
  TJValue CallAutomation(TJFunction& f, TJValueList& args);
  // className carries the HashName the parser stored, when it comes from a node.
  // room: member values the most derived class's instances had before (0: not known).
  // nameNode: the node of the name `new` or a class's base clause gave (its cache), if any.
  TJObject* CreateScriptObject(const TJName& className, const TJValueList* args, int depth, std::size_t room = 0,
                               const TJExpr* nameNode = nullptr);
  // What a class name names, as tables_.Lookup finds it; a name node remembers the module
  // variable it found, as a bare name's read does (EvalNonLocal), for a local scope of the
  // layout it was found without.
  bool LookupClassName(const TJExpr* nameNode, const TJName& name, TJValue& out);

  // --- numeric trees (evaluate.cpp)
  // A tree of arithmetic, comparisons, logic and conditionals over locals of the running
  // function and constants is evaluated without values on the way: Num yields its number
  // (or boolean) when every local it reads holds an integer, double or boolean and every
  // operation stays within what the operator routines do without conversion; else
  // nothing, and since such a tree has no effects the caller evaluates it the general
  // way instead. Its height is bounded, so it needs no stack check of its own.
  enum : std::uint8_t { kFastUnknown = 0, kFastGeneral = 1, kFastNumeric = 2 };
  bool NumericRoot(const TJExpr* n) {
    if (n->Fast == kFastNumeric) return n->LocalLayout == frameLayout_;
    return n->Fast == kFastUnknown && ClassifyRoot(n);
  }
  bool ClassifyRoot(const TJExpr* n);
  // A root whose numeric attempt failed: after a few failures it stays general.
  static void NumericMiss(const TJExpr* n) noexcept {
    if (++n->FastMisses >= 8) n->Fast = kFastGeneral;
  }
  TJNum Num(const TJExpr* n) { return n->NumHandler(*this, n); }
  friend struct NumericHandlers;
  friend struct TypedHandlers;
  // A numeric root's typed evaluator (CacheKind of the root; see numeric_trees.cpp): the
  // types its leaves held when it was examined are assumed, so the nodes pass doubles and
  // truths in registers. A root whose typed evaluator does not answer once keeps to the
  // general numeric form.
  enum : std::uint8_t { kUntyped = 0, kTypedDouble = 1, kTypedTruth = 2 };
  // The value of a numeric root of the running function.
  [[gnu::always_inline]] TJNum RootNum(const TJExpr* n) {
    if (n->CacheKind == kTypedDouble) {
      const double d = n->DoubleHandler(*this, n);
      if (d == d) return TJNum::Double(d);
      n->CacheKind = kUntyped;
    } else if (n->CacheKind == kTypedTruth) {
      const int t = n->TruthHandler(*this, n);
      if (t >= 0) return TJNum::Bool(t != 0);
      n->CacheKind = kUntyped;
    }
    return NumOperand(n);
  }
  // The truth of a numeric root of the running function, or -1 (not a number or boolean);
  // evaluator_internals.h.
  int RootTruth(const TJExpr* n);
  // A leaf read in place, anything else by Num.
  [[gnu::always_inline]] TJNum NumOperand(const TJExpr* n) {
    if (n->Code == ecIdentifier) return NumOf(frameSlots_[n->LocalSlot]);
    if (n->Code == ecConstant) return NumOf(*n->Constant);
    return Num(n);
  }
  // The slot of an identifier node that names a local of the running function (bound or
  // not), or null.
  TJValue* LocalSlotOf(const TJExpr* n) const noexcept {
    if (n == nullptr || n->Code != ecIdentifier || n->LocalLayout != frameLayout_ || frameLayout_ == nullptr ||
        n->LocalSlot < 0) {
      return nullptr;
    }
    return frameSlots_ + n->LocalSlot;
  }
  // Stores into a local slot of the running function. Where neither the old nor the new
  // value is counted (numbers, booleans, null, undefined) the slot takes it in place:
  // whether the slot holds a borrowed argument does not matter then.
  void StoreLocal(TJValue* slot, const TJValue& v) {
    if (slot->Kind() < jkString && v.Kind() < jkString) {
      ::new (static_cast<void*>(slot)) TJValue(v);
    } else {
      frameScope_->Assign(static_cast<std::size_t>(slot - frameSlots_), v);
    }
  }
  void StoreNum(TJValue* slot, TJNum v) {
    if (slot->Kind() < jkString) {
      Overwrite(slot, v);
    } else {
      frameScope_->Assign(static_cast<std::size_t>(slot - frameSlots_), v.Value());
    }
  }
  // Puts a number into a value that holds nothing counted (kind below jkString): made in
  // place, with no destructor to run for what was there.
  static void Overwrite(TJValue* slot, TJNum v) noexcept {
    if (v.kind == jkInteger) {
      ::new (static_cast<void*>(slot)) TJValue(TJValue::Integer(v.i));
    } else if (v.kind == jkNumber) {
      ::new (static_cast<void*>(slot)) TJValue(TJValue::Number(v.d));
    } else {
      ::new (static_cast<void*>(slot)) TJValue(TJValue::Boolean(v.b));
    }
  }
  // An assignment to a local whose value is a numeric tree; false: not done, evaluate it
  // the general way.
  bool AssignLocalNumber(const TJExpr* n, TJNum& result);
  bool AssignElementNumber(const TJExpr* n, TJNum& result);
  bool AssignMemberNumber(const TJExpr* n, TJNum& result);
  // The truth of a condition (if, loops).
  bool EvalCondition(const TJExpr* n);
  // An expression whose value nobody reads (an expression statement, a for's update).
  // A numeric tree assigned to a local, the commonest statement of a loop, is checked here.
  void ExecExpression(const TJExpr* n) {
    if (n == nullptr || n->Code != ecAssign || !AssignLocalInline(n)) ExecOtherExpression(n);
  }
  bool AssignLocalInline(const TJExpr* n) {
    const TJExpr* value = n->Operand2;
    const TJExpr* target = n->Operand1;
    if (value == nullptr || value->Fast != kFastNumeric || value->LocalLayout != frameLayout_ || target == nullptr ||
        target->Code != ecIdentifier || target->LocalLayout != frameLayout_ || target->LocalSlot < 0) {
      return false;
    }
    const TJNum r = NumOperand(value);  // (RootNum here would make ExecStatement's frame bigger)
    if (!r.Ok()) return false;  // the general way counts the miss
    StoreNum(frameSlots_ + target->LocalSlot, r);
    return true;
  }
  void ExecOtherExpression(const TJExpr* n);

  // --- expressions (evaluate.cpp)
  TJValue Eval(const TJExpr* node);
  // Operands that are constants or names need no trip through the full dispatch.
  [[gnu::always_inline]] TJValue Operand(const TJExpr* n) {
    if (n != nullptr) {
      if (n->Code == ecConstant && n->Constant) return *n->Constant;
      if (n->Code == ecIdentifier) return EvalIdentifier(n);
    }
    return Eval(n);
  }
  TJValue EvalArithmetic(const TJExpr* node);
  TJValue EvalComparison(const TJExpr* node);
  TJValue EvalNot(const TJExpr* node);
  TJValue EvalUnary(const TJExpr* node);
  TJValue EvalComma(const TJExpr* node);
  TJValue EvalThis();
  TJValue EvalVoid(const TJExpr* node);
  TJValue EvalTypeof(const TJExpr* node);
  TJValue EvalConditional(const TJExpr* node);
  TJValue EvalOther(const TJExpr* node);
  // A bare name. Inside the function that the node belongs to, its slot in the call's
  // local scope (function_layout.h), else no local at all; outside, the local scope by
  // name. Then (EvalNonLocal) the rest of the lookup.
  [[gnu::always_inline]] TJValue EvalIdentifier(const TJExpr* n) {
    if (n->LocalLayout == frameLayout_ && frameLayout_ != nullptr) {
      if (n->LocalSlot >= 0) {
        const TJValue& v = frameSlots_[n->LocalSlot];
        if (!v.IsUnbound()) return v;
      }
      return EvalNonLocal(n);
    }
    if (tables_.Current().HasLocal()) return EvalIdentifierSlow(n, true);
    return EvalNonLocal(n);
  }
  // A bare name that no local scope holds: at the level of a module (no method's
  // "this"), the slot among the module's variables that the node remembers, valid while
  // the member epoch is unchanged (nothing could have come to hide it); else the lookup
  // (which inside a method tries the same slot first, see ThisLacks).
  [[gnu::always_inline]] TJValue EvalNonLocal(const TJExpr* n) {
    TJSymbolTable& t = tables_.Current();
    if (n->CacheEpoch == MemberEpoch() && n->CacheTable == &t && t.CurrentThis() == t.GlobalObject()) {
      const TJHash& vars = t.Vars();
      if (n->CacheSlot < vars.Count()) {
        const TJMember& m = vars.Entry(n->CacheSlot);
        if (m.Is(n->Name, n->Hash)) return m.Value();
      }
    }
    return EvalIdentifierSlow(n, false);
  }
  TJValue EvalIdentifierSlow(const TJExpr* node, bool withLocals);
  // Objects of a shared shape lack or hold a name for good, so a bare-name node remembers
  // (in CacheShapeId, unused on such nodes otherwise) the shape of the last method's
  // object found without its name; objects of that shape cannot hide a module variable.
  [[gnu::always_inline]] static bool ThisLacks(const TJExpr* n, const TJObject& self) noexcept {
    return n->CacheShapeId != 0 && self.Members().Shape()->Id() == n->CacheShapeId && self.StandardMemberAccess();
  }
  // The module variable a name node remembers, when its slot still holds the name.
  static const TJValue* RememberedVariable(const TJExpr* n, TJSymbolTable& t) noexcept {
    const TJHash& vars = t.Vars();
    if (n->CacheSlot >= vars.Count() || !vars.Entry(n->CacheSlot).Is(n->Name, n->Hash)) return nullptr;
    return &vars.Entry(n->CacheSlot).Value();
  }
  // Remembers in a name node the module variable a lookup found (Found::Vars), unless the
  // global object has the name too; false when nothing was remembered.
  bool RememberVariable(const TJExpr* n, TJSymbolTable& t, const TJName& name);
  static void NoteThisLacks(const TJExpr* n, const TJObject& self) noexcept {
    if (!self.Members().Shape()->Dictionary() && self.StandardMemberAccess()) n->CacheShapeId = self.Members().Shape()->Id();
  }
  // The slot of an identifier that is a bound local of the running function, or null.
  TJValue* BoundLocal(const TJExpr* n) noexcept {
    TJValue* slot = LocalSlotOf(n);
    return slot == nullptr || slot->IsUnbound() ? nullptr : slot;
  }
  void StoreIdentifier(const TJExpr* node, const TJValue& value);
  TJValue EvalMemberRead(const TJExpr* node);
  TJValue MemberOf(const TJValue& base, const TJExpr* node);
  // The member of base named by an identifier (dot form) or by an evaluated key.
  TJValue ReadMember(const TJValue& base, const TJExpr* memberNode, bool bracket, const TJValue& key);
  TJValue ReadModuleMember(TJFunction& module, const TJName& name);
  // Dot access through the member-name node's inline cache (objects whose dot access is
  // TJObject's own); false: the caller goes by name.
  bool FillMemberCache(TJObject& object, const TJExpr* member);
  bool ReadStandardMember(TJObject& object, const TJExpr* member, TJValue& out);
  bool WriteStandardMember(TJObject& object, const TJExpr* member, const TJValue& value);
  TJSymbolTable& ModuleTable(const TJFunction& module, std::string_view name);
  TJObject* TemporaryFor(const TJValue& base, std::string_view className);
  TJValue EvalCall(const TJExpr* node);
  // --- members of string values without a String object (string_calls.cpp)
  class ScratchText;
  bool StringMembersDirect();
  std::uint8_t StringMemberKind(const TJExpr* member);
  // s.m(...) for a native String method m: false when the caller must go the general way
  // (nothing evaluated then).
  bool CallStringMethod(const TJValue& base, const TJExpr* member, const TJExpr* lastArgument, TJValue& result);
  // A property or an element of a string value; false: through a temporary String object.
  bool ReadStringMember(const TJValue& base, const TJExpr* member, bool bracket, const TJValue& key, TJValue& out);
  // --- calls of native functions without an argument list (native_calls.cpp)
  // The evaluator of a call of Math's functions in a numeric tree (see MathCallTree), and
  // the built-in parts of a numeric tree on a value the tree has read: the character code
  // (TextCallTree), the length of a text or an array (LengthTree); None: the general way.
  static TJNum NumMathCall(TJEngine& engine, const TJExpr* call);
  TJNum NumCharCodeAt(const TJValue& text, const TJExpr* call);
  TJNum NumLengthOf(const TJValue& base, const TJExpr* member);
  // o.m(args) for a native method m of an object used as a table: false when the caller
  // must go the general way (nothing evaluated then).
  bool CallTableMethod(TJObject& object, const TJExpr* member, const TJExpr* lastArgument, TJValue& result);
  // o.m(args) for a native method m of o's class, the arguments evaluated here.
  TJValue CallNativeMethod(TJObject& object, const TJMethodInfo& method, const TJExpr* lastArgument);
  void EvalArguments(const TJExpr* lastCell, TJValueList& out);
  TJValue EvalNew(const TJExpr* node);
  TJValue EvalObjectLiteral(const TJExpr* node);
  TJValue EvalArrayLiteral(const TJExpr* node);
  TJValue EvalAssign(const TJExpr* node);
  // An assignment the general way.
  TJValue AssignValue(const TJExpr* node);
  TJValue EvalCompoundAssign(const TJExpr* node);
  TJValue EvalIncrement(const TJExpr* node);
  // A resolved assignment target: an identifier, or a member of an evaluated base.
  struct Target {
    enum class Kind : std::uint8_t { None, Identifier, Member } kind = Kind::None;
    const TJExpr* node = nullptr;  // the identifier or the member expression
    TJValue base;                  // the evaluated object part
    bool bracket = false;          // index form: key holds the evaluated key
    TJValue key;
  };
  // willRead: the target's old value is read too (compound assignment, ++ and --).
  void ResolveTarget(const TJExpr* node, Target& t, bool willRead);
  // A member or index target whose object part is evaluated already.
  void ResolveMemberTarget(const TJExpr* node, TJValue base, Target& t, bool willRead);
  static bool KeyIsEvaluated(const TJValue& base, bool willRead) noexcept;
  TJValue ReadTarget(const Target& t);
  void WriteTarget(const Target& t, const TJValue& value);

  velkoran::platform::UserQuestions* questions_;
  std::string caption_;
  std::uint32_t generation_ = 1;

  TJObjectFactory factory_;
  std::unique_ptr<TJGlobalObject> global_;
  std::vector<std::pair<std::string, std::unique_ptr<TJObject>>> singletons_;
  TJSymbolTablesList tables_;

  Frame* frame_ = nullptr;
  // The running script call's local layout and slots (none at a module's level).
  const TJLocalLayout* frameLayout_ = nullptr;
  TJValue* frameSlots_ = nullptr;
  TJLocalScope* frameScope_ = nullptr;
  std::unordered_map<const TJStatement*, std::unique_ptr<FunctionInfo>> functionInfo_;
  std::unique_ptr<TJObject> textScratch_;  // the String object of string_calls.cpp
  bool textScratchBusy_ = false;
  std::unordered_map<const TJStatement*, ClassPlan> classPlans_;
  std::vector<std::vector<TJValue>> retiredStandIns_;
  std::uintptr_t stackLimit_ = 0;  // lowest stack address a call or expression may use
  int runDepth_ = 0;
  // Statements until the next look at the clock and the zero list.
  std::uint32_t pollCountdown_ = 1;
  std::uint32_t pollChecks_ = 0;
  std::chrono::steady_clock::time_point lastPoll_{};
};

// The dispatcher stays small (no frame of its own); each kind of node has a handler that
// needs only its own registers.
inline TJValue TJEngine::Eval(const TJExpr* n) {
  if (n == nullptr) return TJValue();
  switch (n->Code) {
    case ecConstant:
      return n->Constant ? *n->Constant : TJValue();
    case ecIdentifier:
      return EvalIdentifier(n);
    case ecAdd:
    case ecSubtract:
    case ecDivide:
    case ecMultiply:
    case ecRemainder:
    case ecIntDivide:
    case ecShl:
    case ecShr:
    case ecUShr:
    case ecBitAnd:
    case ecBitXor:
    case ecBitOr:
      return EvalArithmetic(n);
    case ecLess:
    case ecGreater:
    case ecLessEqual:
    case ecGreaterEqual:
    case ecEqual:
    case ecNotEqual:
    case ecStrictEqual:
    case ecStrictNotEqual:
    case ecOr:
    case ecAnd:
      return EvalComparison(n);
    case ecNot:
      return EvalNot(n);
    case ecPlus:
    case ecMinus:
    case ecBitNot:
      return EvalUnary(n);
    case ecComma:
      return EvalComma(n);
    case ecThis:
      return EvalThis();
    case ecDelete:  // evaluates nothing
      return TJValue();
    case ecVoid:
      return EvalVoid(n);
    case ecTypeof:
      return EvalTypeof(n);
    case ecConditional:
      return EvalConditional(n);
    case ecAssign:
      return EvalAssign(n);
    case ecMulAssign:
    case ecDivAssign:
    case ecAddAssign:
    case ecSubAssign:
    case ecModAssign:
    case ecShlAssign:
    case ecShrAssign:
    case ecUShrAssign:
    case ecAndAssign:
    case ecXorAssign:
    case ecOrAssign:
      return EvalCompoundAssign(n);
    case ecMember:
    case ecIndex:
    case ecSuperMember:
      return EvalMemberRead(n);
    case ecNew:
      return EvalNew(n);
    case ecObjectLiteral:
      return EvalObjectLiteral(n);
    case ecArrayLiteral:
      return EvalArrayLiteral(n);
    case ecCall:
      return EvalCall(n);
    case ecPreIncrement:
    case ecPreDecrement:
    case ecPostIncrement:
    case ecPostDecrement:
      return EvalIncrement(n);
    default:
      return EvalOther(n);
  }
}

}  // namespace kestrin
