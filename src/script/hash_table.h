// String-keyed hash tables with typed values: a fixed number of buckets chosen by the
// CRC-32 of the lower-cased key, each bucket a list kept sorted by key and searched by
// bisection. The table never grows or rehashes. Used for the lexer's keyword table, the
// object factory's class registry and the host objects' small name tables.
//
// HashName is the same CRC-32 of the lower-cased name. The parser computes it once per
// identifier, and the member tables of objects and scopes (member_table.h) compare it before
// any bytes, so no name is hashed again while a script runs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// CRC-32 of the name lower-cased in the system code page (bytes inside a multi-byte
// character are never changed).
std::uint32_t HashName(std::string_view name) noexcept;
// The same; ascii tells whether every byte is below 0x80 (then no code page changes it).
std::uint32_t HashName(std::string_view name, bool& ascii) noexcept;

class EHashTableError : public std::runtime_error {
 public:
  EHashTableError() : std::runtime_error("dont has key") {}
};

enum class THashItemKind : std::int16_t { String = 0, Object = 1, Integer = 2, Double = 3, Pointer = 4 };

// Anything a table may own as an object item.
class THashObject {
 public:
  virtual ~THashObject() = default;
};

struct THashItem {
  std::string Key;
  THashItemKind ItemKind = THashItemKind::String;
  std::string StrValue;
  std::int32_t IntValue = 0;
  void* Pointer = nullptr;
  THashObject* Object = nullptr;  // freed by ItemDeleted when the table owns objects
  double DblValue = 0;
};

class TCustomHashTable {
 public:
  explicit TCustomHashTable(std::uint32_t bucketCount = 100, bool ignoreCase = false);
  // Clears, but a derived class that overrides ItemDeleted must call Clear in its own
  // destructor to see the last items.
  virtual ~TCustomHashTable();
  TCustomHashTable(const TCustomHashTable&) = delete;
  TCustomHashTable& operator=(const TCustomHashTable&) = delete;

  std::uint32_t BucketOf(std::string_view key) const noexcept { return HashName(key) % bucketCount_; }
  std::uint32_t BucketCount() const noexcept { return bucketCount_; }
  bool IgnoreCase() const noexcept { return ignoreCase_; }

  // The item of key, or null (EHashTableError instead when RaiseOnMissing is set). The
  // second form takes the key's HashName, computed by the caller once.
  const THashItem* Find(std::string_view key) const { return Find(key, HashName(key)); }
  const THashItem* Find(std::string_view key, std::uint32_t hash) const;
  bool HasKey(std::string_view key) const { return FindItem(key, HashName(key)) != nullptr; }

  // Add or replace; a replaced item goes through ItemDeleted first.
  void AddString(std::string_view key, std::string_view text);
  void AddInteger(std::string_view key, std::int32_t value);
  void AddDouble(std::string_view key, double value);
  void AddPointer(std::string_view key, void* pointer);
  // The table takes the object and frees it with its item while OwnsObjects is set.
  void AddObject(std::string_view key, std::unique_ptr<THashObject> object);

  // Integer item: its value; double item: truncated; otherwise (and missing) 0.
  std::int32_t GetInteger(std::string_view key) const;
  // Pointer item: its pointer; otherwise null.
  void* GetPointer(std::string_view key) const;
  // The item as text: string, "object" + hex address, decimal, general number format,
  // "pointer" + hex address; missing: empty.
  std::string GetText(std::string_view key) const;

  // All keys, bucket by bucket, each bucket in its sorted order.
  const std::vector<std::string>& Keys() const;
  // The keys joined with CR LF, surrounding blanks trimmed.
  std::string KeysText() const;
  std::size_t Count() const noexcept { return count_; }

  void Clear();

  bool RaiseOnMissing = false;
  bool OwnsObjects = true;
  // Called for every item that leaves the table (replaced, cleared, destroyed).
  std::function<void(TCustomHashTable& table, THashItem& item)> OnDelete;

 protected:
  virtual void ItemDeleted(THashItem& item);

 private:
  struct Bucket {
    std::vector<std::unique_ptr<THashItem>> items;  // ascending by key
  };
  int CompareKeys(std::string_view a, std::string_view b) const;
  // Binary search; index of the key, or -(insertion point) - 1.
  std::ptrdiff_t Search(const Bucket& bucket, std::string_view key) const;
  const THashItem* FindItem(std::string_view key, std::uint32_t hash) const;
  void Add(std::unique_ptr<THashItem> item);

  std::uint32_t bucketCount_;
  bool ignoreCase_;
  std::vector<std::unique_ptr<Bucket>> buckets_;  // none until first used
  std::size_t count_ = 0;
  mutable std::vector<std::string> keyList_;
  mutable bool keysChanged_ = false;
};

// Named variants, kept for what they document at their use.
class TStringHashTable : public TCustomHashTable {
 public:
  using TCustomHashTable::TCustomHashTable;
};
class TIntegerHashTable : public TCustomHashTable {
 public:
  using TCustomHashTable::TCustomHashTable;
};
class TPointerHashTable : public TCustomHashTable {
 public:
  using TCustomHashTable::TCustomHashTable;
};

}  // namespace kestrin
