// Which crash dumps stay: for any listing (names offered in any order, again with other times,
// too long to hold) the kept ones are the newest five of a plain reading, newest by time and then
// by name. Also the dump names: written whole or not at all, and always seen as dumps.
#include "FuzzCheck.h"

#include "base/CrashDumpFiles.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace velm;

using velm::fuzz::Check;

std::wstring Name(FuzzedDataProvider& in) {
    const std::uint8_t kind = in.ConsumeIntegral<std::uint8_t>();
    if (kind < 200) {
        // A few names, so that they meet again; some share a beginning.
        return std::wstring(1 + kind % 3, L'v') + std::to_wstring(kind % 7) + L".dmp";
    }
    // Near and past the longest name a listing holds.
    return std::wstring(NewestDumps::kNameCapacity - 3 + kind % 6, L'n');
}

void FuzzRetention(FuzzedDataProvider& in) {
    NewestDumps kept;
    std::map<std::wstring, std::uint64_t> newest; // each name's newest time
    while (in.remaining_bytes() > 0) {
        const std::wstring name = Name(in);
        const std::uint64_t time = in.ConsumeIntegralInRange<std::uint64_t>(0, 20) *
                                   (in.ConsumeBool() ? 1 : 0x0123456789ABull);
        kept.Offer(name.c_str(), time);
        if (name.size() < NewestDumps::kNameCapacity) {
            auto [it, fresh] = newest.emplace(name, time);
            if (!fresh) {
                it->second = std::max(it->second, time);
            }
        }
    }
    std::vector<std::pair<std::uint64_t, std::wstring>> order;
    for (const auto& [name, time] : newest) {
        order.emplace_back(time, name);
    }
    std::sort(order.rbegin(), order.rend());
    for (std::size_t i = 0; i < order.size(); ++i) {
        Check(kept.Keeps(order[i].second.c_str()) == (i < NewestDumps::kKept));
    }
    Check(!kept.Keeps(std::wstring(NewestDumps::kNameCapacity, L'n').c_str()));
}

void FuzzNames(FuzzedDataProvider& in) {
    DumpTime t;
    t.year = in.ConsumeIntegral<unsigned>();
    t.month = in.ConsumeIntegralInRange<unsigned>(0, 99);
    t.day = in.ConsumeIntegralInRange<unsigned>(0, 99);
    t.hour = in.ConsumeIntegral<unsigned>();
    t.minute = in.ConsumeIntegralInRange<unsigned>(0, 99);
    t.second = in.ConsumeIntegralInRange<unsigned>(0, 99);
    const unsigned n = in.ConsumeIntegral<unsigned>();
    const std::size_t capacity = in.ConsumeIntegralInRange<std::size_t>(0, 120);
    const std::string program = in.ConsumeRandomLengthString(40);
    const std::string version = in.ConsumeRandomLengthString(20);
    if (program.find('\0') != std::string::npos || version.find('\0') != std::string::npos) {
        return;
    }
    std::vector<wchar_t> out(capacity + 1, L'#');
    const bool written = DumpFileName(program.c_str(), version.c_str(), t, n, out.data(), capacity);
    Check(out[capacity] == L'#'); // never past the buffer
    if (capacity == 0) {
        Check(!written);
        return;
    }
    const std::wstring name(out.data());
    Check(written == !name.empty());
    if (written) {
        Check(name.size() < capacity && IsDumpFileName(name.c_str()));
        Check(name.size() > program.size() && name[program.size()] == L'-');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    FuzzedDataProvider in(data + 1, size - 1);
    if (data[0] & 1) {
        FuzzNames(in);
    } else {
        FuzzRetention(in);
    }
    return 0;
}
