#include "settings/decimalseparator.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

namespace settings {

std::optional<char> DecimalSeparatorOfLocale(const char* localeName) {
    locale_t locale = ::newlocale(LC_NUMERIC_MASK, localeName, static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return std::nullopt;
    const char* radix = ::nl_langinfo_l(RADIXCHAR, locale);
    std::optional<char> separator;
    if (radix && std::strlen(radix) == 1) separator = radix[0];
    ::freelocale(locale);
    return separator;
}

char UserDecimalSeparator() { return DecimalSeparatorOfLocale("").value_or('.'); }

}  // namespace settings
