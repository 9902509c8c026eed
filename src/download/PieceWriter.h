// The downloader's way to disk: pieces are gathered into large batches, and once a transfer has
// filled its first batch the batches are written by a thread of their own while the next one is
// read. Under Wine every WriteFile is a round trip to the wineserver, and writing a large body
// costs about a tenth of the time its reading does; neither needs to hold up the reading. A
// small body (the manifest) never fills a batch and is written at the end by the caller's
// thread, without starting another.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace velm {

class PieceWriter {
public:
    // Writes to `file`, which must stay open until Finish has returned or the writer is gone.
    // `piece` is the largest read; a batch holds `batch` bytes and is a multiple of it.
    PieceWriter(HANDLE file, std::size_t piece, std::size_t batch);
    PieceWriter(const PieceWriter&) = delete;
    PieceWriter& operator=(const PieceWriter&) = delete;
    // Waits for the write under way; what Finish was not called for is not written.
    ~PieceWriter();

    // Room for the next piece (at least `piece` bytes).
    char* Space() noexcept { return batches_[current_].data() + filled_; }
    // The next `bytes` bytes at Space() hold data.
    void Filled(std::size_t bytes);
    // Writes whatever is gathered and returns once every byte handed over is in the file.
    void Finish();
    // A write failed or came up short (a full disk): the file does not hold what was handed over.
    bool Failed() const noexcept { return failed_; }

private:
    void Submit();
    void WaitIdle(std::unique_lock<std::mutex>& lock);
    void Run();
    void Write(const std::vector<char>& batch, std::size_t bytes);

    HANDLE file_;
    std::size_t piece_;
    std::vector<char> batches_[2];
    int current_ = 0;
    std::size_t filled_ = 0;

    std::mutex lock_;
    std::condition_variable changed_;
    bool pending_ = false; // a batch waits for, or is in, its write
    int pendingBatch_ = 0;
    std::size_t pendingBytes_ = 0;
    bool stopping_ = false;
    bool threadless_ = false; // no thread could be started: batches are written in place
    std::atomic<bool> failed_{false};
    std::thread thread_;
};

} // namespace velm
