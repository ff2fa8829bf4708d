// PageSourceExtractor takes the markup of the page the browser shows: the document and, when it
// has two or more frames, the document of each frame, saved to 0.html, 1.html, … in a private
// temporary directory, read back, made single-byte and joined. The files are deleted after reading.
//
// The browser saves asynchronously, so an extraction is a chain of callbacks; the result arrives
// through `done`, possibly before Extract returns when there is nothing to save.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>

#include "app/browser.h"

class PageSourceExtractor : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(std::string source)>;

    /// Saves into `directory`, which must exist for the extractor's lifetime.
    PageSourceExtractor(Browser& browser, QString directory, QObject* parent = nullptr);

    /// Extracts the current page and calls `done` with the joined source (Windows-1251 when the page
    /// was UTF-8, else the page's own bytes; CR LF lines), or with an empty text when the browser is
    /// busy, holds no document or shows the blank page, or nothing could be saved.
    void Extract(Done done);

private:
    QString partPath(int part) const;
    void saveFrames(int count, int next, Done done);
    std::string collect(int frames) const;

    Browser& browser_;
    QString directory_;
};
