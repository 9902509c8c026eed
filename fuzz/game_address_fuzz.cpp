// The test every game address passes before the client's trusted window opens it (from the login
// page and from DDE): whatever the text, the answer is the written rule's, read here a second way.
#include "startup/AppCommand.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// An absolute http or https address with a host, at most 2048 bytes, no control character, DEL
// or backslash, no user information; a port, when given, is 1 to 5 digits.
bool Rule(std::string_view a) {
    if (a.size() > 2048) {
        return false;
    }
    for (unsigned char c : a) {
        if (c < 0x20 || c == 0x7F || c == '\\') {
            return false;
        }
    }
    std::string lower;
    for (char c : a.substr(0, 8)) {
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    std::size_t start;
    if (lower.rfind("http://", 0) == 0) {
        start = 7;
    } else if (lower.rfind("https://", 0) == 0) {
        start = 8;
    } else {
        return false;
    }
    std::size_t end = start;
    while (end < a.size() && a[end] != '/' && a[end] != '?' && a[end] != '#') {
        if (a[end] == '@') {
            return false;
        }
        ++end;
    }
    std::string_view authority = a.substr(start, end - start);
    std::size_t colon = authority.size();
    while (colon > 0 && authority[colon - 1] != ':') {
        --colon;
    }
    if (colon == 0) {
        return !authority.empty();
    }
    std::string_view port = authority.substr(colon);
    if (port.empty() || port.size() > 5) {
        return false;
    }
    for (char c : port) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return colon > 1; // a host before the colon
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view address(reinterpret_cast<const char*>(data), size);
    const bool accepted = velm::IsGameAddress(address);
    if (accepted != Rule(address)) {
        std::fprintf(stderr, "IsGameAddress says %d, the rule %d\n", accepted, !accepted);
        std::abort();
    }
    // A game address stays one with a path of its own added, and none with user information.
    if (accepted &&
        address.find_first_of("/?#", address.find("://") + 3) == std::string_view::npos) {
        const std::string withPath = std::string(address) + "/velm/";
        if (withPath.size() <= 2048 && !velm::IsGameAddress(withPath)) {
            std::abort();
        }
        const std::size_t hostAt = address.find("://") + 3;
        const std::string withUser =
            std::string(address.substr(0, hostAt)) + "u:p@" + std::string(address.substr(hostAt));
        if (velm::IsGameAddress(withUser)) {
            std::abort();
        }
    }
    return 0;
}
