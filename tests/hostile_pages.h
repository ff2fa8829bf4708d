// Generators of hostile and very large pages (Windows-1251), shared by the tests and the benchmark.
// Every generator is deterministic.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hostile {

// A small deterministic pseudo-random generator (xorshift).
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed | 1) {}
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::uint64_t below(std::uint64_t n) { return next() % n; }

  private:
    std::uint64_t state_;
};

// A Cyrillic word of lowercase letters (Windows-1251) built from a number: different numbers give
// different words.
inline std::string word(std::uint64_t n) {
    std::string w;
    do {
        w += static_cast<char>(0xE0 + n % 32);
        n /= 32;
    } while (n > 0);
    while (w.size() < 3) w += static_cast<char>(0xE0);
    return w;
}

// Prose of about `bytes` bytes: paragraphs of sentences over a vocabulary of `vocabulary` words,
// with headings, bold words and links, as a large document might have.
inline std::string prose(std::size_t bytes, std::uint64_t vocabulary = 20000, std::uint64_t seed = 1) {
    Random random(seed);
    std::string page = "<html><head><title>Large</title></head><body>\r\n";
    while (page.size() < bytes) {
        if (random.below(20) == 0)
            page += "<h2>" + word(random.below(vocabulary)) + " " + word(random.below(vocabulary)) + "</h2>\r\n";
        page += "<p>";
        for (int sentence = 0, sentences = 1 + static_cast<int>(random.below(6)); sentence < sentences; ++sentence) {
            for (int w = 0, words = 3 + static_cast<int>(random.below(15)); w < words; ++w) {
                // Zipf-like: small numbers are much more frequent.
                std::uint64_t n = random.below(1 + random.below(vocabulary));
                std::uint64_t markup = random.below(40);
                if (w > 0) page += random.below(8) == 0 ? ", " : " ";
                if (markup == 0)
                    page += "<b>" + word(n) + "</b>";
                else if (markup == 1)
                    page += "<a href=\"x.html\">" + word(n) + "</a>";
                else
                    page += word(n);
            }
            page += ". ";
        }
        page += "</p>\r\n";
    }
    return page + "</body></html>\r\n";
}

// A single "word" of `bytes` letters.
inline std::string singleWord(std::size_t bytes) {
    return "<html><body><p>" + std::string(bytes, static_cast<char>(0xE0)) + "</p></body></html>";
}

// `tags` tags with short texts between them.
inline std::string manyTags(std::size_t tags) {
    std::string page = "<html><body>";
    for (std::size_t k = 0; k < tags / 2; ++k) page += k % 2 ? "<b>x</b>" : "<i>" + word(k % 1000) + "</i>";
    return page + "</body></html>";
}

// A sentence, `images` images without attributes and, last, one with a description: the
// attributes of a tag are looked for inside it alone, or such a page is read once for every image.
inline std::string bareImages(std::size_t images) {
    std::string page = "<html><body><p>" + word(5000) + " " + word(6000) + ".</p>";
    page.reserve(page.size() + images * 5 + 64);
    for (std::size_t k = 0; k < images; ++k) page += "<img>";
    return page + "<img alt=\"\xEF\xEE\xE4\xEF\xE8\xF1\xFC\"></body></html>";  // "подпись"
}

// `depth` nested elements (every fourth a block, the rest inline), a sentence at the bottom and one
// beside every hundredth level.
inline std::string nestedElements(std::size_t depth) {
    std::string page = "<html><body>";
    for (std::size_t k = 0; k < depth; ++k) {
        page += k % 4 == 0 ? "<div>" : "<span>";
        if (k % 100 == 0) page += word(k % 1000) + " " + word(k % 997) + ". ";
    }
    page += "The last words of the page.";
    for (std::size_t k = depth; k-- > 0;) page += k % 4 == 0 ? "</div>" : "</span>";
    return page + "</body></html>";
}

// A word of 6 to 12 letters (Windows-1251) built from a number below 32^4: a lead of 2 to 8 letters
// that depends on the number, then the number itself in four letters, so that different numbers
// give different words. Dictionary words are about this long.
inline std::string longWord(std::uint64_t n) {
    Random lead(n * 0x9E3779B97F4A7C15u + 1);
    std::string w;
    for (std::uint64_t k = 0, length = 2 + lead.below(7); k < length; ++k)
        w += static_cast<char>(0xE0 + lead.below(32));
    for (int digit = 0; digit < 4; ++digit, n /= 32) w += static_cast<char>(0xE0 + n % 32);
    return w;
}

// `count` different words, ten to a sentence: words of 6 to 12 letters, or with `shortWords` the
// shortest distinct words there are (3 or 4 letters).
inline std::string distinctWords(std::size_t count, bool shortWords = false) {
    std::string page = "<html><body><p>";
    for (std::size_t k = 0; k < count; ++k) page += (shortWords ? word(k) : longWord(k)) + (k % 10 == 9 ? ". " : " ");
    return page + "</p></body></html>";
}

// One phrase repeated `times` times.
inline std::string repeatedPhrase(std::size_t times) {
    std::string page = "<html><body><p>";
    const std::string phrase = word(100) + " " + word(200) + " " + word(300) + " " + word(400) + " " + word(500) + " " +
                               word(600) + " " + word(700) + ". ";
    for (std::size_t k = 0; k < times; ++k) page += phrase;
    return page + "</p></body></html>";
}

// A page of nothing but "<".
inline std::string onlyLessThan(std::size_t bytes) { return std::string(bytes, '<'); }

// A page with NUL bytes in its text and its tags.
inline std::string withNulBytes(std::size_t words) {
    std::string page = "<html><body><p";
    page += '\0';
    page += ">";
    for (std::size_t k = 0; k < words; ++k) {
        page += word(k % 500);
        page += k % 7 ? ' ' : '\0';
    }
    return page + "</p></body></html>";
}

// A comment and a script that never end.
inline std::string unterminated(std::size_t words) {
    std::string page = "<html><body><p>" + word(1) + " " + word(2) + ".</p><!-- ";
    for (std::size_t k = 0; k < words; ++k) page += word(k % 300) + " <p>";
    page += "<script> var x = 1; ";
    for (std::size_t k = 0; k < words; ++k) page += word(k % 300) + " ";
    return page;
}

// A frameset whose only frame is the page itself.
inline std::string selfFrameset() {
    return "<html><head><title>Self</title></head><frameset cols=\"*\"><frame src=\"self.html\"></frameset></html>";
}

}  // namespace hostile
