// What a game page's tab does when the network takes its page away: which failures mean the
// network is gone, when our own page stands in for the engine's error page, and when the game
// page is tried again. The tab's window keeps the timers; this keeps the decisions.
#pragma once

#include <string>

namespace velm {

// True for a failure that means the network (or the route to the game's server) is gone: no
// connection, a name that does not resolve, a connection refused, reset or broken off, a time
// limit passed. `status` is as the browser's NavigateError gives it: an HTTP status (an answer
// from a live server: never a loss) or an HRESULT (the engines' INET_E_* codes, or a WinINet
// error as HRESULT_FROM_WIN32).
bool IsNetworkLoss(long status);

// Our page: the line saying that the connection broke and is being tried again, and the link
// that tries at once, which goes to `address`.
std::string RetryPageHtml(const std::string& address);

class PageRetry {
public:
    // After each failed try, the next one this much later.
    static constexpr unsigned kRetryMs = 5000;
    // While our page is up, the game's server is asked this often whether it takes connections.
    static constexpr unsigned kProbeMs = 1000;

    enum class State {
        Normal,   // the game page is up or on its way
        Lost,     // our page is up (or going up): the browser's events are not the game's
        Retrying, // the game page is being tried again
    };
    State state() const noexcept { return state_; }
    // The browser's events are the game page's, not our page's (nor the rest of a failed load).
    bool Passes() const noexcept { return state_ != State::Lost; }
    // The address that was taken away: the one tried again.
    const std::string& Address() const noexcept { return address_; }

    // The tab goes to a new address on request: whatever was lost is forgotten.
    void Open();
    // The top document failed. True when the network took it: our page goes up now, and the
    // address is tried again after kRetryMs. `url` is the address that failed; `fallback`, the
    // tab's own, stands in when the failed one is no web address.
    bool Failed(const std::string& url, long status, const std::string& fallback);
    // A top-level navigation is starting. One to a web address while our page is up (its link,
    // or the page sent anywhere by the player) is a try.
    void Starting(const std::string& url);
    // The top document completed: when it is the game's, the tab is itself again.
    void Completed();
    // Time to try again (the timer, the player's refresh, the server back): the address to
    // load, or "" when nothing was lost.
    std::string Retry();
    // The probe's answer. True when the server turned from unreachable to reachable: try at once.
    // A server that took connections all along gives no such turn; its page waits for the timer.
    bool ProbeAnswered(bool reached);

private:
    State state_ = State::Normal;
    std::string address_;
    bool unreachableSeen_ = false;
};

} // namespace velm
