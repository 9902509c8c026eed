// What the crash dumps are called and which of them stay. Window-free and heap-free: it runs in a
// process that has just failed, where the heap may be the very thing that failed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velm {

// Local time of the failure, as the system clock gives it.
struct DumpTime {
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
};

// "<program>-<version>-YYYYMMDD-HHMMSS.dmp"; the n-th name for the same second (n >= 2, when the
// earlier ones are taken) ends "-<n>.dmp". Written with its terminating zero into `out`; false,
// and `out` empty, when it needs more than `capacity` characters. `program` and `version` are
// ASCII.
bool DumpFileName(const char* program, const char* version, const DumpTime& time, unsigned n,
                  wchar_t* out, std::size_t capacity) noexcept;

// Whether a file of the dump folder is a dump (its name ends in ".dmp", any letter case).
bool IsDumpFileName(const wchar_t* name) noexcept;

// The newest kKept dumps of a folder, picked while a listing offers them one at a time; the others
// are the ones to delete.
class NewestDumps {
public:
    static constexpr std::size_t kKept = 5;
    static constexpr std::size_t kNameCapacity = 260; // a folder listing's longest name, with 0

    // `time` orders the dumps (a file time: larger is newer; equal times order by name). A name
    // offered again keeps its newer time; one too long to hold is never kept.
    void Offer(const wchar_t* name, std::uint64_t time) noexcept;
    bool Keeps(const wchar_t* name) const noexcept;

private:
    struct Entry {
        std::uint64_t time = 0;
        wchar_t name[kNameCapacity] = {};
    };
    Entry kept_[kKept];
    std::size_t count_ = 0;
};

} // namespace velm
