// What of a page the analysis reads: the whole page (the default) or only its main text, the
// article without the site's template (menus, footers, sidebars, teasers), chosen by maintext/.
//
// In main-text mode the parts of a page (the document, then each frame) are joined with a
// separator the analysis never sees: once the joined source is cleaned and converted to
// Windows-1251, each part is reduced to the markup of its main text on its own, so that a frameset
// gives the main text of each of its frames. A part without main text (a frameset shell, a
// gallery, a page of links) adds nothing; when no part has any, the whole page is read and the
// report says why. Pure functions, thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// What of a page the analysis reads.
enum class ContentMode {
    kPage,  // every part of the page, as it is
    kMain,  // the main text of each part
};

/// The mode's name on the command line and in the JSON: "page" or "main".
std::string_view ContentModeName(ContentMode mode);

/// A block of the main text in the page: the part it is in (0: the document, 1…: its frames in
/// order) and a CSS selector that finds it there (maintext::Result::blockPaths, with its limits).
struct ContentBlock {
    std::size_t part = 0;
    std::string selector;
};

/// What a run in main-text mode read.
struct ContentReport {
    ContentMode mode = ContentMode::kPage;
    /// kMain: whether main text was found in some part; when not, the whole page was read.
    bool found = false;
    /// kMain without main text: why none was found in the page ("frameset", "too little text", …).
    std::string reason;
    std::size_t mainWords = 0;  // kMain: the words of the main text (maintext::Result::mainWords)
    std::size_t pageWords = 0;  // kMain: the words of the whole page, counted the same way
    /// The text read (UTF-8), blocks separated by an empty line, the parts' texts likewise: in kMain
    /// the main text (empty when none was found); in kPage the whole page's, when it was asked for.
    std::string text;
    /// kMain: the blocks of the main text, in page order, for showing them in the page.
    std::vector<ContentBlock> blocks;
};

/// The separator of the parts of a page in main-text mode: a comment of ASCII without spaces or
/// line breaks, which the cleaning and the charset conversion keep as it is.
inline constexpr std::string_view kContentPartSeparator = "<!--sumoran:part-->";

/// Reduces a cleaned page source (Windows-1251; its parts joined by kContentPartSeparator) to the
/// markup of the main text of each part, joined in order, and reports what was read. Leaves the
/// source as it is when no part has main text. The parts are read on several threads at once
/// (maintext::ExtractMainTexts), all joined before it returns; the result is the same whatever
/// thread read which part.
ContentReport ReduceToMainText(std::string& source);

/// Reads the text of a cleaned page source (Windows-1251; its parts joined by
/// kContentPartSeparator) part by part into a kPage report, and takes the separators out of the
/// source, which is then as a run of the whole page reads it.
ContentReport ReadPageText(std::string& source);
