#include "maintext/htmltree.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "base/cp1251.h"

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

// The parser's events as records in blocks of bytes, passed from the parser to the tree builder.
enum class Event : std::uint8_t { kDoctype, kName, kStart, kEnd, kText, kCData, kOther };

struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    std::size_t capacity = 0;
};

// The usual size of a block: the builder follows the parser a block behind.
constexpr std::size_t kBlockBytes = std::size_t{64} << 10;

// The blocks of events on their way from the parser to the builder, which may run on two threads.
class EventQueue {
  public:
    void push(Block block) {
        {
            const std::lock_guard lock(mutex_);
            blocks_.push_back(std::move(block));
        }
        ready_.notify_one();
    }
    // No block follows.
    void close() {
        {
            const std::lock_guard lock(mutex_);
            closed_ = true;
        }
        ready_.notify_one();
    }
    // Waits for the next block; false once the queue is closed and empty.
    bool pop(Block& block) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return !blocks_.empty() || closed_; });
        if (blocks_.empty()) return false;
        block = std::move(blocks_.front());
        blocks_.pop_front();
        return true;
    }
    // The builder gave up (out of memory): the parser may stop.
    void abandon() { abandoned_.store(true, std::memory_order_relaxed); }
    bool abandoned() const { return abandoned_.load(std::memory_order_relaxed); }

  private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Block> blocks_;
    bool closed_ = false;
    std::atomic<bool> abandoned_{false};
};

// Writes the parser's events as records, keeping the two bounds libxml2's own tree builder (SAX2.c)
// keeps, since they stop the parse: an element past the depth limit stops it, and so does a text
// node grown past XML_MAX_TEXT_LENGTH (the part that would pass it is left out). Text goes to the
// open element and joins its last child when that is text of the same kind, so the writer follows
// the open elements and the kind and length of that last child.
class EventWriter {
  public:
    EventWriter(xmlParserCtxtPtr ctxt, EventQueue& queue) : ctxt_(ctxt), queue_(queue) {}

    static xmlSAXHandler handler() {
        xmlSAXHandler h;
        std::memset(&h, 0, sizeof h);
        h.internalSubset = [](void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
            run(ctx, [](EventWriter& w) {
                if (w.started_) w.record(Event::kDoctype, 0);
            });
        };
        h.startDocument = [](void* ctx) { run(ctx, [](EventWriter& w) { w.started_ = true; }); };
        h.startElement = [](void* ctx, const xmlChar* name, const xmlChar** atts) {
            run(ctx, [&](EventWriter& w) { w.startElement(name, atts); });
        };
        h.endElement = [](void* ctx, const xmlChar*) { run(ctx, [](EventWriter& w) { w.endElement(); }); };
        h.characters = [](void* ctx, const xmlChar* ch, int len) {
            run(ctx, [&](EventWriter& w) { w.text(Event::kText, ch, len); });
        };
        h.cdataBlock = [](void* ctx, const xmlChar* ch, int len) {
            run(ctx, [&](EventWriter& w) { w.text(Event::kCData, ch, len); });
        };
        h.comment = [](void* ctx, const xmlChar*) { run(ctx, [](EventWriter& w) { w.other(); }); };
        h.processingInstruction = [](void* ctx, const xmlChar*, const xmlChar*) {
            run(ctx, [](EventWriter& w) { w.other(); });
        };
        h.initialized = 1;
        return h;
    }

    bool started() const { return started_; }

    // Hands over the last block.
    void finish() {
        if (error_ || block_.size == 0) return;
        try {
            queue_.push(std::move(block_));
        } catch (...) {
            error_ = std::current_exception();
        }
    }

    // Rethrows what a callback threw (out of memory), once the parser is done with.
    void rethrow() const {
        if (error_) std::rethrow_exception(error_);
    }

  private:
    // Runs a callback's work; an exception (out of memory) stops the parse instead of crossing
    // the parser's C frames. The parse stops as well once the builder has given up.
    template <typename Work>
    static void run(void* ctx, const Work& work) {
        auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
        auto& writer = *static_cast<EventWriter*>(ctxt->_private);
        if (writer.error_) return;
        try {
            work(writer);
        } catch (...) {
            writer.error_ = std::current_exception();
        }
        if (writer.error_ || writer.queue_.abandoned()) xmlStopParser(ctxt);
    }

    // Starts a record of `event` with room for `bytes` more, handing over the block when full.
    char* record(Event event, std::size_t bytes) {
        if (block_.size + 1 + bytes > block_.capacity) {
            if (block_.size > 0) queue_.push(std::move(block_));
            block_ = {};
            block_.capacity = std::max(kBlockBytes, 1 + bytes);
            block_.bytes = std::make_unique_for_overwrite<char[]>(block_.capacity);
        }
        char* at = block_.bytes.get() + block_.size;
        *at = static_cast<char>(event);
        block_.size += 1 + bytes;
        return at + 1;
    }

    template <typename T>
    static char* put(char* at, T value) {
        std::memcpy(at, &value, sizeof value);
        return at + sizeof value;
    }

    void startElement(const xmlChar* name, const xmlChar** atts) {
        if (!started_ || name == nullptr) return;
        if (open_ > xmlParserMaxDepth) {
            xmlStopParser(ctxt_);
            return;
        }
        ++open_;
        lastText_ = Event::kEnd;
        const std::uint32_t id = names_.get(name, [this](std::string_view s) { return nameId(s); });
        // The attributes kept and their bytes.
        std::uint16_t count = 0;
        std::size_t bytes = sizeof id + sizeof count;
        for (std::size_t i = 0; atts != nullptr && atts[i] != nullptr; i += 2) {
            if (attrs_.get(atts[i], attrOf) == kUnkeptAttr) continue;
            const char* value = reinterpret_cast<const char*>(atts[i + 1]);
            bytes += 1 + sizeof(std::uint32_t) + (value == nullptr ? 0 : std::strlen(value));
            ++count;
        }
        char* at = record(Event::kStart, bytes);
        at = put(at, id);
        at = put(at, count);
        for (std::size_t i = 0; count > 0 && atts[i] != nullptr; i += 2) {
            const std::uint8_t a = attrs_.get(atts[i], attrOf);
            if (a == kUnkeptAttr) continue;
            const char* value = reinterpret_cast<const char*>(atts[i + 1]);
            const auto size = static_cast<std::uint32_t>(value == nullptr ? 0 : std::strlen(value));
            at = put(at, a);
            at = put(at, size);
            if (size > 0) std::memcpy(at, value, size);
            at += size;
        }
    }

    void endElement() {
        if (open_ == 0) return;
        --open_;
        lastText_ = Event::kEnd;
        record(Event::kEnd, 0);
    }

    void text(Event kind, const xmlChar* ch, int len) {
        if (open_ == 0 || len <= 0) return;
        const auto size = static_cast<std::size_t>(len);
        if (lastText_ == kind) {
            // libxml2's builder refuses a longer text node and stops the parse as out of memory.
            if (lastTextSize_ + size > XML_MAX_TEXT_LENGTH) {
                ctxt_->errNo = XML_ERR_NO_MEMORY;
                ctxt_->instate = XML_PARSER_EOF;
                ctxt_->disableSAX = 1;
                return;
            }
            lastTextSize_ += size;
        } else {
            lastText_ = kind;
            lastTextSize_ = size;
        }
        char* at = record(kind, sizeof(std::uint32_t) + size);
        at = put(at, static_cast<std::uint32_t>(size));
        std::memcpy(at, ch, size);
    }

    // A comment or processing instruction: it ends the text before it.
    void other() {
        if (!started_) return;
        lastText_ = Event::kEnd;
        record(Event::kOther, 0);
    }

    // The id of an element named `qualified`: libxml2 names the element by what follows the first
    // colon of its name ("svg:title" is a title), unless the name starts or ends with it. A name
    // met for the first time is recorded for the builder.
    std::uint32_t nameId(std::string_view qualified) {
        const std::size_t colon = qualified.find(':');
        const bool split = colon != 0 && colon != std::string_view::npos && colon + 1 < qualified.size();
        const std::string_view name = split ? qualified.substr(colon + 1) : qualified;
        const Tag tag = TagOf(name);
        if (tag != Tag::kOther) return static_cast<std::uint32_t>(tag);
        const auto [it, added] = otherNames_.try_emplace(
            std::string(name), static_cast<std::uint32_t>(static_cast<std::size_t>(Tag::kCount) + otherNames_.size()));
        if (added) {
            char* at = record(Event::kName, sizeof(std::uint32_t) + name.size());
            at = put(at, static_cast<std::uint32_t>(name.size()));
            std::memcpy(at, name.data(), name.size());
        }
        return it->second;
    }

    xmlParserCtxtPtr ctxt_;
    EventQueue& queue_;
    Block block_;
    bool started_ = false;          // the parser began the document: without it, there is none
    std::size_t open_ = 0;          // the elements open in the tree
    Event lastText_ = Event::kEnd;  // the kind of the open element's last child when text, else kEnd
    std::size_t lastTextSize_ = 0;  // and its bytes
    std::exception_ptr error_;
    PointerCache<std::uint32_t> names_;
    PointerCache<std::uint8_t> attrs_;
    std::unordered_map<std::string, std::uint32_t> otherNames_;
};

}  // namespace

// Builds an HtmlTree from the recorded events as libxml2's own tree builder (SAX2.c) would link
// its nodes, so that the tree is the one libxml2 gives for the page: an element goes under the open
// element, or, when none is open (markup after "</html>"), under the document's first child when
// that is an element, else at the end of the document; text goes to the open element, joined to its
// last child when that is text of the same kind; a doctype goes first in the document.
class TreeBuilder {
  public:
    using Index = HtmlTree::Index;

    // `bytes` is the size of the page, about that of its text.
    TreeBuilder(HtmlTree& tree, std::size_t bytes, TreeObserver* observer) : t_(tree), observer_(observer) {
        t_.text_.reserve(bytes);
        // Room for a node every 16 bytes of the page, about twice as many as pages have: the
        // memory not used is never touched.
        t_.nodes_.reserve(bytes / 16 + 1);
        t_.names_.assign(kTagNames.begin(), kTagNames.end());
        HtmlTree::Node document;
        document.kind = HtmlTree::Kind::kDocument;
        t_.nodes_.push_back(document);
    }

    // Builds on with the events of `block`.
    void read(const Block& block) {
        const char* at = block.bytes.get();
        const char* const end = at + block.size;
        while (at < end) {
            const auto event = static_cast<Event>(*at++);
            switch (event) {
                case Event::kDoctype:
                    doctype();
                    break;
                case Event::kName: {
                    const auto size = get<std::uint32_t>(at);
                    t_.names_.emplace_back(at, size);
                    at += size;
                    break;
                }
                case Event::kStart:
                    at = startElement(at);
                    break;
                case Event::kEnd:
                    tellText();
                    if (!open_.empty()) open_.pop_back();
                    break;
                case Event::kText:
                case Event::kCData: {
                    const auto size = get<std::uint32_t>(at);
                    text(event == Event::kText ? HtmlTree::Kind::kText : HtmlTree::Kind::kCData,
                         std::string_view(at, size));
                    at += size;
                    break;
                }
                case Event::kOther:
                    tellText();
                    other();
                    break;
            }
        }
    }

    // Ends the tree: the last text is told, and the elements the parser left after the root
    // element (the markup after "</html>", another document joined to the page) move to the end of
    // the body, or of the root without a body.
    void finish() {
        tellText();
        auto& nodes = t_.nodes_;
        const Index root = rootElement();
        t_.root_ = root;
        if (root == HtmlTree::kNone) return;
        const Index into = strayParent();
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
    template <typename T>
    static T get(const char*& at) {
        T value;
        std::memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
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

    Index rootElement() const {
        Index root = t_.nodes_[HtmlTree::kDocument].firstChild;
        while (root != HtmlTree::kNone && !t_.isElement(root)) root = t_.nodes_[root].next;
        return root;
    }

    // Where the elements after the root go: the root's first body, or the root.
    Index strayParent() const {
        const Index root = rootElement();
        for (Index n = t_.nodes_[root].firstChild; n != HtmlTree::kNone; n = t_.nodes_[n].next) {
            if (t_.isElement(n) && t_.nodes_[n].tag == Tag::kBody) return n;
        }
        return root;
    }

    // Tells the observer of the text that was growing, now that nothing more joins it.
    void tellText() {
        if (growing_ == HtmlTree::kNone) return;
        if (observer_ != nullptr) observer_->text(t_, growing_);
        growing_ = HtmlTree::kNone;
    }

    // The first doctype goes before everything else in the document; later ones are ignored.
    void doctype() {
        if (hasDoctype_) return;
        hasDoctype_ = true;
        const Index n = add(HtmlTree::Kind::kOther);
        auto& document = t_.nodes_[HtmlTree::kDocument];
        t_.nodes_[n].parent = HtmlTree::kDocument;
        t_.nodes_[n].next = document.firstChild;
        document.firstChild = n;
        if (document.lastChild == HtmlTree::kNone) document.lastChild = n;
    }

    void other() {
        const Index parent = openElement();
        appendChild(parent == HtmlTree::kNone ? HtmlTree::kDocument : parent, add(HtmlTree::Kind::kOther));
    }

    const char* startElement(const char* at) {
        tellText();
        const auto id = get<std::uint32_t>(at);
        const auto count = get<std::uint16_t>(at);
        Index parent = openElement();
        const Index n = add(HtmlTree::Kind::kElement);
        t_.nodes_[n].name = id;
        t_.nodes_[n].tag = id < static_cast<std::uint32_t>(Tag::kCount) ? static_cast<Tag>(id) : Tag::kOther;
        if (t_.nodes_[HtmlTree::kDocument].firstChild == HtmlTree::kNone) {
            appendChild(HtmlTree::kDocument, n);
        } else if (parent == HtmlTree::kNone) {
            parent = t_.nodes_[HtmlTree::kDocument].firstChild;
        }
        open_.push_back(n);
        ++t_.elements_;
        if (parent != HtmlTree::kNone) appendChild(t_.isElement(parent) ? parent : t_.nodes_[parent].parent, n);
        t_.nodes_[n].begin = static_cast<std::uint32_t>(t_.attrs_.size());
        t_.nodes_[n].attrCount = count;
        for (std::uint16_t k = 0; k < count; ++k) {
            const auto a = get<std::uint8_t>(at);
            const auto size = get<std::uint32_t>(at);
            t_.attrs_.push_back({static_cast<Attr>(a), static_cast<std::uint32_t>(t_.attrText_.size()), size});
            t_.attrText_.append(at, size);
            at += size;
        }
        if (observer_ != nullptr) tellElement(n);
        return at;
    }

    // Tells the observer of element `n` under the node it stands under in the finished tree. An
    // element after the root goes to the end of the body: told now, in document order, only when
    // no element of the root follows the body. The root is closed by then: where the elements after
    // it go is looked for once.
    void tellElement(Index n) {
        const Index parent = t_.nodes_[n].parent;
        if (parent != HtmlTree::kDocument) {
            observer_->element(t_, n, parent);
            return;
        }
        if (strayInto_ == HtmlTree::kNone) {
            if (rootElement() == n) {
                observer_->element(t_, n, HtmlTree::kDocument);
                return;
            }
            strayInto_ = strayParent();
            for (Index s = t_.nodes_[strayInto_].next; strayInto_ != rootElement() && s != HtmlTree::kNone;
                 s = t_.nodes_[s].next) {
                if (t_.isElement(s)) {
                    observer_->disorder();
                    observer_ = nullptr;
                    return;
                }
            }
        }
        observer_->element(t_, n, strayInto_);
    }

    void text(HtmlTree::Kind kind, std::string_view chars) {
        const Index parent = openElement();
        if (parent == HtmlTree::kNone) return;
        const Index last = t_.nodes_[parent].lastChild;
        if (last != HtmlTree::kNone && t_.nodes_[last].kind == kind) {
            HtmlTree::Node& node = t_.nodes_[last];
            // The last child's text is the last text written, so it grows in place.
            if (node.begin + node.size != t_.text_.size()) {
                const std::string moved = t_.text_.substr(node.begin, node.size);
                node.begin = static_cast<std::uint32_t>(t_.text_.size());
                t_.text_ += moved;
            }
            t_.text_.append(chars);
            node.size += static_cast<std::uint32_t>(chars.size());
            return;
        }
        tellText();
        const Index n = add(kind);
        t_.nodes_[n].begin = static_cast<std::uint32_t>(t_.text_.size());
        t_.nodes_[n].size = static_cast<std::uint32_t>(chars.size());
        t_.text_.append(chars);
        appendChild(parent, n);
        growing_ = n;
    }

    HtmlTree& t_;
    TreeObserver* observer_;
    std::vector<Index> open_;  // the elements open, as the parser's own builder stacks them
    bool hasDoctype_ = false;
    Index growing_ = HtmlTree::kNone;    // the text node that may still grow
    Index strayInto_ = HtmlTree::kNone;  // where the elements after the root go, once one comes
};

namespace {

// Whether the eight bytes at `p` are ASCII.
bool eightAscii(const char* p) {
    std::uint64_t eight;
    std::memcpy(&eight, p, 8);
    return (eight & 0x8080808080808080u) == 0;
}

}  // namespace

Utf8FromWindows1251::Utf8FromWindows1251(std::string_view text) {
    // The UTF-8 of each byte, padded to four bytes, its length last.
    static const std::array<std::array<char, 4>, 256> kUtf8 = [] {
        std::array<std::array<char, 4>, 256> table{};
        for (int b = 0; b < 256; ++b) {
            const std::string utf8 = cp1251::toUtf8(std::string(1, static_cast<char>(b)));
            std::memcpy(table[b].data(), utf8.data(), utf8.size());
            table[b][3] = static_cast<char>(utf8.size());
        }
        return table;
    }();
    const std::size_t n = text.size();
    // The size is counted first, so that the buffer is the text's size and the allocator reuses
    // it as it reused a string of that size.
    std::size_t size = 0;
    for (std::size_t i = 0; i < n;) {
        if (i + 8 <= n && eightAscii(text.data() + i)) {
            i += 8;
            size += 8;
            continue;
        }
        size += static_cast<std::size_t>(kUtf8[static_cast<unsigned char>(text[i++])][3]);
    }
    // Room for the last character's four bytes.
    bytes_ = std::make_unique_for_overwrite<char[]>(size + 4);
    char* out = bytes_.get();
    for (std::size_t i = 0; i < n;) {
        if (i + 8 <= n && eightAscii(text.data() + i)) {
            std::memcpy(out + size_, text.data() + i, 8);
            i += 8;
            size_ += 8;
            continue;
        }
        const std::array<char, 4>& utf8 = kUtf8[static_cast<unsigned char>(text[i++])];
        std::memcpy(out + size_, utf8.data(), 4);
        size_ += static_cast<std::size_t>(utf8[3]);
    }
}

namespace {

// Parses `bytes` in `encoding`, or as UTF-8 the parser needs not convert when `encoding` is empty.
bool parse(std::string_view bytes, const std::string& encoding, HtmlTree& tree, TreeObserver* observer) {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return false;
    struct FreeContext {
        void operator()(xmlParserCtxtPtr c) const { xmlFreeParserCtxt(c); }
    };
    // As htmlReadMemory sets the parser up, with the tree builder's events replaced by ours.
    const std::unique_ptr<xmlParserCtxt, FreeContext> ctxt(
        xmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size())));
    if (!ctxt || ctxt->sax == nullptr) return false;
    static const xmlSAXHandler handler = EventWriter::handler();
    std::memcpy(ctxt->sax, &handler, sizeof(xmlSAXHandlerV1));
    EventQueue queue;
    EventWriter writer(ctxt.get(), queue);
    ctxt->_private = &writer;

    TreeBuilder builder(tree, bytes.size(), observer);
    std::exception_ptr builderError;
    auto build = [&] {
        Block block;
        try {
            while (queue.pop(block)) builder.read(block);
            builder.finish();
        } catch (...) {
            builderError = std::current_exception();
            queue.abandon();
            while (queue.pop(block)) {
            }
        }
    };
    std::thread beside;
    if (bytes.size() >= kTreeThreadBytes) {
        try {
            beside = std::thread(build);
        } catch (const std::system_error&) {
            // No thread to be had: the tree is built after the parse.
        }
    }
    // However the parse ends, the builder is told that no block follows and waited for.
    struct Join {
        EventQueue& queue;
        std::thread& beside;
        ~Join() {
            queue.close();
            if (beside.joinable()) beside.join();
        }
    } join{queue, beside};

    htmlCtxtUseOptions(ctxt.get(), HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_COMPACT |
                                       HTML_PARSE_IGNORE_ENC | HTML_PARSE_RECOVER);
    ctxt->html = 1;
    if (encoding.empty()) {
        // The parser reads UTF-8 as it is; only a mark of another encoding in the first four bytes
        // would have it convert the page.
    } else if (xmlCharEncodingHandlerPtr converter = xmlFindCharEncodingHandler(encoding.c_str())) {
        xmlSwitchToEncoding(ctxt.get(), converter);
        if (ctxt->input->encoding != nullptr) xmlFree(const_cast<xmlChar*>(ctxt->input->encoding));
        ctxt->input->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>(encoding.c_str()));
    }
    htmlParseDocument(ctxt.get());
    writer.finish();
    queue.close();
    if (beside.joinable()) {
        beside.join();
    } else {
        build();
    }
    writer.rethrow();
    if (builderError) std::rethrow_exception(builderError);
    return writer.started();
}

}  // namespace

bool ParseHtml(std::string_view bytes, const std::string& encoding, HtmlTree& tree, TreeObserver* observer) {
    return parse(bytes, encoding, tree, observer);
}

bool ParseHtml(const Utf8FromWindows1251& page, HtmlTree& tree, TreeObserver* observer) {
    const std::string_view bytes = page.view();
    // The converted page is valid UTF-8, which libxml2's converter from UTF-8 only copies, and so
    // is read without one, unless its first four bytes hold the mark of another encoding (NUL
    // bytes, as in UTF-16 or UCS-4), from which the parser would convert a page without one.
    const xmlCharEncoding mark = bytes.size() < 4
                                     ? XML_CHAR_ENCODING_NONE
                                     : xmlDetectCharEncoding(reinterpret_cast<const unsigned char*>(bytes.data()), 4);
    const bool plain = mark == XML_CHAR_ENCODING_NONE || mark == XML_CHAR_ENCODING_UTF8;
    return parse(bytes, plain ? "" : "UTF-8", tree, observer);
}

}  // namespace maintext
