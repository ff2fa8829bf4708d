// Which IP addresses count as public for `sumoran-cli --public-only`: a batch that fetches addresses
// others supplied must not reach this machine, its local networks or any other network that is not
// the public Internet. Pure functions.
#pragma once

#include <span>
#include <string>
#include <string_view>

struct sockaddr;

/// Which hosts a fetch may connect to.
enum class AddressPolicy { kAny, kPublicOnly };

/// Returns "" for a public address (4 bytes of IPv4 or 16 of IPv6, in network order), else the kind
/// of network it lies in: "unspecified", "loopback", "private" (RFC 1918, unique local fc00::/7,
/// site-local), "shared address space" (100.64/10), "link-local", "multicast", "documentation",
/// "benchmarking" or "reserved" (any other block set aside, every IPv6 address outside 2000::/3, an
/// address of another length). IPv4 inside IPv6 (::ffff:a.b.c.d, 64:ff9b::a.b.c.d, 2002:AABB:CCDD::)
/// is judged by its IPv4 address.
std::string_view NonPublicNetwork(std::span<const unsigned char> address);

/// The address of a socket as NonPublicNetwork takes it (empty for a family other than IPv4 and
/// IPv6), and its usual text ("127.0.0.1", "::1").
std::span<const unsigned char> AddressBytes(const sockaddr& address);
std::string AddressText(std::span<const unsigned char> address);
