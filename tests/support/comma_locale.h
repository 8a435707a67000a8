// A locale whose numbers use a decimal comma (de_DE.UTF-8 or a like one), for tests that check
// nothing depends on the process locale. scripts/install-deps makes de_DE.UTF-8; where the
// system has none, Name() is empty and tests skip with kCommaLocaleMissing.
#pragma once
#include <clocale>
#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string>

namespace qb::test {

inline constexpr const char* kCommaLocaleMissing =
    "no locale with a decimal comma is installed (scripts/install-deps generates de_DE.UTF-8)";

// The name of an installed locale with a decimal comma, or "" when there is none.
inline std::string CommaLocaleName() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8", "nl_NL.utf8"}) {
    locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
    if (!locale) continue;
    const bool comma = std::strcmp(nl_langinfo_l(RADIXCHAR, locale), ",") == 0;
    freelocale(locale);
    if (comma) return name;
  }
  return "";
}

// Makes the comma locale the process's locale (LC_ALL) for the object's life; the locale before
// comes back at the end. Active() is false when the system has none.
class ScopedCommaLocale {
 public:
  ScopedCommaLocale() {
    const std::string name = CommaLocaleName();
    if (name.empty()) return;
    previous_ = std::setlocale(LC_ALL, nullptr);
    active_ = std::setlocale(LC_ALL, name.c_str()) != nullptr;
  }
  ~ScopedCommaLocale() {
    if (active_) std::setlocale(LC_ALL, previous_.c_str());
  }
  ScopedCommaLocale(const ScopedCommaLocale&) = delete;
  ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

  bool Active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

}  // namespace qb::test
