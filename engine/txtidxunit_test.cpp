#include "engine/txtidxunit.h"

#include <gtest/gtest.h>

#include "engine/taghash.h"
#include "engine/wordcode.h"

namespace {

TEST(TxtIdxIndex, GrowsPastItsFirstCapacity) {
    TTxtIdxIndex stream;
    for (int i = 0; i < 70001; ++i) stream.Push(i, i, 0, 10);
    EXPECT_EQ(stream.size(), 70001);
    EXPECT_EQ(stream[70000].first, 70000);
    EXPECT_FALSE(stream[5].isWord());
}

TEST(TxtIdxIndex, PackedRecordsKeepWhatTheReadersUse) {
    TTxtIdxIndex stream;
    const std::uint32_t hash = TagHashOf("<zzzzzzzz");  // ELF hashes use 28 bits
    ASSERT_GE(hash, 1u << 27);
    stream.Push(token::kInlineTag, static_cast<std::int32_t>(hash), 0, token::kTagKind);
    stream.Push(static_cast<signed char>('\xBB'), 0, 0, token::kBreakKind);
    const std::uint32_t code = wordcode::make(wordcode::kOther, wordcode::kOtherScript) | wordcode::kIgnoredBit;
    stream.Push(2000000000, 2147483600, 1023, static_cast<std::int32_t>(code));
    stream.Push(1, 2, 70000, 0);

    EXPECT_EQ(stream[0].first, token::kInlineTag);
    EXPECT_EQ(static_cast<std::uint32_t>(stream[0].start), hash);
    EXPECT_EQ(stream[0].kind, token::kTagKind);
    EXPECT_FALSE(stream[0].isWord());
    EXPECT_EQ(static_cast<char>(stream[1].first), '\xBB');
    EXPECT_EQ(stream[1].kind, token::kBreakKind);
    EXPECT_TRUE(stream[2].isWord());
    EXPECT_EQ(stream[2].first, 2000000000);
    EXPECT_EQ(stream[2].start, 2147483600);
    EXPECT_EQ(stream[2].length, 1023);
    EXPECT_EQ(wordcode::wordType(stream[2].kind), wordcode::kOther);
    EXPECT_EQ(wordcode::scriptClass(stream[2].kind), wordcode::kOtherScript);
    EXPECT_EQ(stream[3].length, token::kMaxLength) << "a longer length is held at the largest";
}

}  // namespace
