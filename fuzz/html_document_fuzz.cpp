// The basic browser's page model and layout take whatever a server sends. Any input must parse
// and lay out without fault within the tree's and the layout's bounds, links must resolve to
// addresses of the same page, and the app:// command reading must agree with a plain split of the
// address. Inputs run up to 1 MiB unless -max_len says otherwise: the bounds only show on big
// pages.
#include "FuzzCheck.h"

#include "browser/HtmlDocument.h"
#include "browser/HtmlLayout.h"
#include "startup/AppCommand.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

class Measurer : public velm::TextMeasurer {
public:
    int Width(std::string_view utf8, const velm::PageFont& font) override {
        return static_cast<int>(utf8.size()) * (font.bold ? 9 : 8);
    }
    int LineHeight(const velm::PageFont& font) override { return font.size + 4; }
};

using velm::fuzz::Check;

std::size_t CountNodes(const velm::HtmlNode& node) {
    std::size_t n = node.children.size();
    for (const auto& child : node.children) {
        n += child->attributes.size() + CountNodes(*child);
    }
    return n;
}

std::vector<char*> g_arguments;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static char maxLen[] = "-max_len=1048576";
    for (int i = 1; i < *argc; ++i) {
        if (std::string_view((*argv)[i]).rfind("-max_len=", 0) == 0) {
            return 0;
        }
    }
    g_arguments.assign(*argv, *argv + *argc);
    g_arguments.insert(g_arguments.begin() + 1, maxLen);
    g_arguments.push_back(nullptr);
    *argc += 1;
    *argv = g_arguments.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // A first byte 1 repeats the rest to (second byte + 1) x 4 KiB: a small input then makes a
    // page big enough to meet the tree's and the layout's bounds.
    std::string repeated;
    if (size > 2 && data[0] == 1) {
        const std::string_view unit = text.substr(2);
        const std::size_t target = (data[1] + std::size_t{1}) * 4096;
        while (repeated.size() < target) {
            repeated += unit;
        }
        text = repeated;
    }
    auto doc = velm::HtmlDocument::Parse(text, "http://127.0.0.1:8731/velm/login/");
    Check(doc.RootInnerHtml().size() <= text.size());
    Check(CountNodes(doc.Body()) <= velm::kMaxHtmlNodes);
    Measurer m;
    auto layout = velm::LayoutPage(doc, 920, m);
    Check(layout.items.size() <= velm::kMaxDisplayItems);
    Check(layout.height >= 0 && layout.height <= velm::kMaxPageHeight);
    for (const auto& item : layout.items) {
        // Links are absolute: a fragment alone resolves against the page's address.
        Check(item.href.empty() || item.href[0] != '#');
        if (!item.href.empty() && item.width > 0 && item.height > 0) {
            Check(!layout.LinkAt(item.x + item.width / 2, item.y + item.height / 2).empty());
        }
    }
    for (const auto& frame : doc.Frames()) {
        Check(!frame.empty());
    }
    (void)velm::ResolveUrl("http://h/a/b?c#d", text);
    (void)velm::ParseRefreshContent(text, "http://h/");
    (void)velm::ParseCssColour(text);
    (void)velm::DecodeEntities(text);

    auto fields = velm::SplitFields(text);
    std::size_t covered = fields.size() - 1;
    for (auto f : fields) {
        covered += f.size();
    }
    Check(covered == text.size());
    auto game = velm::GameAddress(text);
    Check(game.has_value() == (fields.size() >= 2 && !fields[1].empty()));
    if (game) {
        Check(*game == fields[1]);
    }
    // The first command literal found, tested exit, minimise, load in that order.
    auto has = [&](std::string_view literal) { return text.find(literal) != text.npos; };
    const velm::AppCommand want = has(velm::kExitGameCommand)   ? velm::AppCommand::ExitGame
                                  : has(velm::kMinimizeCommand) ? velm::AppCommand::Minimize
                                  : has(velm::kLoadGameCommand) ? velm::AppCommand::LoadGame
                                                                : velm::AppCommand::None;
    auto command = velm::MatchAppCommand(text);
    Check(command == want);
    Check(velm::CancelsNavigation(command) == (want != velm::AppCommand::None));
    return 0;
}
