// AutomationCollection: a read-only dispatch object over values a backend returns
// together (an array, a structure, a dictionary, several out-arguments). Scripts read
// `Count` (also `length`), call `Item(i)` (a position, or a key of a dictionary) and read
// the entries as properties named "0", "1", … or by the dictionary's keys, in order; the
// entry names are its property names, so for-in walks them.
#pragma once

#include <string>
#include <vector>

#include "platform/automation.h"

namespace velkoran::platform {

class AutomationCollection final : public CountedAutomation {
 public:
  struct Entry {
    std::string key;
    Variant value;
  };

  // A dispatch variant over values keyed "0", "1", …
  static Variant List(std::vector<Variant> items);
  // A dispatch variant over keyed entries, in the order given.
  static Variant Dictionary(std::vector<Entry> entries);
  // The collection a variant holds, or null.
  static const AutomationCollection* Of(const Variant& v);

  bool IsDictionary() const noexcept { return dictionary_; }
  const std::vector<Entry>& Entries() const noexcept { return entries_; }

  std::optional<std::int32_t> IdOfName(std::string_view name) override;
  bool Invoke(std::int32_t dispId, InvokeKind kind, const std::vector<Variant>& reversedArgs, Variant& result) override;
  std::vector<std::string> PropertyNames() override;

 private:
  AutomationCollection(std::vector<Entry> entries, bool dictionary)
      : entries_(std::move(entries)), dictionary_(dictionary) {}
  const Entry* EntryForItem(const Variant& which) const;

  std::vector<Entry> entries_;
  bool dictionary_;
};

// Position of a name in names: the first exact match, else the first that differs only in
// the case of ASCII letters. Member lookups of every backend object follow this rule.
std::optional<std::size_t> FindName(const std::vector<std::string_view>& names, std::string_view name);

}  // namespace velkoran::platform
