// Fetching a page by its http:// or https:// address: the inputs of sumoran-cli and the window's
// reference pages.
#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "page/netaddress.h"

/// The most redirects followed for one address.
inline constexpr long kMaxRedirects = 10;

/// Whether an input is an address to fetch: it starts with "http://" or "https://" (the scheme in
/// any case).
bool IsWebAddress(std::string_view input);

/// Sets up the transfer library for the whole program. Call once before any thread fetches.
void InitFetching();

/// The bytes of a fetched page, or why there are none (UTF-8, without the address).
struct Fetched {
    std::string bytes;
    std::optional<std::string> error;
};

/// The bounds of reading or fetching one page.
struct FetchLimits {
    double timeoutSeconds = 30;  // the whole fetch of an address, redirects included
    std::size_t maxBytes = 0;    // the most bytes of the page
    AddressPolicy addresses = AddressPolicy::kAny;
    const std::atomic<bool>* cancel = nullptr;  // when set and it turns true, a fetch stops within a second
};

/// Fetches `address` with GET: redirects followed (at most kMaxRedirects, to http and https only;
/// no other scheme is ever fetched), the whole transfer bounded by limits.timeoutSeconds, the body by
/// limits.maxBytes (the transfer stops as soon as more arrive). A final status other than 2xx is an
/// error naming it. Compressed bodies are inflated, and the bound holds for the inflated bytes.
/// Under AddressPolicy::kPublicOnly no proxy is used and every connection, those of redirects
/// included, is checked at connect time against the address it goes to: one that is not public
/// (NonPublicNetwork) is never made, and the error is "address not public: <address> (<network>)".
/// Thread-safe: each call has its own transfer.
Fetched FetchWebAddress(const std::string& address, const FetchLimits& limits);
