// Sets the time zone (TZ) for one scope and restores the previous setting afterwards.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

namespace velkoran::testing {

class ZoneScope {
 public:
  explicit ZoneScope(const char* tz) {
    if (const char* old = std::getenv("TZ")) saved_ = old, had_ = true;
    ::setenv("TZ", tz, 1);
    ::tzset();
  }
  ~ZoneScope() {
    if (had_) ::setenv("TZ", saved_.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
  }
  ZoneScope(const ZoneScope&) = delete;
  ZoneScope& operator=(const ZoneScope&) = delete;

 private:
  std::string saved_;
  bool had_ = false;
};

}  // namespace velkoran::testing
