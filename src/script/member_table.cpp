#include "script/member_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "script/name_text.h"

namespace kestrin {

std::uint32_t TJName::HashOfShared(const SharedString& text) noexcept {
  SharedString::Buffer* buf = text.buffer();
  if (buf == nullptr || buf->used != text.size()) return HashName(text.view());
  if (buf->nameHash != 0) return buf->nameHash;
  bool ascii = false;
  const std::uint32_t hash = HashName(text.view(), ascii);
  if (ascii) buf->nameHash = hash;
  return hash;
}


namespace {

constexpr std::uint32_t kIndexThreshold = 4;  // capacity past which a table keeps an index
constexpr std::uint32_t kKeyBuckets = 100;    // the bucket count whose order Keys() shows

}  // namespace

void SortInBucketOrder(std::vector<std::pair<std::uint32_t, std::string>>& names) {
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
    const std::uint32_t ba = a.first % kKeyBuckets;
    const std::uint32_t bb = b.first % kKeyBuckets;
    if (ba != bb) return ba < bb;
    return a.second < b.second;
  });
}

std::vector<std::string> MergeSortedNoCase(std::vector<std::string> names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return CompareAsciiNoCase(a, b) < 0; });
  std::vector<std::string> out;
  out.reserve(names.size());
  for (std::string& n : names) {
    if (!out.empty() && CompareAsciiNoCase(out.back(), n) == 0) continue;
    out.push_back(std::move(n));
  }
  return out;
}


// ---------------------------------------------------------------------------------------
// TJHash

TJHash::TJHash(TJHash&& o) noexcept
    : items_(o.items_), index_(o.index_), count_(o.count_), cap_(o.cap_), watched_(o.watched_) {
  o.items_ = nullptr;
  o.index_ = nullptr;
  o.count_ = 0;
  o.cap_ = 0;
}

TJHash& TJHash::operator=(TJHash&& o) noexcept {
  if (this != &o) {
    Clear();
    items_ = o.items_;
    index_ = o.index_;
    count_ = o.count_;
    cap_ = o.cap_;
    watched_ = o.watched_;
    o.items_ = nullptr;
    o.index_ = nullptr;
    o.count_ = 0;
    o.cap_ = 0;
  }
  return *this;
}

TJValue* TJHash::FindIndexed(std::string_view name, std::uint32_t hash) noexcept {
  const std::uint32_t mask = cap_ * 2 - 1;
  for (std::uint32_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t e = index_[slot];
    if (e == 0) return nullptr;
    TJMember& m = items_[e - 1];
    if (m.Is(name, hash)) return &m.Value();
  }
}

bool TJHash::Get(const TJName& name, TJValue& out) const {
  const TJValue* v = Find(name);
  if (v == nullptr) return false;
  out = *v;
  return true;
}

void TJHash::IndexInsert(std::uint32_t entry) noexcept {
  const std::uint32_t mask = cap_ * 2 - 1;
  std::uint32_t slot = items_[entry].Hash() & mask;
  while (index_[slot] != 0) slot = (slot + 1) & mask;
  index_[slot] = entry + 1;
}

void TJHash::BuildIndex() {
  std::free(index_);
  index_ = nullptr;
  if (cap_ <= kIndexThreshold) return;
  // cap_ is a power of two once past the threshold, so twice it makes a load factor ≤ ½.
  index_ = static_cast<std::uint32_t*>(std::calloc(static_cast<std::size_t>(cap_) * 2, sizeof(std::uint32_t)));
  if (index_ == nullptr) throw std::bad_alloc();
  for (std::uint32_t i = 0; i < count_; ++i) IndexInsert(i);
}

void TJHash::Grow() {
  const std::uint32_t fresh = cap_ == 0 ? 2 : cap_ * 2;
  if (fresh > (1u << 30)) throw std::length_error("member table too large");
  auto* items = static_cast<TJMember*>(::operator new(sizeof(TJMember) * fresh));
  for (std::uint32_t i = 0; i < count_; ++i) {
    ::new (static_cast<void*>(items + i)) TJMember(std::move(items_[i]));
    std::destroy_at(items_ + i);
  }
  ::operator delete(items_);
  items_ = items;
  cap_ = fresh;
  if (cap_ > kIndexThreshold) BuildIndex();
}

void TJHash::Set(const TJName& name, const TJValue& value) {
  const std::uint32_t hash = name.Hash();
  if (TJValue* slot = FindHashed(name.Text(), hash)) {
    RetainValue(value);
    ReleaseValue(*slot);
    *slot = value;
    return;
  }
  Append(name.Shared(), hash, value);
}

void TJHash::Append(const SharedString& name, std::uint32_t hash, const TJValue& value) {
  if (count_ == cap_) Grow();
  ::new (static_cast<void*>(items_ + count_)) TJMember(name, hash, value);
  if (watched_ != 0) BumpMemberEpoch();
  RetainValue(value);
  if (index_ != nullptr) IndexInsert(count_);
  ++count_;
}

std::int64_t TJHash::IndexOf(std::string_view name, std::uint32_t hash) const noexcept {
  const TJValue* v = const_cast<TJHash*>(this)->FindHashed(name, hash);
  if (v == nullptr) return -1;
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (&items_[i].Value() == v) return i;
  }
  return -1;
}

bool TJHash::Remove(const TJName& name) {
  const std::uint32_t hash = name.Hash();
  std::uint32_t at = 0;
  while (at < count_ && !(items_[at].Is(name.Text(), hash))) ++at;
  if (at == count_) return false;
  if (watched_ != 0) BumpMemberEpoch();
  TJValue old = std::move(items_[at].Value());
  if (at + 1 != count_) items_[at] = std::move(items_[count_ - 1]);
  std::destroy_at(items_ + count_ - 1);
  --count_;
  if (index_ != nullptr) BuildIndex();
  ReleaseValue(old);
  return true;
}

void TJHash::Clear() noexcept {
  if (items_ == nullptr) return;
  if (watched_ != 0) BumpMemberEpoch();
  TJMember* items = items_;
  const std::uint32_t count = count_;
  items_ = nullptr;
  count_ = 0;
  cap_ = 0;
  std::free(index_);
  index_ = nullptr;
  for (std::uint32_t i = 0; i < count; ++i) {
    ReleaseValue(items[i].Value());
    std::destroy_at(items + i);
  }
  ::operator delete(items);
}

void TJHash::ResetEntries() noexcept {
  // Releasing only moves counts (nothing is freed here), so one pass does both.
  for (std::uint32_t i = 0; i < count_; ++i) {
    ReleaseValue(items_[i].Value());
    std::destroy_at(items_ + i);
  }
  count_ = 0;
  if (index_ != nullptr) std::memset(index_, 0, sizeof(std::uint32_t) * cap_ * 2);
}

std::vector<std::string> TJHash::Keys() const {
  std::vector<std::pair<std::uint32_t, std::string>> names;
  names.reserve(count_);
  for (std::uint32_t i = 0; i < count_; ++i) names.emplace_back(items_[i].Hash(), std::string(items_[i].Name()));
  SortInBucketOrder(names);
  std::vector<std::string> out;
  out.reserve(names.size());
  for (auto& n : names) out.push_back(std::move(n.second));
  return out;
}

std::string TJHash::KeysText() const { return NameListText(Keys()); }

}  // namespace kestrin
