#include "app/browser/outlinescript.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// Takes the old outline out of every document it may read, then outlines the blocks; returns how
// many blocks it found. The outlined elements and their ancestors carry attributes; a style sheet
// of its own in each document outlines the first and dims the children of the second that are
// neither, so that everything beside the main text is dimmed once, not again inside what is dimmed.
const char kOutlineScript[] = R"((function (blocks) {
  var MAIN = "%1", PATH = "%2", STYLE = "%3", MOST_FRAMES = %4;
  var CSS = "[" + MAIN + "] { outline: 3px solid #e8590c !important; outline-offset: 2px !important; }\n" +
            "[" + PATH + "] > :not([" + MAIN + "]):not([" + PATH + "]) { opacity: 0.3 !important; }";
  var docs = [document], frameElements = [null];
  var all = document.querySelectorAll("frame, iframe");
  for (var i = 0; i < Math.min(window.frames.length, MOST_FRAMES); ++i) {
    var d = null, element = null;
    try { d = window.frames[i].document; } catch (e) {}
    for (var k = 0; k < all.length; ++k) if (all[k].contentWindow === window.frames[i]) { element = all[k]; break; }
    docs.push(d && d.documentElement ? d : null);
    frameElements.push(element);
  }
  function isOurs(sheet) {
    try { return sheet.cssRules.length > 0 && sheet.cssRules[0].cssText.indexOf("[" + MAIN + "]") == 0; } catch (e) { return false; }
  }
  function unmark(list) {
    for (var k = 0; k < list.length; ++k) { list[k].removeAttribute(MAIN); list[k].removeAttribute(PATH); }
  }
  for (var p = 0; p < docs.length; ++p) {
    if (!docs[p]) continue;
    unmark(docs[p].querySelectorAll("[" + MAIN + "], [" + PATH + "]"));
    var styles = docs[p].querySelectorAll("style[" + STYLE + "]");
    for (var k = 0; k < styles.length; ++k) styles[k].remove();
    try { docs[p].adoptedStyleSheets = docs[p].adoptedStyleSheets.filter(function (s) { return !isOurs(s); }); } catch (e) {}
  }
  function markPath(element) {
    for (var up = element; up && !up.hasAttribute(PATH); up = up.parentElement) up.setAttribute(PATH, "");
  }

  var found = 0, outlined = docs.map(function () { return false; });
  for (var b = 0; b < blocks.length; ++b) {
    var d = docs[blocks[b][0]];
    if (!d) continue;
    var element = null;
    try { element = d.querySelector(blocks[b][1]); } catch (e) { continue; }
    if (!element || element.hasAttribute(MAIN)) continue;
    ++found;
    outlined[blocks[b][0]] = true;
    if (element.parentElement && element.parentElement.closest("[" + MAIN + "]")) continue;  // inside one already
    if (element.hasAttribute(PATH)) unmark(element.querySelectorAll("[" + MAIN + "], [" + PATH + "]"));
    element.removeAttribute(PATH);
    element.setAttribute(MAIN, "");
    if (element.parentElement) markPath(element.parentElement);
  }
  if (!found) return 0;
  for (var p = 0; p < docs.length; ++p) {
    // A frame with main text is not dimmed in its page; a document without any is dimmed whole.
    if (outlined[p] && frameElements[p]) markPath(frameElements[p]);
  }
  for (var p = 0; p < docs.length; ++p) {
    var d = docs[p];
    if (!d) continue;
    if (!outlined[p] && d.body && !d.body.hasAttribute(PATH)) d.body.setAttribute(PATH, "");
    // A sheet adopted from this world is no inline style a page's content security policy forbids;
    // a style element stands in where adopting fails.
    try {
      var sheet = new d.defaultView.CSSStyleSheet();
      sheet.replaceSync(CSS);
      d.adoptedStyleSheets = d.adoptedStyleSheets.concat([sheet]);
      continue;
    } catch (e) {}
    var style = d.createElement("style");
    style.setAttribute(STYLE, "");
    style.textContent = CSS;
    (d.head || d.documentElement).appendChild(style);
  }
  return found;
})(%5))";

}  // namespace

QList<PageBlock> BoundedOutlineBlocks(const QList<PageBlock>& blocks) {
    QList<PageBlock> kept;
    qsizetype chars = 0;
    for (const PageBlock& block : blocks) {
        if (kept.size() >= kMaxOutlineBlocks) break;
        if (block.part < 0 || block.part > kMaxOutlineFrames) continue;
        if (block.selector.isEmpty() || block.selector.size() > kMaxOutlineSelectorChars) continue;
        if (chars + block.selector.size() > kMaxOutlineChars) break;
        chars += block.selector.size();
        kept << block;
    }
    return kept;
}

QString OutlineScript(const QList<PageBlock>& blocks) {
    QJsonArray array;
    for (const PageBlock& block : BoundedOutlineBlocks(blocks)) array.append(QJsonArray{block.part, block.selector});
    // JSON is a JavaScript expression: the selectors reach the script as data, never as code.
    const QString json = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
    return QString::fromLatin1(kOutlineScript)
        .arg(QLatin1String(kOutlineAttribute), QLatin1String(kOutlinePathAttribute),
             QLatin1String(kOutlineStyleAttribute), QString::number(kMaxOutlineFrames), json);
}
