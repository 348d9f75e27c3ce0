// deltablue, ported: constructors and prototypes become classes; a base class's
// constructor becomes an init method that the derived constructors call (a base
// constructor of the dialect runs with the derived class's arguments); a superclass
// method is reached with super; the static functions of Strength become members of an
// object; switch becomes if; `x || 0` (a boolean here) becomes an explicit argument;
// module variables are written through the module's value (__Global__.x = ...).
var failures = "";
function fail(message) {
  __Global__.failures = failures + message + "\n";
}

class OrderedCollection {
  elms = null;
  function OrderedCollection() {
    this.elms = [];
  }

  function add(elm) {
    this.elms.push(elm);
  }

  function at(index) {
    return this.elms[index];
  }

  function size() {
    return this.elms.length;
  }

  function removeFirst() {
    return this.elms.pop();
  }

  function remove(elm) {
    index = 0, skipped = 0;
    for (i = 0; i < this.elms.length; i++) {
      value = this.elms[i];
      if (value != elm) {
        this.elms[index] = value;
        index++;
      } else {
        skipped++;
      }
    }
    for (i = 0; i < skipped; i++) this.elms.pop();
  }
}

class StrengthLevel {
  strengthValue = 0;
  name = "";
  function StrengthLevel(strengthValue, name) {
    this.strengthValue = strengthValue;
    this.name = name;
  }

  function nextWeaker() {
    if (this.strengthValue == 0) return Strength.WEAKEST;
    if (this.strengthValue == 1) return Strength.WEAK_DEFAULT;
    if (this.strengthValue == 2) return Strength.NORMAL;
    if (this.strengthValue == 3) return Strength.STRONG_DEFAULT;
    if (this.strengthValue == 4) return Strength.PREFERRED;
    if (this.strengthValue == 5) return Strength.REQUIRED;
  }
}

function strengthStronger(s1, s2) {
  return s1.strengthValue < s2.strengthValue;
}

function strengthWeaker(s1, s2) {
  return s1.strengthValue > s2.strengthValue;
}

function strengthWeakestOf(s1, s2) {
  return this.weaker(s1, s2) ? s1 : s2;
}

function strengthStrongest(s1, s2) {
  return this.stronger(s1, s2) ? s1 : s2;
}

var Strength = {
  stronger: strengthStronger,
  weaker: strengthWeaker,
  weakestOf: strengthWeakestOf,
  strongest: strengthStrongest,
  REQUIRED: new StrengthLevel(0, "required"),
  STRONG_PREFERRED: new StrengthLevel(1, "strongPreferred"),
  PREFERRED: new StrengthLevel(2, "preferred"),
  STRONG_DEFAULT: new StrengthLevel(3, "strongDefault"),
  NORMAL: new StrengthLevel(4, "normal"),
  WEAK_DEFAULT: new StrengthLevel(5, "weakDefault"),
  WEAKEST: new StrengthLevel(6, "weakest")
};

class Constraint {
  strength = null;
  function initConstraint(strength) {
    this.strength = strength;
  }

  function addConstraint() {
    this.addToGraph();
    planner.incrementalAdd(this);
  }

  function satisfy(mark) {
    this.chooseMethod(mark);
    if (!this.isSatisfied()) {
      if (this.strength == Strength.REQUIRED) fail("Could not satisfy a required constraint!");
      return null;
    }
    this.markInputs(mark);
    out = this.output();
    overridden = out.determinedBy;
    if (overridden != null) overridden.markUnsatisfied();
    out.determinedBy = this;
    if (!planner.addPropagate(this, mark)) fail("Cycle encountered");
    out.mark = mark;
    return overridden;
  }

  function destroyConstraint() {
    if (this.isSatisfied()) planner.incrementalRemove(this);
    else this.removeFromGraph();
  }

  function isInput() {
    return false;
  }
}

class UnaryConstraint extends Constraint {
  myOutput = null;
  satisfied = false;
  function initUnary(v, strength) {
    this.initConstraint(strength);
    this.myOutput = v;
    this.satisfied = false;
    this.addConstraint();
  }

  function addToGraph() {
    this.myOutput.addConstraint(this);
    this.satisfied = false;
  }

  function chooseMethod(mark) {
    this.satisfied = (this.myOutput.mark != mark) && Strength.stronger(this.strength, this.myOutput.walkStrength);
  }

  function isSatisfied() {
    return this.satisfied;
  }

  function markInputs(mark) {
  }

  function output() {
    return this.myOutput;
  }

  function recalculate() {
    this.myOutput.walkStrength = this.strength;
    this.myOutput.stay = !this.isInput();
    if (this.myOutput.stay) this.execute();
  }

  function markUnsatisfied() {
    this.satisfied = false;
  }

  function inputsKnown() {
    return true;
  }

  function removeFromGraph() {
    if (this.myOutput != null) this.myOutput.removeConstraint(this);
    this.satisfied = false;
  }
}

class StayConstraint extends UnaryConstraint {
  function StayConstraint(v, str) {
    this.initUnary(v, str);
  }

  function execute() {
  }
}

class EditConstraint extends UnaryConstraint {
  function EditConstraint(v, str) {
    this.initUnary(v, str);
  }

  function isInput() {
    return true;
  }

  function execute() {
  }
}

var Direction = {NONE: 0, FORWARD: 1, BACKWARD: -1};

class BinaryConstraint extends Constraint {
  v1 = null;
  v2 = null;
  direction = 0;
  function initBinary(var1, var2, strength) {
    this.initConstraint(strength);
    this.v1 = var1;
    this.v2 = var2;
    this.direction = Direction.NONE;
    this.addConstraint();
  }

  function chooseMethod(mark) {
    if (this.v1.mark == mark) {
      this.direction = (this.v2.mark != mark && Strength.stronger(this.strength, this.v2.walkStrength))
        ? Direction.FORWARD : Direction.NONE;
    }
    if (this.v2.mark == mark) {
      this.direction = (this.v1.mark != mark && Strength.stronger(this.strength, this.v1.walkStrength))
        ? Direction.BACKWARD : Direction.NONE;
    }
    if (Strength.weaker(this.v1.walkStrength, this.v2.walkStrength)) {
      this.direction = Strength.stronger(this.strength, this.v1.walkStrength) ? Direction.BACKWARD : Direction.NONE;
    } else {
      this.direction = Strength.stronger(this.strength, this.v2.walkStrength) ? Direction.FORWARD : Direction.BACKWARD;
    }
  }

  function addToGraph() {
    this.v1.addConstraint(this);
    this.v2.addConstraint(this);
    this.direction = Direction.NONE;
  }

  function isSatisfied() {
    return this.direction != Direction.NONE;
  }

  function markInputs(mark) {
    this.input().mark = mark;
  }

  function input() {
    return (this.direction == Direction.FORWARD) ? this.v1 : this.v2;
  }

  function output() {
    return (this.direction == Direction.FORWARD) ? this.v2 : this.v1;
  }

  function recalculate() {
    ihn = this.input(), out = this.output();
    out.walkStrength = Strength.weakestOf(this.strength, ihn.walkStrength);
    out.stay = ihn.stay;
    if (out.stay) this.execute();
  }

  function markUnsatisfied() {
    this.direction = Direction.NONE;
  }

  function inputsKnown(mark) {
    i = this.input();
    return i.mark == mark || i.stay || i.determinedBy == null;
  }

  function removeFromGraph() {
    if (this.v1 != null) this.v1.removeConstraint(this);
    if (this.v2 != null) this.v2.removeConstraint(this);
    this.direction = Direction.NONE;
  }
}

class ScaleConstraint extends BinaryConstraint {
  scale = null;
  offset = null;
  function ScaleConstraint(src, scale, offset, dest, strength) {
    this.direction = Direction.NONE;
    this.scale = scale;
    this.offset = offset;
    this.initBinary(src, dest, strength);
  }

  function addToGraph() {
    super.addToGraph();
    this.scale.addConstraint(this);
    this.offset.addConstraint(this);
  }

  function removeFromGraph() {
    super.removeFromGraph();
    if (this.scale != null) this.scale.removeConstraint(this);
    if (this.offset != null) this.offset.removeConstraint(this);
  }

  function markInputs(mark) {
    super.markInputs(mark);
    this.scale.mark = this.offset.mark = mark;
  }

  function execute() {
    if (this.direction == Direction.FORWARD) {
      this.v2.value = this.v1.value * this.scale.value + this.offset.value;
    } else {
      this.v1.value = (this.v2.value - this.offset.value) / this.scale.value;
    }
  }

  function recalculate() {
    ihn = this.input(), out = this.output();
    out.walkStrength = Strength.weakestOf(this.strength, ihn.walkStrength);
    out.stay = ihn.stay && this.scale.stay && this.offset.stay;
    if (out.stay) this.execute();
  }
}

class EqualityConstraint extends BinaryConstraint {
  function EqualityConstraint(var1, var2, strength) {
    this.initBinary(var1, var2, strength);
  }

  function execute() {
    this.output().value = this.input().value;
  }
}

class Variable {
  value = 0;
  constraints = null;
  determinedBy = null;
  mark = 0;
  walkStrength = null;
  stay = true;
  name = "";
  function Variable(name, initialValue) {
    this.value = initialValue;
    this.constraints = new OrderedCollection();
    this.determinedBy = null;
    this.mark = 0;
    this.walkStrength = Strength.WEAKEST;
    this.stay = true;
    this.name = name;
  }

  function addConstraint(c) {
    this.constraints.add(c);
  }

  function removeConstraint(c) {
    this.constraints.remove(c);
    if (this.determinedBy == c) this.determinedBy = null;
  }
}

class Planner {
  currentMark = 0;
  function Planner() {
    this.currentMark = 0;
  }

  function incrementalAdd(c) {
    mark = this.newMark();
    overridden = c.satisfy(mark);
    while (overridden != null) overridden = overridden.satisfy(mark);
  }

  function incrementalRemove(c) {
    out = c.output();
    c.markUnsatisfied();
    c.removeFromGraph();
    unsatisfied = this.removePropagateFrom(out);
    strength = Strength.REQUIRED;
    do {
      for (i = 0; i < unsatisfied.size(); i++) {
        u = unsatisfied.at(i);
        if (u.strength == strength) this.incrementalAdd(u);
      }
      strength = strength.nextWeaker();
    } while (strength != Strength.WEAKEST);
  }

  function newMark() {
    return ++this.currentMark;
  }

  function makePlan(sources) {
    mark = this.newMark();
    plan = new Plan();
    todo = sources;
    while (todo.size() > 0) {
      c = todo.removeFirst();
      if (c.output().mark != mark && c.inputsKnown(mark)) {
        plan.addConstraint(c);
        c.output().mark = mark;
        this.addConstraintsConsumingTo(c.output(), todo);
      }
    }
    return plan;
  }

  function extractPlanFromConstraints(constraints) {
    sources = new OrderedCollection();
    for (i = 0; i < constraints.size(); i++) {
      c = constraints.at(i);
      if (c.isInput() && c.isSatisfied()) sources.add(c);
    }
    return this.makePlan(sources);
  }

  function addPropagate(c, mark) {
    todo = new OrderedCollection();
    todo.add(c);
    while (todo.size() > 0) {
      d = todo.removeFirst();
      if (d.output().mark == mark) {
        this.incrementalRemove(c);
        return false;
      }
      d.recalculate();
      this.addConstraintsConsumingTo(d.output(), todo);
    }
    return true;
  }

  function removePropagateFrom(out) {
    out.determinedBy = null;
    out.walkStrength = Strength.WEAKEST;
    out.stay = true;
    unsatisfied = new OrderedCollection();
    todo = new OrderedCollection();
    todo.add(out);
    while (todo.size() > 0) {
      v = todo.removeFirst();
      for (i = 0; i < v.constraints.size(); i++) {
        c = v.constraints.at(i);
        if (!c.isSatisfied()) unsatisfied.add(c);
      }
      determining = v.determinedBy;
      for (i = 0; i < v.constraints.size(); i++) {
        next = v.constraints.at(i);
        if (next != determining && next.isSatisfied()) {
          next.recalculate();
          todo.add(next.output());
        }
      }
    }
    return unsatisfied;
  }

  function addConstraintsConsumingTo(v, coll) {
    determining = v.determinedBy;
    cc = v.constraints;
    for (i = 0; i < cc.size(); i++) {
      c = cc.at(i);
      if (c != determining && c.isSatisfied()) coll.add(c);
    }
  }
}

class Plan {
  v = null;
  function Plan() {
    this.v = new OrderedCollection();
  }

  function addConstraint(c) {
    this.v.add(c);
  }

  function size() {
    return this.v.size();
  }

  function constraintAt(index) {
    return this.v.at(index);
  }

  function execute() {
    for (i = 0; i < this.size(); i++) {
      c = this.constraintAt(i);
      c.execute();
    }
  }
}

function chainTest(n) {
  __Global__.planner = new Planner();
  prev = null, first = null, last = null;
  for (i = 0; i <= n; i++) {
    name = "v" + i;
    v = new Variable(name, 0);
    if (prev != null) new EqualityConstraint(prev, v, Strength.REQUIRED);
    if (i == 0) first = v;
    if (i == n) last = v;
    prev = v;
  }
  new StayConstraint(last, Strength.STRONG_DEFAULT);
  edit = new EditConstraint(first, Strength.PREFERRED);
  edits = new OrderedCollection();
  edits.add(edit);
  plan = planner.extractPlanFromConstraints(edits);
  for (i = 0; i < 100; i++) {
    first.value = i;
    plan.execute();
    if (last.value != i) fail("Chain test failed.");
  }
}

function projectionTest(n) {
  __Global__.planner = new Planner();
  scale = new Variable("scale", 10);
  offset = new Variable("offset", 1000);
  src = null, dst = null;
  dests = new OrderedCollection();
  for (i = 0; i < n; i++) {
    src = new Variable("src" + i, i);
    dst = new Variable("dst" + i, i);
    dests.add(dst);
    new StayConstraint(src, Strength.NORMAL);
    new ScaleConstraint(src, scale, offset, dst, Strength.REQUIRED);
  }
  change(src, 17);
  if (dst.value != 1170) fail("Projection 1 failed");
  change(dst, 1050);
  if (src.value != 5) fail("Projection 2 failed");
  change(scale, 5);
  for (i = 0; i < n - 1; i++) {
    if (dests.at(i).value != i * 5 + 1000) fail("Projection 3 failed");
  }
  change(offset, 2000);
  for (i = 0; i < n - 1; i++) {
    if (dests.at(i).value != i * 5 + 2000) fail("Projection 4 failed");
  }
}

function change(v, newValue) {
  edit = new EditConstraint(v, Strength.PREFERRED);
  edits = new OrderedCollection();
  edits.add(edit);
  plan = planner.extractPlanFromConstraints(edits);
  for (i = 0; i < 10; i++) {
    v.value = newValue;
    plan.execute();
  }
  edit.destroyConstraint();
}

var planner = null;

function deltaBlue() {
  chainTest(100);
  projectionTest(100);
}

var runs = 40;
var r;
for (r = 0; r < runs; r++) deltaBlue();
println(failures == "" ? runs + " runs, chain and projection tests passed" : failures);
