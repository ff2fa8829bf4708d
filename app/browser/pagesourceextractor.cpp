#include "app/browser/pagesourceextractor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "app/browser/localfiles.h"
#include "page/frames.h"
#include "views/qt/qtext.h"

namespace {

QString Megabytes(qint64 bytes) { return QString::number(bytes >> 20); }

}  // namespace

PageSourceExtractor::PageSourceExtractor(Browser& browser, QObject* parent)
    : QObject(parent), browser_(browser), tempBase_(qEnvironmentVariable("TMPDIR", QStringLiteral("/tmp"))) {
    if (QFileInfo(tempBase_).isDir())
        tempDir_ = std::make_unique<QTemporaryDir>(QDir(tempBase_).filePath(u("sumoran-XXXXXX")));
    watchdog_.setSingleShot(true);
    watchdog_.setInterval(kDefaultTimeoutMs);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        const int seconds = watchdog_.interval() / 1000;
        finish({{}, u("Страница не отдала исходный текст за %1 с: анализ не выполнен").arg(seconds)});
    });
}

PageSourceExtractor::~PageSourceExtractor() = default;

QString PageSourceExtractor::directory() const {
    return tempDir_ && tempDir_->isValid() ? tempDir_->path() : QString();
}

QString PageSourceExtractor::directoryProblem() const {
    if (!directory().isEmpty()) return {};
    const QString reason = tempDir_ ? tempDir_->errorString() : u("каталога нет");
    return u("Не удалось создать временный каталог в %1 (%2): анализ невозможен").arg(tempBase_, reason);
}

QString PageSourceExtractor::partPath(int part) const {
    return QDir(directory()).filePath(QString::number(part) + QStringLiteral(".html"));
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
    savedFrames_ = 0;
    used_ = 0;
    note_.clear();
    watchdog_.start();
    browser_.SaveDocument(partPath(0), maxBytes_, [this, attempt](Browser::Saved saved) {
        if (current(attempt)) savedDocument(attempt, saved);
    });
}

void PageSourceExtractor::Cancel() {
    if (!running_) return;
    ++attempt_;
    running_ = false;
    watchdog_.stop();
    done_ = nullptr;
    removeParts();
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

void PageSourceExtractor::savedDocument(quint64 attempt, Browser::Saved saved) {
    if (saved == Browser::Saved::kTooLarge) {
        finish({{}, u("Исходный текст страницы больше %1 МБ: анализ не выполнен").arg(Megabytes(maxBytes_))});
        return;
    }
    used_ = QFileInfo(partPath(0)).size();
    browser_.CountFrames([this, attempt](int count) {
        if (!current(attempt)) return;
        // A page with a single frame is taken without that frame.
        if (count < 2) count = 0;
        if (count > maxFrames_) {
            addNote(u("Кадров на странице: %1, прочитаны первые %2").arg(count).arg(maxFrames_));
            count = maxFrames_;
        }
        savedFrames_ = count;
        saveFrames(attempt, count, 0);
    });
}

// Saves frames next .. count - 1 one after another, then collects all parts.
void PageSourceExtractor::saveFrames(quint64 attempt, int count, int next) {
    if (next >= count) {
        ExtractResult result = collect(count);
        finish(std::move(result));
        return;
    }
    const QString path = partPath(next + 1);
    browser_.SaveFrame(next, path, maxBytes_ - used_, [this, attempt, count, next, path](Browser::Saved saved) {
        if (!current(attempt)) return;
        if (saved == Browser::Saved::kTooLarge) {
            // What is saved so far fits; the frames from here on are left out.
            addNote(u("Исходный текст страницы больше %1 МБ: проанализирована часть, что поместилась")
                        .arg(Megabytes(maxBytes_)));
            finish(collect(next));
            return;
        }
        used_ += QFileInfo(path).size();
        saveFrames(attempt, count, next + 1);
    });
}

// Reads and deletes the part files: the page, then the frames in order. A part that was not saved
// is missing from the result; a part that would take the parts past their bound is left out with
// the ones after it.
ExtractResult PageSourceExtractor::collect(int frames) const {
    ExtractResult result;
    qint64 total = 0;
    for (int part = 0; part <= frames; ++part) {
        QFile file(partPath(part));
        if (!file.exists()) continue;
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            const qsizetype nul = bytes.indexOf('\0');
            std::string text(bytes.constData(), static_cast<std::size_t>(nul < 0 ? bytes.size() : nul));
            total += static_cast<qint64>(text.size());
            if (total > maxBytes_) {
                result.note = u("Исходный текст страницы больше %1 МБ: %2")
                                  .arg(Megabytes(maxBytes_), part == 0 ? u("анализ не выполнен")
                                                                       : u("проанализирована часть, что поместилась"));
                break;
            }
            result.parts.push_back(std::move(text));
        }
    }
    removeParts();
    return result;
}

void PageSourceExtractor::removeParts() const {
    for (int part = 0; part <= savedFrames_; ++part) QFile::remove(partPath(part));
}

void PageSourceExtractor::finish(ExtractResult result) {
    if (!running_) return;
    Done done = std::move(done_);
    if (!note_.isEmpty()) {
        if (!result.note.isEmpty()) note_ += QStringLiteral("; ") + result.note;
        result.note = note_;
    }
    Cancel();  // stops the watchdog and removes whatever is left
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
