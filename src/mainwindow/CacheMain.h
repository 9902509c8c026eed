// The browser cache cleaner: one pass over the URL cache that deletes every cache group with its
// entries, then every remaining entry matching a pattern whose type has none of the excluded
// bits. Never reports an error: a failure ends the pass quietly where it happens.
//
// The pass is written against the small UrlCache interface, so it builds without the platform;
// WinInetUrlCache is the system's cache.
#pragma once

#include <cstdint>
#include <string>

namespace velm {

class UrlCache {
public:
    static constexpr std::uint32_t kErrorFileNotFound = 2;
    static constexpr std::uint32_t kErrorNoMoreItems = 259;
    static constexpr std::uint32_t kFlushUrlOnDelete = 2; // CACHEGROUP_FLAG_FLUSHURL_ONDELETE

    struct Entry {
        std::string sourceUrl;
        std::uint32_t type = 0;
    };
    using Handle = void*;

    virtual ~UrlCache() = default;
    // False when the system's library lacks the group functions.
    virtual bool HasGroupFunctions() = 0;
    virtual Handle FindFirstGroup(std::uint64_t& group) = 0;
    virtual bool FindNextGroup(Handle find, std::uint64_t& group) = 0;
    virtual bool DeleteGroup(std::uint64_t group, std::uint32_t flags) = 0;
    virtual Handle FindFirstEntry(const std::string& pattern, Entry& entry) = 0;
    virtual bool FindNextEntry(Handle find, Entry& entry) = 0;
    virtual bool DeleteEntry(const std::string& sourceUrl) = 0;
    virtual void CloseFind(Handle find) = 0;
    // The error code of the last failed call.
    virtual std::uint32_t LastError() = 0;
};

void ClearUrlCache(UrlCache& cache, const std::string& strPattern, std::uint32_t dwExcludeMask);

// The system's URL cache.
void ClearUrlCache(const std::string& strPattern, std::uint32_t dwExcludeMask);

} // namespace velm
