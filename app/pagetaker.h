// PageTaker decides when the page on screen is taken for the analysis and hands its parts on:
// - a local file without frames is read from its bytes as it is opened, and taken from the
//   browser again only when the browser shows another page or the page's scripts made frames;
// - any other page is taken as soon as its document is parsed, so that its results do not wait
//   for its images, and again at load complete only when its markup changed meanwhile (scripts,
//   frames); the status bar says which (`source`);
// - the force-analysis command and the settings take the page anew.
// A request for the page being taken is dropped; one for a page that has replaced it ends the old
// extraction, whose result could only be stale. GUI thread only.
#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Browser;
class PageSourceExtractor;

class PageTaker : public QObject {
    Q_OBJECT

  public:
    /// Analyses the parts of a page (the document first, then its frames).
    using Analyse = std::function<void(std::vector<std::string> parts)>;
    /// Shows a text in the status bar.
    using Note = std::function<void(const QString& text)>;

    /// Takes pages from `browser` through `extractor` (both kept by the caller) and follows the
    /// browser's events; `note` shows what went wrong in taking a page, `source` what the
    /// analysis on screen was taken from (empty: the page as loaded, or a local file's bytes).
    PageTaker(Browser& browser, PageSourceExtractor& extractor, Analyse analyse, Note note, Note source,
              QObject* parent);

    /// True while a page is being taken or analysed.
    bool running() const { return running_; }

    /// The user opens `address`: a local file without frames is analysed at once from its bytes.
    void opened(const QString& address);
    /// Takes the page on screen anew, whatever was taken before.
    void takeAnew();
    /// The page on screen has loaded.
    void documentComplete();

  private:
    enum class When { kAnew, kParsed, kLoaded };
    void documentParsed();
    void take(When when);
    void taken(When when, std::vector<std::string> parts);

    Browser& browser_;
    PageSourceExtractor& extractor_;
    Analyse analyse_;
    Note note_;
    Note source_;
    bool running_ = false;
    QString earlyPath_;  // the local file analysed as it was opened, until the browser has shown it
    struct Parsed {
        quint64 serial = 0;                 // the page taken when its document was parsed
        std::optional<std::size_t> digest;  // what was taken then; none while it is being taken
        bool loadedMeanwhile = false;       // load complete came while it was being taken
    };
    Parsed parsed_;
};
