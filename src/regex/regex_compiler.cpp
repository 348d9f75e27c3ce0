#include "regex/regex_compiler.h"

#include <memory>
#include <optional>

#include "platform/ascii.h"
#include "regex/regex_error.h"

namespace velkoran::regex {
namespace {

using velkoran::platform::HexDigitValue;

// ---------------------------------------------------------------- syntax tree

enum class Kind { kEmpty, kLiteral, kAny, kSet, kInputStart, kInputEnd, kGroup, kAlt, kConcat, kRepeat, kBackref };

struct Node {
  Kind kind = Kind::kEmpty;
  std::string bytes;      // kLiteral
  bool fold = false;      // kLiteral, kBackref: compare without regard to case
  bool any_but_lf = false;  // kAny
  ByteSet set;            // kSet
  int group = 0;          // kGroup, kBackref
  std::uint32_t min = 0, max = 0;  // kRepeat
  std::vector<std::unique_ptr<Node>> children;
};
using NodePtr = std::unique_ptr<Node>;

NodePtr MakeNode(Kind kind) {
  auto n = std::make_unique<Node>();
  n->kind = kind;
  return n;
}

// Simple operands match exactly one byte; only they take counted repetitions.
bool IsSimple(const Node& n) {
  return n.kind == Kind::kAny || n.kind == Kind::kSet ||
         (n.kind == Kind::kLiteral && n.bytes.size() == 1);
}

// Whether every match of the node consumes at least one byte.
bool HasWidth(const Node& n) {
  switch (n.kind) {
    case Kind::kLiteral: return !n.bytes.empty();
    case Kind::kAny:
    case Kind::kSet: return true;
    case Kind::kGroup: return HasWidth(*n.children[0]);
    case Kind::kAlt:
      for (const auto& c : n.children)
        if (!HasWidth(*c)) return false;
      return true;
    case Kind::kConcat:
      for (const auto& c : n.children)
        if (HasWidth(*c)) return true;
      return false;
    case Kind::kRepeat: return n.min > 0 && HasWidth(*n.children[0]);
    default: return false;
  }
}

ByteSet SetOfRange(int lo, int hi) {
  ByteSet s;
  for (int c = lo; c <= hi; ++c) s[static_cast<std::size_t>(c)] = true;
  return s;
}
const ByteSet& DigitSet() {
  static const ByteSet s = SetOfRange('0', '9');
  return s;
}
const ByteSet& SpaceSet() {
  static const ByteSet s = [] {
    ByteSet r;
    for (char c : std::string_view(" \t\n\r\f")) r.set(static_cast<unsigned char>(c));
    return r;
  }();
  return s;
}
const ByteSet& WordSet() {
  static const ByteSet s = SetOfRange('A', 'Z') | SetOfRange('a', 'z') | SetOfRange('_', '_');
  return s;
}

ByteSet WithInvertedCase(const ByteSet& s) {
  ByteSet r = s;
  for (int c = 0; c < 256; ++c)
    if (s[static_cast<std::size_t>(c)]) r[InvertCase(static_cast<std::uint8_t>(c))] = true;
  return r;
}

std::string Folded(std::string_view bytes) {
  std::string folded;
  for (char c : bytes) folded += static_cast<char>(FoldCase(static_cast<std::uint8_t>(c)));
  return folded;
}

// ---------------------------------------------------------------- parser

class Parser {
 public:
  Parser(std::string_view pattern, Modifiers mods) : p_(pattern), mods_(mods) {}

  NodePtr ParseAll() {
    NodePtr root = ParseAlternatives();
    if (!AtEnd()) Fail(Peek() == ')' ? kUnmatchedClose : kJunkOnEnd);
    return root;
  }
  int group_count() const { return groups_; }

 private:
  [[noreturn]] void Fail(int code) { throw ERegexEngine(code, static_cast<long>(pos_)); }
  bool AtEnd() const { return pos_ >= p_.size(); }
  char Peek(std::size_t ahead = 0) const {
    return pos_ + ahead < p_.size() ? p_[pos_ + ahead] : '\0';
  }
  bool Has(std::size_t ahead) const { return pos_ + ahead < p_.size(); }

  NodePtr ParseAlternatives() {
    NodePtr first = ParseSequence();
    if (AtEnd() || Peek() != '|') return first;
    NodePtr alt = MakeNode(Kind::kAlt);
    alt->children.push_back(std::move(first));
    while (!AtEnd() && Peek() == '|') {
      ++pos_;
      alt->children.push_back(ParseSequence());
    }
    return alt;
  }

  NodePtr ParseSequence() {
    NodePtr seq = MakeNode(Kind::kConcat);
    while (!AtEnd() && Peek() != '|' && Peek() != ')') {
      NodePtr piece = ParsePiece();
      if (!piece) continue;
      // Adjacent literal bytes of the same casing form one literal.
      auto& items = seq->children;
      if (piece->kind == Kind::kLiteral && !items.empty() && items.back()->kind == Kind::kLiteral &&
          items.back()->fold == piece->fold) {
        items.back()->bytes += piece->bytes;
      } else {
        items.push_back(std::move(piece));
      }
    }
    if (seq->children.size() == 1) return std::move(seq->children[0]);
    if (seq->children.empty()) return MakeNode(Kind::kEmpty);
    return seq;
  }

  static bool IsQuantifierChar(char c) { return c == '*' || c == '+' || c == '?'; }

  // Reads a "{n}", "{n,}" or "{n,m}" at the current position without consuming it; the
  // length of the form, or nothing when the "{" is a literal byte.
  std::optional<std::size_t> BraceLength() const {
    std::size_t i = pos_;
    if (i >= p_.size() || p_[i] != '{') return std::nullopt;
    ++i;
    const std::size_t digits_start = i;
    while (i < p_.size() && p_[i] >= '0' && p_[i] <= '9') ++i;
    if (i == digits_start || i >= p_.size()) return std::nullopt;
    if (p_[i] == '}') return i + 1 - pos_;
    if (p_[i] != ',') return std::nullopt;
    ++i;
    while (i < p_.size() && p_[i] >= '0' && p_[i] <= '9') ++i;
    if (i >= p_.size() || p_[i] != '}') return std::nullopt;
    return i + 1 - pos_;
  }

  std::uint32_t ParseCount(std::string_view digits) {
    if (digits.size() > 8) Fail(kBracesTooBig);
    std::uint64_t v = 0;
    for (char c : digits) v = v * 10 + static_cast<std::uint64_t>(c - '0');
    if (v >= 2147483647ULL) Fail(kBracesTooBig);
    return static_cast<std::uint32_t>(v);
  }

  bool QuantifierFollows() const { return IsQuantifierChar(Peek()) || BraceLength().has_value(); }

  NodePtr ParsePiece() {
    if (!AtEnd() && IsQuantifierChar(Peek())) Fail(kQuantifierFollowsNothing);
    NodePtr atom = ParseAtom();
    if (!atom) {
      // A comment or a modifier switch: nothing for a quantifier to apply to.
      if (!AtEnd() && IsQuantifierChar(Peek())) Fail(kQuantifierFollowsNothing);
      return nullptr;
    }
    if (AtEnd()) return atom;
    const char q = Peek();
    std::uint32_t min = 0, max = 0;
    if (IsQuantifierChar(q)) {
      ++pos_;
      min = q == '+' ? 1 : 0;
      max = q == '?' ? 1 : kRepeatInfinite;
      if (q != '?' && !HasWidth(*atom)) Fail(kOperandCouldBeEmpty);
    } else if (auto len = BraceLength()) {
      if (!IsSimple(*atom)) Fail(kBracesAfterComplex);
      const std::string_view form = p_.substr(pos_ + 1, *len - 2);
      const auto comma = form.find(',');
      min = ParseCount(form.substr(0, comma));
      if (comma == std::string_view::npos) {
        max = min;
      } else if (comma + 1 == form.size()) {
        max = kRepeatInfinite;
      } else {
        max = ParseCount(form.substr(comma + 1));
      }
      if (min > max) Fail(kBracesMinGreaterMax);
      pos_ += *len;
    } else {
      return atom;
    }
    if (!AtEnd() && QuantifierFollows()) Fail(kNestedQuantifier);
    NodePtr rep = MakeNode(Kind::kRepeat);
    rep->min = min;
    rep->max = max;
    rep->children.push_back(std::move(atom));
    return rep;
  }

  NodePtr Literal(std::uint8_t c) {
    if (mods_.ignore_case && InvertCase(c) != c) {
      NodePtr n = MakeNode(Kind::kLiteral);
      n->bytes.assign(1, static_cast<char>(c));
      n->fold = true;
      return n;
    }
    NodePtr n = MakeNode(Kind::kLiteral);
    n->bytes.assign(1, static_cast<char>(c));
    return n;
  }

  NodePtr SetNode(ByteSet s) {
    NodePtr n = MakeNode(Kind::kSet);
    n->set = mods_.ignore_case ? WithInvertedCase(s) : s;
    return n;
  }

  NodePtr ParseAtom() {
    const char c = Peek();
    switch (c) {
      case '(': return ParseParen();
      case '|':
      case ')': Fail(kInternalUrp);
      case '^': ++pos_; return MakeNode(Kind::kInputStart);
      case '$': ++pos_; return MakeNode(Kind::kInputEnd);
      case '.': {
        ++pos_;
        NodePtr n = MakeNode(Kind::kAny);
        n->any_but_lf = !mods_.single_line;
        return n;
      }
      case '[': return ParseClass();
      case '\\': return ParseEscape();
      default: ++pos_; return Literal(static_cast<std::uint8_t>(c));
    }
  }

  NodePtr ParseParen() {
    ++pos_;  // "("
    if (Peek() == '?' && Has(1)) {
      if (Peek(1) == '#') {
        const auto close = p_.find(')', pos_ + 2);
        if (close == std::string_view::npos) Fail(kUnclosedComment);
        pos_ = close + 1;
        return nullptr;
      }
      ++pos_;  // "?"
      bool on = true;
      Modifiers next = mods_;
      while (true) {
        if (AtEnd()) Fail(kUnknownModifier);
        const char m = Peek();
        if (m == ')') break;
        if (m == '-') {
          on = false;
        } else if (m == 'i' || m == 'I') {
          next.ignore_case = on;
        } else if (m == 'r' || m == 'R') {
          next.extended_ranges = on;
        } else if (m == 's' || m == 'S') {
          next.single_line = on;
        } else {
          Fail(kUnknownModifier);
        }
        ++pos_;
      }
      ++pos_;  // ")"
      mods_ = next;
      return nullptr;
    }
    if (groups_ >= kMaxGroups) Fail(kTooManyGroups);
    const int number = ++groups_;
    const Modifiers outer = mods_;
    NodePtr body = ParseAlternatives();
    if (AtEnd() || Peek() != ')') Fail(kUnmatchedOpen);
    ++pos_;
    mods_ = outer;  // a modifier switch ends with its group
    NodePtr g = MakeNode(Kind::kGroup);
    g->group = number;
    g->children.push_back(std::move(body));
    return g;
  }

  // "\xHH" or "\x{H...}" after the "x"; the byte value.
  std::uint8_t ParseHex() {
    if (AtEnd()) Fail(kNoHexCode);
    if (Peek() == '{') {
      ++pos_;
      int value = 0, digits = 0;
      while (true) {
        if (AtEnd()) Fail(kNoHexCode);
        const char h = Peek();
        if (h == '}') break;
        const int v = HexDigitValue(h);
        if (v < 0) Fail(kBadHexDigit);
        if (++digits > 2) Fail(kHexCodeTooBig);
        value = value * 16 + v;
        ++pos_;
      }
      if (digits == 0) Fail(kNoHexCode);
      ++pos_;
      return static_cast<std::uint8_t>(value);
    }
    if (!Has(1)) Fail(kNoHexCode);
    const int hi = HexDigitValue(Peek()), lo = HexDigitValue(Peek(1));
    if (hi < 0 || lo < 0) Fail(kBadHexDigit);
    pos_ += 2;
    return static_cast<std::uint8_t>(hi * 16 + lo);
  }

  // A single-byte escape after the backslash (t n r f a e x, or the byte itself).
  std::uint8_t EscapedByte(char e) {
    switch (e) {
      case 't': return '\t';
      case 'n': return '\n';
      case 'r': return '\r';
      case 'f': return '\f';
      case 'a': return 7;
      case 'e': return 27;
      case 'x': return ParseHex();
      default: return static_cast<std::uint8_t>(e);
    }
  }

  static std::optional<ByteSet> EscapeClass(char e) {
    switch (e) {
      case 'd': return DigitSet();
      case 'D': return ~DigitSet();
      case 's': return SpaceSet();
      case 'S': return ~SpaceSet();
      case 'w': return WordSet();
      case 'W': return ~WordSet();
      default: return std::nullopt;
    }
  }

  // Inside a class only the lower-case escape classes add sets; \D, \S and \W there
  // are the letters themselves.
  static std::optional<ByteSet> ClassEscapeSet(char e) {
    return e == 'd' || e == 's' || e == 'w' ? EscapeClass(e) : std::nullopt;
  }

  NodePtr ParseEscape() {
    ++pos_;  // backslash
    if (AtEnd()) Fail(kTrailingBackslash);
    const char e = Peek();
    ++pos_;
    if (auto cls = EscapeClass(e)) {
      NodePtr n = MakeNode(Kind::kSet);
      n->set = *cls;  // the classes are the same in either case
      return n;
    }
    if (e >= '1' && e <= '9') {
      NodePtr n = MakeNode(Kind::kBackref);
      n->group = e - '0';
      n->fold = mods_.ignore_case;
      return n;
    }
    return Literal(EscapedByte(e));
  }

  void AddRange(ByteSet& set, int lo, int hi) {
    if (mods_.extended_ranges) {
      if (lo == 0xE0 && hi == 0xFF) {
        set |= SetOfRange(0xE0, 0xFF);
        set.set(0xB8);
        return;
      }
      if (lo == 0xC0 && hi == 0xDF) {
        set |= SetOfRange(0xC0, 0xDF);
        set.set(0xA8);
        return;
      }
      if (lo == 0xE0 && hi == 0xDF) {
        set |= SetOfRange(0xC0, 0xFF);
        set.set(0xA8);
        set.set(0xB8);
        return;
      }
    }
    if (hi < lo) Fail(kInvalidRange);
    set |= SetOfRange(lo, hi);
  }

  NodePtr ParseClass() {
    ++pos_;  // "["
    bool negate = false;
    if (Peek() == '^' && Has(0)) {
      negate = true;
      ++pos_;
    }
    ByteSet set;
    bool first = true;
    while (true) {
      if (AtEnd()) Fail(kUnmatchedBracket);
      char c = Peek();
      if (c == ']' && !first) {
        ++pos_;
        break;
      }
      first = false;
      int lo;
      if (c == '\\') {
        ++pos_;
        if (AtEnd()) Fail(kClassTrailingBackslash);
        const char e = Peek();
        ++pos_;
        if (auto cls = ClassEscapeSet(e)) {
          set |= *cls;
          continue;  // a following "-" is a member
        }
        lo = EscapedByte(e);
      } else {
        ++pos_;
        lo = static_cast<std::uint8_t>(c);
      }
      // A range needs a "-" that is neither last nor followed by an escape class.
      if (Peek() == '-' && Has(1) && Peek(1) != ']') {
        if (Peek(1) == '\\' && Has(2) && ClassEscapeSet(Peek(2))) {
          set.set(static_cast<std::size_t>(lo));
          continue;
        }
        pos_ += 1;  // "-"
        int hi;
        if (Peek() == '\\') {
          ++pos_;
          if (AtEnd()) Fail(kClassTrailingBackslash);
          const char e = Peek();
          ++pos_;
          hi = EscapedByte(e);
        } else {
          hi = static_cast<std::uint8_t>(Peek());
          ++pos_;
        }
        AddRange(set, lo, hi);
      } else {
        set.set(static_cast<std::size_t>(lo));
      }
    }
    if (mods_.ignore_case) set = WithInvertedCase(set);
    if (negate) set.flip();
    NodePtr n = MakeNode(Kind::kSet);
    n->set = set;
    return n;
  }

  std::string_view p_;
  std::size_t pos_ = 0;
  Modifiers mods_;
  int groups_ = 0;
};

// ---------------------------------------------------------------- hints

ByteSet AllBytes() { return ByteSet().set(); }

// The bytes a match of the node can start with, and whether it can match empty.
struct FirstInfo {
  ByteSet bytes;
  bool can_be_empty = false;
};

FirstInfo FirstOf(const Node& n) {
  FirstInfo r;
  switch (n.kind) {
    case Kind::kEmpty:
    case Kind::kInputStart:
    case Kind::kInputEnd: r.can_be_empty = true; break;
    case Kind::kLiteral: {
      const auto b = static_cast<std::uint8_t>(n.bytes[0]);
      r.bytes.set(b);
      if (n.fold) r.bytes.set(InvertCase(b));
      break;
    }
    case Kind::kAny: r.bytes = AllBytes(); if (n.any_but_lf) r.bytes.reset('\n'); break;
    case Kind::kSet: r.bytes = n.set; break;
    case Kind::kBackref: r.bytes = AllBytes(); r.can_be_empty = true; break;
    case Kind::kGroup: return FirstOf(*n.children[0]);
    case Kind::kAlt:
      for (const auto& c : n.children) {
        FirstInfo f = FirstOf(*c);
        r.bytes |= f.bytes;
        r.can_be_empty |= f.can_be_empty;
      }
      break;
    case Kind::kConcat:
      r.can_be_empty = true;
      for (const auto& c : n.children) {
        FirstInfo f = FirstOf(*c);
        r.bytes |= f.bytes;
        if (!f.can_be_empty) {
          r.can_be_empty = false;
          break;
        }
      }
      break;
    case Kind::kRepeat: {
      r = FirstOf(*n.children[0]);
      if (n.min == 0) r.can_be_empty = true;
      break;
    }
  }
  return r;
}

const Node& FirstItem(const Node& root) {
  return root.kind == Kind::kConcat ? *root.children[0] : root;
}

// ---------------------------------------------------------------- emitter

class Emitter {
 public:
  explicit Emitter(Program& prog) : prog_(prog) {}

  void Emit(const Node& n) {
    switch (n.kind) {
      case Kind::kEmpty: break;
      case Kind::kLiteral: EmitLiteral(n); break;
      case Kind::kAny: Add({.op = n.any_but_lf ? Op::kAnyButLf : Op::kAnyByte}); break;
      case Kind::kSet: Add({.op = Op::kSet, .a = AddSet(n.set)}); break;
      case Kind::kInputStart: Add({.op = Op::kInputStart}); break;
      case Kind::kInputEnd: Add({.op = Op::kInputEnd}); break;
      case Kind::kBackref:
        if (n.group > prog_.group_count) {
          // The pattern has no such group, so it never takes part: an empty set never
          // matches, and no capture slot outside the program's groups is ever read.
          Add({.op = Op::kSet, .a = AddSet(ByteSet())});
          break;
        }
        Add({.op = Op::kBackref, .a = static_cast<std::uint32_t>(n.group), .b = n.fold ? 1u : 0u});
        break;
      case Kind::kGroup:
        Add({.op = Op::kSave, .a = static_cast<std::uint32_t>(2 * n.group)});
        Emit(*n.children[0]);
        Add({.op = Op::kSave, .a = static_cast<std::uint32_t>(2 * n.group + 1)});
        break;
      case Kind::kConcat:
        for (const auto& c : n.children) Emit(*c);
        break;
      case Kind::kAlt: EmitAlt(n); break;
      case Kind::kRepeat: EmitRepeat(n); break;
    }
  }

 private:
  std::uint32_t Here() const { return static_cast<std::uint32_t>(prog_.code.size()); }
  std::uint32_t Add(Inst inst) {
    prog_.code.push_back(inst);
    return Here() - 1;
  }
  std::uint32_t AddSet(const ByteSet& s) {
    prog_.sets.push_back(s);
    return static_cast<std::uint32_t>(prog_.sets.size() - 1);
  }

  void EmitLiteral(const Node& n) {
    if (n.fold) {
      if (n.bytes.size() == 1) {
        const auto b = static_cast<std::uint8_t>(n.bytes[0]);
        ByteSet s;
        s.set(b);
        s.set(InvertCase(b));
        Add({.op = Op::kSet, .a = AddSet(s)});
        return;
      }
      const std::string folded = Folded(n.bytes);
      const auto at = static_cast<std::uint32_t>(prog_.pool.size());
      prog_.pool += folded;
      Add({.op = Op::kLiteralFold, .a = at, .b = static_cast<std::uint32_t>(folded.size())});
      return;
    }
    if (n.bytes.size() == 1) {
      Add({.op = Op::kByte, .a = static_cast<std::uint8_t>(n.bytes[0])});
      return;
    }
    const auto at = static_cast<std::uint32_t>(prog_.pool.size());
    prog_.pool += n.bytes;
    Add({.op = Op::kLiteral, .a = at, .b = static_cast<std::uint32_t>(n.bytes.size())});
  }

  // Alternatives that each match exactly one byte behave as one byte set.
  static std::optional<ByteSet> SingleByteUnion(const Node& n) {
    ByteSet all;
    for (const auto& c : n.children) {
      if (!IsSimple(*c)) return std::nullopt;
      all |= FirstOf(*c).bytes;
    }
    return all;
  }

  void EmitAlt(const Node& n) {
    if (auto s = SingleByteUnion(n)) {
      Add({.op = Op::kSet, .a = AddSet(*s)});
      return;
    }
    std::vector<std::uint32_t> jumps_to_end;
    for (std::size_t i = 0; i < n.children.size(); ++i) {
      if (i + 1 < n.children.size()) {
        const std::uint32_t split = Add({.op = Op::kSplit});
        prog_.code[split].a = Here();
        Emit(*n.children[i]);
        jumps_to_end.push_back(Add({.op = Op::kJump}));
        prog_.code[split].b = Here();
      } else {
        Emit(*n.children[i]);
      }
    }
    for (std::uint32_t j : jumps_to_end) prog_.code[j].a = Here();
  }

  void EmitRepeat(const Node& n) {
    const Node& operand = *n.children[0];
    if (IsSimple(operand)) {
      Inst inst{.op = Op::kRepeat, .min = n.min, .max = n.max};
      if (operand.kind == Kind::kAny) {
        inst.rep_kind = operand.any_but_lf ? Op::kAnyButLf : Op::kAnyByte;
      } else if (operand.kind == Kind::kLiteral && !operand.fold) {
        inst.rep_kind = Op::kByte;
        inst.a = static_cast<std::uint8_t>(operand.bytes[0]);
      } else {
        inst.rep_kind = Op::kSet;
        inst.a = AddSet(FirstOf(operand).bytes);
      }
      Add(inst);
      return;
    }
    if (n.max == 1) {  // X?
      const std::uint32_t split = Add({.op = Op::kSplit});
      prog_.code[split].a = Here();
      Emit(operand);
      prog_.code[split].b = Here();
      return;
    }
    if (n.min == 0) {  // X*
      const std::uint32_t split = Add({.op = Op::kSplit});
      prog_.code[split].a = Here();
      Emit(operand);
      Add({.op = Op::kJump, .a = split});
      prog_.code[split].b = Here();
      return;
    }
    // X+
    const std::uint32_t body = Here();
    Emit(operand);
    const std::uint32_t split = Add({.op = Op::kSplit, .a = body});
    prog_.code[split].b = Here();
  }

  Program& prog_;
};

// A repetition followed directly by a literal only needs to try the counts after which
// the input holds that literal's first byte.
void AddRepeatHints(Program& prog) {
  for (std::size_t i = 0; i + 1 < prog.code.size(); ++i) {
    Inst& rep = prog.code[i];
    if (rep.op != Op::kRepeat) continue;
    const Inst& next = prog.code[i + 1];
    if (next.op == Op::kByte) {
      rep.has_hint = true;
      rep.hint = rep.hint_alt = static_cast<std::uint8_t>(next.a);
    } else if (next.op == Op::kLiteral || next.op == Op::kLiteralFold) {
      rep.has_hint = true;
      rep.hint = static_cast<std::uint8_t>(prog.pool[next.a]);
      rep.hint_alt = next.op == Op::kLiteralFold ? InvertCase(rep.hint) : rep.hint;
    }
  }
}

void ComputeSearchHints(const Node& root, Program& prog) {
  const Node& first = FirstItem(root);
  prog.anchored = first.kind == Kind::kInputStart;
  // A leading ".*" that matches every byte can absorb any later start, so a failure at
  // the search offset is a failure everywhere.
  if (first.kind == Kind::kRepeat && first.min == 0 && first.max == kRepeatInfinite &&
      first.children[0]->kind == Kind::kAny && !first.children[0]->any_but_lf) {
    prog.start_only = true;
  }
  const FirstInfo f = FirstOf(root);
  prog.first_any = f.can_be_empty || f.bytes.all();
  prog.first_bytes = f.bytes;
  if (!prog.anchored && !prog.start_only && !prog.first_any) prog.first_table = ToTable(f.bytes);
  // A case-blind literal keeps both hints in folded form, so "i" costs no shortcut.
  if (first.kind == Kind::kLiteral) {
    prog.prefix = first.fold ? Folded(first.bytes) : first.bytes;
    prog.prefix_fold = first.fold;
  }
  if (root.kind == Kind::kConcat) {
    for (std::size_t i = 1; i < root.children.size(); ++i) {
      const Node& c = *root.children[i];
      if (c.kind == Kind::kLiteral && c.bytes.size() > prog.required.size()) {
        prog.required = c.fold ? Folded(c.bytes) : c.bytes;
        prog.required_fold = c.fold;
      }
    }
    if (prog.required.size() <= prog.prefix.size()) {
      prog.required.clear();
      prog.required_fold = false;
    }
  }
}

}  // namespace

Program Compile(std::string_view pattern, Modifiers modifiers) {
  if (pattern.empty()) throw ERegexEngine(kNullArgument, 0);
  Parser parser(pattern, modifiers);
  NodePtr root = parser.ParseAll();
  Program prog;
  prog.group_count = parser.group_count();
  Emitter(prog).Emit(*root);
  prog.code.push_back({.op = Op::kMatch});
  AddRepeatHints(prog);
  for (Inst& in : prog.code) {
    if (in.op == Op::kSplit || in.op == Op::kRepeat) in.choice = prog.choice_count++;
    if (in.op == Op::kBackref) prog.has_backrefs = true;
  }
  ComputeSearchHints(*root, prog);
  for (const ByteSet& set : prog.sets) prog.tables.push_back(ToTable(set));
  return prog;
}

}  // namespace velkoran::regex
