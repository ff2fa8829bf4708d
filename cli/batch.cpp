#include "cli/batch.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <istream>
#include <iterator>
#include <mutex>
#include <new>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "base/sanitizers.h"
#include "cli/commands.h"
#include "cli/fdoutput.h"
#include "cli/output.h"
#include "cli/rows.h"
#include "cli/stopsignals.h"
#include "engine/pagesource.h"
#include "page/fetch.h"
#include "page/frames.h"
#include "page/inputs.h"

namespace {

// What one input gave: the text to print and the notes for standard error.
struct PageResult {
    bool ready = false;
    bool ok = false;
    std::string text;
    std::string notes;
    std::size_t bytes = 0;  // of the input, for the progress bar
};

// Reads, analyses and formats one input; a fetch stops early once `cancel` turns true.
PageResult processPage(const CliOptions& o, const PageSettings& settings, const PageInput& input, std::istream& in,
                       const std::atomic<bool>& cancel) {
    PageResult result;
    auto failed = [&](const std::string& error) {
        result.ok = false;
        if (o.format == OutputFormat::kJsonl) {
            result.text = JsonErrorLine(input.name, error);
        } else if (!o.showNamed) {
            result.text = FiguresRow(nullptr, 0, input.name, error, o.format);
        } else {
            result.notes += MessageLine(input.name + ": " + error);
        }
        return std::move(result);
    };
    try {
        PageRead read = ReadPage(input, in, o, &cancel);
        if (read.error) return failed(*read.error);
        result.bytes = read.bytes;
        for (const std::string& note : read.page.notes) result.notes += MessageLine(note);
        const AnalysedPage page = AnalysePage(o, settings, std::move(read.page.parts));
        if (page.outcome == AnalysedPage::Outcome::kOutOfMemory) return failed("out of memory");
        if (page.outcome == AnalysedPage::Outcome::kNoSuchOrder) return failed(page.message);
        if (page.contentNote) result.notes += MessageLine(input.name + ": " + *page.contentNote);
        const Document& doc = *page.doc;
        if (o.format == OutputFormat::kJsonl) {
            result.text = JsonLine(doc, input.name, o.content.has_value(), o.zones);
        } else if (!o.showNamed) {
            result.text = FiguresRow(&doc, page.report ? page.report->seconds : 0, input.name, "", o.format);
        } else {
            result.text = PaneRows(doc, o.show, input.name, o.format);
        }
        result.ok = true;
        return result;
    } catch (const std::bad_alloc&) {
        result.text.clear();
        return failed("out of memory");
    }
}

// The progress bar: pages done of all, the rate in MB/s and the input just printed, on one line.
class Progress {
  public:
    Progress(std::ostream& err, std::size_t columns, std::size_t total)
        : err_(err), columns_(std::max<std::size_t>(columns, 20)), total_(total), start_(Clock::now()) {}

    void update(std::size_t done, std::size_t bytes, const std::string& input) {
        const auto now = Clock::now();
        if (done != total_ && now - shown_ < std::chrono::milliseconds(100)) return;
        shown_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        char figures[96];
        std::snprintf(figures, sizeof figures, "] %zu/%zu  %.1f MB/s  ", done, total_,
                      seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0);
        constexpr std::size_t kBarWidth = 20;
        const std::size_t filled = total_ ? done * kBarWidth / total_ : kBarWidth;
        std::string line = "\r\x1b[K[" + std::string(filled, '#') + std::string(kBarWidth - filled, '-') + figures;
        // The name fills what is left of the line, cut by characters.
        std::size_t room = columns_ - 1 - std::min(columns_ - 1, 1 + kBarWidth + std::strlen(figures));
        for (std::size_t i = 0, shown = 0; i < input.size(); ++i) {
            const bool lead = (static_cast<unsigned char>(input[i]) & 0xC0) != 0x80;
            if (lead && shown++ == room) break;
            line += input[i];
        }
        err_ << line << std::flush;
        drawn_ = true;
    }

    // Clears the line, before a message or at the end.
    void clear() {
        if (drawn_) err_ << "\r\x1b[K" << std::flush;
        drawn_ = false;
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    std::size_t columns_;
    std::size_t total_;
    Clock::time_point start_;
    Clock::time_point shown_{};
    bool drawn_ = false;
};

// The finished results a batch may hold per worker while an earlier page is still analysed.
constexpr std::size_t kResultsPerWorker = 4;

// Keeps the blocks of a page's tables and lists (up to 32 MiB each) in the allocator's arenas
// for the next page. By default glibc maps every block of 128 KiB or more from the system and
// unmaps it when freed, so that every page of a batch touched its memory anew: 322,000 page faults
// for the benchmark's 1,000 pages instead of 3,300, a fifth of the run in the system, and the
// workers' faults queue on the process's one memory map. (Under AddressSanitizer glibc's
// allocator is not the one in use.)
void keepBlocksForTheNextPage() {
#if defined(__GLIBC__) && !defined(SUMORAN_ASAN)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
#endif
}

}  // namespace

int RunBatch(const CliOptions& o, const PageSettings& settings, std::istream& in, std::ostream& out, std::ostream& err,
             std::size_t progressColumns) {
    const StopSignals signals;
    std::vector<std::string> names = o.inputs;
    if (names.empty() && o.lists.empty()) names.push_back("-");
    for (const std::string& list : o.lists) {
        PageBytes text = ReadListFile(list, in);
        if (text.error) {
            err << MessageLine("cannot read the list " + list + ": " + *text.error);
            return kExitFailed;
        }
        std::vector<std::string> lines = ReadListLines(text.bytes);
        names.insert(names.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    }
    const std::vector<PageInput> pages = ExpandInputs(names);
    if (std::ranges::any_of(pages, [](const PageInput& p) { return p.kind == PageInput::Kind::kWebAddress; }))
        InitFetching();  // before any worker fetches

    if (o.format == OutputFormat::kCsv) out << "\xEF\xBB\xBF";
    if (o.format != OutputFormat::kJsonl) out << (o.showNamed ? PaneHeader(o.show, o.format) : FiguresHeader(o.format));

    const std::size_t jobs = std::clamp<std::size_t>(o.jobs ? o.jobs : std::thread::hardware_concurrency(), 1,
                                                     std::max<std::size_t>(pages.size(), 1));
    // Page i is taken by a worker only when i < written + window and lands in slot i % window: at
    // most `jobs` pages are read or analysed at once, and at most `window` results wait to be
    // printed. The window is wider than the workers, so that a worker done with a small page goes
    // on with the next ones while a large page before it is still being analysed, instead of
    // waiting for that page to be printed.
    const std::size_t window = jobs * kResultsPerWorker;
    std::vector<PageResult> slots(window);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0, written = 0;
    bool stop = false;
    std::atomic<bool> cancel{false};  // stops the fetches under way once the batch stops
    auto work = [&] {
        while (true) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= pages.size() || next < written + window; });
                if (stop || next >= pages.size()) return;
                i = next++;
            }
            PageResult result = processPage(o, settings, pages[i], in, cancel);
            result.ready = true;
            std::lock_guard lock(mutex);
            slots[i % window] = std::move(result);
            changed.notify_all();
        }
    };
    keepBlocksForTheNextPage();
    std::vector<std::thread> workers;
    for (std::size_t w = 0; w < jobs; ++w) workers.emplace_back(work);

    const bool showProgress = progressColumns != 0 && !o.quiet;
    Progress progress(err, progressColumns, pages.size());
    std::size_t printed = 0, succeeded = 0, bytes = 0;
    for (std::size_t i = 0; i < pages.size() && out && !signals.received(); ++i) {
        PageResult result;
        {
            // The handler of a signal cannot wake this wait, so it looks at the signal now and then.
            std::unique_lock lock(mutex);
            while (!slots[i % window].ready && !signals.received())
                changed.wait_for(lock, std::chrono::milliseconds(100));
            if (!slots[i % window].ready) break;
            result = std::move(slots[i % window]);
            slots[i % window] = PageResult();
            ++written;
            changed.notify_all();
        }
        if (!result.notes.empty()) {
            progress.clear();
            err << result.notes;
        }
        // A signal that comes while the line is written lets it be written whole.
        out << result.text;
        printed += static_cast<bool>(out);
        succeeded += result.ok;
        bytes += result.bytes;
        if (showProgress) progress.update(i + 1, bytes, TerminalText(pages[i].name));
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
        cancel = true;
        changed.notify_all();
    }
    for (std::thread& worker : workers) worker.join();
    progress.clear();
    out.flush();
    const bool outputFailed = !out;
    if (outputFailed) err << MessageLine(WriteFailureMessage(out));
    if (const int signal = signals.received(); signal && printed < pages.size()) {
        err << MessageLine("stopped by " + std::string(StopSignalName(signal)) + " after " + std::to_string(printed) +
                           " of " + std::to_string(pages.size()) + " inputs");
        return kExitSignalBase + signal;
    }
    if (outputFailed) return kExitFailed;
    if (succeeded == pages.size()) return kExitOk;
    return succeeded == 0 ? kExitFailed : kExitSomeFailed;
}
