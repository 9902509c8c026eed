#include "browser/HtmlDocument.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace velm {
namespace {

constexpr size_t kMaxDepth = 256;

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
std::string ToLower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}
bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':';
}
// Position of `needle` in `hay` from `from` on, compared without letter case.
size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from = 0) {
    if (needle.size() > hay.size()) {
        return std::string_view::npos;
    }
    for (size_t i = from; i + needle.size() <= hay.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() && Lower(hay[i + k]) == Lower(needle[k])) {
            ++k;
        }
        if (k == needle.size()) {
            return i;
        }
    }
    return std::string_view::npos;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = 0xFFFD;
    }
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsVoid(const std::string& tag) {
    static const char* const kVoid[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr"};
    return std::any_of(std::begin(kVoid), std::end(kVoid), [&](const char* v) { return tag == v; });
}
bool IsRawText(const std::string& tag) {
    return tag == "script" || tag == "style" || tag == "title" || tag == "textarea";
}
bool ClosesParagraph(const std::string& tag) {
    static const char* const kBlocks[] = {"p",  "div", "h1", "h2",    "h3",   "h4", "h5",
                                          "h6", "ul",  "ol", "table", "form", "hr", "center"};
    return std::any_of(std::begin(kBlocks), std::end(kBlocks),
                       [&](const char* v) { return tag == v; });
}

std::string CollapseSpace(std::string_view s) {
    std::string out;
    bool space = false;
    for (char c : Trim(s)) {
        if (IsSpace(c)) {
            space = true;
            continue;
        }
        if (space) {
            out.push_back(' ');
            space = false;
        }
        out.push_back(c);
    }
    return out;
}

// Parses the attributes of a start tag from `s` (the text after the tag name up to '>'), at most
// `limit` of them.
void ParseAttributes(std::string_view s, std::map<std::string, std::string>& out, size_t limit) {
    size_t i = 0;
    while (i < s.size() && out.size() < limit) {
        while (i < s.size() && (IsSpace(s[i]) || s[i] == '/')) {
            ++i;
        }
        size_t nameStart = i;
        while (i < s.size() && !IsSpace(s[i]) && s[i] != '=' && s[i] != '/') {
            ++i;
        }
        if (i == nameStart) {
            ++i;
            continue;
        }
        std::string name = ToLower(s.substr(nameStart, i - nameStart));
        while (i < s.size() && IsSpace(s[i])) {
            ++i;
        }
        std::string value;
        if (i < s.size() && s[i] == '=') {
            ++i;
            while (i < s.size() && IsSpace(s[i])) {
                ++i;
            }
            if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
                char quote = s[i++];
                size_t end = s.find(quote, i);
                if (end == std::string_view::npos) {
                    end = s.size();
                }
                value = DecodeEntities(s.substr(i, end - i));
                i = end + 1;
            } else {
                size_t start = i;
                while (i < s.size() && !IsSpace(s[i])) {
                    ++i;
                }
                value = DecodeEntities(s.substr(start, i - start));
            }
        }
        out.emplace(std::move(name), std::move(value));
    }
}

const HtmlNode* FindElement(const HtmlNode& node, const std::string& tag) {
    if (node.tag == tag) {
        return &node;
    }
    for (const auto& child : node.children) {
        if (const HtmlNode* found = FindElement(*child, tag)) {
            return found;
        }
    }
    return nullptr;
}

template <typename F> void ForEachElement(const HtmlNode& node, F&& f) {
    if (!node.IsText()) {
        f(node);
    }
    for (const auto& child : node.children) {
        ForEachElement(*child, f);
    }
}

std::string_view SchemeOf(std::string_view url) {
    for (size_t i = 0; i < url.size(); ++i) {
        char c = url[i];
        if (c == ':') {
            return i > 0 ? url.substr(0, i) : std::string_view{};
        }
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.') ||
            (i == 0 && !std::isalpha(static_cast<unsigned char>(c)))) {
            return {};
        }
    }
    return {};
}

std::string RemoveDotSegments(std::string_view path) {
    std::vector<std::string_view> out;
    size_t i = 0;
    bool trailing = false;
    while (i <= path.size()) {
        size_t slash = path.find('/', i);
        std::string_view seg =
            path.substr(i, slash == std::string_view::npos ? std::string_view::npos : slash - i);
        trailing = false;
        if (seg == "..") {
            if (!out.empty()) {
                out.pop_back();
            }
            trailing = true;
        } else if (seg == ".") {
            trailing = true;
        } else if (!seg.empty() || slash == std::string_view::npos) {
            out.push_back(seg);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        i = slash + 1;
    }
    std::string result;
    for (auto seg : out) {
        result += '/';
        result += seg;
    }
    if (result.empty() || trailing) {
        result += '/';
    }
    return result;
}

} // namespace

const std::string& HtmlNode::Attribute(const std::string& name) const {
    static const std::string empty;
    auto it = attributes.find(name);
    return it == attributes.end() ? empty : it->second;
}

std::string DecodeEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out.push_back(text[i]);
            continue;
        }
        size_t semi = text.find(';', i);
        if (semi == std::string_view::npos || semi - i > 10) {
            out.push_back('&');
            continue;
        }
        std::string_view name = text.substr(i + 1, semi - i - 1);
        std::uint32_t cp = 0;
        bool ok = true;
        if (!name.empty() && name[0] == '#') {
            bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
            std::string_view digits = name.substr(hex ? 2 : 1);
            if (digits.empty() || digits.size() > 8) {
                ok = false;
            }
            for (char c : digits) {
                int d = std::isdigit(static_cast<unsigned char>(c))           ? c - '0'
                        : hex && std::isxdigit(static_cast<unsigned char>(c)) ? Lower(c) - 'a' + 10
                                                                              : -1;
                if (d < 0) {
                    ok = false;
                    break;
                }
                cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
                if (cp > 0x10FFFF) {
                    cp = 0x110000;
                }
            }
        } else if (name == "amp") {
            cp = '&';
        } else if (name == "lt") {
            cp = '<';
        } else if (name == "gt") {
            cp = '>';
        } else if (name == "quot") {
            cp = '"';
        } else if (name == "apos") {
            cp = '\'';
        } else if (name == "nbsp") {
            cp = 0xA0;
        } else if (name == "copy") {
            cp = 0xA9;
        } else if (name == "middot") {
            cp = 0xB7;
        } else {
            ok = false;
        }
        if (!ok) {
            out.push_back('&');
            continue;
        }
        AppendUtf8(out, cp);
        i = semi;
    }
    return out;
}

std::map<std::string, std::string> ParseInlineStyle(std::string_view style) {
    std::map<std::string, std::string> out;
    size_t i = 0;
    while (i < style.size()) {
        size_t semi = style.find(';', i);
        std::string_view decl =
            style.substr(i, semi == std::string_view::npos ? std::string_view::npos : semi - i);
        size_t colon = decl.find(':');
        if (colon != std::string_view::npos) {
            std::string name = ToLower(Trim(decl.substr(0, colon)));
            if (!name.empty()) {
                out[name] = std::string(Trim(decl.substr(colon + 1)));
            }
        }
        if (semi == std::string_view::npos) {
            break;
        }
        i = semi + 1;
    }
    return out;
}

std::optional<std::uint32_t> ParseCssColour(std::string_view text) {
    text = Trim(text);
    auto hex = [](char c) -> int {
        c = Lower(c);
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    auto rgb = [](unsigned r, unsigned g, unsigned b) -> std::uint32_t {
        return r | g << 8 | b << 16;
    };
    if (!text.empty() && text[0] == '#') {
        std::string_view h = text.substr(1);
        for (char c : h) {
            if (hex(c) < 0) {
                return std::nullopt;
            }
        }
        if (h.size() == 3) {
            return rgb(hex(h[0]) * 17u, hex(h[1]) * 17u, hex(h[2]) * 17u);
        }
        if (h.size() == 6) {
            return rgb(hex(h[0]) * 16u + hex(h[1]), hex(h[2]) * 16u + hex(h[3]),
                       hex(h[4]) * 16u + hex(h[5]));
        }
        return std::nullopt;
    }
    static const struct {
        const char* name;
        std::uint32_t value;
    } kNames[] = {{"black", 0x000000}, {"white", 0xFFFFFF},   {"red", 0x0000FF},
                  {"green", 0x008000}, {"blue", 0xFF0000},    {"yellow", 0x00FFFF},
                  {"gray", 0x808080},  {"grey", 0x808080},    {"silver", 0xC0C0C0},
                  {"navy", 0x800000},  {"maroon", 0x000080},  {"purple", 0x800080},
                  {"teal", 0x808000},  {"olive", 0x008080},   {"lime", 0x00FF00},
                  {"aqua", 0xFFFF00},  {"fuchsia", 0xFF00FF}, {"orange", 0x00A5FF}};
    std::string lower = ToLower(text);
    for (const auto& n : kNames) {
        if (lower == n.name) {
            return n.value;
        }
    }
    return std::nullopt;
}

std::string ResolveUrl(std::string_view base, std::string_view reference) {
    reference = Trim(reference);
    size_t hash = base.find('#');
    if (hash != std::string_view::npos) {
        base = base.substr(0, hash);
    }
    if (reference.empty()) {
        return std::string(base);
    }
    if (!SchemeOf(reference).empty()) {
        return std::string(reference);
    }
    std::string_view scheme = SchemeOf(base);
    size_t authority = scheme.size() + 3;
    if (scheme.empty() || base.substr(scheme.size(), 3) != "://") {
        return std::string(reference); // the base is no hierarchical address
    }
    if (reference.substr(0, 2) == "//") {
        return std::string(scheme) + ":" + std::string(reference);
    }
    size_t pathStart = base.find_first_of("/?", authority);
    std::string_view origin = base.substr(0, pathStart);
    std::string_view rest = pathStart == std::string_view::npos ? "" : base.substr(pathStart);
    size_t query = rest.find('?');
    std::string_view path = rest.substr(0, query);
    if (reference[0] == '#') {
        return std::string(base) + std::string(reference);
    }
    if (reference[0] == '?') {
        return std::string(origin) + std::string(path.empty() ? "/" : path) +
               std::string(reference);
    }
    std::string_view refPath = reference;
    std::string_view suffix;
    size_t cut = reference.find_first_of("?#");
    if (cut != std::string_view::npos) {
        refPath = reference.substr(0, cut);
        suffix = reference.substr(cut);
    }
    std::string merged;
    if (!refPath.empty() && refPath[0] == '/') {
        merged = std::string(refPath);
    } else {
        size_t slash = path.rfind('/');
        merged = std::string(slash == std::string_view::npos ? "/" : path.substr(0, slash + 1)) +
                 std::string(refPath);
    }
    return std::string(origin) + RemoveDotSegments(merged) + std::string(suffix);
}

std::optional<MetaRefresh> ParseRefreshContent(std::string_view content, std::string_view base) {
    content = Trim(content);
    size_t i = 0;
    long seconds = 0;
    bool digits = false;
    while (i < content.size() && std::isdigit(static_cast<unsigned char>(content[i]))) {
        seconds = std::min(seconds * 10 + (content[i] - '0'), 86400L);
        digits = true;
        ++i;
    }
    if (!digits) {
        return std::nullopt;
    }
    while (i < content.size() &&
           (std::isdigit(static_cast<unsigned char>(content[i])) || content[i] == '.')) {
        ++i; // fractions of a second are dropped
    }
    MetaRefresh refresh;
    refresh.seconds = static_cast<int>(seconds);
    std::string_view rest = Trim(content.substr(i));
    if (!rest.empty() && (rest[0] == ';' || rest[0] == ',')) {
        rest = Trim(rest.substr(1));
    }
    if (rest.size() >= 4 && ToLower(rest.substr(0, 3)) == "url") {
        std::string_view after = Trim(rest.substr(3));
        if (!after.empty() && after[0] == '=') {
            rest = Trim(after.substr(1));
        }
    }
    if (!rest.empty() && (rest[0] == '\'' || rest[0] == '"')) {
        char quote = rest[0];
        rest.remove_prefix(1);
        size_t end = rest.find(quote);
        rest = rest.substr(0, end);
    }
    refresh.url = rest.empty() ? std::string(base) : ResolveUrl(base, rest);
    return refresh;
}

void HtmlDocument::SetRootStyle(const std::string& name, const std::string& value) {
    rootStyle_[ToLower(name)] = value;
}

HtmlDocument HtmlDocument::Parse(std::string_view html, std::string_view url) {
    HtmlDocument doc;
    doc.url_ = std::string(url);
    doc.root_ = std::make_unique<HtmlNode>();
    doc.root_->tag = "#document";
    std::vector<HtmlNode*> stack{doc.root_.get()};
    size_t nodes = 0;
    auto addText = [&](HtmlNode& parent, std::string text) {
        if (!parent.children.empty() && parent.children.back()->IsText()) {
            parent.children.back()->text += text;
        } else if (nodes < kMaxHtmlNodes) {
            auto node = std::make_unique<HtmlNode>();
            node->text = std::move(text);
            parent.children.push_back(std::move(node));
            ++nodes;
        }
    };

    size_t i = 0;
    while (i < html.size() && nodes < kMaxHtmlNodes) {
        if (html[i] != '<') {
            size_t next = html.find('<', i);
            size_t end = next == std::string_view::npos ? html.size() : next;
            addText(*stack.back(), DecodeEntities(html.substr(i, end - i)));
            i = end;
            continue;
        }
        if (html.substr(i, 4) == "<!--") {
            size_t end = html.find("-->", i + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        char next = i + 1 < html.size() ? html[i + 1] : '\0';
        if (next == '!' || next == '?') {
            size_t end = html.find('>', i);
            i = end == std::string_view::npos ? html.size() : end + 1;
            continue;
        }
        bool closing = next == '/';
        size_t nameStart = i + (closing ? 2 : 1);
        size_t nameEnd = nameStart;
        while (nameEnd < html.size() && IsNameChar(html[nameEnd])) {
            ++nameEnd;
        }
        if (nameEnd == nameStart || !std::isalpha(static_cast<unsigned char>(html[nameStart]))) {
            // A lone '<' is text.
            addText(*stack.back(), "<");
            ++i;
            continue;
        }
        std::string tag = ToLower(html.substr(nameStart, nameEnd - nameStart));
        // The tag ends at the first '>' outside quotes.
        size_t j = nameEnd;
        char quote = 0;
        while (j < html.size() && (quote || html[j] != '>')) {
            if (quote && html[j] == quote) {
                quote = 0;
            } else if (!quote && (html[j] == '"' || html[j] == '\'')) {
                quote = html[j];
            }
            ++j;
        }
        std::string_view inside = html.substr(nameEnd, j - nameEnd);
        i = j < html.size() ? j + 1 : html.size();
        if (closing) {
            for (size_t k = stack.size(); k-- > 1;) {
                if (stack[k]->tag == tag) {
                    stack.resize(k);
                    break;
                }
            }
            continue;
        }
        auto node = std::make_unique<HtmlNode>();
        node->tag = tag;
        ParseAttributes(inside, node->attributes, kMaxHtmlNodes - nodes - 1);
        nodes += 1 + node->attributes.size();
        if (ClosesParagraph(tag) && stack.back()->tag == "p") {
            stack.pop_back();
        }
        if (tag == "li") {
            for (size_t k = stack.size(); k-- > 1;) {
                if (stack[k]->tag == "ul" || stack[k]->tag == "ol") {
                    break;
                }
                if (stack[k]->tag == "li") {
                    stack.resize(k);
                    break;
                }
            }
        }
        if (tag == "html" && doc.innerHtml_.empty()) {
            size_t close = FindNoCase(html, "</html", i);
            doc.innerHtml_ = std::string(
                html.substr(i, close == std::string_view::npos ? html.size() - i : close - i));
            doc.rootStyle_ = ParseInlineStyle(node->Attribute("style"));
        }
        HtmlNode* raw = node.get();
        stack.back()->children.push_back(std::move(node));
        if (IsRawText(tag)) {
            size_t close = FindNoCase(html, "</" + tag, i);
            size_t end = close == std::string_view::npos ? html.size() : close;
            std::string_view content = html.substr(i, end - i);
            if (tag == "title" && !doc.title_) {
                doc.title_ = CollapseSpace(DecodeEntities(content));
            } else if (tag == "textarea") {
                addText(*raw, DecodeEntities(content));
            }
            size_t gt = close == std::string_view::npos ? html.size() : html.find('>', close);
            i = gt == std::string_view::npos ? html.size() : gt + 1;
            continue;
        }
        bool selfClosed = !inside.empty() && inside.back() == '/';
        // Nesting is bounded so that walking and freeing the tree stay shallow on any page.
        if (!IsVoid(tag) && !selfClosed && stack.size() < kMaxDepth) {
            stack.push_back(raw);
        }
    }
    if (FindNoCase(html, "<html") == std::string_view::npos) {
        doc.innerHtml_ = std::string(html);
    }

    ForEachElement(*doc.root_, [&](const HtmlNode& el) {
        if ((el.tag == "iframe" || el.tag == "frame") && !el.Attribute("src").empty()) {
            doc.frames_.push_back(ResolveUrl(doc.url_, el.Attribute("src")));
        }
        if (el.tag == "meta" && !doc.refresh_ && ToLower(el.Attribute("http-equiv")) == "refresh") {
            doc.refresh_ = ParseRefreshContent(el.Attribute("content"), doc.url_);
        }
    });
    const HtmlNode* body = FindElement(*doc.root_, "body");
    doc.body_ = body ? body : doc.root_.get();
    return doc;
}

} // namespace velm
