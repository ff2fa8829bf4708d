#include "views/delimitedtext.h"

#include <gtest/gtest.h>

namespace {

using delimited::Format;
using delimited::Record;

TEST(DelimitedText, CsvQuotesWhatWouldSplitACellAndDefusesFormulas) {
    const struct {
        std::vector<std::string> cells;
        std::string csv;
    } cases[] = {
        {{"дом", "12,00", ""}, "дом,\"12,00\",\r\n"},
        {{"say \"hi\"", "a\nb", "c\rd"}, "\"say \"\"hi\"\"\",\"a\nb\",\"c\rd\"\r\n"},
        {{"=1+1", "+7", "-x", "@SUM(A1)", "a=b"}, "'=1+1,'+7,'-x,'@SUM(A1),a=b\r\n"},
        {{"=\"a\",b"}, "\"'=\"\"a\"\",b\"\r\n"},
        {{}, "\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Record(c.cells, Format::kCsv), c.csv);
}

TEST(DelimitedText, TsvTurnsTabsAndLineEndsIntoSpaces) {
    EXPECT_EQ(Record({"a\tb", "c\r\nd", "=x", "\"q\""}, Format::kTsv), "a b\tc  d\t=x\t\"q\"\n");
}

}  // namespace
