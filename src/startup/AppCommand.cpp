#include "startup/AppCommand.h"

namespace velm {

AppCommand MatchAppCommand(std::string_view address) {
    if (address.find(kExitGameCommand) != std::string_view::npos) {
        return AppCommand::ExitGame;
    }
    if (address.find(kMinimizeCommand) != std::string_view::npos) {
        return AppCommand::Minimize;
    }
    if (address.find(kLoadGameCommand) != std::string_view::npos) {
        return AppCommand::LoadGame;
    }
    return AppCommand::None;
}

bool CancelsNavigation(AppCommand command) {
    // "loadgame" too: its handler closes the login window and the browser with it, so the
    // navigation has nowhere to go on.
    return command != AppCommand::None;
}

std::vector<std::string_view> SplitFields(std::string_view address) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t bar = address.find('|', start);
        if (bar == std::string_view::npos) {
            fields.push_back(address.substr(start));
            return fields;
        }
        fields.push_back(address.substr(start, bar - start));
        start = bar + 1;
    }
}

std::optional<std::string> GameAddress(std::string_view address) {
    // Only the second field matters; finding two separators is enough, however many follow.
    size_t first = address.find('|');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    size_t second = address.find('|', first + 1);
    std::string_view field = address.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    if (field.empty()) {
        return std::nullopt;
    }
    return std::string(field);
}

bool IsGameAddress(std::string_view address) {
    constexpr std::size_t kMaxLength = 2048;
    if (address.size() > kMaxLength) {
        return false;
    }
    for (char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            return false;
        }
    }
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::size_t schemeEnd = address.find("://");
    if (schemeEnd == std::string_view::npos) {
        return false;
    }
    std::string scheme;
    for (char c : address.substr(0, schemeEnd)) {
        scheme += lower(c);
    }
    if (scheme != "http" && scheme != "https") {
        return false;
    }
    std::string_view rest = address.substr(schemeEnd + 3);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (authority.find('@') != std::string_view::npos) {
        return false;
    }
    std::size_t colon = authority.rfind(':');
    std::string_view host = authority.substr(0, colon);
    if (colon != std::string_view::npos) {
        std::string_view port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5 ||
            port.find_first_not_of("0123456789") != std::string_view::npos) {
            return false;
        }
    }
    return !host.empty();
}

} // namespace velm
