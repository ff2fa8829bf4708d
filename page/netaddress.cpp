#include "page/netaddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cstdint>

namespace {

// A block of addresses: its first bytes and the length of its prefix in bits.
template <std::size_t N>
struct Block {
    std::array<unsigned char, N> prefix;
    unsigned bits;
    std::string_view network;
};

template <std::size_t N>
bool inBlock(std::span<const unsigned char> address, const Block<N>& block) {
    for (unsigned bit = 0; bit < block.bits; bit += 8) {
        const unsigned take = block.bits - bit >= 8 ? 8 : block.bits - bit;
        const auto mask = static_cast<unsigned char>(0xFF << (8 - take));
        if ((address[bit / 8] & mask) != (block.prefix[bit / 8] & mask)) return false;
    }
    return true;
}

// The IPv4 blocks that are not the public Internet (IANA's special-purpose address registry).
constexpr Block<4> kIpv4Blocks[] = {
    {{0, 0, 0, 0}, 32, "unspecified"},
    {{0, 0, 0, 0}, 8, "reserved"},  // "this network"
    {{10, 0, 0, 0}, 8, "private"},
    {{100, 64, 0, 0}, 10, "shared address space"},
    {{127, 0, 0, 0}, 8, "loopback"},
    {{169, 254, 0, 0}, 16, "link-local"},
    {{172, 16, 0, 0}, 12, "private"},
    {{192, 0, 0, 0}, 24, "reserved"},  // IETF protocol assignments
    {{192, 0, 2, 0}, 24, "documentation"},
    {{192, 88, 99, 0}, 24, "reserved"},  // the former 6to4 relays
    {{192, 168, 0, 0}, 16, "private"},
    {{198, 18, 0, 0}, 15, "benchmarking"},
    {{198, 51, 100, 0}, 24, "documentation"},
    {{203, 0, 113, 0}, 24, "documentation"},
    {{224, 0, 0, 0}, 4, "multicast"},
    {{240, 0, 0, 0}, 4, "reserved"},  // the broadcast address included
};

using V6 = std::array<unsigned char, 16>;

// The IPv6 blocks inside 2000::/3 and those outside it that have a name of their own; the rest of
// the space outside 2000::/3 is not assigned for use and counts as "reserved".
constexpr Block<16> kIpv6Blocks[] = {
    {V6{}, 128, "unspecified"},
    {V6{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 128, "loopback"},
    {V6{0x00, 0x64, 0xFF, 0x9B, 0x00, 0x01}, 48, "private"},  // NAT64 for local use
    {V6{0x20, 0x01, 0x0D, 0xB8}, 32, "documentation"},
    {V6{0x20, 0x01}, 23, "reserved"},  // IETF protocol assignments, Teredo included
    {V6{0x3F, 0xFF}, 20, "documentation"},
    {V6{0xFC}, 7, "private"},  // unique local
    {V6{0xFE, 0x80}, 10, "link-local"},
    {V6{0xFE, 0xC0}, 10, "private"},  // site-local
    {V6{0xFF}, 8, "multicast"},
};

// Where an IPv6 address carries an IPv4 address that decides: the block and the offset of the four
// bytes.
struct Embedding {
    Block<16> block;
    std::size_t offset;
};

constexpr Embedding kEmbeddings[] = {
    {{V6{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}, 96, ""}, 12},        // IPv4-mapped
    {{V6{0x00, 0x64, 0xFF, 0x9B, 0, 0, 0, 0, 0, 0, 0, 0}, 96, ""}, 12},  // NAT64
    {{V6{0x20, 0x02}, 16, ""}, 2},                                       // 6to4
};

std::string_view nonPublicIpv4(std::span<const unsigned char> address) {
    for (const Block<4>& block : kIpv4Blocks) {
        if (inBlock(address, block)) return block.network;
    }
    return {};
}

std::string_view nonPublicIpv6(std::span<const unsigned char> address) {
    for (const Embedding& embedding : kEmbeddings) {
        if (inBlock(address, embedding.block)) return nonPublicIpv4(address.subspan(embedding.offset, 4));
    }
    for (const Block<16>& block : kIpv6Blocks) {
        if (inBlock(address, block)) return block.network;
    }
    return (address[0] & 0xE0) == 0x20 ? std::string_view() : std::string_view("reserved");
}

}  // namespace

std::string_view NonPublicNetwork(std::span<const unsigned char> address) {
    if (address.size() == 4) return nonPublicIpv4(address);
    if (address.size() == 16) return nonPublicIpv6(address);
    return "reserved";
}

std::span<const unsigned char> AddressBytes(const sockaddr& address) {
    if (address.sa_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        return {reinterpret_cast<const unsigned char*>(&v4.sin_addr), 4};
    }
    if (address.sa_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        return {reinterpret_cast<const unsigned char*>(&v6.sin6_addr), 16};
    }
    return {};
}

std::string AddressText(std::span<const unsigned char> address) {
    char text[INET6_ADDRSTRLEN] = {};
    const int family = address.size() == 4 ? AF_INET : address.size() == 16 ? AF_INET6 : AF_UNSPEC;
    if (family == AF_UNSPEC || !::inet_ntop(family, address.data(), text, sizeof text)) return "an unknown address";
    return text;
}
