#include "browser/HtmlLayout.h"

#include <algorithm>
#include <cstdlib>

namespace velm {
namespace {

struct Inherited {
    std::uint32_t colour = 0;
    PageFont font;
    std::string href;
    bool underline = false;
};

struct Box {
    int top = 0, right = 0, bottom = 0, left = 0;
};

// Lengths are held to what a page can sensibly use, so adding a page's margins, paddings and
// sizes can never overflow, whatever a server sends.
constexpr long kMaxPixels = 10000;

// A CSS length in pixels ("12px", "12", "0"); other units read as 0.
int Pixels(std::string_view v) {
    const long n = std::strtol(std::string(v).c_str(), nullptr, 10);
    return static_cast<int>(std::clamp(n, -kMaxPixels, kMaxPixels));
}

Box ParseBox(const std::string& value) {
    std::vector<int> v;
    size_t i = 0;
    while (i < value.size() && v.size() < 4) {
        while (i < value.size() && value[i] == ' ') {
            ++i;
        }
        size_t end = value.find(' ', i);
        if (end == std::string::npos) {
            end = value.size();
        }
        if (end > i) {
            v.push_back(Pixels(std::string_view(value).substr(i, end - i)));
        }
        i = end;
    }
    switch (v.size()) {
    case 1:
        return {v[0], v[0], v[0], v[0]};
    case 2:
        return {v[0], v[1], v[0], v[1]};
    case 3:
        return {v[0], v[1], v[2], v[1]};
    case 4:
        return {v[0], v[1], v[2], v[3]};
    default:
        return {};
    }
}

bool IsBlock(const std::string& tag) {
    static const char* const kBlocks[] = {
        "body",       "div", "p",   "h1",     "h2",     "h3",      "h4",      "h5",
        "h6",         "ul",  "ol",  "li",     "form",   "center",  "table",   "tr",
        "blockquote", "hr",  "pre", "header", "footer", "section", "article", "nav"};
    return std::any_of(std::begin(kBlocks), std::end(kBlocks),
                       [&](const char* b) { return tag == b; });
}
bool IsSkipped(const std::string& tag) {
    return tag == "head" || tag == "script" || tag == "style" || tag == "title" ||
           tag == "iframe" || tag == "frame" || tag == "img" || tag == "input" || tag == "select" ||
           tag == "button" || tag == "textarea" || tag == "object";
}

// Default look of the elements the layout knows.
void Defaults(const std::string& tag, Box& margin, Box& padding, Inherited& inh) {
    if (tag == "body") {
        margin = {8, 8, 8, 8};
    } else if (tag == "p" || tag == "ul" || tag == "ol" || tag == "blockquote") {
        margin = {inh.font.size, 0, inh.font.size, 0};
    }
    if (tag == "ul" || tag == "ol") {
        padding.left = 40;
    }
    static const struct {
        const char* tag;
        int size;
    } kHeadings[] = {{"h1", 32}, {"h2", 24}, {"h3", 19}, {"h4", 16}, {"h5", 13}, {"h6", 11}};
    for (const auto& h : kHeadings) {
        if (tag == h.tag) {
            inh.font.size = h.size;
            inh.font.bold = true;
            margin = {h.size * 2 / 3, 0, h.size * 2 / 3, 0};
        }
    }
    if (tag == "b" || tag == "strong") {
        inh.font.bold = true;
    }
    if (tag == "u") {
        inh.underline = true;
    }
}

// A position in the flow, held within the page's bounds.
int HoldInPage(long long y) {
    return static_cast<int>(std::clamp<long long>(y, -kMaxPageHeight, kMaxPageHeight));
}

bool IsCjk(std::uint32_t cp) {
    return cp >= 0x2E80;
}

// Decodes one UTF-8 code point at `i` (invalid bytes count as one code point each).
std::uint32_t NextCodePoint(std::string_view s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    std::uint32_t cp = extra == 3 ? c & 0x07u : extra == 2 ? c & 0x0Fu : extra ? c & 0x1Fu : c;
    size_t start = i++;
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            i = start + 1;
            return 0xFFFD;
        }
        cp = cp << 6 | (static_cast<unsigned char>(s[i]) & 0x3Fu);
        ++i;
    }
    return cp;
}

class Flow {
public:
    Flow(TextMeasurer& m, PageLayout& out, int x0, int y, int width)
        : m_(m), out_(out), x0_(x0), width_(std::max(width, 1)), y_(HoldInPage(y)), cursor_(x0) {}

    int Y() const { return y_; }
    int X0() const { return x0_; }
    int Width() const { return width_; }
    void Advance(int h) { y_ = HoldInPage(static_cast<long long>(y_) + h); }

    void Text(std::string_view text, const Inherited& inh) {
        size_t i = 0;
        std::string token;
        while (i < text.size()) {
            size_t at = i;
            std::uint32_t cp = NextCodePoint(text, i);
            if (cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f') {
                Place(token, inh);
                token.clear();
                space_ = true;
                continue;
            }
            if (IsCjk(cp)) {
                Place(token, inh);
                token.assign(text.substr(at, i - at));
                Place(token, inh);
                token.clear();
                continue;
            }
            token.append(text.substr(at, i - at));
        }
        Place(token, inh);
    }

    void Break() {
        if (open_) {
            y_ = HoldInPage(static_cast<long long>(y_) + lineHeight_);
        }
        open_ = false;
        cursor_ = x0_;
        lineHeight_ = 0;
        space_ = false;
        last_ = static_cast<size_t>(-1);
    }

private:
    void Place(const std::string& token, const Inherited& inh) {
        if (token.empty()) {
            return;
        }
        int w = m_.Width(token, inh.font);
        int spaceW = open_ && space_ ? m_.Width(" ", inh.font) : 0;
        if (open_ && cursor_ + spaceW + w > x0_ + width_) {
            Break();
            spaceW = 0;
        }
        int h = m_.LineHeight(inh.font);
        bool underline = inh.underline;
        if (last_ < out_.items.size()) {
            DisplayItem& prev = out_.items[last_];
            if (prev.colour == inh.colour && prev.font == inh.font && prev.href == inh.href &&
                prev.underline == underline && prev.x + prev.width == cursor_) {
                if (spaceW) {
                    prev.text += ' ';
                }
                prev.text += token;
                prev.width += spaceW + w;
                prev.height = std::max(prev.height, h);
                cursor_ += spaceW + w;
                lineHeight_ = std::max(lineHeight_, h);
                space_ = false;
                return;
            }
        }
        if (out_.items.size() >= kMaxDisplayItems) {
            // The text still takes its room, so what follows keeps its place.
            cursor_ += spaceW + w;
            lineHeight_ = std::max(lineHeight_, h);
            open_ = true;
            space_ = false;
            return;
        }
        DisplayItem item;
        item.kind = DisplayItem::Kind::Text;
        item.x = cursor_ + spaceW;
        item.y = y_;
        item.width = w;
        item.height = h;
        item.colour = inh.colour;
        item.text = token;
        item.font = inh.font;
        item.underline = underline;
        item.href = inh.href;
        out_.items.push_back(std::move(item));
        last_ = out_.items.size() - 1;
        cursor_ += spaceW + w;
        lineHeight_ = std::max(lineHeight_, h);
        open_ = true;
        space_ = false;
    }

    TextMeasurer& m_;
    PageLayout& out_;
    int x0_;
    int width_;
    int y_;
    int cursor_;
    int lineHeight_ = 0;
    bool open_ = false;
    bool space_ = false;
    size_t last_ = static_cast<size_t>(-1);
};

class Layout {
public:
    Layout(const HtmlDocument& doc, TextMeasurer& m, PageLayout& out)
        : doc_(doc), m_(m), out_(out) {}

    // Lays out a block element with its top-left margin corner at (x, y) in `width`; returns
    // the height it takes in the flow, margins included.
    int Block(const HtmlNode& node, int x, int y, int width, Inherited inh, int depth) {
        Box margin, padding;
        Defaults(node.tag, margin, padding, inh);
        auto style = ParseInlineStyle(node.Attribute("style"));
        Apply(style, margin, padding, inh);
        auto get = [&](const char* name) -> const std::string* {
            auto it = style.find(name);
            return it == style.end() ? nullptr : &it->second;
        };
        int boxWidth = width - margin.left - margin.right;
        if (const std::string* w = get("width")) {
            boxWidth = Pixels(*w) + padding.left + padding.right;
        }
        int minHeight = 0;
        if (const std::string* h = get("height")) {
            minHeight = Pixels(*h) + padding.top + padding.bottom;
        }
        std::optional<std::uint32_t> fill;
        if (const std::string* bg = get("background-color")) {
            fill = ParseCssColour(*bg);
        } else if (const std::string* bg2 = get("background")) {
            fill = ParseCssColour(*bg2);
        }
        if (!fill && !node.Attribute("bgcolor").empty()) {
            fill = ParseCssColour(node.Attribute("bgcolor"));
        }
        int boxX = x + margin.left;
        int boxY = y + margin.top;
        if (out_.items.size() >= kMaxDisplayItems) {
            fill.reset(); // no room for its fill any more
        }
        size_t fillIndex = out_.items.size();
        if (fill && node.tag != "body") {
            DisplayItem item;
            item.kind = DisplayItem::Kind::Fill;
            item.colour = *fill;
            out_.items.push_back(item);
        }
        if (node.tag == "hr") {
            if (out_.items.size() < kMaxDisplayItems) {
                DisplayItem item;
                item.kind = DisplayItem::Kind::Fill;
                item.colour = 0x808080;
                item.x = boxX;
                item.y = boxY + 7;
                item.width = boxWidth;
                item.height = 1;
                out_.items.push_back(item);
            }
            minHeight = std::max(minHeight, 16);
        }
        Flow flow(m_, out_, boxX + padding.left, boxY + padding.top,
                  boxWidth - padding.left - padding.right);
        if (depth < 64) {
            Children(node, flow, inh, depth);
        }
        flow.Break();
        int height = std::max(flow.Y() - boxY + padding.bottom, minHeight);
        if (fill && node.tag != "body") {
            DisplayItem& item = out_.items[fillIndex];
            item.x = boxX;
            item.y = boxY;
            item.width = boxWidth;
            item.height = height;
        }
        return margin.top + height + margin.bottom;
    }

private:
    void Apply(const std::map<std::string, std::string>& style, Box& margin, Box& padding,
               Inherited& inh) {
        for (const auto& [name, value] : style) {
            if (name == "margin") {
                margin = ParseBox(value);
            } else if (name == "margin-top") {
                margin.top = Pixels(value);
            } else if (name == "margin-left") {
                margin.left = Pixels(value);
            } else if (name == "padding") {
                padding = ParseBox(value);
            } else if (name == "padding-top") {
                padding.top = Pixels(value);
            } else if (name == "padding-left") {
                padding.left = Pixels(value);
            } else if (name == "color") {
                if (auto c = ParseCssColour(value)) {
                    inh.colour = *c;
                }
            } else if (name == "font-size") {
                int px = Pixels(value);
                if (px > 0 && px < 200) {
                    inh.font.size = px;
                }
            } else if (name == "font-weight") {
                inh.font.bold = value == "bold" || Pixels(value) >= 600;
            }
        }
    }

    void Children(const HtmlNode& node, Flow& flow, const Inherited& inh, int depth) {
        for (const auto& child : node.children) {
            if (flow.Y() >= kMaxPageHeight) {
                return; // the page ends here
            }
            Node(*child, flow, inh, depth + 1);
        }
    }

    void Node(const HtmlNode& node, Flow& flow, Inherited inh, int depth) {
        if (node.IsText()) {
            flow.Text(node.text, inh);
            return;
        }
        if (IsSkipped(node.tag) || depth > 64) {
            return;
        }
        if (node.tag == "br") {
            flow.Break();
            return;
        }
        auto style = ParseInlineStyle(node.Attribute("style"));
        if (auto pos = style.find("position");
            pos != style.end() && (pos->second == "absolute" || pos->second == "fixed")) {
            int left = style.count("left") ? Pixels(style["left"]) : flow.X0();
            int top = style.count("top") ? Pixels(style["top"]) : flow.Y();
            int width = style.count("width") ? Pixels(style["width"]) : flow.Width();
            Block(node, left, top, width, inh, depth);
            return;
        }
        if (IsBlock(node.tag)) {
            flow.Break();
            flow.Advance(Block(node, flow.X0(), flow.Y(), flow.Width(), inh, depth));
            return;
        }
        if (node.tag == "a" && !node.Attribute("href").empty()) {
            inh.href = ResolveUrl(doc_.Url(), node.Attribute("href"));
            inh.colour = 0xEE0000;
            inh.underline = true;
        }
        Box unusedMargin, unusedPadding;
        Defaults(node.tag, unusedMargin, unusedPadding, inh);
        Apply(style, unusedMargin, unusedPadding, inh);
        Children(node, flow, inh, depth);
    }

    const HtmlDocument& doc_;
    TextMeasurer& m_;
    PageLayout& out_;
};

} // namespace

std::string PageLayout::LinkAt(int x, int y) const {
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (!it->href.empty() && x >= it->x && x < it->x + it->width && y >= it->y &&
            y < it->y + it->height) {
            return it->href;
        }
    }
    return {};
}

PageLayout LayoutPage(const HtmlDocument& document, int width, TextMeasurer& measurer) {
    PageLayout out;
    const HtmlNode& body = document.Body();
    std::optional<std::uint32_t> bg;
    auto style = ParseInlineStyle(body.Attribute("style"));
    for (const char* name : {"background-color", "background"}) {
        if (!bg && style.count(name)) {
            bg = ParseCssColour(style[name]);
        }
    }
    if (!bg && !body.Attribute("bgcolor").empty()) {
        bg = ParseCssColour(body.Attribute("bgcolor"));
    }
    if (!bg) {
        for (const char* name : {"background-color", "background"}) {
            auto it = document.RootStyle().find(name);
            if (!bg && it != document.RootStyle().end()) {
                bg = ParseCssColour(it->second);
            }
        }
    }
    out.background = bg.value_or(0xFFFFFF);
    Layout layout(document, measurer, out);
    // Without a body element the whole document is laid out as the body.
    out.height = std::clamp(layout.Block(body, 0, 0, width, Inherited{}, 0), 0, kMaxPageHeight);
    return out;
}

} // namespace velm
