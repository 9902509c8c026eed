// Reading the update manifest: its version line and value, and the texts the update check forms.
// Window-free, so it is also built and tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velm {

// Streams the manifest's bytes and finds the first version line.
//
// A line ends at CR LF or at a bare CR; a bare LF is part of the line. The version line is the
// first one whose text, with ASCII letters lower-cased, contains "version". Its value is the line
// from the 9th character on, with leading and trailing spaces (only spaces) removed.
//
// Memory stays bounded whatever the input: the line being read is not kept, only a rolling
// window for the "version" search, and a value is kept up to `maxValue` bytes (a longer value is
// marked truncated, which is enough to know that it differs from any version string of the
// program).
class ManifestReader {
public:
    explicit ManifestReader(std::size_t maxValue = 4096) : maxValue_(maxValue) {}

    // Feeds the next bytes. Does nothing once the version line has been read.
    void Feed(std::string_view bytes);
    // The end of the input: the last line needs no terminator.
    void Finish();

    bool Found() const noexcept { return found_; }
    // True when no more input is needed (the version line has ended).
    bool Done() const noexcept { return found_; }
    const std::string& Value() const noexcept { return value_; }
    bool Truncated() const noexcept { return truncated_; }
    // Exact, case-sensitive comparison of the value with `version`.
    bool ValueEquals(std::string_view version) const noexcept {
        return found_ && !truncated_ && value_ == version;
    }

private:
    void EndLine();
    void Take(char c);

    std::size_t maxValue_;
    bool found_ = false;
    bool afterCr_ = false;
    // Current line state.
    std::size_t column_ = 0;  // characters of the line so far
    char window_[7] = {};     // the last 7 lower-cased characters
    bool lineHasKey_ = false; // "version" seen in this line
    std::string candidate_;   // value so far (leading spaces skipped, trailing pending)
    std::size_t pendingSpaces_ = 0;
    bool candidateTruncated_ = false;
    // Result.
    std::string value_;
    bool truncated_ = false;
};

// Finds the version value in a whole manifest. Returns false when there is no version line.
bool ReadManifestVersion(std::string_view manifest, std::string& value, bool* truncated = nullptr);

// "major.minor.revision" in decimal without padding.
std::string VersionString(unsigned major, unsigned minor, unsigned revision);

// The updater's parameter string for the executable at `exePath` (a full path with backslashes):
// directory "|" directory "\" name-without-extension ".exe". The directory has no trailing
// backslash, except a drive root, which keeps its own.
std::string UpdaterParameters(std::string_view exePath);

} // namespace velm
