#include "maintext/htmltree.h"

#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <vector>

#include "base/cp1251.h"

namespace {

using namespace std::string_literals;
using maintext::Attr;
using maintext::HtmlTree;

constexpr int kOptions = HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_COMPACT |
                         HTML_PARSE_IGNORE_ENC | HTML_PARSE_RECOVER;

constexpr std::pair<Attr, const char*> kKeptAttrs[] = {
    {Attr::kAlt, "alt"},           {Attr::kAriaHidden, "aria-hidden"},
    {Attr::kClass, "class"},       {Attr::kColspan, "colspan"},
    {Attr::kContent, "content"},   {Attr::kHidden, "hidden"},
    {Attr::kHref, "href"},         {Attr::kId, "id"},
    {Attr::kItemprop, "itemprop"}, {Attr::kName, "name"},
    {Attr::kRole, "role"},         {Attr::kRowspan, "rowspan"},
    {Attr::kStyle, "style"},       {Attr::kType, "type"}};

// The reference: libxml2's own tree of the page, with what follows the root element moved to the
// end of the body (or of the root), written as text.
std::string libxmlTree(const std::string& page, const char* encoding) {
    const std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, encoding, kOptions), &xmlFreeDoc);
    if (!doc) return "no document";
    xmlNode* root = xmlDocGetRootElement(doc.get());
    if (root == nullptr) return "";
    xmlNode* into = root;
    for (xmlNode* n = root->children; n != nullptr; n = n->next) {
        if (n->type == XML_ELEMENT_NODE && xmlStrEqual(n->name, BAD_CAST "body")) {
            into = n;
            break;
        }
    }
    for (xmlNode* n = root->next; n != nullptr;) {
        xmlNode* next = n->next;
        if (n->type == XML_ELEMENT_NODE || n->type == XML_TEXT_NODE) {
            xmlUnlinkNode(n);
            xmlAddChild(into, n);
        }
        n = next;
    }
    std::string out;
    auto write = [&](auto& self, const xmlNode* n) -> void {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
            out += n->type == XML_TEXT_NODE ? "T[" : "C[";
            out += reinterpret_cast<const char*>(n->content);
            out += ']';
            return;
        }
        if (n->type != XML_ELEMENT_NODE) {
            out += 'O';
            return;
        }
        out += '<';
        out += reinterpret_cast<const char*>(n->name);
        for (const auto& [attr, name] : kKeptAttrs) {
            for (const xmlAttr* a = n->properties; a != nullptr; a = a->next) {
                if (!xmlStrEqual(a->name, BAD_CAST name)) continue;
                const bool text = a->children != nullptr && a->children->type == XML_TEXT_NODE;
                out += std::string(" ") + name + "=\"" +
                       (text ? reinterpret_cast<const char*>(a->children->content) : "") + '"';
            }
        }
        out += '>';
        for (const xmlNode* c = n->children; c != nullptr; c = c->next) self(self, c);
        out += "</>";
    };
    write(write, root);
    return out;
}

// A tree ParseHtml built, written as libxmlTree writes libxml2's.
std::string written(const std::unique_ptr<HtmlTree>& tree) {
    if (tree->root() == HtmlTree::kNone) return "";
    std::string out;
    auto write = [&](auto& self, HtmlTree::Index n) -> void {
        const HtmlTree::Kind kind = (*tree)[n].kind;
        if (kind == HtmlTree::Kind::kText || kind == HtmlTree::Kind::kCData) {
            out += kind == HtmlTree::Kind::kText ? "T[" : "C[";
            out += tree->text(n);
            out += ']';
            return;
        }
        if (kind != HtmlTree::Kind::kElement) {
            out += 'O';
            return;
        }
        out += '<';
        out += tree->name(n);
        for (const auto& [attr, name] : kKeptAttrs) {
            if (tree->hasAttr(n, attr)) out += std::string(" ") + name + "=\"" + std::string(tree->attr(n, attr)) + '"';
        }
        out += '>';
        for (HtmlTree::Index c = (*tree)[n].firstChild; c != HtmlTree::kNone; c = (*tree)[c].next) self(self, c);
        out += "</>";
    };
    write(write, tree->root());
    return out;
}

// The tree ParseHtml builds, written as libxmlTree writes libxml2's.
std::string flatTree(const std::string& page, const char* encoding) {
    const auto tree = std::make_unique<HtmlTree>();
    if (!maintext::ParseHtml(page, encoding, *tree)) return "no document";
    return written(tree);
}

std::string repeat(const std::string& s, std::size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i) out += s;
    return out;
}

// The tree is libxml2's own for markup it repairs, joins or stops at.
TEST(HtmlTree, IsTheTreeLibxml2Builds) {
    const struct {
        const char* name;
        std::string page;
        const char* encoding;
    } cases[] = {
        {"attributes", "<div CLASS='a b' id=x data-x=1 hidden Style=\"c:d\"><a href='/?a=1&amp;b'>l</a></div>",
         "UTF-8"},
        {"implied elements", "text before <p>para<li>item<td>cell</table> after", "UTF-8"},
        {"text in the head", "<html><head>in head<title>T</title></head><body>b</body></html>", "UTF-8"},
        {"after the end, no doctype", "<html><body><p>a</p></body></html><div>b</div>tail <b>c</b>", "UTF-8"},
        {"after the end, with a doctype", "<!DOCTYPE html><html><body><p>a</p></body></html><div>b</div>tail", "UTF-8"},
        {"a doctype after the end", "<html><body><p>a</p></body></html><!DOCTYPE html><div>b</div>", "UTF-8"},
        {"a comment before the root", "<!-- c --><html><body>a</body></html><p>b</p>", "UTF-8"},
        {"a processing instruction first", "<?xml version='1.0'?><p>a</p></html><p>b</p>", "UTF-8"},
        {"after the body", "<html><body>a</body><div>b</div></html><section>c</section>", "UTF-8"},
        {"documents joined",
         repeat("<!DOCTYPE html><html><head><title>T</title></head><body><p>x</p></body></html>", 3), "UTF-8"},
        {"a second html and body", "<html class=a><body id=b>a<html class=c><body id=d>b</body></html>", "UTF-8"},
        {"text split by entities and comments", "<p>a&amp;b&lt;c&#1105;d<!-- x -->e<?pi?>f&nbsp;g</p>", "UTF-8"},
        {"script, style and JSON-LD",
         "<head><script type=application/ld+json>{\"a\": \"</b>\"}</script><style>p{}</style></head>"
         "<body><script>var x = '<p>no</p>';</script>after</body>",
         "UTF-8"},
        {"misnested markup", "<p><b>bold <i>both</b> italic</i><div><p>a<p>b</div><li>x<li>y<ul><li>z</ul>", "UTF-8"},
        {"unknown and custom elements", "<my-widget data=1><x-y>t</x-y></my-widget><Foo:Bar>u</foo:bar>", "UTF-8"},
        {"prefixed names",
         "<svg:title>t</svg:title><:a>b</:a><c:>d</c:><e:f:g>h</e:f:g><o:p>i</o:p><x:div class=k>j</x:div>", "UTF-8"},
        {"past the depth limit", repeat("<div>t", 300) + "deep" + repeat("</div>", 300) + "after", "UTF-8"},
        {"inline past the depth limit", repeat("<b>", 300) + "deep", "UTF-8"},
        {"a text past the length limit", "<p>" + repeat("word ", 2'100'000) + "</p><p>after</p>", "UTF-8"},
        {"a script past the length limit", "<script>" + repeat("x=1;", 2'600'000) + "</script><p>after</p>", "UTF-8"},
        {"converted from windows-1252", "<p>caf\xE9 \x80 \x93quoted\x94</p>", "windows-1252"},
        {"bytes not UTF-8", "<p>good</p><p>bad \xC0\xC1 bytes</p><p>after</p>", "UTF-8"},
        {"NUL bytes", "<p>a\0b</p><p c=\"d\0e\">f</p>"s, "UTF-8"},
        {"only markup", "<html><head></head><body></body></html>", "UTF-8"},
        {"only blanks", "   \n\t ", "UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string expected = libxmlTree(c.page, c.encoding);
        const std::string actual = flatTree(c.page, c.encoding);
        EXPECT_EQ(actual.size(), expected.size());
        EXPECT_TRUE(actual == expected) << actual.substr(0, 2000) << "\nexpected\n" << expected.substr(0, 2000);
    }
}

// Notes what a TreeObserver is told, as "<name^parent" for an element and "T@parent" for a text.
class Recorder : public maintext::TreeObserver {
  public:
    std::vector<std::string> told;
    bool disordered = false;
    void element(const HtmlTree& tree, HtmlTree::Index n, HtmlTree::Index parent) override {
        told.push_back("<" + std::string(tree.name(n)) + "^" + std::to_string(parent) + "#" + std::to_string(n));
    }
    void text(const HtmlTree& tree, HtmlTree::Index n) override {
        told.push_back("T@" + std::to_string(tree[n].parent) + "#" + std::to_string(n) + ":" +
                       std::string(tree.text(n)));
    }
    void disorder() override { disordered = true; }
};

// The same notes read from the finished tree in document order.
std::vector<std::string> inDocumentOrder(const HtmlTree& tree) {
    std::vector<std::string> out;
    auto walk = [&](auto& self, HtmlTree::Index n) -> void {
        if (tree.isElement(n)) {
            out.push_back("<" + std::string(tree.name(n)) + "^" + std::to_string(tree[n].parent) + "#" +
                          std::to_string(n));
            for (HtmlTree::Index c = tree[n].firstChild; c != HtmlTree::kNone; c = tree[c].next) self(self, c);
        } else if (tree[n].kind == HtmlTree::Kind::kText || tree[n].kind == HtmlTree::Kind::kCData) {
            out.push_back("T@" + std::to_string(tree[n].parent) + "#" + std::to_string(n) + ":" +
                          std::string(tree.text(n)));
        }
    };
    if (tree.root() != HtmlTree::kNone) walk(walk, tree.root());
    return out;
}

// The observer is told every element and text of the finished tree once, in document order and under
// its parent there (markup after the end of the document under the body), small pages and large
// pages (built on a second thread) alike; or it is told that the order cannot be kept.
TEST(HtmlTree, TellsItsNodesInDocumentOrder) {
    const std::string filler = "<p>" + repeat("filler text ", 6000) + "</p>";
    const struct {
        const char* name;
        std::string page;
        bool inOrder;
    } cases[] = {
        {"a page", "<html><head><title>T</title></head><body><p>a<b>b</b>c</p><!-- x -->d</body></html>", true},
        {"texts joined", "<p>a&amp;b<!DOCTYPE html>c<br>d<script>e</script></p>", true},
        {"after the end, no doctype", "<html><body><p>a</p></body></html><div>b</div>c", true},
        {"after the end, with a doctype",
         "<!DOCTYPE html><html><body><p>a</p></body></html><div>b<i>c</i></div><p>d</p>", true},
        {"documents joined", repeat("<!DOCTYPE html><html><body><p>x</p></body></html>", 5), true},
        {"an element after the body, then more after the end",
         "<!DOCTYPE html><html><body><p>a</p></body><div>b</div></html><p>c</p>", false},
    };
    for (const auto& c : cases) {
        for (const bool large : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (large ? ", large" : ""));
            const std::string page = large ? c.page + filler : c.page;
            ASSERT_EQ(page.size() >= maintext::kTreeThreadBytes, large);
            HtmlTree tree;
            Recorder recorder;
            ASSERT_TRUE(maintext::ParseHtml(page, "UTF-8", tree, &recorder));
            EXPECT_EQ(recorder.disordered, !c.inOrder);
            if (c.inOrder) {
                EXPECT_EQ(recorder.told, inDocumentOrder(tree));
            }
        }
    }
}

TEST(HtmlTree, NoBytesGiveNoDocument) {
    HtmlTree tree;
    EXPECT_FALSE(maintext::ParseHtml("", "UTF-8", tree));
}

// The table of known names is searched by halves: each name must be found.
TEST(HtmlTree, EveryKnownNameIsFound) {
    for (std::size_t i = 1; i < maintext::kTagNames.size(); ++i) {
        EXPECT_EQ(maintext::TagOf(maintext::kTagNames[i]), static_cast<maintext::Tag>(i)) << maintext::kTagNames[i];
    }
    EXPECT_EQ(maintext::TagOf("my-widget"), maintext::Tag::kOther);
    EXPECT_EQ(maintext::TagOf(""), maintext::Tag::kOther);
}

// The parser's UTF-8 of a Windows-1251 text is cp1251::toUtf8's, byte for byte: every byte on
// its own, at every place among runs of ASCII read eight at a time, and at the ends.
TEST(HtmlTree, Windows1251IsMadeUtf8AsTheTablesMakeIt) {
    std::string everyByte;
    for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
    std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"ASCII shorter than eight", "<p>abc"},
        {"ASCII of eight and more", "<p>abcdefgh</p>\r\n"},
        {"every byte in a row", everyByte},
        {"Cyrillic between ASCII", "<p>\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!</p> \x98 \xB9 \x88"},
    };
    for (int b = 128; b < 256; ++b) {
        for (std::size_t at = 0; at <= 9; ++at) {
            std::string text(at, 'a');
            text += static_cast<char>(b);
            text += std::string(9 - at, 'z');
            cases.push_back({"byte " + std::to_string(b) + " at " + std::to_string(at), text});
        }
    }
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(maintext::Utf8FromWindows1251(text).view(), cp1251::toUtf8(text));
    }
}

// A Windows-1251 page made UTF-8 is read without libxml2's converter to the tree it reads with it,
// a page whose first bytes look like another encoding's mark included.
TEST(HtmlTree, AConvertedPageGivesTheTreeOfItsUtf8) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Cyrillic", "<html><body><p class=\xF2>\xCF\xF0\xE8\xE2\xE5\xF2 \x98 \xB9</p></body></html>"},
        {"an XML declaration first", "<?xml version='1.0'?><p>\xE4\xE0</p>"},
        {"a UTF-16 mark", "<\0?\0<p>a</p>"s},
        {"a UCS-4 mark", "\0\0\0<p>a</p>"s},
        {"NUL bytes inside", "<p>a\0b</p><p c=\"d\0e\">f</p>"s},
        {"shorter than a mark", "<p"},
        {"after the end", "<html><body><p>a</p></body></html><div>\xE1</div>"},
        {"large", "<div>" + repeat("<p>\xD2\xE5\xEA\xF1\xF2 <b>\xE6\xE8\xF0\xED\xFB\xE9</b>.</p>", 8000) + "</div>"},
    };
    for (const auto& [name, page] : cases) {
        SCOPED_TRACE(name);
        const auto tree = std::make_unique<HtmlTree>();
        ASSERT_TRUE(maintext::ParseHtml(maintext::Utf8FromWindows1251(page), *tree));
        EXPECT_EQ(written(tree), flatTree(cp1251::toUtf8(page), "UTF-8"));
    }
    const auto tree = std::make_unique<HtmlTree>();
    EXPECT_FALSE(maintext::ParseHtml(maintext::Utf8FromWindows1251(""), *tree));
}

}  // namespace
