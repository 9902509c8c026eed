#include "download/PieceWriter.h"

#include "base/Log.h"

#include <system_error>

namespace velm {

PieceWriter::PieceWriter(HANDLE file, std::size_t piece, std::size_t batch)
    : file_(file), piece_(piece), batches_{std::vector<char>(batch), std::vector<char>()} {}

PieceWriter::~PieceWriter() {
    if (!thread_.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void PieceWriter::Filled(std::size_t bytes) {
    filled_ += bytes;
    if (batches_[current_].size() - filled_ < piece_) {
        Submit();
    }
}

void PieceWriter::Finish() {
    if (filled_ > 0) {
        if (thread_.joinable()) {
            Submit();
        } else {
            // Nothing was handed to a thread yet: what is left is written here.
            Write(batches_[current_], filled_);
            filled_ = 0;
        }
    }
    if (thread_.joinable()) {
        std::unique_lock<std::mutex> guard(lock_);
        WaitIdle(guard);
    }
}

void PieceWriter::Submit() {
    if (!thread_.joinable() && !threadless_) {
        try {
            batches_[1].resize(batches_[0].size());
            thread_ = std::thread(&PieceWriter::Run, this);
        } catch (const std::exception& e) {
            LogError(std::string("PieceWriter: no thread for the writes: ") + e.what());
            threadless_ = true;
        }
    }
    if (threadless_) {
        Write(batches_[current_], filled_);
        filled_ = 0;
        return;
    }
    {
        std::unique_lock<std::mutex> guard(lock_);
        WaitIdle(guard);
        pending_ = true;
        pendingBatch_ = current_;
        pendingBytes_ = filled_;
    }
    changed_.notify_all();
    current_ ^= 1;
    filled_ = 0;
}

void PieceWriter::WaitIdle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return !pending_; });
}

void PieceWriter::Run() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        changed_.wait(guard, [this] { return pending_ || stopping_; });
        if (!pending_) {
            return; // stopping, with nothing left to write
        }
        const int batch = pendingBatch_;
        const std::size_t bytes = pendingBytes_;
        guard.unlock();
        Write(batches_[batch], bytes);
        guard.lock();
        pending_ = false;
        changed_.notify_all();
    }
}

void PieceWriter::Write(const std::vector<char>& batch, std::size_t bytes) {
    if (failed_) {
        return; // after a failed write the file is short anyway; the transfer is ending
    }
    DWORD written = 0;
    if (!::WriteFile(file_, batch.data(), static_cast<DWORD>(bytes), &written, nullptr) ||
        written != bytes) {
        LogCallFailed("PieceWriter: WriteFile of " + std::to_string(bytes) + " bytes",
                      written != bytes && ::GetLastError() == 0 ? ERROR_DISK_FULL
                                                                : ::GetLastError());
        failed_ = true;
    }
}

} // namespace velm
