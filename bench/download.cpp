// Downloader benchmark: the client's CKoDownLoadFile fetching one large file from a local HTTP
// server under Wine, against its floor, InternetReadFile alone in the same 8 KiB pieces under the
// same Wine (the two alternate, run by run), and for reference against curl fetching the same
// file natively in the same run (scripts/bench measures curl and passes its time in).
//
//   bench_download.exe URL EXPECTED-BYTES CURL-SECONDS [runs]
#include "download/CKoDownLoadFile.h"

#include "base/Handles.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER freq, t;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

long long FileBytes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Where the time goes: the same transfer read in pieces of `piece` bytes and dropped, without
// the file and the message pump.
double ReadOnly(const std::string& url, DWORD piece) {
    velm::UniqueInternet root(
        ::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    double start = Now();
    velm::UniqueInternet request(
        ::InternetOpenUrlA(root.get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    std::vector<char> buffer(piece);
    DWORD got = 0;
    while (request && ::InternetReadFile(request.get(), buffer.data(), piece, &got) && got > 0) {
    }
    return Now() - start;
}

// One empty message-queue check, as the downloader makes between pieces.
double PumpMicroseconds() {
    const int n = 20000;
    double start = Now();
    for (int i = 0; i < n; ++i) {
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    }
    return (Now() - start) * 1e6 / n;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::printf("usage: bench_download URL EXPECTED-BYTES CURL-SECONDS [runs]\n");
        return 2;
    }
    const std::string url = argv[1];
    const long long expected = std::atoll(argv[2]);
    const double curl = std::atof(argv[3]);
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;

    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string target = std::string(temp) + "velm-bench-download.bin";

    std::vector<double> times;
    std::vector<double> floors;
    velm::CKoDownLoadFile downloader;
    for (int i = 0; i < runs; ++i) {
        floors.push_back(ReadOnly(url, 8192));
        ::DeleteFileA(target.c_str());
        double start = Now();
        bool ok = downloader.DownLoadFile(url, target, false, false);
        double seconds = Now() - start;
        if (!ok || FileBytes(target) != expected) {
            std::printf("download: run %d failed (%lld of %lld bytes)\n", i, FileBytes(target),
                        expected);
            ::DeleteFileA(target.c_str());
            return 1;
        }
        times.push_back(seconds);
    }
    ::DeleteFileA(target.c_str());
    std::sort(times.begin(), times.end());
    std::sort(floors.begin(), floors.end());
    const double median = times[times.size() / 2];
    const double floor8k = floors[floors.size() / 2];
    const double mib = static_cast<double>(expected) / (1024.0 * 1024.0);
    std::printf("download %.0f MiB, medians of %d alternating runs:\n", mib, runs);
    std::printf("  CKoDownLoadFile                    %8.1f MiB/s (%.3f s)\n", mib / median,
                median);
    std::printf("  InternetReadFile alone, 8 KiB      %8.1f MiB/s (%.3f s)\n", mib / floor8k,
                floor8k);
    std::printf("  ratio                              %8.2fx (goal >= 0.9x)\n", floor8k / median);
    std::printf("  for reference: curl, native         %8.1f MiB/s (%.3f s), ratio %.2fx\n",
                mib / curl, curl, curl / median);
    std::printf("  InternetReadFile alone, 64 KiB     %8.1f MiB/s; one empty PeekMessage %.1f us\n",
                mib / ReadOnly(url, 65536), PumpMicroseconds());
    return 0;
}
