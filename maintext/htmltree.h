// A page's HTML as a flat tree: the document, elements, texts and other nodes (comments, processing
// instructions, the doctype) that libxml2's HTML parser reports through its event (SAX) interface,
// held in one array of nodes linked by index, with the texts in one buffer and the attributes the
// extraction reads in another. It is the tree libxml2 builds itself for the same options (the same
// elements, texts split the same way, the same 256-level limit past which the parser stops), with the
// markup the parser leaves after the end of the document moved into the body, where a browser
// shows it; it costs one array entry per node instead of a heap block per node and per attribute.
//
// Building it is linear in the size of the page and never recursive; a built tree is immutable and
// may be read from several threads. ParseHtml is thread-safe: it initialises libxml2 once, and a
// large page's tree is built on a second thread while the parser reads the page.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace maintext {

/// The element names the extraction tells apart; every other name is kOther (its text is kept in
/// the tree's names).
enum class Tag : std::uint8_t {
    kOther,
    kA,
    kAbbr,
    kAcronym,
    kAddress,
    kApplet,
    kArticle,
    kAside,
    kAudio,
    kB,
    kBase,
    kBig,
    kBlockquote,
    kBody,
    kBr,
    kButton,
    kCanvas,
    kCaption,
    kCenter,
    kCite,
    kCode,
    kDatalist,
    kDd,
    kDel,
    kDetails,
    kDfn,
    kDialog,
    kDir,
    kDiv,
    kDl,
    kDt,
    kEm,
    kEmbed,
    kFieldset,
    kFigcaption,
    kFigure,
    kFont,
    kFooter,
    kForm,
    kFrame,
    kFrameset,
    kH1,
    kH2,
    kH3,
    kH4,
    kH5,
    kH6,
    kHead,
    kHeader,
    kHgroup,
    kHr,
    kHtml,
    kI,
    kIframe,
    kImg,
    kInput,
    kIns,
    kKbd,
    kLegend,
    kLi,
    kLink,
    kMain,
    kMap,
    kMark,
    kMath,
    kMenu,
    kMeta,
    kNav,
    kNoscript,
    kObject,
    kOl,
    kOption,
    kP,
    kParam,
    kPicture,
    kPre,
    kQ,
    kRp,
    kRt,
    kS,
    kSamp,
    kScript,
    kSection,
    kSelect,
    kSmall,
    kSource,
    kSpan,
    kStrike,
    kStrong,
    kStyle,
    kSub,
    kSummary,
    kSup,
    kSvg,
    kTable,
    kTbody,
    kTd,
    kTemplate,
    kTextarea,
    kTfoot,
    kTh,
    kThead,
    kTime,
    kTitle,
    kTr,
    kTrack,
    kTt,
    kU,
    kUl,
    kVar,
    kVideo,
    kWbr,
    kCount
};

/// The name of each Tag, in its order ("" for kOther).
extern const std::array<std::string_view, static_cast<std::size_t>(Tag::kCount)> kTagNames;

/// Returns the Tag named `name` (lower case, as the parser gives it), kOther for any other name.
Tag TagOf(std::string_view name);

/// The attributes the extraction reads; the parser's other attributes are not kept.
enum class Attr : std::uint8_t {
    kAlt,
    kAriaHidden,
    kClass,
    kColspan,
    kContent,
    kHidden,
    kHref,
    kId,
    kItemprop,
    kName,
    kRole,
    kRowspan,
    kStyle,
    kType,
    kCount
};

class HtmlTree {
  public:
    using Index = std::uint32_t;
    static constexpr Index kNone = ~Index{0};
    /// The document node: the parent of the root element, of the doctype and of comments outside it.
    static constexpr Index kDocument = 0;

    enum class Kind : std::uint8_t { kDocument, kElement, kText, kCData, kOther };

    struct Node {
        Index parent = kNone;
        Index firstChild = kNone;
        Index lastChild = kNone;
        Index next = kNone;
        Kind kind = Kind::kOther;
        Tag tag = Tag::kOther;
        std::uint16_t attrCount = 0;  // an element's attributes kept, from `begin`
        std::uint32_t name = 0;       // an element's name in names(); a known Tag is its own index
        std::uint32_t begin = 0;      // an element's first attribute, or a text's first byte
        std::uint32_t size = 0;       // a text's bytes
    };

    /// The first element child of the document (the <html> element), kNone when there is none.
    Index root() const { return root_; }
    std::size_t size() const { return nodes_.size(); }
    /// The bytes of all the texts.
    std::size_t textBytes() const { return text_.size(); }
    /// The number of elements among the nodes.
    std::size_t elements() const { return elements_; }
    const Node& operator[](Index i) const { return nodes_[i]; }
    bool isElement(Index i) const { return nodes_[i].kind == Kind::kElement; }

    /// An element's name, lower case.
    std::string_view name(Index i) const { return names_[nodes_[i].name]; }
    /// A text or CDATA node's text (UTF-8).
    std::string_view text(Index i) const { return std::string_view(text_).substr(nodes_[i].begin, nodes_[i].size); }
    /// Whether an element has the attribute, with or without a value.
    bool hasAttr(Index i, Attr a) const { return findAttr(i, a) != nullptr; }
    /// An element's attribute value; empty when it has none or no such attribute.
    std::string_view attr(Index i, Attr a) const {
        const AttrValue* v = findAttr(i, a);
        return v == nullptr ? std::string_view() : std::string_view(attrText_).substr(v->begin, v->size);
    }

  private:
    friend class TreeBuilder;
    struct AttrValue {
        Attr name;
        std::uint32_t begin;
        std::uint32_t size;
    };
    const AttrValue* findAttr(Index i, Attr a) const {
        const Node& n = nodes_[i];
        for (std::uint32_t k = n.begin; k < n.begin + n.attrCount; ++k) {
            if (attrs_[k].name == a) return &attrs_[k];
        }
        return nullptr;
    }

    std::vector<Node> nodes_;
    std::vector<AttrValue> attrs_;
    std::string attrText_;
    std::string text_;
    std::vector<std::string> names_;
    Index root_ = kNone;
    std::size_t elements_ = 0;
};

/// Is told of the nodes of a tree while ParseHtml builds it, in document order, each once it is
/// complete: an element once its start tag is read, a text once nothing more can join it. The tree
/// is partly built then: the node told, its ancestors and the nodes before it may be read.
class TreeObserver {
  public:
    virtual ~TreeObserver() = default;
    /// Element `n` has begun; `parent` is the node it stands under in the finished tree
    /// (HtmlTree::kDocument for the root).
    virtual void element(const HtmlTree& tree, HtmlTree::Index n, HtmlTree::Index parent) = 0;
    /// Text or CDATA node `n` is complete.
    virtual void text(const HtmlTree& tree, HtmlTree::Index n) = 0;
    /// The nodes still to come cannot be told in document order (markup after the end of the
    /// document goes before elements already told): no call follows.
    virtual void disorder() = 0;
};

/// A Windows-1251 text made UTF-8 for the parser, byte for byte as cp1251::toUtf8 makes it: by
/// table, eight ASCII bytes at a time, into a buffer that is written once and never filled before.
class Utf8FromWindows1251 {
  public:
    explicit Utf8FromWindows1251(std::string_view text);
    std::string_view view() const { return {bytes_.get(), size_}; }

  private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
};

/// The least bytes of a page for which ParseHtml builds the tree on a thread of its own while the
/// parser reads the page.
inline constexpr std::size_t kTreeThreadBytes = std::size_t{64} << 10;

/// Parses `bytes` in `encoding` (a name libxml2 or iconv knows) with libxml2's HTML parser in
/// recovery mode, without network access, errors or warnings, into `tree` (empty before), telling
/// `observer` (if any) of its nodes. From kTreeThreadBytes on, the tree is built and the observer
/// told on a second thread, beside the parser; ParseHtml returns once both are done. Returns false
/// when the parser gives no document (no bytes, or more than it can address).
bool ParseHtml(std::string_view bytes, const std::string& encoding, HtmlTree& tree, TreeObserver* observer = nullptr);

/// Parses a Windows-1251 page made UTF-8, to the tree ParseHtml(page.view(), "UTF-8", …) gives, with
/// one copy of the page less: libxml2 reads the valid UTF-8 without its converter.
bool ParseHtml(const Utf8FromWindows1251& page, HtmlTree& tree, TreeObserver* observer = nullptr);

}  // namespace maintext
