#include "mainwindow/CacheMain.h"

#include "base/Log.h"

namespace velm {
namespace {

// Closes a search handle when the pass leaves its phase, however it leaves.
class FindScope {
public:
    FindScope(UrlCache& cache, UrlCache::Handle h) : cache_(cache), h_(h) {}
    FindScope(const FindScope&) = delete;
    FindScope& operator=(const FindScope&) = delete;
    ~FindScope() {
        if (h_) {
            cache_.CloseFind(h_);
        }
    }

private:
    UrlCache& cache_;
    UrlCache::Handle h_;
};

// Returns false when the whole pass must end.
bool DeleteGroups(UrlCache& cache) {
    if (!cache.HasGroupFunctions()) {
        return true;
    }
    std::uint64_t group = 0;
    UrlCache::Handle find = cache.FindFirstGroup(group);
    if (!find) {
        // "No groups" comes as ERROR_FILE_NOT_FOUND; a null result that reports no error at all
        // is no failure either, and the entries are still cleaned.
        std::uint32_t error = cache.LastError();
        return error == UrlCache::kErrorFileNotFound || error == 0;
    }
    FindScope scope(cache, find);
    for (;;) {
        if (!cache.DeleteGroup(group, UrlCache::kFlushUrlOnDelete)) {
            return false;
        }
        if (!cache.FindNextGroup(find, group)) {
            return cache.LastError() == UrlCache::kErrorFileNotFound;
        }
    }
}

void DeleteEntries(UrlCache& cache, const std::string& pattern, std::uint32_t excludeMask) {
    UrlCache::Entry entry;
    UrlCache::Handle find = cache.FindFirstEntry(pattern, entry);
    if (!find) {
        return;
    }
    FindScope scope(cache, find);
    for (;;) {
        if ((entry.type & excludeMask) == 0) {
            cache.DeleteEntry(entry.sourceUrl); // an entry in use stays; the pass goes on
        }
        if (!cache.FindNextEntry(find, entry)) {
            return; // no more items, or a failure that ends the pass here
        }
    }
}

} // namespace

void ClearUrlCache(UrlCache& cache, const std::string& strPattern, std::uint32_t dwExcludeMask) {
    try {
        if (DeleteGroups(cache)) {
            DeleteEntries(cache, strPattern, dwExcludeMask);
        }
    } catch (...) {
        // The cleaner never reports to the player; what was deleted stays deleted.
        LogCaught("ClearUrlCache");
    }
}

} // namespace velm
