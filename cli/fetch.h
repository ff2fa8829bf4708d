// Fetching a page by its http:// or https:// address, for sumoran-cli's inputs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

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

/// Fetches `address` with GET: redirects followed (at most kMaxRedirects, to http and https only;
/// no other scheme is ever fetched), the whole transfer bounded by `timeoutSeconds`, the body by
/// `maxBytes` (the transfer stops as soon as more arrive). A final status other than 2xx is an
/// error naming it. Compressed bodies are inflated, and the bound holds for the inflated bytes.
/// Thread-safe: each call has its own transfer.
Fetched FetchWebAddress(const std::string& address, double timeoutSeconds, std::size_t maxBytes);
