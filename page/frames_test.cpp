#include "page/frames.h"

#include <gtest/gtest.h>

namespace {

using Sources = std::vector<std::string>;
using Kind = FrameTarget::Kind;

TEST(FrameSources, FoundAsABrowserSeesTheMarkup) {
    const struct {
        const char* name;
        std::string markup;
        Sources sources;
    } cases[] = {
        {"frameset, quotes and case",
         "<frameset cols=\"50%,50%\"><frame src=\"a.html\"><FRAME SRC='b c.html'>",
         {"a.html", "b c.html"}},
        {"unquoted, spaces around =",
         "<frameset><frame src=a.html ><frame\n\tname=x src = b.html>",
         {"a.html", "b.html"}},
        {"upper-case iframe, last in the text", "<P>frame, iframe<FRAMED><IFRAME SRC=u>", {"u"}},
        {"iframes in the body",
         "<body><iframe src=\"x.html\"></iframe><p><iframe src=y.html></body>",
         {"x.html", "y.html"}},
        {"frame outside a frameset", "<body><frame src=a.html></body>", {}},
        {"iframe after a frameset", "<frameset><frame src=a></frameset><iframe src=b>", {"a"}},
        {"comment and script", "<!-- <iframe src=c> --><script>w('<iframe src=e>')</SCRIPT ><iframe src=f>", {"f"}},
        {"noframes", "<frameset><frame src=a><noframes><frame src=z></noframes><frame src=b>", {"a", "b"}},
        {"iframe contents are text", "<iframe src=a><iframe src=b></iframe><iframe src=c>", {"a", "c"}},
        {"tag inside an attribute value", "<a title=\"<iframe src=x>\"><iframe src=y>", {"y"}},
        {"no src", "<iframe></iframe><iframe src=\"\">", {"", ""}},
        {"first src counts, data-src is another", "<iframe data-src=a src=b src=c>", {"b"}},
        {"character references", "<iframe src=\"a&amp;b&quot;.html\">", {"a&b\".html"}},
        {"tag cut by the end of the text", "<iframe src=a><iframe src=\"b.html", {"a"}},
        {"plaintext ends the markup", "<iframe src=a><plaintext><iframe src=b>", {"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FrameSources found = FindFrameSources(c.markup, kMaxFrames);
        EXPECT_EQ(found.sources, c.sources);
        EXPECT_EQ(found.count, c.sources.size());
    }
    FrameSources bounded = FindFrameSources("<frameset><frame src=a><frame src=b><frame src=c>", 2);
    EXPECT_EQ(bounded.count, 3u);
    EXPECT_EQ(bounded.sources, (Sources{"a", "b"}));
}

TEST(FrameSources, ResolvedAgainstThePageFile) {
    const std::filesystem::path page = "/site/dir/page.html";
    const struct {
        std::string src;
        Kind kind;
        std::string path;
    } cases[] = {
        {"b.html", Kind::kFile, "/site/dir/b.html"},
        {"sub/../c.html", Kind::kFile, "/site/dir/c.html"},
        {"/abs/x.html", Kind::kFile, "/abs/x.html"},
        {"file:///abs/x.html", Kind::kFile, "/abs/x.html"},
        {"FILE://LocalHost/abs/x.html", Kind::kFile, "/abs/x.html"},
        {"file:rel.html", Kind::kFile, "/site/dir/rel.html"},
        {"  my%20page.html#top ", Kind::kFile, "/site/dir/my page.html"},
        {"%D0%BA.html?x=1", Kind::kFile, "/site/dir/\xD0\xBA.html"},
        {"100%.html", Kind::kFile, "/site/dir/100%.html"},
        {"sub\\d.html", Kind::kFile, "/site/dir/sub/d.html"},
        {"a\n.ht\tml", Kind::kFile, "/site/dir/a.html"},
        {"#part", Kind::kFile, "/site/dir/page.html"},
        {"", Kind::kBlank, ""},
        {"about:blank", Kind::kBlank, ""},
        {"file://otherhost/x.html", Kind::kNotLocal, ""},
        {"http://example.org/a.html", Kind::kNotLocal, ""},
        {"//example.org/a.html", Kind::kNotLocal, ""},
        {"a%00.html", Kind::kBadName, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.src);
        FrameTarget target = ResolveFrameSource(c.src, page);
        EXPECT_EQ(target.kind, c.kind);
        EXPECT_EQ(target.path.string(), c.path);
    }
}

}  // namespace

namespace {

TEST(FrameSources, TheFolderRuleRefusesByTheFormOfTheSourceBeforeTheDisk) {
    const struct {
        const char* page;
        std::string src;
        std::string refused;  // "" when the folder rule lets it pass to the disk
    } cases[] = {
        {"/site/dir/page.html", "b.html", ""},
        {"/site/dir/page.html", "sub/../b.html", ""},
        {"/site/dir/page.html", "sub/deeper/b.html", ""},
        {"/site/dir/page.html", "#part", ""},
        {"/site/dir/page.html", "../b.html", "leaves the page's folder"},
        {"/site/dir/page.html", "sub/../../b.html", "leaves the page's folder"},
        {"/site/dir/page.html", "%2E%2E/b.html", "leaves the page's folder"},
        {"/site/dir/page.html", "%2e%2e%2fb.html", "leaves the page's folder"},
        {"/site/dir/page.html", "..\\b.html", "leaves the page's folder"},
        {"/site/dir/page.html", "../dir/b.html", ""},  // out and back in
        {"/site/dir/page.html", "/site/dir/b.html", "an absolute path"},
        {"/site/dir/page.html", "//localhost/etc/passwd", "an absolute path"},
        {"/site/dir/page.html", "%2Fetc/passwd", "an absolute path"},
        {"/site/dir/page.html", "file:///site/dir/b.html", "a file: URL"},
        {"/site/dir/page.html", "file:b.html", "a file: URL"},
        {"/site/dir/page.html", "FILE://localhost/x", "a file: URL"},
        {"page.html", "b.html", ""},
        {"page.html", "../b.html", "leaves the page's folder"},
        {"../up/page.html", "b.html", ""},
        {"../up/page.html", "../other/b.html", "leaves the page's folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + c.src);
        const FrameTarget target = ResolveFrameSource(c.src, c.page);
        ASSERT_EQ(target.kind, Kind::kFile);
        EXPECT_EQ(FrameOutsideFolder(target, c.page).value_or(""), c.refused);
    }
}

}  // namespace
