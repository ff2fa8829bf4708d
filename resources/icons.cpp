#include "resources/icons.h"

#include <QString>

// Registers the icons compiled into this static library. Q_INIT_RESOURCE declares the generated
// registration function as a global, so it has to be called from the global namespace; the call
// also keeps the linker from dropping the resource object.
static void registerBundledIcons() { Q_INIT_RESOURCE(resources); }

namespace {

// The desktop theme's name for an icon (empty where no standard icon fits) and the bundled file
// that stands in when the theme has none.
struct IconSource {
    const char* themeName;
    const char* bundledFile;
};

// One line per icon keeps the table readable.
// clang-format off
IconSource sourceOf(IconId id) {
    switch (id) {
        case IconId::kProgram: return {"", "sumoran.svg"};
        case IconId::kExit: return {"application-exit", "exit.svg"};
        case IconId::kOpen: return {"document-open", "open.svg"};
        case IconId::kBack: return {"go-previous", "back.svg"};
        case IconId::kForward: return {"go-next", "forward.svg"};
        case IconId::kStop: return {"process-stop", "stop.svg"};
        case IconId::kRefresh: return {"view-refresh", "refresh.svg"};
        case IconId::kHome: return {"go-home", "home.svg"};
        case IconId::kGo: return {"go-jump", "go.svg"};
        case IconId::kForceAnalysis: return {"", "force-analysis.svg"};
        case IconId::kTypeFilter: return {"view-filter", "filter.svg"};
        case IconId::kFilterOff: return {"", "filter-off.svg"};
        case IconId::kWordsOfStems: return {"", "words-of-stems.svg"};
        case IconId::kExprsOfStems: return {"", "exprs-of-stems.svg"};
        case IconId::kStemsOfWords: return {"", "stems-of-words.svg"};
        case IconId::kSameStemWords: return {"", "same-stem-words.svg"};
        case IconId::kExprsOfWords: return {"", "exprs-of-words.svg"};
        case IconId::kStemsOfExprs: return {"", "stems-of-exprs.svg"};
        case IconId::kWordsOfExprs: return {"", "words-of-exprs.svg"};
        case IconId::kSameStemExprs: return {"", "same-stem-exprs.svg"};
        case IconId::kCopySummary: return {"edit-copy", "copy.svg"};
        case IconId::kSaveSummary: return {"document-save", "save.svg"};
        case IconId::kSummaryLimits: return {"", "summary-limits.svg"};
        case IconId::kForceHeadings: return {"", "force-headings.svg"};
        case IconId::kForceSentence: return {"", "force-sentence.svg"};
        case IconId::kClearMarks: return {"edit-clear", "clear-marks.svg"};
        case IconId::kAddStopWord: return {"list-add", "add.svg"};
        case IconId::kRemoveStopWord: return {"list-remove", "remove.svg"};
        case IconId::kMarkInPage: return {"", "mark-in-page.svg"};
        case IconId::kNextMark: return {"", "next-mark.svg"};
        case IconId::kPreviousMark: return {"", "previous-mark.svg"};
        case IconId::kClearPageMarks: return {"edit-clear", "clear-page-marks.svg"};
        case IconId::kSaveList: return {"document-save-as", "save-list.svg"};
        case IconId::kMainText: return {"", "main-text.svg"};
        case IconId::kShowMainText: return {"", "show-main-text.svg"};
    }
    return {"", "sumoran.svg"};  // an id outside the enumeration still gets a visible icon
}
// clang-format on

}  // namespace

QIcon Icon(IconId id) {
    static const bool registered = (registerBundledIcons(), true);
    (void)registered;

    const IconSource source = sourceOf(id);
    QIcon bundled(QStringLiteral(":/icons/") + QLatin1String(source.bundledFile));
    if (*source.themeName == '\0') return bundled;
    return QIcon::fromTheme(QLatin1String(source.themeName), bundled);
}
