// The commands the login page gives the client by navigating to app:// addresses.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

enum class AppCommand { None, ExitGame, Minimize, LoadGame };

inline constexpr std::string_view kExitGameCommand = "app://exitgame";
inline constexpr std::string_view kMinimizeCommand = "app://minimize";
inline constexpr std::string_view kLoadGameCommand = "app://loadgame";

// The first command whose literal is contained anywhere in `address` (case-sensitive), tested
// exit, minimise, load in that order.
AppCommand MatchAppCommand(std::string_view address);
// True for the commands whose navigation is cancelled: every one of them.
bool CancelsNavigation(AppCommand command);
// `address` split at every "|"; n separators give n + 1 fields (empty ones included).
std::vector<std::string_view> SplitFields(std::string_view address);
// Field 1 of a load command's address: the game address. None when the address has no second
// field or it is empty, so a malformed command opens nothing.
std::optional<std::string> GameAddress(std::string_view address);

// Whether `address` may be opened as a game in the client's trusted window: an absolute http or
// https address with a host, at most 2048 characters, without control characters, backslashes or
// user information. Anything else (file:, UNC paths, javascript:, res:, look-alike hosts such as
// "http://site@elsewhere/") could open local content or send the player's credentials away.
bool IsGameAddress(std::string_view address);

} // namespace velm
