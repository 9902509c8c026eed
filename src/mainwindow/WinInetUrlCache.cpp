// The system's URL cache behind the cleaner's interface: a fixed 2048-byte record buffer, and the
// group functions looked up at run time because older libraries lack them.
#include "mainwindow/CacheMain.h"

#include "base/DllSearch.h"

#include <windows.h>
#include <wininet.h>

namespace velm {
namespace {

class WinInetUrlCache final : public UrlCache {
public:
    WinInetUrlCache() {
        HMODULE wininet = ::GetModuleHandleA("wininet.dll");
        if (!wininet) {
            wininet = LoadSystemLibrary("wininet.dll");
        }
        if (wininet) {
            findFirstGroup_ = reinterpret_cast<FindFirstGroupFn>(
                ::GetProcAddress(wininet, "FindFirstUrlCacheGroup"));
            findNextGroup_ = reinterpret_cast<FindNextGroupFn>(
                ::GetProcAddress(wininet, "FindNextUrlCacheGroup"));
            deleteGroup_ =
                reinterpret_cast<DeleteGroupFn>(::GetProcAddress(wininet, "DeleteUrlCacheGroup"));
        }
    }

    bool HasGroupFunctions() override { return findFirstGroup_ && findNextGroup_ && deleteGroup_; }

    Handle FindFirstGroup(std::uint64_t& group) override {
        GROUPID id = 0;
        ::SetLastError(0);
        HANDLE h = findFirstGroup_(0, CACHEGROUP_SEARCH_ALL, nullptr, 0, &id, nullptr);
        Remember();
        group = static_cast<std::uint64_t>(id);
        return h;
    }

    bool FindNextGroup(Handle find, std::uint64_t& group) override {
        GROUPID id = 0;
        BOOL ok = findNextGroup_(find, &id, nullptr);
        Remember();
        group = static_cast<std::uint64_t>(id);
        return ok != FALSE;
    }

    bool DeleteGroup(std::uint64_t group, std::uint32_t flags) override {
        BOOL ok = deleteGroup_(static_cast<GROUPID>(group), flags, nullptr);
        Remember();
        return ok != FALSE;
    }

    Handle FindFirstEntry(const std::string& pattern, Entry& entry) override {
        Reset();
        DWORD size = kBufferSize;
        // The cache documents only "cookie:", "visited:" and no pattern (every entry); a match-all
        // wildcard is asked for as no pattern, which every version of the library understands.
        bool all = pattern.empty() || pattern == "*.*" || pattern == "*";
        HANDLE h = ::FindFirstUrlCacheEntryA(all ? nullptr : pattern.c_str(), Record(), &size);
        Remember();
        if (h) {
            Read(entry);
        }
        return h;
    }

    bool FindNextEntry(Handle find, Entry& entry) override {
        Reset();
        DWORD size = kBufferSize;
        BOOL ok = ::FindNextUrlCacheEntryA(find, Record(), &size);
        Remember();
        if (ok) {
            Read(entry);
        }
        return ok != FALSE;
    }

    bool DeleteEntry(const std::string& sourceUrl) override {
        return ::DeleteUrlCacheEntryA(sourceUrl.c_str()) != FALSE;
    }

    void CloseFind(Handle find) override { ::FindCloseUrlCache(find); }

    std::uint32_t LastError() override { return lastError_; }

private:
    static constexpr DWORD kBufferSize = 2048;
    using FindFirstGroupFn = HANDLE(WINAPI*)(DWORD, DWORD, LPVOID, DWORD, GROUPID*, LPVOID);
    using FindNextGroupFn = BOOL(WINAPI*)(HANDLE, GROUPID*, LPVOID);
    using DeleteGroupFn = BOOL(WINAPI*)(GROUPID, DWORD, LPVOID);

    INTERNET_CACHE_ENTRY_INFOA* Record() {
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer_);
    }
    void Reset() { Record()->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOA); }
    void Read(Entry& entry) {
        const char* url = Record()->lpszSourceUrlName;
        entry.sourceUrl = url ? url : "";
        entry.type = Record()->CacheEntryType;
    }
    void Remember() { lastError_ = ::GetLastError(); }

    alignas(8) unsigned char buffer_[kBufferSize] = {};
    std::uint32_t lastError_ = 0;
    FindFirstGroupFn findFirstGroup_ = nullptr;
    FindNextGroupFn findNextGroup_ = nullptr;
    DeleteGroupFn deleteGroup_ = nullptr;
};

static_assert(sizeof(INTERNET_CACHE_ENTRY_INFOA) == (sizeof(void*) == 4 ? 80 : 112),
              "the record the cache fills: 80 bytes in the 32-bit program, 112 in the 64-bit one");

} // namespace

void ClearUrlCache(const std::string& strPattern, std::uint32_t dwExcludeMask) {
    WinInetUrlCache cache;
    ClearUrlCache(cache, strPattern, dwExcludeMask);
}

} // namespace velm
