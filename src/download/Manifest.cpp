#include "download/Manifest.h"

#include <cstring>

namespace velm {
namespace {
constexpr char kKey[] = "version";
constexpr std::size_t kKeyLen = sizeof(kKey) - 1;
constexpr std::size_t kValueStart = 8; // the 9th character
} // namespace

void ManifestReader::Feed(std::string_view bytes) {
    for (char c : bytes) {
        if (found_) {
            return;
        }
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n') {
                continue; // the LF of a CR LF pair belongs to the line end
            }
        }
        if (c == '\r') {
            EndLine();
            afterCr_ = true;
            continue;
        }
        Take(c);
    }
}

void ManifestReader::Finish() {
    if (found_) {
        return;
    }
    // A last line without terminator still counts; an empty remainder after a terminator is no
    // line at all, and cannot contain the key anyway.
    EndLine();
}

void ManifestReader::Take(char c) {
    char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    std::memmove(window_, window_ + 1, kKeyLen - 1);
    window_[kKeyLen - 1] = lower;
    if (!lineHasKey_ && column_ + 1 >= kKeyLen && std::memcmp(window_, kKey, kKeyLen) == 0) {
        lineHasKey_ = true;
    }
    if (column_ >= kValueStart) {
        if (c == ' ') {
            if (!candidate_.empty() || candidateTruncated_) {
                ++pendingSpaces_;
            }
        } else {
            std::size_t need = candidate_.size() + pendingSpaces_ + 1;
            if (need > maxValue_) {
                candidateTruncated_ = true;
            } else {
                candidate_.append(pendingSpaces_, ' ');
                candidate_.push_back(c);
            }
            pendingSpaces_ = 0;
        }
    }
    ++column_;
}

void ManifestReader::EndLine() {
    if (lineHasKey_) {
        found_ = true;
        value_ = std::move(candidate_);
        truncated_ = candidateTruncated_;
    }
    column_ = 0;
    std::memset(window_, 0, sizeof(window_));
    lineHasKey_ = false;
    candidate_.clear();
    pendingSpaces_ = 0;
    candidateTruncated_ = false;
}

bool ReadManifestVersion(std::string_view manifest, std::string& value, bool* truncated) {
    ManifestReader reader;
    reader.Feed(manifest);
    reader.Finish();
    value = reader.Value();
    if (truncated) {
        *truncated = reader.Truncated();
    }
    return reader.Found();
}

std::string VersionString(unsigned major, unsigned minor, unsigned revision) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

std::string UpdaterParameters(std::string_view exePath) {
    std::size_t slash = exePath.find_last_of('\\');
    std::string_view dir =
        slash == std::string_view::npos ? std::string_view{} : exePath.substr(0, slash);
    std::string_view file = slash == std::string_view::npos ? exePath : exePath.substr(slash + 1);
    std::string directory(dir);
    if (directory.size() == 2 && directory[1] == ':') {
        directory += '\\'; // a drive root keeps its backslash
    }
    std::size_t dot = file.find_last_of('.');
    std::string_view name = dot == std::string_view::npos ? file : file.substr(0, dot);
    std::string out = directory;
    out += '|';
    out += directory;
    out += '\\';
    out += name;
    out += ".exe";
    return out;
}

} // namespace velm
