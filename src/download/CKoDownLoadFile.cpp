#include "download/CKoDownLoadFile.h"

#include "base/Handles.h"
#include "base/HttpGet.h"
#include "base/Log.h"
#include "base/WindowObject.h"
#include "download/PieceWriter.h"

#include <windows.h>
#include <wininet.h>

#include <limits>

namespace velm {
namespace {

// The body is written to a sibling file first and moved over the target only when the transfer
// has ended well, so a broken transfer never replaces a good earlier file.
std::string PartPath(const std::string& target) {
    return target + ".part";
}

DWORD QueryNumber(HINTERNET request, DWORD what, bool& present) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD index = 0;
    present = ::HttpQueryInfoA(request, what | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index) != 0;
    return present ? value : 0;
}

// The pieces are read in the fixed size and written in batches of this many bytes.
constexpr std::size_t kWriteBatch = 32 * CKoDownLoadFile::kPieceSize;

// Decides when the transfer loop lets the caller's window messages run. Under Wine an empty
// look at the queue is a round trip to the wineserver that costs about as much as reading an
// 8 KiB piece from a local server, so the queue is not looked at after every piece: once after
// the first piece (whatever was already waiting runs at once), then whenever kPumpIntervalMs has
// passed, which keeps the windows as responsive as a person can tell.
class MessagePacer {
public:
    static constexpr LONGLONG kPumpIntervalMs = 4;

    MessagePacer() {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        interval_ = frequency.QuadPart * kPumpIntervalMs / 1000;
    }
    bool Due() {
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        if (started_ && now.QuadPart - last_ < interval_) {
            return false;
        }
        started_ = true;
        last_ = now.QuadPart;
        return true;
    }

private:
    LONGLONG interval_ = 0;
    LONGLONG last_ = 0;
    bool started_ = false;
};

// The end of a call's time, or none.
class Deadline {
public:
    explicit Deadline(unsigned long ms) : ms_(ms), start_(::GetTickCount()) {}
    bool Passed() const { return ms_ != 0 && ::GetTickCount() - start_ >= ms_; }
    // The longest a single network step may wait from now.
    DWORD StepMs() const {
        DWORD step = CKoDownLoadFile::kTimeoutMs;
        if (ms_ != 0) {
            DWORD elapsed = ::GetTickCount() - start_;
            DWORD left = elapsed >= ms_ ? 1 : ms_ - elapsed;
            step = left < step ? left : step;
        }
        return step;
    }
    // What is left of the whole call (only for a bounded call).
    DWORD LeftMs() const {
        DWORD elapsed = ::GetTickCount() - start_;
        return elapsed >= ms_ ? 1 : ms_ - elapsed;
    }

private:
    unsigned long ms_;
    DWORD start_;
};

} // namespace

bool CKoDownLoadFile::DownLoadFile(const std::string& strURLFile, const std::string& strSaveFile,
                                   bool bHidden, bool bRaiseEvent) {
    if (busy_) {
        // A second call from a handler running inside the first would interleave two transfers
        // on one object; it is refused instead.
        return false;
    }
    busy_ = true;
    bool result = false;
    try {
        result = Transfer(strURLFile, strSaveFile, bHidden, bRaiseEvent);
    } catch (...) {
        LogCaught("CKoDownLoadFile.DownLoadFile(" + strURLFile + ")");
        result = false;
    }
    busy_ = false;
    if (bRaiseEvent && Complete) {
        Complete();
    }
    return result;
}

bool CKoDownLoadFile::Transfer(const std::string& strURLFile, const std::string& strSaveFile,
                               bool bHidden, bool bRaiseEvent) {
    stop_ = false;
    // Without bounds a server that falls silent holds the call, and with it the start-up.
    const Deadline deadline(limits.maxTotalMs);
    HttpGetHandles handles;
    if (limits.maxTotalMs != 0) {
        if (!OpenHttpGetWithin(strURLFile, 0, deadline.LeftMs(), handles)) {
            return false;
        }
    } else {
        handles.root.reset(
            ::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!handles.root) {
            return false;
        }
        SetInternetTimeouts(handles.root.get(), deadline.StepMs());
        bool http = false;
        handles.request = OpenHttpGet(handles.root.get(), strURLFile, 0, deadline.StepMs(),
                                      handles.connection, http);
        if (!http) {
            handles.request.reset(::InternetOpenUrlA(handles.root.get(), strURLFile.c_str(),
                                                     nullptr, 0, INTERNET_FLAG_RELOAD, 0));
        }
    }
    const UniqueInternet& request = handles.request;
    if (!request || deadline.Passed()) {
        return false;
    }
    bool present = false;
    DWORD status = QueryNumber(request.get(), HTTP_QUERY_STATUS_CODE, present);
    if (status != 200) {
        return false;
    }
    const auto length =
        static_cast<std::int32_t>(QueryNumber(request.get(), HTTP_QUERY_CONTENT_LENGTH, present));
    if (length == 0 || (limits.maxBytes > 0 && length > limits.maxBytes)) {
        return false;
    }
    if (bRaiseEvent && QueryFileInfo) {
        QueryFileInfo(length);
    }

    // A read-only file is not replaced: creating it anew would fail, and the move below must not
    // get round that.
    const DWORD existing = ::GetFileAttributesA(strSaveFile.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    const std::string part = PartPath(strSaveFile);
    const DWORD attributes = bHidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
    ::SetFileAttributesA(part.c_str(), FILE_ATTRIBUTE_NORMAL); // a left-over from a crash
    UniqueFile file(::CreateFileA(part.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, attributes, nullptr));
    if (!file) {
        return false;
    }

    std::int64_t total = 0;
    bool broken = false;
    {
        PieceWriter writer(file.get(), kPieceSize, kWriteBatch);
        MessagePacer pacer;
        while (!stop_) {
            DWORD got = 0;
            // A server that sends a byte now and then would renew a per-read time-out for ever.
            DWORD stepMs = deadline.StepMs();
            ::InternetSetOptionA(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &stepMs,
                                 sizeof(stepMs));
            if (!::InternetReadFile(request.get(), writer.Space(), kPieceSize, &got)) {
                broken = true; // the connection failed before the server's data ended
                break;
            }
            if (got == 0) {
                break;
            }
            writer.Filled(got);
            total += got;
            if (total > std::numeric_limits<std::int32_t>::max()) {
                broken = true; // the running total no longer fits the reported 32-bit count
                break;
            }
            // A full disk must not turn a good earlier file into a short one.
            if (writer.Failed() || (limits.maxBytes > 0 && total > limits.maxBytes) ||
                deadline.Passed()) {
                broken = true;
                break;
            }
            if (bRaiseEvent && Loading) {
                Loading(static_cast<std::int32_t>(total));
            }
            if (pacer.Due()) {
                ProcessPendingMessages();
            }
        }
        // Nothing sees the part file before the transfer has ended; every piece read is in it
        // before it is closed, however the loop ended.
        writer.Finish();
        broken = broken || writer.Failed();
    }
    // A body that ends before its announced length is a connection that broke off, not the end
    // of the server's data. More data than announced is read to its end.
    if (!broken && !stop_ && length > 0 && total < length) {
        broken = true;
    }
    file.reset();
    if (broken) {
        ::SetFileAttributesA(part.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(part.c_str());
        return false;
    }
    // A hidden target cannot be replaced by a file without the hidden attribute; the new file
    // takes its attributes from the part file, as the caller asked.
    if (!::MoveFileExA(part.c_str(), strSaveFile.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        ::SetFileAttributesA(part.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(part.c_str());
        return false;
    }
    return true;
}

} // namespace velm
