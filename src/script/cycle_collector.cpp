// The collection of unreachable cycles at the end of a run (see docs/interpreter.md,
// "Object lifetime").
#include <algorithm>
#include <cstdint>
#include <vector>

#include "script/object.h"

namespace kestrin {

// Trial deletion from the candidates: in the part of the graph they reach, take away the
// counts that come from inside that part (gray). What keeps a count is held from outside
// and lives, with everything it reaches (black); the rest is garbage (white).
void TJObjectFactory::CollectCycles() {
  enum : std::uint8_t { kNone = 0, kGray = 1, kBlack = 2, kWhite = 3 };
  std::vector<TJObject*> roots;
  for (TJObject* o : candidates_) {
    if (o == nullptr) continue;
    o->candidate_ = TJObject::kNoCandidate;
    if (o->listed_ && o->refs_ > 0) roots.push_back(o);
  }
  candidates_.clear();
  if (roots.empty()) return;

  std::vector<TJObject*> gray;
  struct Graying final : TJReferenceVisitor {
    std::vector<TJObject*>& gray;
    std::vector<TJObject*> work;
    explicit Graying(std::vector<TJObject*>& g) : gray(g) {}
    void Reach(TJObject& o) {
      if (o.color_ != kNone) return;
      o.color_ = kGray;
      o.scratch_ = o.refs_;
      gray.push_back(&o);
      work.push_back(&o);
    }
    void Visit(TJObject& o) override {
      if (!o.listed_) return;
      Reach(o);
      --o.scratch_;
    }
  } graying(gray);
  for (TJObject* r : roots) {
    if (r->color_ != kNone) continue;
    graying.Reach(*r);
    while (!graying.work.empty()) {
      TJObject* o = graying.work.back();
      graying.work.pop_back();
      o->EnumReferences(graying);
    }
  }

  struct Blackening final : TJReferenceVisitor {
    std::vector<TJObject*> work;
    void Visit(TJObject& o) override {
      if (o.color_ == kGray || o.color_ == kWhite) {
        o.color_ = kBlack;
        work.push_back(&o);
      }
    }
  } blackening;
  for (TJObject* o : gray) {
    if (o->color_ == kGray && o->scratch_ > 0) {
      o->color_ = kBlack;
      blackening.work.push_back(o);
      while (!blackening.work.empty()) {
        TJObject* b = blackening.work.back();
        blackening.work.pop_back();
        b->EnumReferences(blackening);
      }
    }
  }

  std::vector<TJObject*> garbage;
  for (TJObject* o : gray) {
    if (o->color_ == kGray || o->color_ == kWhite) {
      garbage.push_back(o);
    }
    o->color_ = kNone;
  }
  if (garbage.empty()) return;
  for (TJObject* o : garbage) {
    o->dying_ = true;
    if (o->onZeroList_) {
      zeroList_.erase(std::remove(zeroList_.begin(), zeroList_.end(), o), zeroList_.end());
      o->onZeroList_ = false;
    }
    Unlist(o);
  }
  DestroyTogether(garbage);
}

}  // namespace kestrin
