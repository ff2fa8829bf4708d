// Locales for the tests of locale-independent reading: a scoped switch of the process's locale
// (environment and C library alike), and ru_RU.UTF-8 made usable when the system has its source but
// not the compiled locale.
//
// glibc's newlocale and setlocale leak the LOCPATH search list (a few bytes) on every call, so
// while LOCPATH names the private locale, LeakSanitizer is told not to count what a ScopedLocale's
// lifetime allocates.
#pragma once

#include <locale.h>
#include <stdlib.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "base/tempdir_for_tests.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define SUMORAN_LSAN_DISABLE() __lsan_disable()
#define SUMORAN_LSAN_ENABLE() __lsan_enable()
#else
#define SUMORAN_LSAN_DISABLE() (void)0
#define SUMORAN_LSAN_ENABLE() (void)0
#endif

namespace settings::testutil {

/// The name of the Russian locale the tests use.
inline constexpr const char* kRussianLocale = "ru_RU.UTF-8";

/// True when the named locale can be opened by this process.
inline bool localeWorks(const char* name) {
    locale_t locale = ::newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return false;
    ::freelocale(locale);
    return true;
}

/// Makes ru_RU.UTF-8 usable: installed, or compiled by localedef (about a second) into a private
/// directory that LOCPATH then names for this process. Returns false when neither works.
inline bool russianLocaleAvailable() {
    static const bool available = [] {
        if (localeWorks(kRussianLocale)) return true;
        static TempDir dir;
        const std::string command =
            "localedef -i ru_RU -f UTF-8 '" + (dir / kRussianLocale).string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1) return false;
        ::setenv("LOCPATH", dir.path().c_str(), 1);
        SUMORAN_LSAN_DISABLE();
        const bool works = localeWorks(kRussianLocale);
        SUMORAN_LSAN_ENABLE();
        if (works) return true;
        ::unsetenv("LOCPATH");
        return false;
    }();
    return available;
}

/// Sets LC_ALL in the environment and the C library's locale for its lifetime, as a shell's
/// `LC_ALL=name` would for a program started under it.
class ScopedLocale {
  public:
    explicit ScopedLocale(const char* name) : privateLocales_(::getenv("LOCPATH") != nullptr) {
        if (privateLocales_) SUMORAN_LSAN_DISABLE();
        if (const char* old = ::getenv("LC_ALL")) oldEnv_ = old;
        oldLocale_ = ::setlocale(LC_ALL, nullptr);
        ::setenv("LC_ALL", name, 1);
        ::setlocale(LC_ALL, name);
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    ~ScopedLocale() {
        if (oldEnv_) {
            ::setenv("LC_ALL", oldEnv_->c_str(), 1);
        } else {
            ::unsetenv("LC_ALL");
        }
        ::setlocale(LC_ALL, oldLocale_.c_str());
        if (privateLocales_) SUMORAN_LSAN_ENABLE();
    }

  private:
    bool privateLocales_;
    std::optional<std::string> oldEnv_;
    std::string oldLocale_;
};

}  // namespace settings::testutil
