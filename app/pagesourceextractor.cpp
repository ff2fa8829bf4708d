#include "app/pagesourceextractor.h"

#include <QDir>
#include <QFile>

#include "engine/pagesource.h"

PageSourceExtractor::PageSourceExtractor(Browser& browser, QString directory, QObject* parent)
    : QObject(parent), browser_(browser), directory_(std::move(directory)) {}

QString PageSourceExtractor::partPath(int part) const {
    return QDir(directory_).filePath(QString::number(part) + QStringLiteral(".html"));
}

void PageSourceExtractor::Extract(Done done) {
    if (browser_.Busy() || !browser_.HasDocument() || browser_.LocationURL() == QStringLiteral("about:blank")) {
        done({});
        return;
    }
    QPointer<PageSourceExtractor> self(this);
    browser_.SaveDocument(partPath(0), [self, done](bool) {
        if (!self) return;
        self->browser_.CountFrames([self, done](int count) {
            if (!self) return;
            // A page with a single frame is taken without that frame.
            self->saveFrames(count < 2 ? 0 : count, 0, done);
        });
    });
}

// Saves frames next .. count - 1 one after another, then collects all parts.
void PageSourceExtractor::saveFrames(int count, int next, Done done) {
    if (next >= count) {
        done(collect(count));
        return;
    }
    QPointer<PageSourceExtractor> self(this);
    browser_.SaveFrame(next, partPath(next + 1), [self, count, next, done](bool) {
        if (self) self->saveFrames(count, next + 1, done);
    });
}

// Reads, converts and deletes the part files: the page, then the frames in order. A part that was
// not saved is missing from the result.
std::string PageSourceExtractor::collect(int frames) const {
    std::string source;
    for (int part = 0; part <= frames; ++part) {
        QFile file(partPath(part));
        if (!file.exists()) continue;
        if (file.open(QIODevice::ReadOnly)) {
            QByteArray bytes = file.readAll();
            source += SavedPartText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            file.close();
        }
        file.remove();
    }
    return source;
}
