// PageSourceExtractor takes the markup of the page the browser shows: the document and, when it
// has two or more frames, the document of each frame (at most kMaxFrames), saved to 0.html,
// 1.html, … in a private temporary directory, read back, made single-byte and joined, at most
// kMaxSourceBytes in all. The files are deleted after reading.
//
// The browser saves asynchronously, so an extraction is a chain of callbacks; the result arrives
// through `done`, possibly before Extract returns when there is nothing to save. A chain that
// outlives its page (another document started loading, the render process ended) or its time
// ends without a source, so a late or mixed result never reaches the analysis.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <string>

#include "app/browser.h"

/// What an extraction took.
struct ExtractResult {
    std::string source;  // Windows-1251 when the page was UTF-8, else the page's own bytes; CR LF lines
    QString note;        // why part or all of the page was left out (Russian); empty when nothing was
};

class PageSourceExtractor : public QObject {
    Q_OBJECT

  public:
    using Done = std::function<void(ExtractResult result)>;

    static constexpr int kMaxFrames = 64;
    static constexpr qint64 kMaxSourceBytes = qint64{256} << 20;
    static constexpr int kDefaultTimeoutMs = 30000;

    /// Saves into `directory`, which must exist for the extractor's lifetime.
    PageSourceExtractor(Browser& browser, QString directory, QObject* parent = nullptr);

    /// Extracts the current page and calls `done` once: with the joined source, or with an empty
    /// one when the browser is busy, holds no document or shows the blank page, nothing could be
    /// saved, the page changed meanwhile, or the time ran out (then with a note).
    void Extract(Done done);
    /// Ends the extraction under way, if any, without calling its `done`; its files are removed.
    void Cancel();
    /// True while an extraction waits for the browser.
    bool running() const { return running_; }
    /// The page serial of the extraction under way (or of the last one).
    quint64 pageSerial() const { return serial_; }

    /// Sets how long an extraction may take before it is given up (kDefaultTimeoutMs unless set).
    void setTimeout(int milliseconds) { watchdog_.setInterval(milliseconds); }
    /// Sets the bounds on frames and bytes (kMaxFrames and kMaxSourceBytes unless set).
    void setLimits(int maxFrames, qint64 maxBytes) {
        maxFrames_ = maxFrames;
        maxBytes_ = maxBytes;
    }

  private:
    bool current(quint64 attempt);
    void savedDocument(quint64 attempt, Browser::Saved saved);
    void saveFrames(quint64 attempt, int count, int next);
    void finish(ExtractResult result);
    ExtractResult collect(int frames) const;
    void removeParts() const;
    QString partPath(int part) const;
    void addNote(const QString& note);

    Browser& browser_;
    QString directory_;
    QTimer watchdog_;
    Done done_;
    quint64 attempt_ = 0;  // the number of the extraction under way; a callback of another is stale
    quint64 serial_ = 0;
    bool running_ = false;
    int maxFrames_ = kMaxFrames;
    qint64 maxBytes_ = kMaxSourceBytes;
    int savedFrames_ = 0;  // the frame files the extraction under way may have written
    qint64 used_ = 0;      // bytes saved so far
    QString note_;
};
