// The basic browser's page model and layout take whatever a server sends. Any input must parse
// and lay out without fault, links must resolve to addresses of the same page, and the app://
// command reading must agree with a plain split of the address.
#include "browser/HtmlDocument.h"
#include "browser/HtmlLayout.h"
#include "startup/AppCommand.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

class Measurer : public velm::TextMeasurer {
public:
    int Width(std::string_view utf8, const velm::PageFont& font) override {
        return static_cast<int>(utf8.size()) * (font.bold ? 9 : 8);
    }
    int LineHeight(const velm::PageFont& font) override { return font.size + 4; }
};

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto doc = velm::HtmlDocument::Parse(text, "http://127.0.0.1:8731/velm/login/");
    Check(doc.RootInnerHtml().size() <= text.size());
    Measurer m;
    auto layout = velm::LayoutPage(doc, 920, m);
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
