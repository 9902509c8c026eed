// A GET request over WinINet whose every network step is bounded. Set on the root handle, the
// time-outs reach every handle made from it on Windows; Wine keeps only the connect time-out
// there, so an HTTP address is opened in its steps with the times set on the request before it
// is sent. Without bounds a server that accepts the connection and then falls silent holds the
// caller for good.
#pragma once

#include "base/Handles.h"

#include <windows.h>
#include <wininet.h>

#include <string>

namespace velm {

// How long one step may wait: connecting, sending, and each wait for data.
void SetInternetTimeouts(HINTERNET handle, DWORD ms);

// An http or https address (ANSI) as a sent GET request that always goes to the server (as
// InternetOpenUrlA with INTERNET_FLAG_RELOAD makes it), with `flags` added to the request's;
// nothing on failure, with the last error saying why. `http` tells whether the address was one of
// those; `connection` keeps the connection the request needs.
UniqueInternet OpenHttpGet(HINTERNET root, const std::string& url, DWORD flags, DWORD stepMs,
                           UniqueInternet& connection, bool& http);

// What a request needs kept open: its root handle, its connection and itself.
struct HttpGetHandles {
    UniqueInternet root;
    UniqueInternet connection;
    UniqueInternet request;
};

// Opens any address as OpenHttpGet does (InternetOpenUrlA for the other schemes), with a root
// handle of its own, and bounds the whole of it, connecting, sending and waiting for every byte of
// the answer's headers, by `totalMs`: each step's time-out alone lets a server that trickles its
// headers hold the caller for good. The steps run on a thread of their own; past the time the call
// gives up, and that thread closes what it opened when its steps end. False on failure or time-out.
bool OpenHttpGetWithin(const std::string& url, DWORD flags, DWORD totalMs, HttpGetHandles& out);

} // namespace velm
