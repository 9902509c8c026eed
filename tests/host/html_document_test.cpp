#include "browser/HtmlDocument.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace velm {
namespace {

TEST(HtmlDocument, TitleInnerHtmlAndRootStyle) {
    auto doc = HtmlDocument::Parse(
        "<!DOCTYPE html>\n<HTML style=\"overflow: auto; Color:red\"><head><title>  Game \n "
        "&amp; more </title></head><body>hi</body></HTML>",
        "http://h/p/");
    ASSERT_TRUE(doc.Title());
    EXPECT_EQ(*doc.Title(), "Game & more");
    EXPECT_EQ(doc.RootInnerHtml(),
              "<head><title>  Game \n &amp; more </title></head><body>hi</body>");
    EXPECT_EQ(doc.RootStyle().at("overflow"), "auto");
    EXPECT_EQ(doc.RootStyle().at("color"), "red");
    doc.SetRootStyle("Overflow", "hidden");
    EXPECT_EQ(doc.RootStyle().at("overflow"), "hidden");
    EXPECT_EQ(doc.Url(), "http://h/p/");
}

TEST(HtmlDocument, EmptyAndTitleless) {
    auto empty = HtmlDocument::Parse("", "http://h/");
    EXPECT_EQ(empty.RootInnerHtml(), "");
    EXPECT_FALSE(empty.Title());
    auto bare = HtmlDocument::Parse("just text", "http://h/");
    EXPECT_EQ(bare.RootInnerHtml(), "just text");
    auto emptyTitle = HtmlDocument::Parse("<title></title>", "http://h/");
    ASSERT_TRUE(emptyTitle.Title());
    EXPECT_EQ(*emptyTitle.Title(), "");
    auto emptyRoot = HtmlDocument::Parse("<html></html>", "http://h/");
    EXPECT_EQ(emptyRoot.RootInnerHtml(), "");
}

TEST(HtmlDocument, FramesInDocumentOrderResolved) {
    auto doc = HtmlDocument::Parse("<body><iframe src=\"a.html\"></iframe><div><IFRAME "
                                   "SRC='/b/c'></IFRAME></div><iframe></iframe></body>",
                                   "http://h:8/x/y.html?q");
    ASSERT_EQ(doc.Frames().size(), 2u);
    EXPECT_EQ(doc.Frames()[0], "http://h:8/x/a.html");
    EXPECT_EQ(doc.Frames()[1], "http://h:8/b/c");
}

TEST(HtmlDocument, MetaRefresh) {
    auto doc = HtmlDocument::Parse(
        "<head><meta http-equiv=\"Refresh\" content=\"2; URL='app://minimize'\"></head>",
        "http://h/");
    ASSERT_TRUE(doc.Refresh());
    EXPECT_EQ(doc.Refresh()->seconds, 2);
    EXPECT_EQ(doc.Refresh()->url, "app://minimize");
    auto self = ParseRefreshContent("5", "http://h/a");
    ASSERT_TRUE(self);
    EXPECT_EQ(self->url, "http://h/a");
    auto rel = ParseRefreshContent("0;url=../z", "http://h/a/b/c");
    ASSERT_TRUE(rel);
    EXPECT_EQ(rel->seconds, 0);
    EXPECT_EQ(rel->url, "http://h/a/z");
    EXPECT_FALSE(ParseRefreshContent("soon", "http://h/"));
    EXPECT_EQ(ParseRefreshContent("99999999999999999999", "http://h/")->seconds, 86400);
}

TEST(HtmlDocument, ScriptAndCommentsDoNotLeakIntoText) {
    auto doc = HtmlDocument::Parse(
        "<body><!-- <iframe src=x> --><script>var s = '<iframe src=y>';</script>ok</body>",
        "http://h/");
    EXPECT_TRUE(doc.Frames().empty());
    const HtmlNode& body = doc.Body();
    std::string text;
    for (const auto& c : body.children) {
        if (c->IsText()) {
            text += c->text;
        }
    }
    EXPECT_EQ(text, "ok");
}

TEST(HtmlDocument, AttributesAndLinks) {
    auto doc = HtmlDocument::Parse("<body><a id=x href=\"app://loadgame|http://g/1/|1\" "
                                   "title='a > b'>go</a></body>",
                                   "http://h/");
    const HtmlNode& a = *doc.Body().children.at(0);
    EXPECT_EQ(a.tag, "a");
    EXPECT_EQ(a.Attribute("href"), "app://loadgame|http://g/1/|1");
    EXPECT_EQ(a.Attribute("title"), "a > b");
    EXPECT_EQ(a.Attribute("id"), "x");
    EXPECT_EQ(a.children.at(0)->text, "go");
}

TEST(HtmlEntities, NamedAndNumeric) {
    EXPECT_EQ(DecodeEntities("a&amp;b&lt;&gt;&quot;&#20013;&#x6587;"), "a&b<>\"中文");
    EXPECT_EQ(DecodeEntities("&nbsp;"), "\xC2\xA0");
    EXPECT_EQ(DecodeEntities("&unknown; & &#;"), "&unknown; & &#;");
    EXPECT_EQ(DecodeEntities("&#0;&#xD800;&#x110000;"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(DecodeEntities("&#99999999999;"), "&#99999999999;");
}

TEST(HtmlStyle, ColoursAndDeclarations) {
    EXPECT_EQ(ParseCssColour("#FEFEFE"), 0xFEFEFEu);
    EXPECT_EQ(ParseCssColour("#123A6E"), 0x6E3A12u);
    EXPECT_EQ(ParseCssColour("#fff"), 0xFFFFFFu);
    EXPECT_EQ(ParseCssColour(" Red "), 0x0000FFu);
    EXPECT_FALSE(ParseCssColour("#12345"));
    EXPECT_FALSE(ParseCssColour("url(x.png)"));
    auto s = ParseInlineStyle("margin:0; BACKGROUND : #E8F0FA ;;bad;font-family:sans-serif");
    EXPECT_EQ(s.at("margin"), "0");
    EXPECT_EQ(s.at("background"), "#E8F0FA");
    EXPECT_EQ(s.count("bad"), 0u);
}

TEST(ResolveUrl, RelativeForms) {
    const std::string base = "http://127.0.0.1:8731/velm/game/1/index.html?x=1#top";
    EXPECT_EQ(ResolveUrl(base, "/velm/game/2/"), "http://127.0.0.1:8731/velm/game/2/");
    EXPECT_EQ(ResolveUrl(base, "../2/"), "http://127.0.0.1:8731/velm/game/2/");
    EXPECT_EQ(ResolveUrl(base, "p.html"), "http://127.0.0.1:8731/velm/game/1/p.html");
    EXPECT_EQ(ResolveUrl(base, "./a/./b/../c?q#f"), "http://127.0.0.1:8731/velm/game/1/a/c?q#f");
    EXPECT_EQ(ResolveUrl(base, "?y=2"), "http://127.0.0.1:8731/velm/game/1/index.html?y=2");
    EXPECT_EQ(ResolveUrl(base, "#f"), "http://127.0.0.1:8731/velm/game/1/index.html?x=1#f");
    EXPECT_EQ(ResolveUrl(base, "//other/x"), "http://other/x");
    EXPECT_EQ(ResolveUrl(base, "app://exitgame"), "app://exitgame");
    EXPECT_EQ(ResolveUrl(base, "../../../../../x"), "http://127.0.0.1:8731/x");
    EXPECT_EQ(ResolveUrl("http://h", "a"), "http://h/a");
    EXPECT_EQ(ResolveUrl("about:blank", "a"), "a");
}

TEST(HtmlDocument, HostileMarkupParsesWithoutHarm) {
    std::string deep;
    for (int i = 0; i < 20000; ++i) {
        deep += "<div>";
    }
    deep += "x";
    auto doc = HtmlDocument::Parse(deep, "http://h/");
    EXPECT_EQ(doc.RootInnerHtml(), deep);
    int depth = 0;
    for (const HtmlNode* n = &doc.Body(); !n->children.empty(); n = n->children.back().get()) {
        ++depth;
    }
    EXPECT_LE(depth, 256) << "nesting is bounded";
    EXPECT_GE(depth, 200);
    std::string junk;
    for (int i = 1; i < 5000; ++i) {
        junk.push_back(static_cast<char>(i * 7919 % 255 + 1));
    }
    junk += "<a href='unterminated <b <<< </ </x";
    auto doc2 = HtmlDocument::Parse(junk, "http://h/");
    EXPECT_EQ(doc2.Url(), "http://h/");
}

TEST(HtmlDocument, TreeSizeIsBounded) {
    // Lone '<'s once cost a node each: a page of them took some 150 bytes per byte.
    const std::string lone(1 << 20, '<');
    auto doc = HtmlDocument::Parse("a" + lone + " z", "http://h/");
    ASSERT_EQ(doc.Body().children.size(), 1u);
    EXPECT_EQ(doc.Body().children[0]->text, "a" + lone + " z");

    std::string many;
    for (int i = 0; i < 150000; ++i) {
        many += "<i id=n>x</i>";
    }
    auto big = HtmlDocument::Parse("<title>t</title><body>first" + many, "http://h/");
    std::size_t nodes = 0;
    std::function<void(const HtmlNode&)> count = [&](const HtmlNode& n) {
        nodes += n.children.size();
        for (const auto& c : n.children) {
            nodes += c->attributes.size();
            count(*c);
        }
    };
    count(big.Body());
    EXPECT_LE(nodes, kMaxHtmlNodes);
    EXPECT_GT(nodes, kMaxHtmlNodes / 2);
    EXPECT_EQ(big.Title(), "t");
    EXPECT_EQ(big.Body().children.at(0)->text, "first");
}

} // namespace
} // namespace velm
