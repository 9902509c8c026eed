// Talks to the demo server's control interface (tools/demo_server.py --control).
#pragma once

#include <string>

namespace velm::test {

// GET of a path on the demo server; returns the body, or "" on failure.
std::string DemoGet(const std::string& pathAndQuery);
// The manifest's version line value.
bool DemoSetVersion(const std::string& version);
// Replaces what `path` answers.
bool DemoSet(const std::string& path, int status, const std::string& body,
             const std::string& type = "text/plain");
bool DemoReset();
std::string UrlEncode(const std::string& text);

} // namespace velm::test
