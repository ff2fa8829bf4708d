// Fuzzes the main-text extraction: any bytes as a Windows-1251 page (as the analysis hands it over)
// and as a page whose encoding is detected. The result is whole or empty as its header says, the
// words of the main text never outnumber its characters, and the whole text of the page is read
// without a fault.
//
// Input: any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzzcheck.h"
#include "maintext/maintext.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    for (std::string_view encoding : {std::string_view("windows-1251"), std::string_view()}) {
        const maintext::Result r = maintext::ExtractMainText(page, encoding);
        if (r.found) {
            FUZZ_CHECK(r.reason == maintext::Reason::kFound);
            FUZZ_CHECK(!r.text.empty() && !r.markup.empty());
            FUZZ_CHECK(r.mainWords <= r.text.size());
        } else {
            FUZZ_CHECK(r.reason != maintext::Reason::kFound);
            FUZZ_CHECK(r.text.empty() && r.markup.empty() && r.blockPaths.empty() && r.mainWords == 0);
        }
        const std::string whole = maintext::WholeText(page, encoding);
        FUZZ_CHECK(whole.size() <= 4 * page.size() + 16);
    }
    return 0;
}
