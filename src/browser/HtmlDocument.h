// The small document model of the basic browser engine: enough of an HTML page to raise the
// browser's events (title, frames, refresh), answer the root element's inner HTML and inline
// style, and paint background, text and links. Not a web browser; unknown markup is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

struct HtmlNode {
    std::string tag;                               // lower case; empty for a text node
    std::string text;                              // text nodes: entities decoded, UTF-8
    std::map<std::string, std::string> attributes; // names lower case, values decoded
    std::vector<std::unique_ptr<HtmlNode>> children;

    bool IsText() const noexcept { return tag.empty(); }
    // The attribute's value or "".
    const std::string& Attribute(const std::string& name) const;
};

struct MetaRefresh {
    int seconds = 0;
    std::string url; // absolute; the document's own address when the content names none
};

// A page of any size gives a tree of bounded size: its elements, text nodes and attributes
// together number at most this many (some 15 MB at the most, besides the page's own text), and
// the markup past that point is left out. Adjacent text, a lone '<' included, shares one node.
inline constexpr std::size_t kMaxHtmlNodes = 100000;

class HtmlDocument {
public:
    // Parses `html` (UTF-8) that was loaded from `url`; relative addresses resolve against it.
    static HtmlDocument Parse(std::string_view html, std::string_view url);

    const std::string& Url() const noexcept { return url_; }
    // The <title> text (whitespace collapsed); none when the page has no title element.
    const std::optional<std::string>& Title() const noexcept { return title_; }
    // The root element's inner HTML: the text between <html ...> and </html>, or the whole text
    // when the page has no <html> tag.
    const std::string& RootInnerHtml() const noexcept { return innerHtml_; }
    // The root element's inline style, property names lower case.
    const std::map<std::string, std::string>& RootStyle() const noexcept { return rootStyle_; }
    void SetRootStyle(const std::string& name, const std::string& value);
    // Addresses of the page's <iframe>s, absolute, in document order.
    const std::vector<std::string>& Frames() const noexcept { return frames_; }
    const std::optional<MetaRefresh>& Refresh() const noexcept { return refresh_; }
    // The <body> element (or the whole tree when there is none).
    const HtmlNode& Body() const noexcept { return *body_; }

private:
    std::string url_;
    std::optional<std::string> title_;
    std::string innerHtml_;
    std::map<std::string, std::string> rootStyle_;
    std::vector<std::string> frames_;
    std::optional<MetaRefresh> refresh_;
    std::unique_ptr<HtmlNode> root_;
    const HtmlNode* body_ = nullptr;
};

// Parses an inline style ("a: b; c: d") into lower-case names and trimmed values.
std::map<std::string, std::string> ParseInlineStyle(std::string_view style);
// "#RGB", "#RRGGBB" or a basic colour name, as 0x00BBGGRR; none when not understood.
std::optional<std::uint32_t> ParseCssColour(std::string_view text);
// Decodes the character references of HTML text (&amp; &lt; &#20013; &#x4E2D; ...).
std::string DecodeEntities(std::string_view text);
// `reference` resolved against the absolute address `base` (scheme, host, path, query).
std::string ResolveUrl(std::string_view base, std::string_view reference);
// The content of a refresh meta element: "N" or "N;url=address" (url may be quoted).
std::optional<MetaRefresh> ParseRefreshContent(std::string_view content, std::string_view base);

} // namespace velm
