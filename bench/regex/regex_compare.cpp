// Finds every match of a fixed set of patterns in a generated 10 MB text with our engine,
// PCRE2 (interpreter, no JIT) and std::regex, and prints median times and ratios.
// Usage: bench_regex [megabytes] [runs]
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "regex/regex_engine.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Case {
  const char* name;
  const char* ours;   // our syntax
  const char* pcre;   // PCRE2 syntax (same meaning)
  const char* std;    // std::regex ECMAScript syntax
  bool icase = false; // std::regex needs the flag instead of (?i)
};

// Pseudo-English lines with numbers, mail addresses and a few rare names.
std::string MakeText(std::size_t bytes) {
  static const char* words[] = {
      "the",    "of",     "and",    "a",      "to",      "in",      "is",     "you",
      "that",   "it",     "he",     "was",    "for",     "on",      "are",    "as",
      "with",   "his",    "they",   "at",     "be",      "this",    "have",   "from",
      "or",     "one",    "had",    "by",     "word",    "but",     "not",    "what",
      "all",    "were",   "we",     "when",   "your",    "can",     "said",   "there",
      "running","singing","looking","letter", "street",  "morning", "matter", "little",
      "door",   "good",   "small",  "yellow", "coffee",  "pass",    "Holmes", "Watson"};
  constexpr std::size_t kWords = sizeof(words) / sizeof(words[0]);
  std::string text;
  text.reserve(bytes + 100);
  std::uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) & 0xFFFFFF;
  };
  std::size_t line = 0;
  text += "The start of the text\n";
  while (text.size() < bytes) {
    const std::uint32_t r = next();
    if (r % 97 == 0) {
      text += "user" + std::to_string(r % 1000) + "@mail.example.com";
    } else if (r % 13 == 0) {
      text += std::to_string(r % 100000);
    } else if (r % 5011 == 0) {
      text += "Moriarty";
    } else {
      const std::size_t idx = next() % kWords;
      // The names are rarer than ordinary words.
      text += (idx >= kWords - 2 && r % 8 != 0) ? words[r % 20] : words[idx];
    }
    const std::size_t len = text.size() - line;
    if (len > 70) {
      text += '\n';
      line = text.size();
    } else {
      text += (r % 17 == 0) ? ", " : " ";
    }
  }
  return text;
}

std::size_t CountOurs(const Case& c, const std::string& text) {
  velkoran::regex::TRegexEngine e;
  e.SetExpression(c.ours);
  std::size_t n = 0;
  for (bool found = e.SearchBorrowed(text); found; found = e.SearchNext()) ++n;
  return n;
}

std::size_t CountPcre(const Case& c, const std::string& text) {
  int err = 0;
  PCRE2_SIZE erroff = 0;
  pcre2_code* re = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(c.pcre), PCRE2_ZERO_TERMINATED, 0,
                                 &err, &erroff, nullptr);
  if (!re) {
    std::fprintf(stderr, "pcre2 cannot compile %s\n", c.pcre);
    std::exit(2);
  }
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(re, nullptr);
  std::size_t n = 0;
  PCRE2_SIZE at = 0;
  const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  while (at <= text.size()) {
    const int rc = pcre2_match(re, subject, text.size(), at, 0, md, nullptr);
    if (rc < 0) {
      if (rc != PCRE2_ERROR_NOMATCH) std::fprintf(stderr, "pcre2 error %d on %s\n", rc, c.pcre);
      break;
    }
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
    ++n;
    at = ov[1] == ov[0] ? ov[1] + 1 : ov[1];
  }
  pcre2_match_data_free(md);
  pcre2_code_free(re);
  return n;
}

std::size_t CountStd(const Case& c, const std::string& text) {
  auto flags = std::regex::ECMAScript;
  if (c.icase) flags |= std::regex::icase;
  const std::regex re(c.std, flags);
  return static_cast<std::size_t>(
      std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Reads the whole text so every contender starts with the same caches.
void Touch(const std::string& text) {
  volatile const void* hit = std::memchr(text.data(), 1, text.size());
  (void)hit;
}

double TimeMs(const std::string& text, const std::function<std::size_t()>& f, std::size_t& count) {
  Touch(text);
  const auto t0 = Clock::now();
  count = f();
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mb = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::string text = MakeText(mb * 1024 * 1024);

  const std::vector<Case> cases = {
      {"literal", "Moriarty", "Moriarty", "Moriarty"},
      {"literal, absent", "Lestrade", "Lestrade", "Lestrade"},
      {"class run", "[0-9]+", "[0-9]+", "[0-9]+"},
      {"class run + suffix", "[a-z]+ing", "[a-z]+ing", "[a-z]+ing"},
      {"alternation", "Holmes|Watson|Moriarty", "Holmes|Watson|Moriarty", "Holmes|Watson|Moriarty"},
      {"anchored", "^[A-Za-z]+", "^[A-Za-z]+", "^[A-Za-z]+"},
      {"unanchored line end", "(?-s).*Watson", ".*Watson", ".*Watson"},
      {"greedy group", "[a-z0-9]+@([a-z]+\\.)+com", "[a-z0-9]+@([a-z]+\\.)+com",
       "[a-z0-9]+@([a-z]+\\.)+com"},
      {"two groups", "([a-z]+), ([a-z]+)", "([a-z]+), ([a-z]+)", "([a-z]+), ([a-z]+)"},
      {"back-reference", "([a-z])\\1", "([a-z])\\1", "([a-z])\\1"},
      {"case-insensitive", "(?i)holmes", "(?i)holmes", "holmes", true},
  };

  std::printf("text: %zu bytes, median of %d runs (std::regex: of %d)\n\n", text.size(), runs,
              (runs + 1) / 2);
  std::printf("| Pattern | Matches | Velkoran ms | PCRE2 ms | std::regex ms | vs PCRE2 | vs std::regex |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
  bool ok = true;
  for (const Case& c : cases) {
    std::size_t n_ours = 0, n_pcre = 0, n_std = 0;
    // The contenders take turns, so a busy moment on the machine hits them alike.
    std::vector<double> t_ours, t_pcre, t_std;
    for (int r = 0; r < runs; ++r) {
      // Which of the two goes first alternates too.
      if (r % 2 == 0) {
        t_ours.push_back(TimeMs(text, [&] { return CountOurs(c, text); }, n_ours));
        t_pcre.push_back(TimeMs(text, [&] { return CountPcre(c, text); }, n_pcre));
      } else {
        t_pcre.push_back(TimeMs(text, [&] { return CountPcre(c, text); }, n_pcre));
        t_ours.push_back(TimeMs(text, [&] { return CountOurs(c, text); }, n_ours));
      }
      if (r % 2 == 0) t_std.push_back(TimeMs(text, [&] { return CountStd(c, text); }, n_std));
    }
    const double ours = Median(t_ours), pcre = Median(t_pcre), stdr = Median(t_std);
    if (n_ours != n_pcre || n_ours != n_std) {
      ok = false;
      std::fprintf(stderr, "match counts differ for %s: %zu / %zu / %zu\n", c.name, n_ours, n_pcre, n_std);
    }
    std::string shown;  // a bar inside a table cell must be escaped
    for (const char* q = c.ours; *q != '\0'; ++q) {
      if (*q == '|') shown += '\\';
      shown += *q;
    }
    std::printf("| %s `%s` | %zu | %.3f | %.3f | %.1f | %.2fx | %.3fx |\n", c.name, shown.c_str(), n_ours, ours,
                pcre, stdr, ours / pcre, ours / stdr);
    std::fflush(stdout);
  }
  return ok ? 0 : 1;
}
