// The scripts that mark words in the page the browser shows. They run in an isolated world, so
// the page's own scripts neither run for them nor see their variables; they only wrap text of the
// document and of the frames the program may read in marks and take the marks out again. A word is
// cut out of the text as the analysis cuts it (the same delimiters, dashes and periods), so a form
// is marked where the analysis counted it. GUI thread only.
#pragma once

#include <QList>
#include <QString>

#include "app/browser.h"

/// The script that takes out every mark and then marks the groups' forms; it returns the number
/// of occurrences marked. No group only takes the marks out.
QString MarkScript(const QList<MarkGroup>& groups);

/// The script that scrolls to the next (step > 0) or previous (step < 0) marked occurrence, making
/// it the current one; it returns its number from 1, or 0 when nothing is marked.
QString ShowMarkScript(int step);
