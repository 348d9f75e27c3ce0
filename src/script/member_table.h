// Member tables: names, the member epoch, and the tables that hold the variables of
// scopes (an object's members live in its member store, member_store.h).
//
// A table (TJHash) is compact: a small array of {name, hash, value} searched by hash
// first, with an index only once it grows past a few entries. Storing a value counts the
// object it holds (see object.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "script/hash_table.h"
#include "script/shared_string.h"
#include "script/small_vector.h"
#include "script/value.h"

namespace kestrin {

class TJObject;

// Counts the object a value holds, if any (member tables and counting lists use these).
void RetainValue(const TJValue& v) noexcept;
void ReleaseValue(const TJValue& v) noexcept;

// ---------------------------------------------------------------------------------------
// Names

// A member name with its HashName, computed on first use unless the caller supplies it
// (the evaluator passes the hash the parser stored in the identifier node). When the
// caller already holds the name as a SharedString it may pass that too, so storing a new
// member shares the bytes instead of copying them.
class TJName {
 public:
  TJName(std::string_view text) noexcept : text_(text) {}  // NOLINT: names convert freely
  TJName(const char* text) noexcept : text_(text) {}       // NOLINT
  TJName(const std::string& text) noexcept : text_(text) {}  // NOLINT
  TJName(const SharedString& text) noexcept : text_(text.view()), shared_(&text) {}  // NOLINT
  TJName(std::string_view text, std::uint32_t hash) noexcept : text_(text), hash_(hash), hashed_(true) {}
  TJName(const std::string& text, std::uint32_t hash) noexcept : text_(text), hash_(hash), hashed_(true) {}
  TJName(const char* text, std::uint32_t hash) noexcept : text_(text), hash_(hash), hashed_(true) {}
  TJName(const SharedString& text, std::uint32_t hash) noexcept
      : text_(text.view()), shared_(&text), hash_(hash), hashed_(true) {}

  std::string_view Text() const noexcept { return text_; }
  std::uint32_t Hash() const noexcept {
    if (!hashed_) {
      hash_ = shared_ != nullptr ? HashOfShared(*shared_) : HashName(text_);
      hashed_ = true;
    }
    return hash_;
  }
  // The name as a shared string (shares the caller's when it gave one).
  SharedString Shared() const { return shared_ != nullptr ? *shared_ : SharedString(text_); }

 private:
  // A text that is a whole buffer keeps its hash there: an object's key computed once and
  // used for several reads and writes (`o[k] = o[k] + 1`) is hashed once.
  static std::uint32_t HashOfShared(const SharedString& text) noexcept;

  std::string_view text_;
  const SharedString* shared_ = nullptr;
  mutable std::uint32_t hash_ = 0;
  mutable bool hashed_ = false;
};


// ---------------------------------------------------------------------------------------
// Member tables

// The member epoch changes whenever a name appears in or leaves a watched member table:
// the variables of a module and the layers of the global object. The evaluator's caches of
// where a bare name resolves stay valid only while it is unchanged. (Per thread: an
// engine and its objects belong to one thread.)
namespace detail {
inline thread_local std::uint32_t tMemberEpoch = 1;
}
inline std::uint32_t MemberEpoch() noexcept { return detail::tMemberEpoch; }
inline void BumpMemberEpoch() noexcept {
  if (++detail::tMemberEpoch == 0) detail::tMemberEpoch = 1;  // 0 means "never cached"
}

// One entry: the name (shared bytes), its hash and the value.
class TJMember {
 public:
  TJMember(const SharedString& name, std::uint32_t hash, const TJValue& value)
      : nameBuf_(name.buffer()), nameLen_(static_cast<std::uint32_t>(name.size())), hash_(hash), value_(value) {
    SharedString::AddRef(nameBuf_);
  }
  TJMember(TJMember&& o) noexcept : nameBuf_(o.nameBuf_), nameLen_(o.nameLen_), hash_(o.hash_), value_(std::move(o.value_)) {
    o.nameBuf_ = nullptr;
    o.nameLen_ = 0;
  }
  TJMember& operator=(TJMember&& o) noexcept {
    if (this != &o) {
      SharedString::Release(nameBuf_);
      nameBuf_ = o.nameBuf_;
      nameLen_ = o.nameLen_;
      hash_ = o.hash_;
      value_ = std::move(o.value_);
      o.nameBuf_ = nullptr;
      o.nameLen_ = 0;
    }
    return *this;
  }
  TJMember(const TJMember&) = delete;
  ~TJMember() { SharedString::Release(nameBuf_); }

  std::string_view Name() const noexcept {
    return nameBuf_ != nullptr ? std::string_view(nameBuf_->data, nameLen_) : std::string_view();
  }
  SharedString SharedName() const noexcept { return SharedString::FromBuffer(nameBuf_, nameLen_); }
  std::uint32_t Hash() const noexcept { return hash_; }
  // Same name as `name` whose hash is `hash` (hash first, then length, then bytes).
  [[gnu::always_inline]] bool Is(std::string_view name, std::uint32_t hash) const noexcept {
    if (hash_ != hash || nameLen_ != name.size()) return false;
    const char* a = nameBuf_ != nullptr ? nameBuf_->data : "";
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (a[i] != name[i]) return false;
    }
    return true;
  }
  TJValue& Value() noexcept { return value_; }
  const TJValue& Value() const noexcept { return value_; }

 private:
  SharedString::Buffer* nameBuf_;
  std::uint32_t nameLen_;
  std::uint32_t hash_;
  TJValue value_;
};
static_assert(sizeof(TJMember) == 32, "a member entry stays four words");

// TJHash: one table of names (a module's variables, the names of a local scope bound by
// name). Names are case-sensitive; storing a value counts the object it holds and releases
// the one it replaces.
class TJHash {
 public:
  TJHash() noexcept : watched_(0) {}
  // Names appearing in or leaving this table change the member epoch from now on.
  void Watch() noexcept { watched_ = 1; }
  bool Watched() const noexcept { return watched_ != 0; }
  TJHash(TJHash&& o) noexcept;
  TJHash& operator=(TJHash&& o) noexcept;
  TJHash(const TJHash&) = delete;
  ~TJHash() { Clear(); }

  // The stored value, or null.
  TJValue* Find(const TJName& name) noexcept { return FindHashed(name.Text(), name.Hash()); }
  const TJValue* Find(const TJName& name) const noexcept {
    return const_cast<TJHash*>(this)->FindHashed(name.Text(), name.Hash());
  }
  TJValue* FindHashed(std::string_view name, std::uint32_t hash) noexcept {
    if (index_ != nullptr) return FindIndexed(name, hash);
    for (std::uint32_t i = 0; i < count_; ++i) {
      if (items_[i].Is(name, hash)) return &items_[i].Value();
    }
    return nullptr;
  }
  bool Has(const TJName& name) const noexcept { return Find(name) != nullptr; }
  // Reads a copy; a missing name leaves out unchanged and answers false.
  bool Get(const TJName& name, TJValue& out) const;
  // Stores (adds or replaces), keeping object counts.
  void Set(const TJName& name, const TJValue& value);
  // Adds an entry the caller knows is not there yet.
  void Append(const SharedString& name, std::uint32_t hash, const TJValue& value);
  // Removes the entry; false when there is none.
  bool Remove(const TJName& name);
  // Position of the entry, or -1.
  std::int64_t IndexOf(std::string_view name, std::uint32_t hash) const noexcept;
  // Overwrites the value of entry i, keeping object counts.
  void Assign(std::size_t i, const TJValue& value) {
    TJValue& slot = items_[i].Value();
    RetainValue(value);
    ReleaseValue(slot);
    slot = value;
  }
  void Clear() noexcept;
  // Empties the table but keeps its storage for the next use (local scopes).
  void Reset() noexcept {
    if (count_ != 0) ResetEntries();
  }

  std::size_t Count() const noexcept { return count_; }
  const TJMember& Entry(std::size_t i) const noexcept { return items_[i]; }
  TJMember& Entry(std::size_t i) noexcept { return items_[i]; }
  // Own entry names in the order of the hash table's buckets (CRC-32 mod 100, then by
  // bytes within a bucket).
  std::vector<std::string> Keys() const;
  std::string KeysText() const;

 private:
  TJValue* FindIndexed(std::string_view name, std::uint32_t hash) noexcept;
  void ResetEntries() noexcept;
  void Grow();
  void BuildIndex();
  void IndexInsert(std::uint32_t entry) noexcept;

  TJMember* items_ = nullptr;
  std::uint32_t* index_ = nullptr;  // open addressing over entry numbers + 1, once large
  std::uint32_t count_ = 0;
  std::uint32_t cap_ : 31 = 0;
  std::uint32_t watched_ : 1;
};

// The order in which names of member tables are listed: by bucket of the hash table
// (CRC-32 of the lower-cased name mod 100), then by bytes within the bucket.
void SortInBucketOrder(std::vector<std::pair<std::uint32_t, std::string>>& names);
// Merges name lists (in the order given) into one list sorted without regard to case,
// keeping the first of names that differ only in case.
std::vector<std::string> MergeSortedNoCase(std::vector<std::string> names);

}  // namespace kestrin
