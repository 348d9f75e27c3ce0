#include "script/host/string_list.h"

#include <algorithm>

#include "platform/codepage.h"

namespace kestrin {
namespace pf = velkoran::platform;

namespace {

bool IsBlankOrControl(unsigned char c) { return c >= 1 && c <= 32; }

}  // namespace

int CompareText(std::string_view a, std::string_view b) {
  const pf::CodePage cp = pf::ActiveCodePage();
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const std::size_t stepA = pf::CharStep(a, i, cp);
    const std::size_t stepB = pf::CharStep(b, j, cp);
    if (stepA == 1 && stepB == 1) {
      unsigned char x = static_cast<unsigned char>(a[i]);
      unsigned char y = static_cast<unsigned char>(b[j]);
      if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
      if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
      if (x != y) return x < y ? -1 : 1;
    } else {
      const int c = a.substr(i, stepA).compare(b.substr(j, stepB));
      if (c != 0) return c < 0 ? -1 : 1;
    }
    i += stepA;
    j += stepB;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

const std::string& TStringList::Get(std::size_t index) const {
  CheckIndex(index, lines_.size());
  return lines_[index];
}

void TStringList::CheckIndex(std::size_t index, std::size_t limit) const {
  if (index >= limit) throw EStringListError("list index out of bounds (" + std::to_string(index) + ")");
}

bool TStringList::Find(std::string_view s, std::size_t& index) const {
  std::size_t low = 0;
  std::size_t high = lines_.size();
  bool found = false;
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    const int c = CompareText(lines_[mid], s);
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid;
      if (c == 0) found = true;
    }
  }
  index = low;
  return found;
}

std::size_t TStringList::Add(std::string_view s) {
  if (!sorted_) {
    lines_.emplace_back(s);
    return lines_.size() - 1;
  }
  std::size_t index = 0;
  if (Find(s, index)) return index;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::string(s));
  return index;
}

void TStringList::Insert(std::size_t index, std::string_view s) {
  if (sorted_) throw EStringListError("operation not allowed on sorted list");
  CheckIndex(index, lines_.size() + 1);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::string(s));
}

void TStringList::Put(std::size_t index, std::string_view s) {
  if (sorted_) throw EStringListError("operation not allowed on sorted list");
  CheckIndex(index, lines_.size());
  lines_[index] = std::string(s);
}

void TStringList::Delete(std::size_t index) {
  CheckIndex(index, lines_.size());
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::ptrdiff_t TStringList::IndexOf(std::string_view s) const {
  if (sorted_) {
    std::size_t index = 0;
    return Find(s, index) ? static_cast<std::ptrdiff_t>(index) : -1;
  }
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (CompareText(lines_[i], s) == 0) return static_cast<std::ptrdiff_t>(i);
  }
  return -1;
}

void TStringList::Sort() {
  std::stable_sort(lines_.begin(), lines_.end(),
                   [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !sorted_) Sort();
  sorted_ = sorted;
}

std::string TStringList::Text() const {
  std::size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string out;
  out.reserve(size);
  for (const std::string& line : lines_) {
    out += line;
    out += "\r\n";
  }
  return out;
}

void TStringList::SetText(std::string_view text) {
  Clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      Add(text.substr(pos));
      break;
    }
    Add(text.substr(pos, end - pos));
    pos = end;
    if (text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
}

std::string TStringList::CommaText() const {
  if (lines_.size() == 1 && lines_[0].empty()) return "\"\"";
  const pf::CodePage cp = pf::ActiveCodePage();
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) out += ',';
    const std::string& line = lines_[i];
    bool quote = false;
    for (std::size_t p = 0; p < line.size(); p += pf::CharStep(line, p, cp)) {
      const unsigned char c = static_cast<unsigned char>(line[p]);
      if (c <= 32 || c == '"' || c == ',') {
        quote = true;
        break;
      }
    }
    if (!quote) {
      out += line;
      continue;
    }
    out += '"';
    for (std::size_t p = 0; p < line.size();) {
      const std::size_t step = pf::CharStep(line, p, cp);
      if (step == 1 && line[p] == '"') out += '"';
      out.append(line, p, step);
      p += step;
    }
    out += '"';
  }
  return out;
}

void TStringList::SetCommaText(std::string_view text) {
  Clear();
  // A zero byte ends the text, as it ends the character scan this form was made for.
  text = text.substr(0, text.find('\0'));
  const pf::CodePage cp = pf::ActiveCodePage();
  std::size_t p = 0;
  auto skipBlanks = [&] {
    while (p < text.size() && IsBlankOrControl(static_cast<unsigned char>(text[p]))) ++p;
  };
  skipBlanks();
  while (p < text.size()) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < text.size()) {
        const std::size_t step = pf::CharStep(text, p, cp);
        if (step == 1 && text[p] == '"') {
          if (p + 1 < text.size() && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item.append(text, p, step);
        p += step;
      }
    } else {
      const std::size_t start = p;
      while (p < text.size() && static_cast<unsigned char>(text[p]) > 32 && text[p] != ',') p += pf::CharStep(text, p, cp);
      item.assign(text.substr(start, p - start));
    }
    Add(item);
    skipBlanks();
    if (p < text.size() && text[p] == ',') {
      ++p;
      skipBlanks();
    }
  }
}

}  // namespace kestrin
