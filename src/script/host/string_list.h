// TStringList: the ordered list of byte strings behind the script class "Strings", with an
// optional sorted mode (duplicates ignored there), comparisons without regard to the case
// of single-byte letters, and the line and comma text forms.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// The list's own error: an index out of range, or a change a sorted list forbids.
class EStringListError : public std::runtime_error {
 public:
  explicit EStringListError(const std::string& message) : std::runtime_error(message) {}
};

// Compares two strings without regard to the case of single-byte letters (a trail byte
// of a double-byte character is never folded): negative, zero or positive.
int CompareText(std::string_view a, std::string_view b);

class TStringList {
 public:
  std::size_t Count() const noexcept { return lines_.size(); }
  const std::string& Get(std::size_t index) const;
  const std::vector<std::string>& Lines() const noexcept { return lines_; }

  // Appends (or, sorted, inserts in order) and returns the index; a sorted list that
  // already holds an equal string returns that string's index and adds nothing.
  std::size_t Add(std::string_view s);
  void Insert(std::size_t index, std::string_view s);
  void Put(std::size_t index, std::string_view s);
  void Delete(std::size_t index);
  void Clear() noexcept { lines_.clear(); }

  // Index of the first line equal to s without regard to case; -1 when absent.
  std::ptrdiff_t IndexOf(std::string_view s) const;
  void Sort();
  bool Sorted() const noexcept { return sorted_; }
  // Switching sorted mode on sorts the list.
  void SetSorted(bool sorted);

  // Every line followed by CR LF.
  std::string Text() const;
  // Replaces the lines by the text split at CR, LF or CR LF; a last line without a line
  // end still counts; an empty text gives an empty list.
  void SetText(std::string_view text);
  // Lines joined with ","; a line holding a blank or control byte, a double quote or a
  // comma is quoted, inner quotes doubled. One empty line gives "".
  std::string CommaText() const;
  void SetCommaText(std::string_view text);

 private:
  // Binary search of a sorted list: true when found; index receives the position of the
  // match or where s belongs.
  bool Find(std::string_view s, std::size_t& index) const;
  void CheckIndex(std::size_t index, std::size_t limit) const;

  std::vector<std::string> lines_;
  bool sorted_ = false;
};

}  // namespace kestrin
