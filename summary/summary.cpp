#include "summary/summary.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "base/cp1251.h"
#include "base/numformat.h"
#include "summary/sentencelist.h"
#include "views/listtext.h"

namespace {

using namespace sentencecol;

// The values of one row that the walk reads back from its cells; the text is read only for the
// rows written.
struct RowValues {
    double weight = 0;    // "Вес"; 0 when the cell does not read as a number
    long long words = 0;  // "ЧС"; 0 when the cell does not read as an integer
    bool heading = false;
    bool marked = false;
};

std::vector<RowValues> readRows(const ListModel& sentences, char decimalSeparator) {
    std::vector<RowValues> rows;
    rows.reserve(sentences.rows.size());
    for (std::size_t r = 0; r < sentences.rows.size(); ++r) {
        rows.push_back({numformat::ParseFloat(sentences.cell(r, kWeight), decimalSeparator).value_or(0),
                        numformat::ParseInt(sentences.cell(r, kWords)).value_or(0),
                        !sentences.cell(r, kHeading).empty(), !sentences.cell(r, kMark).empty()});
    }
    return rows;
}

// The walk over the weight curve: the first row, the top of each rise, and every forced row.
class PeakWalk {
  public:
    PeakWalk(const ListModel& sentences, const std::vector<RowValues>& rows, int maxSentences, double percentLimit,
             double wfTotalCount)
        : sentences_(sentences),
          rows_(rows),
          maxSentences_(maxSentences),
          fraction_(percentLimit * 0.01),
          wfTotalCount_(wfTotalCount) {}

    void run() {
        const std::size_t n = rows_.size();
        if (n == 0) return;
        write(0);
        w0_ = prev_ = weight(0);
        if (n == 1 || share() >= fraction_) return;
        firstRise();
        while (i_ < n && written_ < maxSentences_ && share() < fraction_) cycle();
    }

    std::vector<SummaryParagraph> takeParagraphs() { return std::move(paragraphs_); }
    std::vector<std::size_t> takeEntries() { return std::move(entries_); }
    std::size_t end() const { return std::min(i_, rows_.size()); }
    long long sentences() const { return written_; }
    long long words() const { return words_; }

  private:
    double weight(std::size_t r) const { return rows_[r].weight; }
    bool marked(std::size_t r) const { return rows_[r].marked; }

    // The share of the document's words written so far; 0 when the document has no words, so
    // that a percentage limit never divides by zero and simply does not apply.
    double share() const { return wfTotalCount_ > 0 ? static_cast<double>(words_) / wfTotalCount_ : 0; }

    void write(std::size_t r) {
        paragraphs_.push_back({sentences_.cell(r, kText), rows_[r].heading});
        entries_.push_back(sentences_.rows[r]);
        ++written_;
        words_ += rows_[r].words;
    }

    void writeForced(std::size_t r) {
        write(r);
        last_ = r;
    }

    // Climbs while the weight grows; forced rows on the way are written. Returns the top.
    std::size_t rise() {
        std::size_t top = i_;
        while (i_ < rows_.size() && weight(i_) > prev_) {
            prev_ = weight(i_);
            top = i_;
            if (marked(i_)) writeForced(i_);
            ++i_;
        }
        return top;
    }

    // Right after the first row: the first rise if row 1 is heavier, else row 1 alone.
    void firstRise() {
        if (weight(1) > weight(0)) {
            std::size_t top = rise();
            if (i_ - 1 != last_) write(top);
            if (i_ < rows_.size() && marked(i_) && i_ != last_) writeForced(i_);
        } else if (marked(1)) {
            writeForced(1);
        }
        if (i_ < rows_.size()) prev_ = weight(i_);
        ++i_;
    }

    // One descent and one rise; the top is written when heavier than the first row.
    void cycle() {
        while (i_ < rows_.size() && weight(i_) <= prev_) {
            prev_ = weight(i_);
            if (marked(i_)) writeForced(i_);
            ++i_;
        }
        if (i_ >= rows_.size()) return;  // nothing rises before the end
        std::size_t top = rise();
        if (i_ < rows_.size()) {
            if (prev_ > w0_ && i_ - 1 != last_) write(top);
            if (marked(i_) && i_ != last_) writeForced(i_);
            prev_ = weight(i_);
        }
        ++i_;
    }

    const ListModel& sentences_;
    const std::vector<RowValues>& rows_;
    long long maxSentences_;
    double fraction_;
    double wfTotalCount_;
    std::vector<SummaryParagraph> paragraphs_;
    std::vector<std::size_t> entries_;
    long long written_ = 0;
    long long words_ = 0;
    double w0_ = 0;
    double prev_ = 0;
    std::size_t last_ = 0;
    std::size_t i_ = 1;
};

}  // namespace

Summary BuildSummary(ListModel& sentences, int maxSentences, double percentLimit, double wfTotalCount,
                     char decimalSeparator) {
    RestoreDocumentOrder(sentences);
    std::vector<RowValues> rows = readRows(sentences, decimalSeparator);
    PeakWalk walk(sentences, rows, maxSentences, percentLimit, wfTotalCount);
    walk.run();

    Summary summary;
    summary.paragraphs = walk.takeParagraphs();
    summary.entries = walk.takeEntries();
    summary.walkEnd = walk.end();
    if (wfTotalCount > 0) {
        summary.status = std::string(u8"Предложений: "_cp) + std::to_string(walk.sentences()) + ", " +
                         WordShareText(walk.words(), wfTotalCount, decimalSeparator);
    }
    return summary;
}
