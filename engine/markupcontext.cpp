#include "engine/markupcontext.h"

#include "engine/taghash.h"

namespace {

std::uint16_t setOrClear(std::uint16_t open, std::uint16_t element, bool on) {
    return on ? static_cast<std::uint16_t>(open | element) : static_cast<std::uint16_t>(open & ~element);
}

}  // namespace

void MarkupContext::endInlineRuns() {
    open_ &= static_cast<std::uint16_t>(~markup::kInlineRuns);
    b_ = strong_ = i_ = em_ = false;
}

// <strong> weighs as <b> and <em> as <i>: browsers show them so, and pages made by editors and
// converters mark their bold and italic text with them rather than with <b> and <i>. Each element
// ends at its own closing tag, and a word inside both <b> and <strong> is bold once.
bool MarkupContext::emphasis(std::uint32_t hash) {
    switch (hash) {
        case TagHashOf("<b"):
        case TagHashOf("</b"):
            b_ = hash == TagHashOf("<b");
            break;
        case TagHashOf("<strong"):
        case TagHashOf("</strong"):
            strong_ = hash == TagHashOf("<strong");
            break;
        case TagHashOf("<i"):
        case TagHashOf("</i"):
            i_ = hash == TagHashOf("<i");
            break;
        case TagHashOf("<em"):
        case TagHashOf("</em"):
            em_ = hash == TagHashOf("<em");
            break;
        default:
            return false;
    }
    open_ = setOrClear(open_, markup::kBold, b_ || strong_);
    open_ = setOrClear(open_, markup::kItalic, i_ || em_);
    return true;
}

bool MarkupContext::apply(std::uint32_t hash) {
    if (emphasis(hash)) return true;
    switch (hash) {
        case TagHashOf("<title"):
        case TagHashOf("</title"):
        case TagHashOf("</head"):
        case TagHashOf("<body"):
            open_ = setOrClear(open_, markup::kTitle, hash == TagHashOf("<title"));
            return false;
        case TagHashOf("<form"):
        case TagHashOf("</form"):
            open_ = setOrClear(open_, markup::kForm, hash == TagHashOf("<form"));
            return false;
        case TagHashOf("<pre"):
        case TagHashOf("</pre"):
            open_ = setOrClear(open_, markup::kPre, hash == TagHashOf("<pre"));
            return false;
        case TagHashOf("<select"):
        case TagHashOf("</select"):
            open_ = setOrClear(open_, markup::kSelect, hash == TagHashOf("<select"));
            return false;
        case TagHashOf("<u"):
        case TagHashOf("</u"):
            open_ = setOrClear(open_, markup::kUnderline, hash == TagHashOf("<u"));
            return true;
        case TagHashOf("<a"):
        case TagHashOf("</a"):
            open_ = setOrClear(open_, markup::kLink, hash == TagHashOf("<a"));
            return true;
        case TagHashOf("<nobr"):
        case TagHashOf("</nobr"):
            open_ = setOrClear(open_, markup::kNobr, hash == TagHashOf("<nobr"));
            return true;
        case TagHashOf("<font"):
        case TagHashOf("</font"):
            return true;
        case TagHashOf("<h1"):
            endInlineRuns(), open_ |= markup::kH1;
            return false;
        case TagHashOf("<h2"):
            endInlineRuns(), open_ |= markup::kH2;
            return false;
        case TagHashOf("<h3"):
            endInlineRuns(), open_ |= markup::kH3;
            return false;
        default:
            if (taghash::IsPlainInline(hash)) return true;
            if (taghash::EndsInlineRuns(hash)) endInlineRuns();
            return false;
    }
}
