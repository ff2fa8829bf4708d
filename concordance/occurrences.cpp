#include "concordance/occurrences.h"

#include <algorithm>
#include <optional>

#include "base/cp1251.h"
#include "engine/markupcontext.h"
#include "engine/taghash.h"

namespace {

bool endsSentence(char c) { return c == '.' || c == '?' || c == '!'; }
bool isSpace(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The text between two words of one run with its spaces squeezed to one and, when `dropTags`, its
// tags left out; nothing when its delimiters are not those of the break records between the words
// (`breaks`), as where a word was cut short or the words lie in an attribute.
std::optional<std::string> gapText(std::string_view gap, std::string_view breaks, bool dropTags) {
    std::string out;
    std::string seen;
    bool inTag = false;
    for (char c : gap) {
        if (dropTags && c == '<') inTag = true;
        if (inTag) {
            if (c == '>') inTag = false;
            continue;
        }
        if (isSpace(c)) {
            if (out.empty() || out.back() != ' ') out += ' ';
            continue;
        }
        out += c;
        seen += c;
    }
    if (inTag || seen != breaks) return std::nullopt;
    return out;
}

class Collector {
  public:
    Collector(const TTxtIdxIndex& markup, std::string_view pageText) : markup_(markup), page_(pageText) {}

    PageOccurrences run(const TTxtIdxIndex& phrases) {
        out_.sentenceStarts.push_back(0);
        for (std::int32_t j = 0; j < markup_.size(); ++j) {
            const TokenRecord& r = markup_[j];
            if (r.isWord()) {
                word(r);
            } else if (r.kind == token::kBreakKind) {
                breaks_ += static_cast<char>(r.first);
            } else if (r.kind == token::kTagKind) {
                tag(r);
            }
        }
        out_.text += breaks_;
        markPhrases(phrases);
        return std::move(out_);
    }

  private:
    void tag(const TokenRecord& r) {
        const auto hash = static_cast<std::uint32_t>(r.start);
        context_.apply(hash);
        places_ = context_.open() & place::kMarkupPlaces;
        attributeOf_ = hash == TagHashOf("<img") ? place::kImgAlt : hash == TagHashOf("<meta") ? place::kMeta : 0;
        if (r.first == token::kInlineTag) {
            sawInline_ = true;
            return;
        }
        // A block tag ends the sentence: the delimiters before it close the words before it.
        out_.text += breaks_;
        breaks_.clear();
        newSentence_ = true;
    }

    std::string_view spanOf(const TokenRecord& r) const {
        if (r.start < 0 || static_cast<std::size_t>(r.start) > page_.size()) return {};
        return page_.substr(static_cast<std::size_t>(r.start), r.length);
    }

    void word(const TokenRecord& r) {
        const std::string_view written = spanOf(r);
        std::uint16_t places = places_;
        if (attributeOf_ != 0) {
            // Words of an image description or a meta text stand inside their tag, before its ">".
            const std::size_t end = static_cast<std::size_t>(written.data() - page_.data()) + written.size();
            const std::size_t next = page_.find_first_of("<>", end);
            if (next != std::string_view::npos && page_[next] == '>') {
                places |= attributeOf_;
                inAttribute_ = true;
            } else {
                attributeOf_ = 0;
                newSentence_ = newSentence_ || inAttribute_;
                inAttribute_ = false;
            }
        }
        if (previous_.data() == nullptr || newSentence_) {
            if (!out_.text.empty()) {
                out_.text += ' ';
                if (out_.sentenceStarts.back() != out_.text.size())
                    out_.sentenceStarts.push_back(static_cast<std::uint32_t>(out_.text.size()));
            }
            out_.text += breaks_;
        } else {
            joinGap(written);
        }
        Occurrence o;
        o.offset = static_cast<std::uint32_t>(out_.text.size());
        o.length = static_cast<std::uint32_t>(written.size());
        o.stem = r.first;
        o.places = places;
        out_.words.push_back(o);
        out_.text += written;
        previous_ = written.data() == nullptr ? std::string_view(page_.data(), 0) : written;
        breaks_.clear();
        newSentence_ = sawInline_ = false;
    }

    // Puts what stands between the previous word and `next` in the page into the reading text: the
    // page's own delimiters and spaces where they can be read back, else the delimiters and a space.
    void joinGap(std::string_view next) {
        const char* from = previous_.data() + previous_.size();
        std::optional<std::string> gap;
        if (next.data() != nullptr && next.data() >= from)
            gap = gapText(std::string_view(from, static_cast<std::size_t>(next.data() - from)), breaks_, sawInline_);
        if (gap && !gap->empty()) {
            out_.text += *gap;
        } else {
            // Unreadable delimiters stand as they were read; words parted by a tag alone stay apart.
            if (!gap) out_.text += breaks_;
            out_.text.push_back(' ');
        }
        if (std::ranges::any_of(breaks_, endsSentence) && out_.sentenceStarts.back() != out_.text.size())
            out_.sentenceStarts.push_back(static_cast<std::uint32_t>(out_.text.size()));
    }

    // A combination is counted within one phrase: a run of word records of the phrase stream.
    void markPhrases(const TTxtIdxIndex& phrases) {
        std::size_t k = 0;
        bool afterWord = false;
        for (std::int32_t j = 0; j < phrases.size() && k < out_.words.size(); ++j) {
            if (!phrases[j].isWord()) {
                afterWord = false;
                continue;
            }
            out_.words[k++].joinsPrevious = afterWord;
            afterWord = true;
        }
    }

    const TTxtIdxIndex& markup_;
    std::string_view page_;
    PageOccurrences out_;
    std::string breaks_;         // the delimiters since the last word or block tag
    std::string_view previous_;  // the previous word's bytes in the page; no data before the first
    MarkupContext context_;
    std::uint16_t places_ = 0;       // the places of context_
    std::uint16_t attributeOf_ = 0;  // after <img or <meta: the place of words inside the tag
    bool inAttribute_ = false;
    bool newSentence_ = false;
    bool sawInline_ = false;
};

}  // namespace

std::string PlaceNames(std::uint16_t places) {
    static constexpr std::pair<std::uint16_t, std::string_view> kNames[] = {
        {place::kTitle, u8"заголовок страницы"_cp},
        {place::kH1, "H1"},
        {place::kH2, "H2"},
        {place::kH3, "H3"},
        {place::kBold, u8"жирный"_cp},
        {place::kItalic, u8"курсив"_cp},
        {place::kUnderline, u8"подчёркнутый"_cp},
        {place::kLink, u8"ссылка"_cp},
        {place::kForm, u8"форма"_cp},
        {place::kSelect, u8"список выбора"_cp},
        {place::kPre, u8"форматированный текст"_cp},
        {place::kImgAlt, u8"описание картинки"_cp},
        {place::kMeta, u8"мета-тег"_cp},
    };
    std::string names;
    for (const auto& [bit, name] : kNames) {
        if ((places & bit) == 0) continue;
        if (!names.empty()) names += ", ";
        names += name;
    }
    return names;
}

std::pair<std::size_t, std::size_t> PageOccurrences::sentenceAround(std::size_t at) const {
    auto next = std::upper_bound(sentenceStarts.begin(), sentenceStarts.end(), at);
    const std::size_t start = next == sentenceStarts.begin() ? 0 : *(next - 1);
    const std::size_t end = next == sentenceStarts.end() ? text.size() : *next;
    return {start, end};
}

PageOccurrences CollectOccurrences(const TTxtIdxIndex& markup, const TTxtIdxIndex& phrases, std::string_view pageText) {
    return Collector(markup, pageText).run(phrases);
}

void AssignSentences(PageOccurrences& page, std::span<const std::int32_t> wordRows) {
    const std::size_t n = std::min(page.words.size(), wordRows.size());
    for (std::size_t k = 0; k < n; ++k) page.words[k].sentence = wordRows[k];
}
