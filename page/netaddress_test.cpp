#include "page/netaddress.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <vector>

namespace {

// The bytes of an address written as text, IPv4 or IPv6.
std::vector<unsigned char> bytesOf(const char* text) {
    unsigned char buffer[16];
    if (::inet_pton(AF_INET, text, buffer) == 1) return {buffer, buffer + 4};
    if (::inet_pton(AF_INET6, text, buffer) == 1) return {buffer, buffer + 16};
    ADD_FAILURE() << "not an address: " << text;
    return {};
}

TEST(NetAddress, EveryNetworkThatIsNotThePublicInternetIsNamed) {
    const struct {
        const char* address;
        const char* network;  // "" for public
    } cases[] = {
        {"93.184.216.34", ""},
        {"8.8.8.8", ""},
        {"1.1.1.1", ""},
        {"0.0.0.0", "unspecified"},
        {"0.1.2.3", "reserved"},
        {"10.0.0.1", "private"},
        {"10.255.255.255", "private"},
        {"11.0.0.1", ""},
        {"100.63.255.255", ""},
        {"100.64.0.1", "shared address space"},
        {"100.127.255.255", "shared address space"},
        {"100.128.0.0", ""},
        {"127.0.0.1", "loopback"},
        {"127.255.255.254", "loopback"},
        {"169.254.169.254", "link-local"},
        {"169.255.0.1", ""},
        {"172.15.255.255", ""},
        {"172.16.0.1", "private"},
        {"172.31.255.255", "private"},
        {"172.32.0.0", ""},
        {"192.0.0.8", "reserved"},
        {"192.0.2.1", "documentation"},
        {"192.88.99.1", "reserved"},
        {"192.167.255.255", ""},
        {"192.168.1.1", "private"},
        {"198.18.0.1", "benchmarking"},
        {"198.19.255.255", "benchmarking"},
        {"198.20.0.0", ""},
        {"198.51.100.7", "documentation"},
        {"203.0.113.9", "documentation"},
        {"223.255.255.255", ""},
        {"224.0.0.1", "multicast"},
        {"239.255.255.250", "multicast"},
        {"240.0.0.1", "reserved"},
        {"255.255.255.255", "reserved"},
        {"2606:2800:220:1:248:1893:25c8:1946", ""},
        {"2a00:1450:4001:80b::200e", ""},
        {"::", "unspecified"},
        {"::1", "loopback"},
        {"::2", "reserved"},
        {"::ffff:127.0.0.1", "loopback"},
        {"::ffff:10.1.2.3", "private"},
        {"::ffff:93.184.216.34", ""},
        {"::127.0.0.1", "reserved"},        // IPv4-compatible, long given up
        {"64:ff9b::a9fe:1", "link-local"},  // NAT64 of 169.254.0.1
        {"64:ff9b::808:808", ""},           // NAT64 of 8.8.8.8
        {"64:ff9b:1::1", "private"},
        {"100::1", "reserved"},
        {"2001::1", "reserved"},  // Teredo
        {"2001:db8::1", "documentation"},
        {"2001:4860:4860::8888", ""},
        {"2002:7f00:1::1", "loopback"},  // 6to4 of 127.0.0.1
        {"2002:5db8:d822::1", ""},       // 6to4 of 93.184.216.34
        {"3fff::1", "documentation"},
        {"4000::1", "reserved"},
        {"fc00::1", "private"},
        {"fdff:ffff::1", "private"},
        {"fe80::1", "link-local"},
        {"febf::1", "link-local"},
        {"fec0::1", "private"},
        {"ff02::1", "multicast"},
        {"ff0e::1", "multicast"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(NonPublicNetwork(bytesOf(c.address)), c.network);
        EXPECT_EQ(AddressText(bytesOf(c.address)), c.address);
    }
    const unsigned char odd[5] = {1, 2, 3, 4, 5};
    EXPECT_EQ(NonPublicNetwork(odd), "reserved");
}

TEST(NetAddress, ReadFromASocketAddressOfEitherFamily) {
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    ::inet_pton(AF_INET, "127.0.0.1", &v4.sin_addr);
    EXPECT_EQ(AddressText(AddressBytes(reinterpret_cast<const sockaddr&>(v4))), "127.0.0.1");
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    ::inet_pton(AF_INET6, "fe80::1", &v6.sin6_addr);
    EXPECT_EQ(NonPublicNetwork(AddressBytes(reinterpret_cast<const sockaddr&>(v6))), "link-local");
    sockaddr other{};
    other.sa_family = AF_UNIX;
    EXPECT_TRUE(AddressBytes(other).empty());
    EXPECT_EQ(NonPublicNetwork(AddressBytes(other)), "reserved");
}

}  // namespace
