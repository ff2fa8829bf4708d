// PageSourceExtractor takes the markup of the page the browser shows: the document and, when it
// has two or more frames, the document of each frame (at most kMaxFrames), as the browser hands
// them over in memory, at most kMaxPageBytes in all; each is cut at its first NUL byte. Nothing
// is written to disk. How their bytes are read (charset, UTF-8) is left to the analysis, so that
// the same parts can be read again under another charset.
//
// The browser hands the parts over asynchronously, so an extraction is a chain of callbacks; the
// result arrives through `done`, possibly before Extract returns when there is nothing to take. A
// chain that outlives its page (another document started loading, the render process ended) or
// its time ends without a source, so a late or mixed result never reaches the analysis.
// GUI thread only.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/browser/browser.h"
#include "page/bounds.h"

/// What an extraction took.
struct ExtractResult {
    std::vector<std::string> parts;  // the bytes of the document, then of each frame read, each cut at its NUL
    QString note;                    // why part or all of the page was left out (Russian); empty when nothing was
};

class PageSourceExtractor : public QObject {
    Q_OBJECT

  public:
    using Done = std::function<void(ExtractResult result)>;

    static constexpr int kDefaultTimeoutMs = 30000;

    /// Takes pages from `browser`, which the caller keeps for the extractor's life.
    explicit PageSourceExtractor(Browser& browser, QObject* parent = nullptr);

    /// Whether a page still loading may be taken.
    enum class WhileLoading {
        kRefuse,  // only a page that has loaded
        kAllow,   // also one whose document is parsed while its images and the like still load
    };

    /// Extracts the current page and calls `done` once: with its parts, or with none when the
    /// browser is busy (unless `loading` allows it), holds no document or shows the blank page,
    /// nothing could be taken, the page changed meanwhile, or the time ran out (then with a note).
    void Extract(Done done, WhileLoading loading = WhileLoading::kRefuse);
    /// Ends the extraction under way, if any, without calling its `done`; what it took is dropped.
    void Cancel();
    /// True while an extraction waits for the browser.
    bool running() const { return running_; }
    /// The page serial of the extraction under way (or of the last one).
    quint64 pageSerial() const { return serial_; }

    /// Sets how long an extraction may take before it is given up (kDefaultTimeoutMs unless set).
    void setTimeout(int milliseconds) { watchdog_.setInterval(milliseconds); }
    /// Sets the bounds on frames and bytes (kMaxFrames and kMaxPageBytes of page/bounds.h unless set).
    void setLimits(int maxFrames, qint64 maxBytes) {
        maxFrames_ = maxFrames;
        maxBytes_ = maxBytes;
    }

  private:
    bool current(quint64 attempt);
    void takenDocument(quint64 attempt, Browser::TakeResult result, const QByteArray& bytes);
    void takeFrames(quint64 attempt, int count, int next);
    void keep(const QByteArray& bytes);
    void finish(ExtractResult result);
    ExtractResult collect();
    void addNote(const QString& note);

    Browser& browser_;
    QTimer watchdog_;
    Done done_;
    quint64 attempt_ = 0;  // the number of the extraction under way; a callback of another is stale
    quint64 serial_ = 0;
    bool running_ = false;
    int maxFrames_ = static_cast<int>(kMaxFrames);
    qint64 maxBytes_ = static_cast<qint64>(kMaxPageBytes);
    std::vector<std::string> parts_;  // what the extraction under way took, each cut at its NUL
    qint64 used_ = 0;                 // bytes taken so far, before the cut
    QString note_;
};

/// The source an extraction of the local file at `address` (a path or a file: URL) would give
/// when the browser shows it, read straight from the file, so that the analysis need not wait
/// for the browser to lay the page out. Nothing when the address is not a regular local file of
/// at most `maxBytes`, or when its markup makes a frame (FindFrameSources; frames are taken from
/// the browser).
std::optional<ExtractResult> ReadFramelessLocalPage(const QString& address, qint64 maxBytes);
