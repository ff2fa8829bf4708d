#include "app/browser/pagesourceextractor.h"

#include <QUrl>

#include "app/browser/localfiles.h"
#include "page/frames.h"
#include "views/qt/qtext.h"

namespace {

QString Megabytes(qint64 bytes) { return QString::number(bytes >> 20); }

}  // namespace

PageSourceExtractor::PageSourceExtractor(Browser& browser, QObject* parent) : QObject(parent), browser_(browser) {
    watchdog_.setSingleShot(true);
    watchdog_.setInterval(kDefaultTimeoutMs);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        const int seconds = watchdog_.interval() / 1000;
        finish({{}, u("Страница не отдала исходный текст за %1 с: анализ не выполнен").arg(seconds)});
    });
}

void PageSourceExtractor::addNote(const QString& note) {
    if (!note_.isEmpty()) note_ += QStringLiteral("; ");
    note_ += note;
}

void PageSourceExtractor::Extract(Done done, WhileLoading loading) {
    Cancel();
    const bool busy = browser_.Busy() && loading == WhileLoading::kRefuse;
    if (busy || !browser_.HasDocument() || browser_.LocationURL() == QStringLiteral("about:blank")) {
        done({});
        return;
    }
    const quint64 attempt = ++attempt_;
    serial_ = browser_.PageSerial();
    running_ = true;
    done_ = std::move(done);
    parts_.clear();
    used_ = 0;
    note_.clear();
    watchdog_.start();
    browser_.TakeDocument(maxBytes_, [this, attempt](Browser::TakeResult result, const QByteArray& bytes) {
        if (current(attempt)) takenDocument(attempt, result, bytes);
    });
}

void PageSourceExtractor::Cancel() {
    if (!running_) return;
    ++attempt_;
    running_ = false;
    watchdog_.stop();
    done_ = nullptr;
    parts_.clear();
}

// True when a callback belongs to the extraction under way and the page it reads is still the one
// on screen; a page that changed meanwhile ends the extraction without a source.
bool PageSourceExtractor::current(quint64 attempt) {
    if (!running_ || attempt != attempt_) return false;
    if (browser_.PageSerial() == serial_) return true;
    note_.clear();
    finish({});
    return false;
}

// Keeps a part the browser handed over, cut at its first NUL; the bound counts all of its bytes.
void PageSourceExtractor::keep(const QByteArray& bytes) {
    used_ += bytes.size();
    const qsizetype nul = bytes.indexOf('\0');
    parts_.emplace_back(bytes.constData(), static_cast<std::size_t>(nul < 0 ? bytes.size() : nul));
}

void PageSourceExtractor::takenDocument(quint64 attempt, Browser::TakeResult result, const QByteArray& bytes) {
    if (result == Browser::TakeResult::kTooLarge) {
        finish({{}, u("Исходный текст страницы больше %1 МБ: анализ не выполнен").arg(Megabytes(maxBytes_))});
        return;
    }
    if (result == Browser::TakeResult::kOk) keep(bytes);
    browser_.CountFrames([this, attempt](int count) {
        if (!current(attempt)) return;
        // A page with a single frame is taken without that frame.
        if (count < 2) count = 0;
        if (count > maxFrames_) {
            addNote(u("Кадров на странице: %1, прочитаны первые %2").arg(count).arg(maxFrames_));
            count = maxFrames_;
        }
        takeFrames(attempt, count, 0);
    });
}

// Takes frames next .. count - 1 one after another, each within the bytes the parts before it
// left, then hands all parts on. A frame that cannot be had is missing from the result.
void PageSourceExtractor::takeFrames(quint64 attempt, int count, int next) {
    if (next >= count) {
        finish(collect());
        return;
    }
    browser_.TakeFrame(
        next, maxBytes_ - used_, [this, attempt, count, next](Browser::TakeResult result, const QByteArray& bytes) {
            if (!current(attempt)) return;
            if (result == Browser::TakeResult::kTooLarge) {
                // What is taken so far fits; the frames from here on are left out.
                addNote(u("Исходный текст страницы больше %1 МБ: проанализирована часть, что поместилась")
                            .arg(Megabytes(maxBytes_)));
                finish(collect());
                return;
            }
            if (result == Browser::TakeResult::kOk) keep(bytes);
            takeFrames(attempt, count, next + 1);
        });
}

// The parts taken, the page first, then the frames in order; a part that would take the parts past
// their bound (a browser that handed over more than it was allowed) is left out with the ones
// after it.
ExtractResult PageSourceExtractor::collect() {
    ExtractResult result;
    qint64 total = 0;
    for (std::string& part : parts_) {
        total += static_cast<qint64>(part.size());
        if (total > maxBytes_) {
            result.note =
                u("Исходный текст страницы больше %1 МБ: %2")
                    .arg(Megabytes(maxBytes_),
                         result.parts.empty() ? u("анализ не выполнен") : u("проанализирована часть, что поместилась"));
            break;
        }
        result.parts.push_back(std::move(part));
    }
    parts_.clear();
    return result;
}

void PageSourceExtractor::finish(ExtractResult result) {
    if (!running_) return;
    Done done = std::move(done_);
    if (!note_.isEmpty()) {
        if (!result.note.isEmpty()) note_ += QStringLiteral("; ") + result.note;
        result.note = note_;
    }
    Cancel();  // stops the watchdog and drops whatever is left
    if (done) done(std::move(result));
}

std::optional<ExtractResult> ReadFramelessLocalPage(const QString& address, qint64 maxBytes) {
    const QUrl url(address);
    const QString path = address.startsWith(u'/') ? address : url.isLocalFile() ? url.toLocalFile() : QString();
    if (path.isEmpty()) return std::nullopt;
    const localfiles::ReadResult file = localfiles::ReadLocalFile(path, maxBytes);
    const std::string_view bytes(file.bytes.constData(), static_cast<std::size_t>(file.bytes.size()));
    if (file.status != localfiles::ReadResult::kOk || FindFrameSources(bytes, 0).count > 0) return std::nullopt;
    ExtractResult result;
    result.parts.emplace_back(bytes.substr(0, bytes.find('\0')));
    return result;
}
