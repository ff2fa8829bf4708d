#include "document/address.h"

#include <gtest/gtest.h>

namespace {

TEST(CompleteAddress, KeepsAddressesWithASchemeOrADrive) {
    EXPECT_EQ(CompleteAddress("https://example.org/a", "/home/u"), "https://example.org/a");
    EXPECT_EQ(CompleteAddress("ftp://example.org", "/home/u"), "ftp://example.org");
    EXPECT_EQ(CompleteAddress("file:///tmp/a.html", "/home/u"), "file:///tmp/a.html");
    EXPECT_EQ(CompleteAddress("example.org/?next=http://x", "/home/u"), "example.org/?next=http://x");
    EXPECT_EQ(CompleteAddress("C:\\docs\\a.html", "/home/u"), "C:\\docs\\a.html");
}

TEST(CompleteAddress, TurnsLocalPathsIntoFileAddresses) {
    EXPECT_EQ(CompleteAddress("/tmp/page.html", "/home/u"), "file:///tmp/page.html");
    EXPECT_EQ(CompleteAddress("~/page.html", "/home/u"), "file:///home/u/page.html");
}

TEST(CompleteAddress, PutsHttpInFrontOfEverythingElse) {
    EXPECT_EQ(CompleteAddress("example.org/path", "/home/u"), "http://example.org/path");
    EXPECT_EQ(CompleteAddress("\\\\server\\share", "/home/u"), "http://\\\\server\\share");
    EXPECT_EQ(CompleteAddress("localhost:8080", "/home/u"), "http://localhost:8080");
}

}  // namespace
