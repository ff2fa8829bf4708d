#include "views/listtext.h"

#include "base/numformat.h"

namespace {

double percentOf(double part, double whole) { return whole != 0 ? part * 100 / whole : 0; }

}  // namespace

std::string UnsignedText(std::int32_t id) { return std::to_string(static_cast<std::uint32_t>(id)); }

std::string FilterNeedle(std::int32_t id) { return "," + UnsignedText(id) + ","; }

std::string ShareCut6(double value, double divisor, char decimalSeparator) {
    return numformat::GeneralCut6(divisor != 0 ? value / divisor : 0, decimalSeparator);
}

std::string ShareGeneral(double value, double divisor, char decimalSeparator) {
    return numformat::General(divisor != 0 ? value / divisor : 0, decimalSeparator);
}

std::string ListStatusText(long long visibleCount, long long visibleRows, double totalCount, double entryCount,
                           char decimalSeparator) {
    const double n = static_cast<double>(visibleCount);
    const double r = static_cast<double>(visibleRows);
    std::string text = std::to_string(visibleCount);
    text += " (" + std::to_string(visibleRows) + ") / ";
    text += numformat::General(totalCount, decimalSeparator);
    text += " (" + numformat::General(entryCount, decimalSeparator) + ") = ";
    text += numformat::Fixed2(percentOf(n, totalCount), decimalSeparator) + "%";
    text += " (" + numformat::Fixed2(percentOf(r, entryCount), decimalSeparator) + "%)";
    return text;
}

std::string WordShareText(long long words, double totalWords, char decimalSeparator) {
    return std::string(u8"Слов: "_cp) + std::to_string(words) + " / " +
           numformat::General(totalWords, decimalSeparator) + " = " +
           numformat::Fixed2(percentOf(static_cast<double>(words), totalWords), decimalSeparator) + "%";
}
