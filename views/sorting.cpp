#include "views/sorting.h"

#include <locale>
#include <optional>
#include <stdexcept>
#include <string>

namespace sorting {
namespace {

std::wstring widen(std::string_view text) {
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text) wide.push_back(static_cast<wchar_t>(cp1251::codePointOf(static_cast<unsigned char>(c))));
    return wide;
}

int codePointCompare(std::string_view a, std::string_view b) {
    std::wstring wa = widen(a);
    std::wstring wb = widen(b);
    return wa < wb ? -1 : (wb < wa ? 1 : 0);
}

// The user's locale, built once; nothing when the environment names a locale the system lacks.
const std::locale* userLocale() {
    static const std::optional<std::locale> locale = []() -> std::optional<std::locale> {
        try {
            return std::locale("");
        } catch (const std::runtime_error&) {
            return std::nullopt;
        }
    }();
    return locale ? &*locale : nullptr;
}

}  // namespace

int CompareFloatDesc(double a, double b) {
    if (a > b) return -1;
    if (a < b) return 1;
    return 0;
}

TextCompare LocaleTextCompare() {
    const std::locale* locale = userLocale();
    if (locale == nullptr || !std::has_facet<std::collate<wchar_t>>(*locale)) return codePointCompare;
    const auto* collate = &std::use_facet<std::collate<wchar_t>>(*locale);
    return [collate](std::string_view a, std::string_view b) {
        std::wstring wa = widen(a);
        std::wstring wb = widen(b);
        return collate->compare(wa.data(), wa.data() + wa.size(), wb.data(), wb.data() + wb.size());
    };
}

std::string WithSortMark(std::string_view caption) {
    std::string marked(kSortMark);
    marked += caption;
    return marked;
}

}  // namespace sorting
