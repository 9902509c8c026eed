// Our declarations of the modern web runtime's interfaces against the runtime's own slot list
// (tests/fakewebview2/slots.tsv: interface, IID, slot, method; a copy of the runtime facts' list):
// every method we declare sits in the slot the runtime has for it, every interface we declare has
// all its slots, and its IID is the runtime's. The slots are the compiler's own: with GCC's C++ ABI
// a pointer to a virtual member function holds 1 + the method's byte offset in the vtable.
#include "browser/WebView2.h"

#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace velm {
namespace {

template <class F> long SlotOf(F member) {
    static_assert(sizeof(F) == 2 * sizeof(std::intptr_t));
    std::intptr_t word = 0;
    std::memcpy(&word, &member, sizeof(word));
    if ((word & 1) == 0) {
        return -1; // not virtual
    }
    return static_cast<long>((word - 1) / static_cast<std::intptr_t>(sizeof(void*)));
}

std::string IidText(const IID& iid) {
    char text[40];
    std::snprintf(text, sizeof(text), "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  static_cast<unsigned long>(iid.Data1), iid.Data2, iid.Data3, iid.Data4[0],
                  iid.Data4[1], iid.Data4[2], iid.Data4[3], iid.Data4[4], iid.Data4[5],
                  iid.Data4[6], iid.Data4[7]);
    return text;
}

struct Declared {
    std::string iid;      // from __uuidof
    bool constantMatches; // IID_<interface> == __uuidof(<interface>)
    std::map<long, std::string> slots;
    std::vector<std::string> duplicates;
};

// One row per interface and per method of it, in a plain table: a function that built a map
// entry per method directly would be one huge function for the compiler.
struct IidRow {
    const char* name;
    IID iid;
    bool constantMatches;
};
struct SlotRow {
    const char* name;
    const char* method;
    long slot;
};

#define VELM_IID(I) {#I, __uuidof(I), IID_##I == __uuidof(I)},
#define VELM_SLOT(I, M)
const IidRow kIids[] = {
#include "WebView2SlotTable.inc"
};
#undef VELM_IID
#undef VELM_SLOT
#define VELM_IID(I)
#define VELM_SLOT(I, M) {#I, #M, SlotOf(&I::M)},
const SlotRow kSlots[] = {
#include "WebView2SlotTable.inc"
};
#undef VELM_IID
#undef VELM_SLOT

std::map<std::string, Declared> DeclaredInterfaces() {
    std::map<std::string, Declared> out;
    for (const IidRow& row : kIids) {
        out[row.name].iid = IidText(row.iid);
        out[row.name].constantMatches = row.constantMatches;
    }
    for (const SlotRow& row : kSlots) {
        if (!out[row.name].slots.emplace(row.slot, row.method).second) {
            out[row.name].duplicates.push_back(row.method);
        }
    }
    return out;
}

struct Runtime {
    std::string iid;
    std::map<long, std::string> slots;
};

// slots.tsv, and slots-extra.tsv for the few interfaces we use that it does not list.
std::map<std::string, Runtime> RuntimeSlots() {
    std::map<std::string, Runtime> out;
    const std::string folder = std::string(VELM_SOURCE_DIR) + "/tests/fakewebview2/";
    std::istringstream lines(test::ReadFileBytes(test::FromUnixPath(folder + "slots.tsv")) +
                             test::ReadFileBytes(test::FromUnixPath(folder + "slots-extra.tsv")));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string name, iid, slot, method;
        if (std::getline(fields, name, '\t') && std::getline(fields, iid, '\t') &&
            std::getline(fields, slot, '\t') && std::getline(fields, method)) {
            if (!method.empty() && method.back() == '\r') {
                method.pop_back();
            }
            out[name].iid = iid;
            out[name].slots[std::stol(slot)] = method;
        }
    }
    return out;
}

TEST(WebView2Declarations, EveryDeclaredMethodSitsInTheRuntimesSlotWithTheRuntimesIid) {
    auto runtime = RuntimeSlots();
    ASSERT_GE(runtime.size(), 49u) << "slots.tsv not read";
    auto declared = DeclaredInterfaces();
    ASSERT_FALSE(declared.empty());
    for (const auto& [name, d] : declared) {
        SCOPED_TRACE(name);
        auto r = runtime.find(name);
        ASSERT_NE(r, runtime.end()) << "not an interface of the runtime";
        EXPECT_EQ(d.iid, r->second.iid);
        EXPECT_TRUE(d.constantMatches) << "IID_" << name << " differs from its __uuidof";
        EXPECT_TRUE(d.duplicates.empty()) << "two methods share a slot: " << d.duplicates[0];
        // Slots 0-2 are IUnknown's; from 3 on, ours and the runtime's must be the same list.
        std::map<long, std::string> expected(r->second.slots.lower_bound(3), r->second.slots.end());
        EXPECT_EQ(d.slots, expected);
    }
}

TEST(WebView2Declarations, TheEntryPointHasTheRuntimesSignature) {
    using Expected =
        HRESULT(STDMETHODCALLTYPE*)(bool, WebView2RuntimeType, PCWSTR, IUnknown*,
                                    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);
    EXPECT_TRUE((std::is_same_v<CreateWebViewEnvironmentWithOptionsInternalProc, Expected>));
    EXPECT_EQ(sizeof(WebView2RuntimeType), 4u);
    EXPECT_EQ(sizeof(EventRegistrationToken), 8u);
}

} // namespace
} // namespace velm
