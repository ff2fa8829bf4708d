// The script that outlines the blocks of a page's main text in the page the browser shows. It runs
// in an isolated world, so the page's own scripts neither run for it nor see its variables. It
// marks each block it finds with the attribute kOutlineAttribute and its ancestors with
// kOutlinePathAttribute, and adds to each document it may read a style sheet of its own that
// outlines the blocks and dims what is beside them: a sheet adopted by the document (which a page's
// content security policy does not forbid), else a style element marked kOutlineStyleAttribute.
// Taking the outline off removes the attributes and the sheets again. GUI thread only.
#pragma once

#include <QList>
#include <QString>

#include "app/browser/browser.h"

/// The most blocks the script looks for; those past it are left out.
inline constexpr int kMaxOutlineBlocks = 4000;
/// The longest selector looked for, in characters; a longer one is skipped.
inline constexpr int kMaxOutlineSelectorChars = 4096;
/// The most characters of selectors in one script; the blocks past it are left out.
inline constexpr int kMaxOutlineChars = 1 << 20;
/// The most frames of the page the script looks at.
inline constexpr int kMaxOutlineFrames = 1000;

/// What the script marks the outlined elements, their ancestors and a style element of its own with.
inline constexpr char kOutlineAttribute[] = "data-sumoran-main";
inline constexpr char kOutlinePathAttribute[] = "data-sumoran-main-path";
inline constexpr char kOutlineStyleAttribute[] = "data-sumoran-outline";

/// The blocks the script is given: those in order with a part from 0 to kMaxOutlineFrames and a
/// selector of 1 to kMaxOutlineSelectorChars characters, at most kMaxOutlineBlocks of them and
/// kMaxOutlineChars characters of selectors in all.
QList<PageBlock> BoundedOutlineBlocks(const QList<PageBlock>& blocks);

/// The script that takes the outline out of the page and its readable frames and, for blocks,
/// outlines the blocks (BoundedOutlineBlocks of them) it finds; it returns how many it found. A
/// selector that throws or finds nothing is skipped.
QString OutlineScript(const QList<PageBlock>& blocks);
