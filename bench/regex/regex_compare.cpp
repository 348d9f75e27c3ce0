// Finds every match of a fixed set of patterns in a generated 10 MB text with our engine,
// PCRE2 (interpreter, no JIT) and std::regex, checks that all find the same matches at
// the same places, and prints median times and the median of per-pair ratios.
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

// Every match's start and end, folded into a count and a hash, so the contenders must
// agree on where each match lies, not only on how many there are.
struct Matches {
  std::size_t count = 0;
  std::uint64_t hash = 1469598103934665603ull;
  void Add(std::size_t start, std::size_t end) {
    ++count;
    for (std::size_t v : {start, end}) hash = (hash ^ v) * 1099511628211ull;
  }
  bool operator==(const Matches&) const = default;
};

Matches MatchOurs(const Case& c, const std::string& text) {
  velkoran::regex::TRegexEngine e;
  e.SetExpression(c.ours);
  Matches m;
  for (bool found = e.SearchBorrowed(text); found; found = e.SearchNext()) {
    const auto start = static_cast<std::size_t>(e.GroupStart(0) - 1);
    m.Add(start, start + static_cast<std::size_t>(e.GroupLength(0)));
  }
  return m;
}

Matches MatchPcre(const Case& c, const std::string& text) {
  int err = 0;
  PCRE2_SIZE erroff = 0;
  pcre2_code* re = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(c.pcre), PCRE2_ZERO_TERMINATED, 0,
                                 &err, &erroff, nullptr);
  if (!re) {
    std::fprintf(stderr, "pcre2 cannot compile %s\n", c.pcre);
    std::exit(2);
  }
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(re, nullptr);
  Matches n;
  PCRE2_SIZE at = 0;
  const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  while (at <= text.size()) {
    const int rc = pcre2_match(re, subject, text.size(), at, 0, md, nullptr);
    if (rc < 0) {
      if (rc != PCRE2_ERROR_NOMATCH) std::fprintf(stderr, "pcre2 error %d on %s\n", rc, c.pcre);
      break;
    }
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
    n.Add(ov[0], ov[1]);
    at = ov[1] == ov[0] ? ov[1] + 1 : ov[1];
  }
  pcre2_match_data_free(md);
  pcre2_code_free(re);
  return n;
}

Matches MatchStd(const Case& c, const std::string& text) {
  auto flags = std::regex::ECMAScript;
  if (c.icase) flags |= std::regex::icase;
  const std::regex re(c.std, flags);
  Matches m;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    m.Add(static_cast<std::size_t>(it->position(0)), static_cast<std::size_t>(it->position(0) + it->length(0)));
  return m;
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

double TimeMs(const std::string& text, const std::function<Matches()>& f, Matches& result) {
  Touch(text);
  const auto t0 = Clock::now();
  result = f();
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Runs a and b in pairs, alternating which goes first (A B, B A, ...); the times of each
// side and the ratio a / b of each pair.
struct PairTimes {
  std::vector<double> a, b, ratio;
  Matches a_result, b_result;
  bool same = true;  // every run of both sides found the same matches
};
PairTimes RunPairs(const std::string& text, int pairs, const std::function<Matches()>& a,
                   const std::function<Matches()>& b) {
  PairTimes t;
  for (int r = 0; r < pairs; ++r) {
    Matches ra, rb;
    double ta, tb;
    if (r % 2 == 0) {
      ta = TimeMs(text, a, ra);
      tb = TimeMs(text, b, rb);
    } else {
      tb = TimeMs(text, b, rb);
      ta = TimeMs(text, a, ra);
    }
    if (r > 0 && !(ra == t.a_result && rb == t.b_result)) t.same = false;
    t.a_result = ra;
    t.b_result = rb;
    t.a.push_back(ta);
    t.b.push_back(tb);
    t.ratio.push_back(ta / tb);
  }
  return t;
}

std::string RatioText(const std::vector<double>& ratios) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2fx (%.2f-%.2f)", Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
  return buf;
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
      {"case-insensitive, rare", "(?i)moriarty", "(?i)moriarty", "moriarty", true},
      {"case-insensitive suffix", "(?i)[a-z]+ing", "(?i)[a-z]+ing", "[a-z]+ing", true},
  };

  std::printf("text: %zu bytes, %d pairs against PCRE2, %d against std::regex, each pair in alternating\n"
              "order; times are medians, ratios the median of per-pair ratios (min-max)\n\n",
              text.size(), runs, (runs + 1) / 2);
  std::printf("| Pattern | Matches | Velkoran ms | PCRE2 ms | std::regex ms | vs PCRE2 | vs std::regex |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
  bool ok = true;
  for (const Case& c : cases) {
    const auto ours = [&] { return MatchOurs(c, text); };
    const PairTimes p = RunPairs(text, runs, ours, [&] { return MatchPcre(c, text); });
    const PairTimes q = RunPairs(text, (runs + 1) / 2, ours, [&] { return MatchStd(c, text); });
    if (!p.same || !q.same || !(p.a_result == p.b_result) || !(q.a_result == q.b_result)) {
      ok = false;
      std::fprintf(stderr, "matches differ for %s: %zu ours, %zu PCRE2, %zu std::regex (or differ between runs)\n",
                   c.name, p.a_result.count, p.b_result.count, q.b_result.count);
    }
    std::string shown;  // a bar inside a table cell must be escaped
    for (const char* q = c.ours; *q != '\0'; ++q) {
      if (*q == '|') shown += '\\';
      shown += *q;
    }
    std::printf("| %s `%s` | %zu | %.3f | %.3f | %.1f | %s | %s |\n", c.name, shown.c_str(), p.a_result.count,
                Median(p.a), Median(p.b), Median(q.b), RatioText(p.ratio).c_str(), RatioText(q.ratio).c_str());
    std::fflush(stdout);
  }
  return ok ? 0 : 1;
}
