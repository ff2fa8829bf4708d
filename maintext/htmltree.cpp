#include "maintext/htmltree.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace maintext {

const std::array<std::string_view, static_cast<std::size_t>(Tag::kCount)> kTagNames = {
    "",       "a",       "abbr",    "acronym",    "address",  "applet",   "article",  "aside",      "audio",
    "b",      "base",    "big",     "blockquote", "body",     "br",       "button",   "canvas",     "caption",
    "center", "cite",    "code",    "datalist",   "dd",       "del",      "details",  "dfn",        "dialog",
    "dir",    "div",     "dl",      "dt",         "em",       "embed",    "fieldset", "figcaption", "figure",
    "font",   "footer",  "form",    "frame",      "frameset", "h1",       "h2",       "h3",         "h4",
    "h5",     "h6",      "head",    "header",     "hgroup",   "hr",       "html",     "i",          "iframe",
    "img",    "input",   "ins",     "kbd",        "legend",   "li",       "link",     "main",       "map",
    "mark",   "math",    "menu",    "meta",       "nav",      "noscript", "object",   "ol",         "option",
    "p",      "param",   "picture", "pre",        "q",        "rp",       "rt",       "s",          "samp",
    "script", "section", "select",  "small",      "source",   "span",     "strike",   "strong",     "style",
    "sub",    "summary", "sup",     "svg",        "table",    "tbody",    "td",       "template",   "textarea",
    "tfoot",  "th",      "thead",   "time",       "title",    "tr",       "track",    "tt",         "u",
    "ul",     "var",     "video",   "wbr"};

Tag TagOf(std::string_view name) {
    // kTagNames is sorted after its first entry.
    const auto begin = kTagNames.begin() + 1;
    const auto it = std::lower_bound(begin, kTagNames.end(), name);
    return it != kTagNames.end() && *it == name ? static_cast<Tag>(it - kTagNames.begin()) : Tag::kOther;
}

namespace {

constexpr std::array<std::string_view, static_cast<std::size_t>(Attr::kCount)> kAttrNames = {
    "alt", "aria-hidden", "class", "colspan", "content", "hidden", "href",
    "id",  "itemprop",    "name",  "role",    "rowspan", "style",  "type"};

constexpr std::uint8_t kUnkeptAttr = 0xFF;

std::uint8_t attrOf(std::string_view name) {
    const auto it = std::lower_bound(kAttrNames.begin(), kAttrNames.end(), name);
    return it != kAttrNames.end() && *it == name ? static_cast<std::uint8_t>(it - kAttrNames.begin()) : kUnkeptAttr;
}

// The parser hands over element and attribute names from its dictionary, one pointer per distinct
// name, so that a small table of the pointers last seen answers almost every lookup without
// reading the name. A miss, or a name not from the dictionary, is looked up by its text.
template <typename Value>
class PointerCache {
  public:
    template <typename Lookup>
    Value get(const xmlChar* key, const Lookup& lookup) {
        Slot& slot = slots_[(reinterpret_cast<std::uintptr_t>(key) >> 3) % slots_.size()];
        if (slot.key != key) {
            slot.key = key;
            slot.value = lookup(std::string_view(reinterpret_cast<const char*>(key)));
        }
        return slot.value;
    }

  private:
    struct Slot {
        const xmlChar* key = nullptr;
        Value value{};
    };
    std::array<Slot, 509> slots_{};
};

}  // namespace

// Builds an HtmlTree from the parser's events as libxml2's own tree builder (SAX2.c) would link
// its nodes, so that the tree is the one libxml2 gives for the page: an element goes under the open
// element, or, when none is open (markup after "</html>"), under the document's first child when
// that is an element, else at the end of the document; text goes to the open element, joined to its
// last child when that is text of the same kind, and is dropped when no element is open; a text node
// stops growing at the parser's limit (XML_MAX_TEXT_LENGTH), and an element past the parser's depth
// limit stops the parse, as libxml2's builder stops it.
class TreeBuilder {
  public:
    using Index = HtmlTree::Index;

    // `bytes` is the size of the page, about that of its text.
    TreeBuilder(HtmlTree& tree, xmlParserCtxtPtr ctxt, std::size_t bytes) : t_(tree), ctxt_(ctxt) {
        t_.text_.reserve(bytes);
        // Room for a node every 16 bytes of the page, about twice as many as pages have: the
        // memory not used is never touched.
        t_.nodes_.reserve(bytes / 16 + 1);
        t_.names_.assign(kTagNames.begin(), kTagNames.end());
        HtmlTree::Node document;
        document.kind = HtmlTree::Kind::kDocument;
        t_.nodes_.push_back(document);
    }

    static xmlSAXHandler handler() {
        xmlSAXHandler h;
        std::memset(&h, 0, sizeof h);
        h.internalSubset = [](void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
            run(ctx, [](TreeBuilder& b) { b.doctype(); });
        };
        h.startDocument = [](void* ctx) { run(ctx, [](TreeBuilder& b) { b.started_ = true; }); };
        h.startElement = [](void* ctx, const xmlChar* name, const xmlChar** atts) {
            run(ctx, [&](TreeBuilder& b) { b.startElement(name, atts); });
        };
        h.endElement = [](void* ctx, const xmlChar*) {
            run(ctx, [](TreeBuilder& b) {
                if (!b.open_.empty()) b.open_.pop_back();
            });
        };
        h.characters = [](void* ctx, const xmlChar* ch, int len) {
            run(ctx, [&](TreeBuilder& b) { b.text(HtmlTree::Kind::kText, ch, len); });
        };
        h.cdataBlock = [](void* ctx, const xmlChar* ch, int len) {
            run(ctx, [&](TreeBuilder& b) { b.text(HtmlTree::Kind::kCData, ch, len); });
        };
        h.comment = [](void* ctx, const xmlChar*) { run(ctx, [](TreeBuilder& b) { b.other(); }); };
        h.processingInstruction = [](void* ctx, const xmlChar*, const xmlChar*) {
            run(ctx, [](TreeBuilder& b) { b.other(); });
        };
        h.initialized = 1;
        return h;
    }

    bool started() const { return started_; }

    // Rethrows what a callback threw (out of memory), once the parser is done with.
    void rethrow() const {
        if (error_) std::rethrow_exception(error_);
    }

    // Moves the elements the parser left after the root element (the markup after "</html>",
    // another document joined to the page) to the end of the body, or of the root without a body.
    void gatherStrays() {
        auto& nodes = t_.nodes_;
        Index root = nodes[HtmlTree::kDocument].firstChild;
        while (root != HtmlTree::kNone && !t_.isElement(root)) root = nodes[root].next;
        t_.root_ = root;
        if (root == HtmlTree::kNone) return;
        Index into = root;
        for (Index n = nodes[root].firstChild; n != HtmlTree::kNone; n = nodes[n].next) {
            if (t_.isElement(n) && nodes[n].tag == Tag::kBody) {
                into = n;
                break;
            }
        }
        // Only elements stand there: text without an open element is dropped as it comes.
        Index kept = root;
        for (Index n = nodes[root].next; n != HtmlTree::kNone;) {
            const Index next = nodes[n].next;
            if (t_.isElement(n)) {
                nodes[kept].next = next;
                if (nodes[HtmlTree::kDocument].lastChild == n) nodes[HtmlTree::kDocument].lastChild = kept;
                nodes[n].next = HtmlTree::kNone;
                appendChild(into, n);
            } else {
                kept = n;
            }
            n = next;
        }
    }

  private:
    // Runs a callback's work; an exception (out of memory) stops the parse instead of crossing
    // the parser's C frames, and is rethrown once it has returned.
    template <typename Work>
    static void run(void* ctx, const Work& work) {
        auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
        auto& builder = *static_cast<TreeBuilder*>(ctxt->_private);
        if (builder.error_) return;
        try {
            work(builder);
        } catch (...) {
            builder.error_ = std::current_exception();
            xmlStopParser(ctxt);
        }
    }

    Index add(HtmlTree::Kind kind) {
        HtmlTree::Node node;
        node.kind = kind;
        t_.nodes_.push_back(node);
        return static_cast<Index>(t_.nodes_.size() - 1);
    }

    void appendChild(Index parent, Index child) {
        auto& nodes = t_.nodes_;
        nodes[child].parent = parent;
        if (nodes[parent].lastChild == HtmlTree::kNone) {
            nodes[parent].firstChild = child;
        } else {
            nodes[nodes[parent].lastChild].next = child;
        }
        nodes[parent].lastChild = child;
    }

    Index openElement() const { return open_.empty() ? HtmlTree::kNone : open_.back(); }

    // The first doctype goes before everything else in the document; later ones are ignored.
    void doctype() {
        if (!started_ || hasDoctype_) return;
        hasDoctype_ = true;
        const Index n = add(HtmlTree::Kind::kOther);
        auto& document = t_.nodes_[HtmlTree::kDocument];
        t_.nodes_[n].parent = HtmlTree::kDocument;
        t_.nodes_[n].next = document.firstChild;
        document.firstChild = n;
        if (document.lastChild == HtmlTree::kNone) document.lastChild = n;
    }

    // A comment or processing instruction: it ends the text before it.
    void other() {
        if (!started_) return;
        const Index parent = openElement();
        appendChild(parent == HtmlTree::kNone ? HtmlTree::kDocument : parent, add(HtmlTree::Kind::kOther));
    }

    void startElement(const xmlChar* name, const xmlChar** atts) {
        if (!started_ || name == nullptr) return;
        Index parent = openElement();
        const Index n = add(HtmlTree::Kind::kElement);
        const std::uint32_t id = names_.get(name, [this](std::string_view s) { return nameId(s); });
        t_.nodes_[n].name = id;
        t_.nodes_[n].tag = id < static_cast<std::uint32_t>(Tag::kCount) ? static_cast<Tag>(id) : Tag::kOther;
        const bool first = t_.nodes_[HtmlTree::kDocument].firstChild == HtmlTree::kNone;
        if (first) {
            appendChild(HtmlTree::kDocument, n);
        } else if (parent == HtmlTree::kNone) {
            parent = t_.nodes_[HtmlTree::kDocument].firstChild;
        }
        if (open_.size() > xmlParserMaxDepth) {
            if (first)
                t_.nodes_[HtmlTree::kDocument].firstChild = t_.nodes_[HtmlTree::kDocument].lastChild = HtmlTree::kNone;
            t_.nodes_.pop_back();
            xmlStopParser(ctxt_);
            return;
        }
        open_.push_back(n);
        ++t_.elements_;
        if (parent != HtmlTree::kNone) appendChild(t_.isElement(parent) ? parent : t_.nodes_[parent].parent, n);
        if (atts == nullptr) return;
        t_.nodes_[n].begin = static_cast<std::uint32_t>(t_.attrs_.size());
        for (std::size_t i = 0; atts[i] != nullptr; i += 2) {
            const std::uint8_t a = attrs_.get(atts[i], attrOf);
            if (a == kUnkeptAttr) continue;
            const char* value = reinterpret_cast<const char*>(atts[i + 1]);
            const std::size_t size = value == nullptr ? 0 : std::strlen(value);
            t_.attrs_.push_back({static_cast<Attr>(a), static_cast<std::uint32_t>(t_.attrText_.size()),
                                 static_cast<std::uint32_t>(size)});
            t_.attrText_.append(value == nullptr ? "" : value, size);
            ++t_.nodes_[n].attrCount;
        }
    }

    void text(HtmlTree::Kind kind, const xmlChar* ch, int len) {
        const Index parent = openElement();
        if (parent == HtmlTree::kNone || len <= 0) return;
        const auto size = static_cast<std::size_t>(len);
        const char* chars = reinterpret_cast<const char*>(ch);
        const Index last = t_.nodes_[parent].lastChild;
        if (last != HtmlTree::kNone && t_.nodes_[last].kind == kind) {
            HtmlTree::Node& node = t_.nodes_[last];
            if (node.size + size > XML_MAX_TEXT_LENGTH) {
                // libxml2's builder refuses a longer text node and stops the parse as out of memory.
                ctxt_->errNo = XML_ERR_NO_MEMORY;
                ctxt_->instate = XML_PARSER_EOF;
                ctxt_->disableSAX = 1;
                return;
            }
            // The last child's text is the last text written, so it grows in place.
            if (node.begin + node.size != t_.text_.size()) {
                const std::string moved = t_.text_.substr(node.begin, node.size);
                node.begin = static_cast<std::uint32_t>(t_.text_.size());
                t_.text_ += moved;
            }
            t_.text_.append(chars, size);
            node.size += static_cast<std::uint32_t>(size);
            return;
        }
        const Index n = add(kind);
        t_.nodes_[n].begin = static_cast<std::uint32_t>(t_.text_.size());
        t_.nodes_[n].size = static_cast<std::uint32_t>(size);
        t_.text_.append(chars, size);
        appendChild(parent, n);
    }

    // The id of an element named `qualified`: libxml2 names the element by what follows the first
    // colon of its name ("svg:title" is a title), unless the name starts or ends with it.
    std::uint32_t nameId(std::string_view qualified) {
        const std::size_t colon = qualified.find(':');
        const bool split = colon != 0 && colon != std::string_view::npos && colon + 1 < qualified.size();
        const std::string_view name = split ? qualified.substr(colon + 1) : qualified;
        const Tag tag = TagOf(name);
        if (tag != Tag::kOther) return static_cast<std::uint32_t>(tag);
        const auto [it, added] =
            otherNames_.try_emplace(std::string(name), static_cast<std::uint32_t>(t_.names_.size()));
        if (added) t_.names_.emplace_back(name);
        return it->second;
    }

    HtmlTree& t_;
    xmlParserCtxtPtr ctxt_;
    std::vector<Index> open_;  // the elements open, as the parser's own builder stacks them
    bool started_ = false;     // the parser began the document: without it, there is none
    bool hasDoctype_ = false;
    std::exception_ptr error_;
    PointerCache<std::uint32_t> names_;
    PointerCache<std::uint8_t> attrs_;
    std::unordered_map<std::string, std::uint32_t> otherNames_;
};

std::optional<HtmlTree> ParseHtml(std::string_view bytes, const std::string& encoding) {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    struct FreeContext {
        void operator()(xmlParserCtxtPtr c) const { xmlFreeParserCtxt(c); }
    };
    // As htmlReadMemory sets the parser up, with the tree builder's events replaced by ours.
    const std::unique_ptr<xmlParserCtxt, FreeContext> ctxt(
        xmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size())));
    if (!ctxt || ctxt->sax == nullptr) return std::nullopt;
    static const xmlSAXHandler handler = TreeBuilder::handler();
    std::memcpy(ctxt->sax, &handler, sizeof(xmlSAXHandlerV1));
    HtmlTree tree;
    TreeBuilder builder(tree, ctxt.get(), bytes.size());
    ctxt->_private = &builder;
    htmlCtxtUseOptions(ctxt.get(), HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_COMPACT |
                                       HTML_PARSE_IGNORE_ENC | HTML_PARSE_RECOVER);
    ctxt->html = 1;
    if (xmlCharEncodingHandlerPtr converter = xmlFindCharEncodingHandler(encoding.c_str())) {
        xmlSwitchToEncoding(ctxt.get(), converter);
        if (ctxt->input->encoding != nullptr) xmlFree(const_cast<xmlChar*>(ctxt->input->encoding));
        ctxt->input->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>(encoding.c_str()));
    }
    htmlParseDocument(ctxt.get());
    builder.rethrow();
    if (!builder.started()) return std::nullopt;
    builder.gatherStrays();
    return tree;
}

}  // namespace maintext
