#include "document/address.h"

#include <algorithm>
#include <cctype>

namespace {

bool isAsciiLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// Whether the address starts with a scheme such as "https://" or "ftp://".
bool hasScheme(std::string_view address) {
    std::size_t colon = address.find("://");
    if (colon == std::string_view::npos || colon == 0 || !isAsciiLetter(address[0])) return false;
    return std::all_of(address.begin(), address.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return isAsciiLetter(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

}  // namespace

std::string CompleteAddress(std::string_view typed, std::string_view homeDirectory) {
    std::string address(typed);
    if (address.find("http://") != std::string::npos || hasScheme(address)) return address;
    if (address.find(':') == 1) return address;
    if (address.find("file://") != std::string::npos) return address;
    if (address.starts_with('/')) return "file://" + address;
    if (address.starts_with("~/")) return "file://" + std::string(homeDirectory) + address.substr(1);
    return "http://" + address;
}
