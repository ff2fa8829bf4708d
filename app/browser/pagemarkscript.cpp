#include "app/browser/pagemarkscript.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The documents it works in, their marks, and the word cutting, shared by both scripts.
const char kCommon[] = R"(
  var ATTR = "data-sumoran-mark";
  function documents(d, out) {
    out.push(d);
    var frames = d.querySelectorAll("frame, iframe");
    for (var i = 0; i < frames.length; ++i) {
      try {
        var inner = frames[i].contentDocument;
        if (inner && inner.documentElement) documents(inner, out);
      } catch (e) {}
    }
    return out;
  }
  function firstMarks(docs) {
    var out = [];
    for (var i = 0; i < docs.length; ++i) {
      var found = docs[i].querySelectorAll("[" + ATTR + "-first]");
      for (var k = 0; k < found.length; ++k) out.push(found[k]);
    }
    return out;
  }
)";

// Takes the old marks out and, for groups, prepares a marking that kMarkStepScript carries out a
// part at a time; the marking lives in the isolated world's window until the next one replaces it.
const char kMarkStartScript[] = R"((function (groups) {
  %1
  var DELIMITERS = " !\"&'(),./:;<>?[]{}\u00AB\u00BB\u201C\u201D";
  var ABBREVIATIONS = [" т.д.", " т.ч.", " т.к.", " т.е.", " т.п."];
  function isSpace(c) { return c <= " " || c == "\u00A0"; }
  function isDelimiter(c) { return isSpace(c) || DELIMITERS.indexOf(c) >= 0; }
  function isDash(c) { return c == "-" || c == "\u2013"; }
  function smallOrDigit(c) { return (c >= "0" && c <= "9") || (c >= "a" && c <= "z"); }
  // Outside its text a word has a tag on either side.
  function at(s, k) { return k < 0 ? ">" : k >= s.length ? "<" : (isSpace(s[k]) ? " " : s[k]); }
  function skipsPeriod(s, i) {
    var five = at(s, i - 2) + at(s, i - 1) + "." + at(s, i + 1) + at(s, i + 2);
    if (ABBREVIATIONS.indexOf(five) >= 0 && i + 3 <= s.length) return i + 3;
    if (at(s, i - 3) + at(s, i - 2) + at(s, i - 1) + "." == " др.") return i + 1;
    if (smallOrDigit(at(s, i - 1)) && smallOrDigit(at(s, i + 1))) return i + 1;
    return -1;
  }
  // The words of one text, each with whether a phrase break stands before it.
  function words(s) {
    var out = [], w = 0, broken = true, i = 0;
    function word(end) { out.push({ start: w, end: end, broken: broken }); broken = false; }
    while (i <= s.length) {
      var c = i < s.length ? s[i] : " ";
      if (i < s.length && isDash(c)) {
        if (at(s, i - 1) == " " || at(s, i + 1) == " ") {
          if (w < i) word(i);
          broken = true;
          w = i + 1;
        }
        ++i;
        continue;
      }
      if (i < s.length && c == "." ) {
        var next = skipsPeriod(s, i);
        if (next >= 0) { i = next; continue; }
      }
      if (i == s.length || isDelimiter(c)) {
        var breaks = i < s.length && !isSpace(c);
        if (w < i) { word(i); if (breaks) broken = true; }
        w = i + 1;
      }
      ++i;
    }
    return out;
  }

  // Each mark goes back to its text, and each parent joins its texts once when all its marks are
  // out: joining after every mark made taking out many marks take quadratic time.
  window.sumoranMarking = null;
  var docs = documents(document, []);
  for (var d = 0; d < docs.length; ++d) {
    var old = docs[d].querySelectorAll("[" + ATTR + "]"), parents = new Set();
    for (var k = 0; k < old.length; ++k) {
      parents.add(old[k].parentNode);
      old[k].parentNode.replaceChild(docs[d].createTextNode(old[k].textContent), old[k]);
    }
    parents.forEach(function (parent) { parent.normalize(); });
  }
  window.sumoranCurrent = -1;
  if (!groups.length) return 0;

  // Each form as its words, the forms by their first word.
  var byFirst = new Map();
  for (var g = 0; g < groups.length; ++g) {
    for (var f = 0; f < groups[g].forms.length; ++f) {
      var parts = groups[g].forms[f].split(" ");
      if (!byFirst.has(parts[0])) byFirst.set(parts[0], []);
      byFirst.get(parts[0]).push({ parts: parts, group: g });
    }
  }
  var SKIP = { SCRIPT: 1, STYLE: 1, HEAD: 1, TEMPLATE: 1, APPLET: 1 };
  var texts = [];
  for (var d = 0; d < docs.length; ++d) {
    var doc = docs[d];
    if (!doc.body) continue;
    var walker = doc.createTreeWalker(doc.body, NodeFilter.SHOW_TEXT, {
      acceptNode: function (n) {
        for (var p = n.parentNode; p; p = p.parentNode) if (SKIP[p.nodeName]) return NodeFilter.FILTER_REJECT;
        return NodeFilter.FILTER_ACCEPT;
      }
    });
    for (var n = walker.nextNode(); n; n = walker.nextNode()) texts.push(n);
  }

  // Marks the forms in one text node and returns how many occurrences it marked.
  function markText(node) {
    var doc = node.ownerDocument, s = node.data, ws = words(s), spans = [], count = 0;
    for (var k = 0; k < ws.length; ++k) {
      var candidates = byFirst.get(s.substring(ws[k].start, ws[k].end));
      if (!candidates) continue;
      for (var c = 0; c < candidates.length; ++c) {
        var parts = candidates[c].parts, ok = k + parts.length <= ws.length;
        for (var m = 1; ok && m < parts.length; ++m)
          ok = !ws[k + m].broken && s.substring(ws[k + m].start, ws[k + m].end) == parts[m];
        if (!ok) continue;
        ++count;
        for (var m = 0; m < parts.length; ++m)
          spans.push({ start: ws[k + m].start, end: ws[k + m].end, group: candidates[c].group, first: m == 0 });
      }
    }
    if (!spans.length || !node.parentNode) return 0;
    // A word of several found forms is wrapped once, in the colour of the first.
    spans.sort(function (a, b) { return a.start - b.start || (b.first ? 1 : 0) - (a.first ? 1 : 0); });
    var frag = doc.createDocumentFragment(), pos = 0;
    for (var k = 0; k < spans.length; ++k) {
      var sp = spans[k];
      if (sp.start < pos) {
        if (sp.first && frag.lastChild && frag.lastChild.setAttribute) frag.lastChild.setAttribute(ATTR + "-first", "");
        continue;
      }
      if (sp.start > pos) frag.appendChild(doc.createTextNode(s.substring(pos, sp.start)));
      var mark = doc.createElement("span");
      mark.setAttribute(ATTR, String(sp.group));
      if (sp.first) mark.setAttribute(ATTR + "-first", "");
      mark.style.setProperty("background-color", groups[sp.group].color, "important");
      mark.style.setProperty("color", "black", "important");
      mark.textContent = s.substring(sp.start, sp.end);
      frag.appendChild(mark);
      pos = sp.end;
    }
    if (pos < s.length) frag.appendChild(doc.createTextNode(s.substring(pos)));
    node.parentNode.replaceChild(frag, node);
    return count;
  }
  window.sumoranMarking = { texts: texts, next: 0, count: 0, markText: markText };
  return texts.length;
})(%2))";

// Marks the next texts of the prepared marking, at most `most` of them and for about `budget`
// milliseconds, so that the page keeps answering between parts; returns [occurrences marked so
// far, texts done, texts in all], or null when no marking is prepared (another one replaced it, or
// the page changed).
const char kMarkStepScript[] = R"((function (budget, most) {
  var marking = window.sumoranMarking;
  if (!marking) return null;
  var until = performance.now() + budget, end = Math.min(marking.texts.length, marking.next + most);
  while (marking.next < end) {
    marking.count += marking.markText(marking.texts[marking.next++]);
    if (performance.now() >= until) break;
  }
  var state = [marking.count, marking.next, marking.texts.length];
  if (marking.next >= marking.texts.length) window.sumoranMarking = null;
  return state;
})(%1, %2))";

const char kShowMarkScript[] = R"((function (step) {
  %1
  var marks = firstMarks(documents(document, []));
  if (!marks.length) return 0;
  var current = typeof window.sumoranCurrent == "number" ? window.sumoranCurrent : -1;
  if (current >= 0 && current < marks.length) marks[current].style.removeProperty("outline");
  current = current < 0 ? (step > 0 ? 0 : marks.length - 1) : (current + (step > 0 ? 1 : -1) + marks.length) % marks.length;
  window.sumoranCurrent = current;
  marks[current].style.setProperty("outline", "2px solid red", "important");
  marks[current].scrollIntoView({ block: "center", inline: "nearest" });
  return current + 1;
})(%2))";

}  // namespace

QString MarkScript(const QList<MarkGroup>& groups) {
    QJsonArray array;
    for (const MarkGroup& g : groups) {
        QJsonObject object;
        object.insert(QStringLiteral("forms"), QJsonArray::fromStringList(g.forms));
        object.insert(QStringLiteral("color"), g.color);
        array.append(object);
    }
    // JSON is a JavaScript expression: the forms reach the script as data, never as code.
    const QString json = QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
    return QString::fromUtf8(kMarkStartScript).arg(QString::fromLatin1(kCommon), json);
}

QString MarkStepScript(int budgetMs, int mostTexts) {
    return QString::fromLatin1(kMarkStepScript).arg(budgetMs).arg(mostTexts);
}

QString ShowMarkScript(int step) {
    return QString::fromLatin1(kShowMarkScript).arg(QString::fromLatin1(kCommon), QString::number(step > 0 ? 1 : -1));
}
