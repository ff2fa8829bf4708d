#include "engine/pagesource.h"

#include <algorithm>

#include "base/cp1251.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view cutAtNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

// Whether the bytes may hold a combining mark: in UTF-8 the lead bytes 0xCC and 0xCD start
// U+0300..U+037F and are never a continuation byte.
bool mayHoldCombiningMark(std::string_view bytes) {
    return bytes.find('\xCC') != std::string_view::npos || bytes.find('\xCD') != std::string_view::npos;
}

// The number of bytes `c` in `bytes`.
std::size_t countOf(std::string_view bytes, char c) {
    std::size_t n = 0;
    for (std::size_t pos = 0; (pos = bytes.find(c, pos)) != std::string_view::npos; ++pos) ++n;
    return n;
}

}  // namespace

std::string ToSingleByte(std::string_view bytes) {
    // Valid UTF-8 that holds any byte of 0x80 or above holds a multi-byte sequence; text that is
    // all ASCII reads the same in every supported charset and comes out as it is either way.
    std::string text(bytes);
    if (cp1251::fromValidUtf8LossyInPlace(text)) return text;
    // A byte-order mark before bytes that are not UTF-8 (a single-byte page saved with a stray
    // mark) says nothing: the page is read by the charset rule, without the mark.
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    text.assign(bytes);
    return text;
}

std::string JoinLines(std::string_view bytes) {
    bytes = cutAtNul(bytes);
    std::string out;
    // Each line end grows by at most one byte, and a last line without one gets two.
    out.reserve(bytes.size() + countOf(bytes, '\n') + countOf(bytes, '\r') + 2);
    // The next CR and the next LF at or after `pos`, each searched for again once passed.
    std::size_t cr = bytes.find('\r');
    std::size_t lf = bytes.find('\n');
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (cr < pos) cr = bytes.find('\r', pos);
        if (lf < pos) lf = bytes.find('\n', pos);
        const std::size_t end = std::min({cr, lf, bytes.size()});
        out.append(bytes.substr(pos, end - pos));
        out += "\r\n";
        pos = end;
        if (pos < bytes.size() && bytes[pos] == '\r') ++pos;  // CR LF is one line end, LF CR two
        if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    return out;
}

std::string SavedPartText(std::string_view fileBytes) { return ReadSavedPart(fileBytes, CharsetChoice::kAuto).text; }

PageText ReadSavedPart(std::string_view fileBytes, CharsetChoice choice) {
    const std::string_view bytes = cutAtNul(fileBytes);
    if (choice == CharsetChoice::kUtf8) return {JoinLines(cp1251::fromUtf8Lossy(bytes)), true};
    if (choice != CharsetChoice::kAuto) return {JoinLines(bytes), false};
    if (bytes.starts_with(kUtf8Bom)) {
        std::string text(bytes);
        if (cp1251::fromValidUtf8LossyInPlace(text)) return {JoinLines(text), true};
        return {JoinLines(bytes.substr(kUtf8Bom.size())), false};  // a stray mark: see ToSingleByte
    }
    // A dropped combining mark can empty the last line or leave a CR and an LF side by side as one
    // line end, so such a page is converted before it is joined, as SavedPartText says.
    if (mayHoldCombiningMark(bytes)) {
        std::string text(bytes);
        if (!cp1251::fromValidUtf8LossyInPlace(text)) return {JoinLines(bytes), false};
        return {JoinLines(text), true};  // valid UTF-8 with a lead byte holds a multi-byte sequence
    }
    // Line ends are ASCII, never part of a multi-byte sequence, and the conversion keeps them: the
    // lines can be joined first and the joined text converted in place, one copy of the page. Each
    // multi-byte sequence becomes one byte or none, so the text shrinks exactly when it held one.
    PageText page{JoinLines(bytes), false};
    const std::size_t joined = page.text.size();
    if (!cp1251::fromValidUtf8LossyInPlace(page.text)) {
        page.text = JoinLines(bytes);
        return page;
    }
    page.fromUtf8 = page.text.size() < joined;
    return page;
}

PageText ReadSavedParts(std::span<const std::string> parts, CharsetChoice choice) {
    PageText page;
    for (const std::string& part : parts) {
        PageText text = ReadSavedPart(part, choice);
        if (page.text.empty()) {
            page.text = std::move(text.text);
        } else {
            page.text += text.text;
        }
        page.fromUtf8 = page.fromUtf8 || text.fromUtf8;
    }
    return page;
}
