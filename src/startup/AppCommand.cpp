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
    return command == AppCommand::ExitGame || command == AppCommand::Minimize;
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

} // namespace velm
