// Fetches one URL over HTTP into a local file, in 8192-byte pieces, letting the caller's window
// messages run between pieces.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velm {

class CKoDownLoadFile {
public:
    static constexpr std::uint32_t kPieceSize = 8192;
    // Longest wait for a connection, or for the next data of an answer, before the transfer
    // counts as failed.
    static constexpr unsigned long kTimeoutMs = 10000;

    // Bounds of one call, 0 for none: past either the call ends as a failed download. The body
    // may not exceed maxBytes; connection, request and body together may not take longer than
    // maxTotalMs.
    struct Limits {
        std::int64_t maxBytes = 0;
        unsigned long maxTotalMs = 0;
    };
    Limits limits;

    // Events, raised only when DownLoadFile's bRaiseEvent is true, in this declared order.
    std::function<void(std::int32_t dwFileTotalLen)> QueryFileInfo;
    std::function<void(std::int32_t dwRecivedLen)> Loading;
    std::function<void()> Complete;

    // True when the file was written and the transfer loop ended (all data read, or stopped by
    // StopDownLoad); false otherwise, and then any earlier file at strSaveFile is left as it was.
    // Paths and URL are in the system's ANSI code page.
    bool DownLoadFile(const std::string& strURLFile, const std::string& strSaveFile, bool bHidden,
                      bool bRaiseEvent);
    // The running transfer ends before its next read.
    void StopDownLoad() noexcept { stop_ = true; }

    bool Busy() const noexcept { return busy_; }

private:
    bool Transfer(const std::string& strURLFile, const std::string& strSaveFile, bool bHidden,
                  bool bRaiseEvent);

    bool stop_ = false;
    bool busy_ = false;
};

} // namespace velm
