// The scripts that mark words in the page the browser shows. They run in an isolated world, so
// the page's own scripts neither run for them nor see their variables; they only wrap text of the
// document and of the frames the program may read in marks and take the marks out again. A word is
// cut out of the text as the analysis cuts it (the same delimiters, dashes and periods), so a form
// is marked where the analysis counted it. GUI thread only.
#pragma once

#include <QList>
#include <QString>

#include "app/browser/browser.h"

/// The script that takes out every mark and, for groups, prepares the marking of their forms,
/// which MarkStepScript then carries out; it returns the number of texts to look through (0 for no
/// group, which only takes the marks out).
QString MarkScript(const QList<MarkGroup>& groups);

/// The script that marks the next texts of the prepared marking, at most `mostTexts` of them and
/// for about `budgetMs` milliseconds; it returns [occurrences marked so far, texts done, texts in
/// all], or null when no marking is prepared.
QString MarkStepScript(int budgetMs, int mostTexts);

/// The script that scrolls to the next (step > 0) or previous (step < 0) marked occurrence, making
/// it the current one; it returns its number from 1, or 0 when nothing is marked.
QString ShowMarkScript(int step);
