#include "script/hash_table.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "platform/codepage.h"
#include "script/crc.h"
#include "script/name_text.h"
#include "script/value.h"

namespace kestrin {

namespace {

// The rest of a name from position i on, whose bytes before i were ASCII and are in state.
std::uint32_t HashNameFrom(std::string_view name, std::size_t i, std::uint32_t state) noexcept {
  using velkoran::platform::CodePage;
  // Lower-cased a chunk at a time on the stack: no allocation for any name.
  const bool stepChars = velkoran::platform::ActiveCodePage() == CodePage::Cp932;
  char chunk[64];
  std::size_t used = 0;
  while (i < name.size()) {
    const auto c = static_cast<unsigned char>(name[i]);
    std::size_t step = 1;
    if (stepChars && c >= 0x80) step = velkoran::platform::CharStep(name, i, CodePage::Cp932);
    if (step == 1) {
      chunk[used++] = static_cast<char>(FoldAscii(c));
    } else {
      for (std::size_t k = 0; k < step; ++k) {
        if (used == sizeof chunk) {
          state = Crc32Update(state, std::string_view(chunk, used));
          used = 0;
        }
        chunk[used++] = name[i + k];
      }
    }
    i += step;
    if (used == sizeof chunk) {
      state = Crc32Update(state, std::string_view(chunk, used));
      used = 0;
    }
  }
  state = Crc32Update(state, std::string_view(chunk, used));
  return ~state;
}

}  // namespace

std::uint32_t HashName(std::string_view name, bool& ascii) noexcept {
  // ASCII bytes fold the same in every code page: straight into the checksum.
  std::uint32_t state = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 0x80) {
      ascii = false;
      return HashNameFrom(name, i, state);
    }
    state = Crc32Step(state, FoldAscii(c));
  }
  ascii = true;
  return ~state;
}

std::uint32_t HashName(std::string_view name) noexcept {
  bool ascii = false;
  return HashName(name, ascii);
}

TCustomHashTable::TCustomHashTable(std::uint32_t bucketCount, bool ignoreCase)
    : bucketCount_(bucketCount == 0 ? 1 : bucketCount), ignoreCase_(ignoreCase), buckets_(bucketCount_) {}

TCustomHashTable::~TCustomHashTable() {
  // Items reported while destroying see the table as it still is; then it is gone.
  Clear();
}

int TCustomHashTable::CompareKeys(std::string_view a, std::string_view b) const {
  if (!ignoreCase_) return a.compare(b);
  const std::string la = velkoran::platform::LowerCase(a);
  const std::string lb = velkoran::platform::LowerCase(b);
  return std::string_view(la).compare(lb);
}

std::ptrdiff_t TCustomHashTable::Search(const Bucket& bucket, std::string_view key) const {
  std::ptrdiff_t low = 0;
  std::ptrdiff_t high = static_cast<std::ptrdiff_t>(bucket.items.size()) - 1;
  while (low <= high) {
    const std::ptrdiff_t mid = (low + high) / 2;
    const int c = CompareKeys(key, bucket.items[static_cast<std::size_t>(mid)]->Key);
    if (c == 0) return mid;
    if (c < 0) {
      high = mid - 1;
    } else {
      low = mid + 1;
    }
  }
  return -low - 1;
}

const THashItem* TCustomHashTable::FindItem(std::string_view key, std::uint32_t hash) const {
  const Bucket* bucket = buckets_[hash % bucketCount_].get();
  if (bucket == nullptr) return nullptr;
  const std::ptrdiff_t at = Search(*bucket, key);
  return at >= 0 ? bucket->items[static_cast<std::size_t>(at)].get() : nullptr;
}

const THashItem* TCustomHashTable::Find(std::string_view key, std::uint32_t hash) const {
  const THashItem* item = FindItem(key, hash);
  if (item == nullptr && RaiseOnMissing) throw EHashTableError();
  return item;
}

void TCustomHashTable::Add(std::unique_ptr<THashItem> item) {
  auto& slot = buckets_[BucketOf(item->Key)];
  if (!slot) slot = std::make_unique<Bucket>();
  Bucket& bucket = *slot;
  const std::ptrdiff_t at = Search(bucket, item->Key);
  if (at >= 0) {
    std::unique_ptr<THashItem> old = std::move(bucket.items[static_cast<std::size_t>(at)]);
    bucket.items[static_cast<std::size_t>(at)] = std::move(item);
    ItemDeleted(*old);
  } else {
    bucket.items.insert(bucket.items.begin() + (-at - 1), std::move(item));
    ++count_;
  }
  keysChanged_ = true;
}

void TCustomHashTable::AddString(std::string_view key, std::string_view text) {
  auto item = std::make_unique<THashItem>();
  item->Key = std::string(key);
  item->ItemKind = THashItemKind::String;
  item->StrValue = std::string(text);
  Add(std::move(item));
}

void TCustomHashTable::AddInteger(std::string_view key, std::int32_t value) {
  auto item = std::make_unique<THashItem>();
  item->Key = std::string(key);
  item->ItemKind = THashItemKind::Integer;
  item->IntValue = value;
  Add(std::move(item));
}

void TCustomHashTable::AddDouble(std::string_view key, double value) {
  auto item = std::make_unique<THashItem>();
  item->Key = std::string(key);
  item->ItemKind = THashItemKind::Double;
  item->DblValue = value;
  Add(std::move(item));
}

void TCustomHashTable::AddPointer(std::string_view key, void* pointer) {
  auto item = std::make_unique<THashItem>();
  item->Key = std::string(key);
  item->ItemKind = THashItemKind::Pointer;
  item->Pointer = pointer;
  Add(std::move(item));
}

void TCustomHashTable::AddObject(std::string_view key, std::unique_ptr<THashObject> object) {
  auto item = std::make_unique<THashItem>();
  item->Key = std::string(key);
  item->ItemKind = THashItemKind::Object;
  item->Object = object.release();
  Add(std::move(item));
}

std::int32_t TCustomHashTable::GetInteger(std::string_view key) const {
  const THashItem* item = Find(key);
  if (item == nullptr) return 0;
  if (item->ItemKind == THashItemKind::Integer) return item->IntValue;
  if (item->ItemKind == THashItemKind::Double) {
    const double t = item->DblValue;
    if (!(t > -2147483649.0 && t < 2147483648.0)) return 0;
    return static_cast<std::int32_t>(t);
  }
  return 0;
}

void* TCustomHashTable::GetPointer(std::string_view key) const {
  const THashItem* item = Find(key);
  return item != nullptr && item->ItemKind == THashItemKind::Pointer ? item->Pointer : nullptr;
}

std::string TCustomHashTable::GetText(std::string_view key) const {
  const THashItem* item = Find(key);
  if (item == nullptr) return {};
  char buf[64];
  switch (item->ItemKind) {
    case THashItemKind::String:
      return item->StrValue;
    case THashItemKind::Object:
      std::snprintf(buf, sizeof buf, "object%" PRIxPTR, reinterpret_cast<std::uintptr_t>(item->Object));
      return buf;
    case THashItemKind::Integer:
      return std::to_string(item->IntValue);
    case THashItemKind::Double:
      return FormatNumber(item->DblValue);
    case THashItemKind::Pointer:
      std::snprintf(buf, sizeof buf, "pointer%" PRIxPTR, reinterpret_cast<std::uintptr_t>(item->Pointer));
      return buf;
  }
  return {};
}

const std::vector<std::string>& TCustomHashTable::Keys() const {
  if (keysChanged_) {
    keyList_.clear();
    keyList_.reserve(count_);
    for (const auto& bucket : buckets_) {
      if (!bucket) continue;
      for (const auto& item : bucket->items) keyList_.push_back(item->Key);
    }
    keysChanged_ = false;
  }
  return keyList_;
}

std::string TCustomHashTable::KeysText() const {
  std::string out;
  for (const std::string& k : Keys()) {
    out += k;
    out += "\r\n";
  }
  return TrimBlanks(std::move(out));
}

void TCustomHashTable::Clear() {
  for (auto& slot : buckets_) {
    if (!slot) continue;
    std::unique_ptr<Bucket> bucket = std::move(slot);
    for (auto& item : bucket->items) ItemDeleted(*item);
  }
  count_ = 0;
  keyList_.clear();
  keysChanged_ = false;
}

void TCustomHashTable::ItemDeleted(THashItem& item) {
  if (OwnsObjects && item.ItemKind == THashItemKind::Object) {
    delete item.Object;
    item.Object = nullptr;
  }
  if (OnDelete) OnDelete(*this, item);
}

}  // namespace kestrin
