#include "app/pagetaker.h"

#include <QFileInfo>
#include <QUrl>
#include <utility>

#include "app/browser/browser.h"
#include "app/browser/pagesourceextractor.h"
#include "views/qt/qtext.h"

namespace {

// Tells taken pages apart: equal parts give equal digests, and different ones almost surely not.
std::size_t Digest(const std::vector<std::string>& parts) {
    std::size_t digest = parts.size();
    for (const std::string& part : parts) digest = digest * 1000003 ^ std::hash<std::string>{}(part);
    return digest;
}

}  // namespace

PageTaker::PageTaker(Browser& browser, PageSourceExtractor& extractor, Analyse analyse, Note note, Note source,
                     QObject* parent)
    : QObject(parent),
      browser_(browser),
      extractor_(extractor),
      analyse_(std::move(analyse)),
      note_(std::move(note)),
      source_(std::move(source)) {
    connect(&browser_, &Browser::DocumentParsed, this, &PageTaker::documentParsed);
    connect(&browser_, &Browser::RenderProcessTerminated, this, [this] {
        // The page being taken is gone; the results of the last analysis stay on screen.
        if (running_ && extractor_.running()) {
            extractor_.Cancel();
            running_ = false;
        }
    });
}

void PageTaker::opened(const QString& address) {
    earlyPath_.clear();
    std::optional<ExtractResult> page = ReadFramelessLocalPage(address, static_cast<qint64>(kMaxPageBytes));
    if (!page) return;
    if (running_) extractor_.Cancel();  // it took the page being left
    running_ = false;
    earlyPath_ = QFileInfo(QUrl(address).isLocalFile() ? QUrl(address).toLocalFile() : address).absoluteFilePath();
    source_({});
    analyse_(std::move(page->parts));
}

void PageTaker::takeAnew() {
    earlyPath_.clear();
    take(When::kAnew);
}

void PageTaker::documentParsed() {
    // A local file without frames was analysed from its bytes as it was opened.
    if (!earlyPath_.isEmpty()) return;
    parsed_ = {browser_.PageSerial(), std::nullopt, false};
    take(When::kParsed);
}

void PageTaker::documentComplete() {
    // A file analysed as it was opened is taken again only when the browser shows another page
    // or the page's scripts made frames, whose documents the early analysis could not read.
    const QString early = std::exchange(earlyPath_, QString());
    const quint64 serial = browser_.PageSerial();
    if (!early.isEmpty() && QFileInfo(QUrl(browser_.LocationURL()).toLocalFile()).absoluteFilePath() == early) {
        browser_.CountFrames([this, serial](int frames) {
            if (frames >= 2 && serial == browser_.PageSerial()) take(When::kAnew);
        });
        return;
    }
    if (parsed_.serial != serial) {
        take(When::kAnew);
        return;
    }
    if (parsed_.digest) {
        take(When::kLoaded);
        return;
    }
    if (running_)
        parsed_.loadedMeanwhile = true;  // compared once the parsed page is taken
    else
        take(When::kAnew);
}

void PageTaker::take(When when) {
    if (running_) {
        if (!extractor_.running() || extractor_.pageSerial() == browser_.PageSerial()) return;
        extractor_.Cancel();
        running_ = false;
    }
    running_ = true;
    const auto loading =
        when == When::kParsed ? PageSourceExtractor::WhileLoading::kAllow : PageSourceExtractor::WhileLoading::kRefuse;
    extractor_.Extract(
        [this, when](ExtractResult result) {
            if (!result.note.isEmpty()) note_(result.note);
            // A page given up on (it did not answer in time) is not asked again at load complete.
            const bool givenUp = result.parts.empty() && !result.note.isEmpty();
            if (!result.parts.empty()) taken(when, std::move(result.parts));
            running_ = false;
            if (when != When::kParsed || !std::exchange(parsed_.loadedMeanwhile, false) || givenUp) return;
            take(parsed_.digest ? When::kLoaded : When::kAnew);
        },
        loading);
}

void PageTaker::taken(When when, std::vector<std::string> parts) {
    const std::size_t digest = Digest(parts);
    switch (when) {
        case When::kAnew:
            source_({});
            break;
        case When::kParsed:
            parsed_.digest = digest;
            source_(u("Анализ по разобранной странице; остальное ещё загружается"));
            break;
        case When::kLoaded:
            if (parsed_.digest == digest) {
                source_(u("Анализ по разобранной странице; после загрузки она не изменилась"));
                return;
            }
            source_(u("Анализ по загруженной странице: после разбора она изменилась"));
            break;
    }
    analyse_(std::move(parts));
}
